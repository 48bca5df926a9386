#include "main/PictureIcons.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

int PaintedPixels(const QImage& image)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) ++painted;
    return painted;
}

}  // namespace

TEST(PictureMenuPictures, SevenDrawnPicturesOfTheImageControlSize)
{
    // 705 twips at 15 twips per pixel.
    EXPECT_EQ(mainwin::MenuPictureSize(), QSize(47, 47));
    const int area = 47 * 47;
    for (int index = 0; index < mainwin::kMenuPictureCount; ++index) {
        SCOPED_TRACE(index);
        const QPixmap picture = mainwin::MenuPicture(index);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(47, 47));
        const int painted = PaintedPixels(picture.toImage());
        EXPECT_GT(painted, area / 5);
        EXPECT_LT(painted, area);
    }
}

TEST(PictureMenuPictures, EveryEntryHasItsOwnPicture)
{
    for (int a = 0; a < mainwin::kMenuPictureCount; ++a)
        for (int b = a + 1; b < mainwin::kMenuPictureCount; ++b)
            EXPECT_NE(mainwin::MenuPicture(a).toImage(), mainwin::MenuPicture(b).toImage())
                << a << " and " << b;
}

TEST(PictureMenuPictures, IndexOutsideTheMenuGivesNoPicture)
{
    EXPECT_TRUE(mainwin::MenuPicture(-1).isNull());
    EXPECT_TRUE(mainwin::MenuPicture(mainwin::kMenuPictureCount).isNull());
}
