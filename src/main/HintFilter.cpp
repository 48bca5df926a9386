#include "main/HintFilter.h"

#include "main/StatusBar.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QWidget>

namespace mainwin {

namespace {
const char* const kHintSource = "hintSource";
constexpr int kHintPanel = 3;
}

HintFilter::HintFilter(StatusBar& statusBar, QObject* parent)
    : QObject(parent), statusBar_(statusBar)
{
}

void HintFilter::Watch(QWidget* control)
{
    control->setMouseTracking(true);
    control->installEventFilter(this);
    if (auto* scrolling = qobject_cast<QAbstractScrollArea*>(control)) {
        QWidget* viewport = scrolling->viewport();
        viewport->setMouseTracking(true);
        viewport->setProperty(kHintSource, QVariant::fromValue<QObject*>(control));
        viewport->installEventFilter(this);
    }
}

bool HintFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove) return false;
    QObject* source = watched->property(kHintSource).value<QObject*>();
    auto* control = qobject_cast<QWidget*>(source ? source : watched);
    if (control && control->isEnabled()) statusBar_.SetPanel(kHintPanel, control->toolTip());
    return false;
}

}  // namespace mainwin
