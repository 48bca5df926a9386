#pragma once
// Moving the mouse over a watched control copies its tool tip into status panel 3,
// which keeps the last hint when the mouse leaves. Disabled controls give no hint.

#include <QObject>

class QWidget;

namespace mainwin {

class StatusBar;

class HintFilter : public QObject {
public:
    HintFilter(StatusBar& statusBar, QObject* parent);

    // `control` gives the hint; mouse moves over it (and over its viewport, for a
    // scrolling control) are watched.
    void Watch(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StatusBar& statusBar_;
};

}  // namespace mainwin
