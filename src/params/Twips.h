#pragma once
// Positions and sizes of the grids are given in twips, at 15 twips to the pixel.

#include <cmath>
#include <cstdint>

namespace params {

constexpr int kTwipsPerPixel = 15;

inline int TwipsToPixels(long long twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

inline int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// A measure set in twips and shown in whole pixels: reading it back gives the twips that
// were set as long as the pixel size has not changed since.
class TwipsMeasure {
public:
    int Read(int pixels) const
    {
        return hasTwips_ && TwipsToPixels(twips_) == pixels ? twips_ : PixelsToTwips(pixels);
    }
    int Remember(int twips)
    {
        twips_ = twips;
        hasTwips_ = true;
        return TwipsToPixels(twips);
    }

private:
    int twips_ = 0;
    bool hasTwips_ = false;
};

}  // namespace params
