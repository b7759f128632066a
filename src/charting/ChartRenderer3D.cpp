// The 3D parts of the chart renderer: the box with its walls, grids and labels, lines
// through space and bars.
#include "charting/ChartRenderer.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

#include "charting/ChartStyle.h"

namespace quillon {

namespace {

// 3D: a pixel-length of projected box edge per tick.
constexpr double k3DTickPitch = 64;
// Bars fill this much of their category's width and of their series' depth: thinner in
// depth, so that the rows behind show between them.
constexpr double kBarWidth = 0.6;
constexpr double kBarDepth = 0.45;

// The 3D box: corner c has x at max when bit 0 is set, y for bit 1, z for bit 2.
struct Box3D {
    AxisRange range[3];
    double at(int axis, bool high) const { return high ? range[axis].max : range[axis].min; }
};

// Which side of each axis is at the back (its face turned away from the viewer): moving
// along +axis goes away from the viewer when the depth coefficient is negative.
std::array<bool, 3> backIsHigh(const Projection3D& p)
{
    return {p.c[0] < 0, p.c[1] < 0, p.c[2] < 0};
}

QPointF corner(const Projection3D& p, const Box3D& box, bool hx, bool hy, bool hz)
{
    return p.map(box.at(0, hx), box.at(1, hy), box.at(2, hz));
}

// The ticks of each 3D axis: numbers, or for bars the categories across and the series
// in depth.
std::array<std::vector<AxisTick>, 3> ticks3D(const ChartData& data, const ChartLayout& layout)
{
    const Projection3D& p = layout.projection3D;
    const Box3D box{{layout.base[0], layout.base[1], layout.base[2]}};
    std::array<std::vector<AxisTick>, 3> ticks;
    for (int axis = 0; axis < 3; ++axis) {
        bool high[3] = {false, false, false};
        const QPointF from = corner(p, box, high[0], high[1], high[2]);
        high[axis] = true;
        const QPointF to = corner(p, box, high[0], high[1], high[2]);
        const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
        // The upright axis is short on screen, category names fit closer: ticks closer
        // together there.
        const bool bars = data.style3D() == Chart3DStyle::Bars;
        const double pitch = axis == 1 || bars ? k3DTickPitch * 0.6 : k3DTickPitch;
        const int maxTicks = std::max(2, static_cast<int>(length / pitch));
        if (bars && axis == 0) {
            const int count = static_cast<int>(data.maxPointCount());
            const int every = std::max(1, (count + maxTicks - 1) / maxTicks);
            for (int point = 0; point < count; point += every)
                ticks[0].push_back({point + 0.5, pointName(data, point)});
        } else if (bars && axis == 2) {
            for (int s = 0; s < data.seriesCount(); ++s)
                ticks[2].push_back({s + 0.5, seriesName(data, s)});
        } else {
            ticks[axis] = numericTicks(layout.base[axis].min, layout.base[axis].max, maxTicks);
        }
    }
    return ticks;
}

// The outer face of a bar as a polygon on screen.
struct BarFace {
    QPolygonF polygon;
    int axis = 0;  // the axis the face is perpendicular to
};

// The faces of the bar of (series, point) that face the viewer.
std::vector<BarFace> barFaces(const Projection3D& p, const AxisRange& yRange, int series,
                              int point, double value)
{
    const double across = (1 - kBarWidth) / 2, deep = (1 - kBarDepth) / 2;
    const double base = std::clamp(0.0, yRange.min, yRange.max);
    const double top = std::clamp(value, yRange.min, yRange.max);
    const Box3D bar{{{point + across, point + 1 - across},
                     {std::min(base, top), std::max(base, top)},
                     {series + deep, series + 1 - deep}}};
    std::vector<BarFace> faces;
    for (int axis = 0; axis < 3; ++axis) {
        // The face on the side of the axis that comes towards the viewer.
        const bool high = p.c[axis] > 0;
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        QPolygonF polygon;
        for (int k = 0; k < 4; ++k) {
            bool at[3];
            at[axis] = high;
            at[u] = k == 1 || k == 2;
            at[v] = k >= 2;
            polygon << corner(p, bar, at[0], at[1], at[2]);
        }
        faces.push_back({polygon, axis});
    }
    return faces;
}

struct BarItem {
    int series;
    int point;
    double value;
    double depth;
};

// The bars in the order they are drawn: farthest first, so nearer ones cover them.
std::vector<BarItem> barsBackToFront(const ChartData& data, const Projection3D& p)
{
    std::vector<BarItem> bars;
    for (int s = 0; s < data.seriesCount(); ++s) {
        const ChartSeries& series = data.series(s);
        for (std::size_t point = 0; point < series.size(); ++point) {
            const double value = series.y(point);
            if (isChartNull(value))
                continue;
            const auto at = static_cast<double>(point);
            bars.push_back({s, static_cast<int>(point), value, p.depth(at + 0.5, 0, s + 0.5)});
        }
    }
    std::stable_sort(bars.begin(), bars.end(),
                     [](const BarItem& a, const BarItem& b) { return a.depth < b.depth; });
    return bars;
}

// Text placed beside an anchor point, on the side the direction points to.
void drawTextBeside(QPainter& painter, QPointF anchor, QPointF direction, const QString& text)
{
    const QSizeF size = labelSize(QFontMetricsF(painter.font()), text);
    QPointF topLeft = anchor;
    if (direction.x() < -0.35)
        topLeft.rx() -= size.width();
    else if (direction.x() <= 0.35)
        topLeft.rx() -= size.width() / 2;
    if (direction.y() < -0.35)
        topLeft.ry() -= size.height();
    else if (direction.y() <= 0.35)
        topLeft.ry() -= size.height() / 2;
    const int align = direction.x() > 0.35    ? Qt::AlignLeft
                      : direction.x() < -0.35 ? Qt::AlignRight
                                              : Qt::AlignHCenter;
    painter.drawText(QRectF(topLeft, size), align | Qt::AlignVCenter, text);
}

// The back walls of the 3D box with their grids, the ticks and labels on the front edges
// and the axis titles beyond them.
void paintBox3D(QPainter& painter, const ChartData& data, const ChartLayout& layout,
                const QFont& tickFont, const QFont& axisFont)
{
    const Backdrop backdrop(data, layout.bounds.height());
    const Projection3D& p = layout.projection3D;
    const Box3D box{{layout.base[0], layout.base[1], layout.base[2]}};
    const auto back = backIsHigh(p);
    const auto ticks = ticks3D(data, layout);
    painter.save();
    // A zoomed box stays out of the titles and the legend.
    painter.setClipRect(layout.plot);
    painter.setRenderHint(QPainter::Antialiasing, true);

    // The walls: the face of each axis on its far side.
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        QPolygonF wall;
        for (int k = 0; k < 4; ++k) {
            bool at[3];
            at[axis] = back[axis];
            at[u] = k == 1 || k == 2;
            at[v] = k >= 2;
            wall << corner(p, box, at[0], at[1], at[2]);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(faded(data.textColor, axis == 1 ? 14 : 9));
        painter.drawPolygon(wall);
        painter.setPen(backdrop.pen(0.16, 1));
        for (int across : {u, v}) {
            const int other = across == u ? v : u;
            for (const AxisTick& tick : ticks[static_cast<std::size_t>(across)]) {
                double from[3], to[3];
                from[axis] = to[axis] = box.at(axis, back[axis]);
                from[across] = to[across] = tick.value;
                from[other] = box.range[other].min;
                to[other] = box.range[other].max;
                painter.drawLine(p.map(from[0], from[1], from[2]), p.map(to[0], to[1], to[2]));
            }
        }
        painter.setPen(backdrop.pen(0.43, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(wall);
    }

    // The edges the labels go along: on the floor (the ceiling when seen from below) and
    // at the front, and for the vertical axis the leftmost upright edge.
    // Seen from above the floor is the back wall of Y; from below the ceiling is.
    const bool floorHigh = back[1];
    const QPointF centre =
        p.map((box.range[0].min + box.range[0].max) / 2, (box.range[1].min + box.range[1].max) / 2,
              (box.range[2].min + box.range[2].max) / 2);
    bool edge[3][3];  // edge[axis][other]: which side of the other axes the edge is on
    edge[0][1] = floorHigh;
    edge[0][2] = !back[2];
    edge[2][1] = floorHigh;
    edge[2][0] = !back[0];
    {
        double leftmost = 0;
        bool first = true;
        for (int k = 0; k < 4; ++k) {
            const bool hx = k & 1, hz = k & 2;
            const QPointF s = corner(p, box, hx, false, hz);
            if (first || s.x() < leftmost) {
                leftmost = s.x();
                edge[1][0] = hx;
                edge[1][2] = hz;
                first = false;
            }
        }
    }
    const QFontMetricsF tickMetrics(tickFont);
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        auto pointAt = [&](double value) {
            double at[3];
            at[axis] = value;
            at[u] = box.at(u, edge[axis][u]);
            at[v] = box.at(v, edge[axis][v]);
            return p.map(at[0], at[1], at[2]);
        };
        const QPointF from = pointAt(box.range[axis].min), to = pointAt(box.range[axis].max);
        if (std::hypot(to.x() - from.x(), to.y() - from.y()) < 24)
            continue;  // seen end-on: no room for labels
        const QPointF middle = (from + to) / 2;
        QPointF out = middle - centre;
        // Straight out from the edge, not along it.
        const QPointF along = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
        out -= along * (out.x() * along.x() + out.y() * along.y());
        const double length = std::hypot(out.x(), out.y());
        out = length > 1e-6 ? out / length : QPointF(0, 1);
        double widest = 0;
        painter.setFont(tickFont);
        for (const AxisTick& tick : ticks[static_cast<std::size_t>(axis)]) {
            const QPointF at = pointAt(tick.value);
            painter.setPen(backdrop.pen(0.6, 1));
            painter.drawLine(at, at + out * kTickLength);
            painter.setPen(data.textColor);
            drawTextBeside(painter, at + out * (kTickLength + 4), out, tick.label);
            const QSizeF size = labelSize(tickMetrics, tick.label);
            widest = std::max(
                widest, std::abs(out.x()) * size.width() + std::abs(out.y()) * size.height());
        }
        if (!data.axisTitle[axis].isEmpty()) {
            painter.setFont(axisFont);
            drawTextBeside(painter, middle + out * (kTickLength + 10 + widest), out,
                           data.axisTitle[axis]);
        }
    }
    painter.restore();
}

}  // namespace

void ChartRenderer::paint3D(QPainter& painter, const ChartData& data, const ChartLayout& layout)
{
    const ChartFonts fonts(m_font);
    paintBox3D(painter, data, layout, fonts.tick, fonts.axis);
    paintSeriesLines(painter, data, layout);
}

void ChartRenderer::paintBars(QPainter& painter, const ChartData& data, const ChartLayout& layout)
{
    const ChartFonts fonts(m_font);
    paintBox3D(painter, data, layout, fonts.tick, fonts.axis);
    const Projection3D& p = layout.projection3D;
    painter.save();
    painter.setClipRect(layout.plot);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const BarItem& bar : barsBackToFront(data, p)) {
        const QColor color = data.seriesColor(bar.series);
        const QColor edge = color.darker(160);
        for (const BarFace& face : barFaces(p, layout.base[1], bar.series, bar.point, bar.value)) {
            // Light from above and the left: the top brightest, the side darkest.
            const QColor fill = face.axis == 1   ? color.lighter(125)
                                : face.axis == 0 ? color.darker(118)
                                                 : color;
            painter.setPen(QPen(edge, 1));
            painter.setBrush(fill);
            painter.drawPolygon(face.polygon);
        }
    }
    painter.restore();
}

// The nearest bar's face under the pixel: bars are looked at from the front, the reverse
// of the order they are drawn in.
ChartHit ChartRenderer::hitBar(const ChartData& data, const ChartLayout& layout,
                               QPointF pixel) const
{
    if (!layout.plot.contains(pixel))
        return {};
    const auto bars = barsBackToFront(data, layout.projection3D);
    for (auto bar = bars.rbegin(); bar != bars.rend(); ++bar) {
        for (const BarFace& face :
             barFaces(layout.projection3D, layout.base[1], bar->series, bar->point, bar->value)) {
            if (face.polygon.containsPoint(pixel, Qt::OddEvenFill))
                return {ChartHit::Target::Point, bar->series, bar->point};
        }
    }
    return {};
}

}  // namespace quillon
