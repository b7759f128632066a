#include "calculators/ui/TriangleDrawing.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>

#include <algorithm>

namespace quillon {

namespace {

// The triangle's corners as fractions of the area: wide and low, right angle lower left.
constexpr qreal kLeft = 0.20;
constexpr qreal kRight = 0.80;
constexpr qreal kBottom = 0.80;
constexpr qreal kTop = 0.55;
// The square that marks the right angle, at most this many pixels a side.
constexpr qreal kRightAngleMark = 10.0;
// A size that leaves the triangle room for its labels at the usual font sizes.
constexpr int kHintWidth = 240;
constexpr int kHintHeight = 200;

// Draws the text centred on the point.
void drawCentred(QPainter& painter, const QPointF& centre, const QString& text)
{
    const QFontMetricsF metrics(painter.font());
    const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
    painter.drawText(QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size),
                     Qt::AlignCenter, text);
}

}  // namespace

TriangleDrawing::TriangleDrawing(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

TriangleDrawing::Corners TriangleDrawing::corners(const QRectF& area)
{
    const auto at = [&area](qreal x, qreal y) {
        return QPointF(area.left() + area.width() * x, area.top() + area.height() * y);
    };
    return {at(kLeft, kBottom), at(kRight, kBottom), at(kLeft, kTop)};
}

QSize TriangleDrawing::sizeHint() const
{
    return {kHintWidth, kHintHeight};
}

void TriangleDrawing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    const Corners k = corners(QRectF(rect()));
    painter.drawLine(k.c, k.a);
    painter.drawLine(k.a, k.b);
    painter.drawLine(k.b, k.c);

    // The right angle's square, inside the corner and small beside the shorter leg.
    const qreal mark =
        std::min({kRightAngleMark, (k.a.x() - k.c.x()) / 4, (k.c.y() - k.b.y()) / 4});
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.drawLine(QPointF(k.c.x() + mark, k.c.y()), QPointF(k.c.x() + mark, k.c.y() - mark));
    painter.drawLine(QPointF(k.c.x(), k.c.y() - mark), QPointF(k.c.x() + mark, k.c.y() - mark));

    // Sides beside their middles, outside the triangle; angles outside their corners.
    const qreal gap = QFontMetricsF(painter.font()).height() * 0.8;
    const QPointF legA = (k.c + k.b) / 2;
    const QPointF legB = (k.c + k.a) / 2;
    const QLineF hypotenuse(k.a, k.b);
    const QLineF outward = hypotenuse.normalVector().unitVector();
    // normalVector turns the line left; the side away from c is the one wanted.
    QPointF away(outward.dx(), outward.dy());
    if (QPointF::dotProduct(away, hypotenuse.center() - k.c) < 0)
        away = -away;
    drawCentred(painter, legA - QPointF(gap, 0), "A");
    drawCentred(painter, legB + QPointF(0, gap), "B");
    drawCentred(painter, hypotenuse.center() + away * gap, "C");
    drawCentred(painter, k.a + QPointF(gap, 0), "a");
    drawCentred(painter, k.b - QPointF(0, gap), "b");
    drawCentred(painter, k.c + QPointF(-gap, gap) * 0.75, "c");
}

}  // namespace quillon
