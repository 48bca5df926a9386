#include "main/DisabledTipFilter.h"

#include <QEvent>
#include <QToolTip>
#include <QWidget>

namespace mainwin {

DisabledTipFilter::DisabledTipFilter(QObject* parent) : QObject(parent) {}

void DisabledTipFilter::WatchAll(QWidget& window)
{
    for (QWidget* control : window.findChildren<QWidget*>())
        if (!control->toolTip().isEmpty()) control->installEventFilter(this);
}

bool DisabledTipFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip) return false;
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || control->isEnabled()) return false;
    // Taken here, so that no container behind the control shows a tip of its own either.
    QToolTip::hideText();
    event->accept();
    return true;
}

}  // namespace mainwin
