#pragma once
// While installed, turns single bare wheel notches that reach the window into page keys
// for the setting grid. Every event still goes on to the window.

#include <QObject>
#include <QPointer>
#include <QWidget>

class QWheelEvent;

namespace params {

class GridWheelHook : public QObject {
public:
    GridWheelHook(QWidget* window, QWidget* pagedGrid, QObject* parent = nullptr);
    ~GridWheelHook() override;

    // Installing twice keeps one hook; removing an absent hook does nothing.
    void Install();
    void Remove();
    bool Installed() const { return installed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PageOnNotch(const QWheelEvent& wheel);

    QPointer<QWidget> window_;
    QPointer<QWidget> pagedGrid_;
    bool installed_ = false;
};

}  // namespace params
