#pragma once
// The window's status bar `SB`: three panels counted from 1 (link state, result of the
// last operation, hint). A panel keeps its text until the next write.

#include <QStatusBar>
#include <array>

class QLabel;

namespace mainwin {

class StatusBar : public QStatusBar {
public:
    static constexpr int kPanelCount = 3;

    explicit StatusBar(QWidget* parent = nullptr);

    QString Panel(int index) const;
    void SetPanel(int index, const QString& text);
    QLabel* PanelLabel(int index) const;

private:
    std::array<QLabel*, kPanelCount> panels_{};
};

}  // namespace mainwin
