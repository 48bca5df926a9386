#pragma once
// Colours as RGB Longs: red in the lowest byte, then green, then blue. Values from
// &H80000000 to &H80000018 name system colours and are shown with the palette's.

#include <QColor>
#include <cstdint>
#include <optional>

namespace params {

constexpr int32_t RGB(int red, int green, int blue)
{
    return static_cast<int32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// nullopt for a Long that is neither an RGB value nor a system colour.
std::optional<QColor> ColorFromLong(int32_t value);

int32_t LongFromColor(const QColor& color);

}  // namespace params
