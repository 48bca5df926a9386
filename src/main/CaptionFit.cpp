#include "main/CaptionFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <limits>

namespace mainwin {
namespace {

constexpr double kSmallestPointSize = 7.0;
constexpr double kStep = 0.5;

QString CaptionOf(const QWidget& control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    return {};
}

}  // namespace

int CaptionRoom(const QWidget& control)
{
    const QStyle* style = control.style();
    if (qobject_cast<const QCheckBox*>(&control))
        return control.width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &control) -
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &control);
    if (qobject_cast<const QPushButton*>(&control)) {
        QStyleOptionButton option;
        option.initFrom(&control);
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, &control).width();
    }
    return control.width();
}

namespace {

double FittedPointSize(const QWidget& control, const QStringList& laterCaptions)
{
    const QStringList captions = QStringList(CaptionOf(control)) + laterCaptions;
    QFont font = control.font();
    const int room = CaptionRoom(control);
    const auto widest = [&captions](const QFont& f) {
        int width = 0;
        for (const QString& caption : captions) width = qMax(width, QFontMetrics(f).horizontalAdvance(caption));
        return width;
    };
    while (widest(font) > room && font.pointSizeF() - kStep >= kSmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - kStep);
    return font.pointSizeF();
}

void SetPointSize(QWidget& control, double pointSize)
{
    if (control.font().pointSizeF() == pointSize) return;
    QFont font = control.font();
    font.setPointSizeF(pointSize);
    control.setFont(font);
}

}  // namespace

void FitCaption(QWidget& control, const QStringList& laterCaptions)
{
    SetPointSize(control, FittedPointSize(control, laterCaptions));
}

void FitCaptionsAlike(const QList<QWidget*>& controls)
{
    double pointSize = std::numeric_limits<double>::max();
    for (const QWidget* control : controls) pointSize = std::min(pointSize, FittedPointSize(*control, {}));
    for (QWidget* control : controls) SetPointSize(*control, pointSize);
}

}  // namespace mainwin
