#include "main/PictureIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <cmath>
#include <array>

namespace mainwin {

namespace {

// Every picture is drawn on a 100 x 100 canvas and scaled to the image control.
constexpr qreal kCanvas = 100.0;

const QColor kChipBody(58, 63, 75);
const QColor kChipPin(190, 194, 202);
const QColor kPaper(255, 255, 255);
const QColor kInk(90, 98, 112);
const QColor kRed(215, 40, 40);
const QColor kGreen(40, 160, 70);
const QColor kOrange(235, 130, 20);
const QColor kBlue(40, 100, 200);

void DrawController(QPainter& p, const QRectF& body)
{
    const int pins = 4;
    const qreal pitch = body.height() / pins;
    const qreal pinLength = body.width() * 0.16;
    p.setPen(Qt::NoPen);
    p.setBrush(kChipPin);
    for (int i = 0; i < pins; ++i) {
        const qreal y = body.top() + pitch * (i + 0.3);
        p.drawRect(QRectF(body.left() - pinLength, y, pinLength, pitch * 0.4));
        p.drawRect(QRectF(body.right(), y, pinLength, pitch * 0.4));
    }
    p.setBrush(kChipBody);
    p.drawRoundedRect(body, 3, 3);
    p.setBrush(kChipPin);
    p.drawEllipse(QPointF(body.left() + body.width() * 0.22, body.top() + body.height() * 0.2),
                  body.width() * 0.07, body.width() * 0.07);
}

void DrawSheet(QPainter& p, const QRectF& page)
{
    const qreal fold = page.width() * 0.3;
    QPolygonF outline;
    outline << page.topLeft() << QPointF(page.right() - fold, page.top())
            << QPointF(page.right(), page.top() + fold) << page.bottomRight() << page.bottomLeft();
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(kPaper);
    p.drawPolygon(outline);
    p.drawLine(QPointF(page.right() - fold, page.top()),
               QPointF(page.right() - fold, page.top() + fold));
    p.drawLine(QPointF(page.right() - fold, page.top() + fold),
               QPointF(page.right(), page.top() + fold));
    // Lines of settings: a name and a value on each.
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    const qreal margin = page.width() * 0.18;
    for (qreal y = page.top() + page.height() * 0.4; y < page.bottom() - margin * 0.8;
         y += page.height() * 0.16)
        p.drawLine(QPointF(page.left() + margin, y), QPointF(page.right() - margin, y));
}

// A bent arrow from `from` to `to`, pulled towards `bend`.
void DrawArrow(QPainter& p, const QPointF& from, const QPointF& bend, const QPointF& to,
               const QColor& colour)
{
    const qreal head = 15.0;
    QLineF back(to, bend);
    back.setLength(head);
    const QPointF base = back.p2();
    QLineF side = back.normalVector();
    side.setLength(head * 0.6);
    const QPointF offset = side.p2() - side.p1();

    QPainterPath shaft(from);
    shaft.quadTo(bend, base);
    p.setPen(QPen(colour, 7, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to, base + offset, base - offset}));
}

void DrawBadge(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour)
{
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
}

void DrawEraseBadge(QPainter& p, const QPointF& centre)
{
    const qreal r = 17;
    DrawBadge(p, centre, r, kRed);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    const qreal d = r * 0.45;
    p.drawLine(centre + QPointF(-d, -d), centre + QPointF(d, d));
    p.drawLine(centre + QPointF(-d, d), centre + QPointF(d, -d));
}

void DrawInfoBadge(QPainter& p, const QPointF& centre)
{
    const qreal r = 18;
    DrawBadge(p, centre, r, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre + QPointF(0, -r * 0.5), 3.2, 3.2);
    p.drawRoundedRect(QRectF(centre.x() - 3, centre.y() - r * 0.2, 6, r * 0.85), 2, 2);
}

void DrawFloppy(QPainter& p, const QRectF& disk)
{
    p.setPen(QPen(QColor(20, 50, 110), 2.5));
    p.setBrush(kBlue);
    p.drawRoundedRect(disk, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 215, 225));
    const qreal w = disk.width();
    p.drawRect(QRectF(disk.left() + w * 0.25, disk.top() + 2, w * 0.5, w * 0.3));
    p.setBrush(kPaper);
    p.drawRect(QRectF(disk.left() + w * 0.15, disk.top() + w * 0.5, w * 0.7, w * 0.42));
}

void DrawDatabase(QPainter& p, const QRectF& drum)
{
    const qreal cap = drum.height() * 0.24;
    QPainterPath side;
    side.moveTo(drum.left(), drum.top() + cap / 2);
    side.lineTo(drum.left(), drum.bottom() - cap / 2);
    side.arcTo(QRectF(drum.left(), drum.bottom() - cap, drum.width(), cap), 180, 180);
    side.lineTo(drum.right(), drum.top() + cap / 2);
    side.closeSubpath();
    p.setPen(QPen(QColor(120, 90, 20), 2.5));
    p.setBrush(QColor(240, 190, 70));
    p.drawPath(side);
    for (qreal band = 1; band <= 2; ++band) {
        const qreal y = drum.top() + (drum.height() - cap) * band / 3;
        p.drawArc(QRectF(drum.left(), y, drum.width(), cap), 180 * 16, 180 * 16);
    }
    p.setBrush(QColor(250, 215, 120));
    p.drawEllipse(QRectF(drum.left(), drum.top(), drum.width(), cap));
}

void DrawGauge(QPainter& p, const QRectF& screen)
{
    p.setPen(QPen(kInk, 3));
    p.setBrush(QColor(30, 36, 48));
    p.drawRoundedRect(screen, 5, 5);
    p.drawRect(QRectF(screen.center().x() - 6, screen.bottom(), 12, 8));
    p.drawLine(QPointF(screen.center().x() - 18, screen.bottom() + 9),
               QPointF(screen.center().x() + 18, screen.bottom() + 9));

    const QPointF pivot(screen.center().x(), screen.bottom() - screen.height() * 0.18);
    const qreal r = screen.height() * 0.6;
    const QRectF dial(pivot.x() - r, pivot.y() - r, 2 * r, 2 * r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGreen, 5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, 100 * 16, 70 * 16);
    p.setPen(QPen(kOrange, 5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, 40 * 16, 60 * 16);
    p.setPen(QPen(kRed, 5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(dial, 10 * 16, 30 * 16);

    const qreal needle = qDegreesToRadians(55.0);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, pivot + QPointF(std::cos(needle), -std::sin(needle)) * r * 0.85);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(pivot, 4, 4);
}

void DrawStorePlus(QPainter& p, const QPointF& centre)
{
    const qreal r = 16;
    DrawBadge(p, centre, r, kGreen);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-r * 0.5, 0), centre + QPointF(r * 0.5, 0));
    p.drawLine(centre + QPointF(0, -r * 0.5), centre + QPointF(0, r * 0.5));
}

void PaintErase(QPainter& p)
{
    DrawSheet(p, QRectF(16, 8, 56, 76));
    DrawEraseBadge(p, QPointF(72, 74));
}

void PaintRead(QPainter& p)
{
    DrawController(p, QRectF(12, 10, 34, 40));
    DrawSheet(p, QRectF(56, 40, 36, 52));
    DrawArrow(p, QPointF(29, 54), QPointF(26, 86), QPointF(54, 74), kGreen);
}

void PaintSend(QPainter& p)
{
    DrawSheet(p, QRectF(8, 8, 36, 52));
    DrawController(p, QRectF(60, 50, 30, 40));
    DrawArrow(p, QPointF(26, 64), QPointF(24, 90), QPointF(53, 76), kOrange);
}

void PaintSaveToFlash(QPainter& p)
{
    DrawController(p, QRectF(16, 8, 44, 52));
    DrawFloppy(p, QRectF(48, 48, 44, 44));
}

void PaintStoreIntoProject(QPainter& p)
{
    DrawDatabase(p, QRectF(12, 10, 56, 78));
    DrawStorePlus(p, QPointF(72, 72));
}

void PaintDisplayParameters(QPainter& p)
{
    DrawGauge(p, QRectF(8, 14, 84, 62));
}

void PaintControllerInformation(QPainter& p)
{
    DrawController(p, QRectF(18, 12, 48, 62));
    DrawInfoBadge(p, QPointF(70, 72));
}

using Painter = void (*)(QPainter&);
constexpr std::array<Painter, kMenuPictureCount> kPainters = {
    PaintErase, PaintRead, PaintSend, PaintSaveToFlash,
    PaintStoreIntoProject, PaintDisplayParameters, PaintControllerInformation,
};

}  // namespace

QSize MenuPictureSize()
{
    const int side = kMenuPictureTwips / kTwipsPerPixel;
    return QSize(side, side);
}

QPixmap MenuPicture(int index)
{
    if (index < 0 || index >= kMenuPictureCount) return QPixmap();
    QPixmap picture(MenuPictureSize());
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(picture.width() / kCanvas, picture.height() / kCanvas);
        kPainters[index](painter);
    }
    return picture;
}

}  // namespace mainwin
