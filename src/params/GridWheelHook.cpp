#include "params/GridWheelHook.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>

namespace params {
namespace {

constexpr int kWheelNotch = 120;

// Queued, as typed keys are: the grid handles them after the wheel event is done.
void PostKey(QWidget* target, Qt::Key key)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

}  // namespace

GridWheelHook::GridWheelHook(QWidget* window, QWidget* pagedGrid, QObject* parent)
    : QObject(parent), window_(window), pagedGrid_(pagedGrid)
{
}

GridWheelHook::~GridWheelHook() { Remove(); }

void GridWheelHook::Install()
{
    if (installed_ || !window_) return;
    window_->installEventFilter(this);
    installed_ = true;
}

void GridWheelHook::Remove()
{
    if (!installed_) return;
    if (window_) window_->removeEventFilter(this);
    installed_ = false;
}

void GridWheelHook::PageOnNotch(const QWheelEvent& wheel)
{
    const bool bare = wheel.modifiers() == Qt::NoModifier && wheel.buttons() == Qt::NoButton &&
                      wheel.angleDelta().x() == 0;
    if (!bare || !pagedGrid_) return;
    if (wheel.angleDelta().y() == -kWheelNotch) PostKey(pagedGrid_, Qt::Key_PageDown);
    else if (wheel.angleDelta().y() == kWheelNotch) PostKey(pagedGrid_, Qt::Key_PageUp);
}

bool GridWheelHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Wheel) PageOnNotch(static_cast<const QWheelEvent&>(*event));
    return false;
}

}  // namespace params
