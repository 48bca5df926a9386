#pragma once
// The normal window keeps one outer size. The client size that gives it depends on the
// frame the window manager draws around the window, which is not known until the window
// has been framed and is not the same for the normal and the maximized window; so the
// client size is worked out afresh from the frame as it stands.

#include <QMargins>
#include <QSize>
#include <optional>

namespace mainwin {

// Outer size of the normal window, in pixels.
QSize PinnedOuterSize();

// The client size that gives the pinned outer size inside `frame`; nothing for a window
// that is minimized, maximized or full screen, which keeps the size it has.
std::optional<QSize> PinnedClientSize(Qt::WindowStates state, const QMargins& frame);

}  // namespace mainwin
