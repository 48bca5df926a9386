// The window's background picture: drawn behind the controls and light enough that
// every text over it stays readable.
#include "main/WindowFixture.h"

#include "main/BackgroundPicture.h"

#include <QImage>
#include <QPalette>

namespace testmain {
namespace {

double Luminance(QRgb colour)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(colour)) + 0.7152 * linear(qGreen(colour)) + 0.0722 * linear(qBlue(colour));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class WindowBackgroundTest : public WindowFixture {};

TEST_F(WindowBackgroundTest, ThePictureKeepsTheWindowsTextReadable)
{
    auto& form = Build();
    const QRgb text = form.palette().color(QPalette::WindowText).rgb();
    const QImage tile = mainwin::BackgroundTile().toImage();
    const QRgb ground = tile.pixel(0, 0);
    int drawn = 0;
    double weakest = 21;
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x) {
            weakest = std::min(weakest, Contrast(tile.pixel(x, y), text));
            drawn += tile.pixel(x, y) != ground;
        }
    EXPECT_GE(weakest, 7.0);  // the strongest grade for body text
    EXPECT_GT(drawn, tile.width() * tile.height() / 20);
}

TEST_F(WindowBackgroundTest, ThePictureShowsWhereNoControlCoversTheWindow)
{
    auto& form = Load();
    QCoreApplication::processEvents();  // lays the window out at its pinned size
    const QImage client = form.centralWidget()->grab().toImage();
    const QImage tile = mainwin::BackgroundTile().toImage();
    // Below the top band (to 2565 twips), above the grids (from 3240), left of the picture menu.
    const QRect free(0, 175, 800, 30);
    int differing = 0;
    for (int y = free.top(); y <= free.bottom(); ++y)
        for (int x = free.left(); x <= free.right(); ++x)
            differing += client.pixel(x, y) != tile.pixel(x % tile.width(), y % tile.height());
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace testmain
