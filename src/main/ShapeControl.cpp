#include "main/ShapeControl.h"

#include <QPainter>

namespace mainwin {

ShapeControl::ShapeControl(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ShapeControl::SetFillColor(const QColor& color)
{
    fill_ = color;
    update();
}

void ShapeControl::SetBorderWidth(int width)
{
    borderWidth_ = width;
    update();
}

void ShapeControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, borderWidth_));
    painter.setBrush(fill_.isValid() ? QBrush(fill_) : QBrush(Qt::NoBrush));
    const qreal inset = borderWidth_ / 2.0;
    const QRectF area = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    if (kind_ == Kind::Circle) {
        const qreal side = qMin(area.width(), area.height());
        painter.drawEllipse(QRectF(area.center().x() - side / 2, area.center().y() - side / 2,
                                   side, side));
    } else {
        painter.drawRect(area);
    }
}

}  // namespace mainwin
