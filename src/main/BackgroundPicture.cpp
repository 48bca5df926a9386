#include "main/BackgroundPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <functional>

namespace mainwin {

namespace {

constexpr int kTileSide = 96;
const QColor kGround(238, 240, 243);
const QColor kTrace(225, 229, 235);
const QColor kPad(217, 222, 229);

// Traces that leave the tile on one side come back in at the same place on the other.
QPainterPath Traces()
{
    QPainterPath path;
    const auto polyline = [&path](std::initializer_list<QPointF> points) {
        path.moveTo(*points.begin());
        for (auto point = points.begin() + 1; point != points.end(); ++point) path.lineTo(*point);
    };
    polyline({{0, 18}, {30, 18}, {46, 34}, {70, 34}, {86, 18}, {96, 18}});
    polyline({{72, 0}, {72, 34}});
    polyline({{60, 96}, {60, 76}, {72, 64}, {96, 64}});
    polyline({{0, 64}, {8, 64}});
    polyline({{60, 0}, {60, 6}});
    polyline({{14, 46}, {14, 78}, {36, 78}});
    return path;
}

const QPointF kPads[] = {{14, 46}, {36, 78}, {8, 64}, {46, 34}, {72, 64}, {30, 56}};

void DrawWrapped(QPainter& p, const std::function<void(QPainter&)>& draw)
{
    for (int dx : {-kTileSide, 0, kTileSide})
        for (int dy : {-kTileSide, 0, kTileSide}) {
            p.save();
            p.translate(dx, dy);
            draw(p);
            p.restore();
        }
}

}  // namespace

QPixmap BackgroundTile()
{
    QPixmap tile(kTileSide, kTileSide);
    tile.fill(kGround);
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath traces = Traces();
    DrawWrapped(p, [&traces](QPainter& painter) {
        painter.setPen(QPen(kTrace, 3, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(traces);
        painter.setPen(QPen(kPad, 2));
        painter.setBrush(kGround);
        for (const QPointF& pad : kPads) painter.drawEllipse(pad, 4, 4);
    });
    return tile;
}

BackgroundArea::BackgroundArea(QWidget* parent) : QWidget(parent), tile_(BackgroundTile()) {}

void BackgroundArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawTiledPixmap(event->rect(), tile_, event->rect().topLeft());
}

}  // namespace mainwin
