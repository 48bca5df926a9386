#pragma once
// A disabled control pops up no tool tip, just as it gives no hint in the status bar.

#include <QObject>

class QWidget;

namespace mainwin {

class DisabledTipFilter : public QObject {
public:
    explicit DisabledTipFilter(QObject* parent);

    // Watches every control under `window` that carries a tool tip.
    void WatchAll(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace mainwin
