#pragma once
// The pictures of the picture menu, drawn in code. Index n belongs to MenuImg(n):
// 0 erase the settings, 1 read them, 2 send them to the controller, 3 save them in the
// controller, 4 store them into the project node, 5 show the running parameters,
// 6 read the controller's information.

#include <QPixmap>
#include <QSize>

namespace mainwin {

constexpr int kMenuPictureCount = 7;
constexpr int kMenuPictureTwips = 705;  // each image control is 705 x 705 twips
constexpr int kTwipsPerPixel = 15;

// 47 x 47 pixels, the size of one image control.
QSize MenuPictureSize();

// The picture of entry `index` (0..6) at MenuPictureSize(); a null pixmap for any other index.
QPixmap MenuPicture(int index);

}  // namespace mainwin
