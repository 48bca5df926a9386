#include "main/PinnedSize.h"

#include "main/WindowLook.h"

namespace mainwin {

namespace {
constexpr int kPinnedWidthTwips = 13750;
constexpr int kPinnedHeightTwips = 3780;
}  // namespace

QSize PinnedOuterSize() { return QSize(Px(kPinnedWidthTwips), Px(kPinnedHeightTwips)); }

std::optional<QSize> PinnedClientSize(Qt::WindowStates state, const QMargins& frame)
{
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return std::nullopt;
    return PinnedOuterSize() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

}  // namespace mainwin
