#include "main/StatusBar.h"

#include "main/WindowLook.h"

#include <QLabel>
#include <stdexcept>

namespace mainwin {

namespace {
constexpr std::array<int, StatusBar::kPanelCount> kPanelWidthsTwips{4000, 5000, 10000};
}

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("SB"));
    setSizeGripEnabled(false);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("SB_Panel%1").arg(i + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        // The hint panel takes what is left, so that a long hint never widens the window.
        if (i == kPanelCount - 1) {
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            label->setMinimumWidth(0);
            label->resize(Px(kPanelWidthsTwips[i]), label->height());
            addWidget(label, 1);
        } else {
            label->setFixedWidth(Px(kPanelWidthsTwips[i]));
            addWidget(label);
        }
        panels_[i] = label;
    }
    panels_[0]->setText(QStringLiteral("串口未打开"));
}

QLabel* StatusBar::PanelLabel(int index) const
{
    if (index < 1 || index > kPanelCount) throw std::out_of_range("status bar panel");
    return panels_[index - 1];
}

QString StatusBar::Panel(int index) const { return PanelLabel(index)->text(); }

void StatusBar::SetPanel(int index, const QString& text) { PanelLabel(index)->setText(text); }

}  // namespace mainwin
