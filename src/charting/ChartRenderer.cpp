#include "charting/ChartRenderer.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "charting/ChartStyle.h"
#include "charting/ThinLines.h"

namespace quillon {

namespace {

// Vertical room per tick label of the Y axis, and the least horizontal gap between two
// labels of the X axis: below these, labels crowd.
constexpr double kYTickPitch = 38;
constexpr double kXLabelGap = 18;
// A legend beside the plot may take this share of the width; wider, it goes below.
constexpr double kSideLegendShare = 0.34;
constexpr double kLegendSample = 26;
// A series gets markers drawn only up to this many points: beyond, they are a smear.
constexpr std::size_t kMarkersUpTo = 5000;
constexpr double kMarkerRadius = 3;
// A pie slice gets its percentage written in it from this many degrees on.
constexpr double kPieLabelSpan = 12;

constexpr double kDegrees = 180 / std::numbers::pi;

bool allCategories(const ChartData& data)
{
    bool any = false;
    for (int s = 0; s < data.seriesCount(); ++s) {
        if (data.series(s).hasX())
            return false;
        any = any || !data.series(s).empty();
    }
    return any;
}

// The base ranges: the given ones, else the data's with a little room where a line at the
// edge would be hard to see.
void baseRanges(const ChartData& data, AxisRange (&base)[3])
{
    auto fromData = [&](Axis axis, double pad) -> AxisRange {
        if (auto given = data.axisRange(axis))
            return *given;
        const auto extent = data.dataExtent(axis);
        if (!extent)
            return {0, 1};
        const double room = extent->span() * pad;
        return normalisedRange(extent->min - room, extent->max + room);
    };
    if (data.kind() == ChartKind::Chart3D && data.style3D() == Chart3DStyle::Bars) {
        const auto points = static_cast<double>(std::max<std::size_t>(data.maxPointCount(), 1));
        base[0] = {0, points};
        base[2] = {0, static_cast<double>(std::max(data.seriesCount(), 1))};
        if (auto given = data.axisRange(Axis::Y)) {
            base[1] = *given;
        } else {
            const auto extent = data.dataExtent(Axis::Y).value_or(AxisRange{0, 1});
            const double low = std::min(0.0, extent.min), high = std::max(0.0, extent.max);
            base[1] = normalisedRange(low - (low < 0 ? (high - low) * 0.05 : 0),
                                      high + (high > 0 ? (high - low) * 0.05 : 0));
        }
        return;
    }
    if (data.kind() == ChartKind::Graph2D) {
        if (!data.axisRange(Axis::X) && allCategories(data)) {
            const auto points = static_cast<double>(data.maxPointCount());
            base[0] = {0.5, points + 0.5};
        } else {
            base[0] = fromData(Axis::X, 0);
        }
        base[1] = fromData(Axis::Y, 0.05);
        base[2] = {0, 1};
        return;
    }
    for (int axis = 0; axis < 3; ++axis)
        base[axis] = fromData(static_cast<Axis>(axis), 0);
}

std::vector<AxisTick> categoryTicks(const ChartData& data, AxisRange visible, int maxTicks)
{
    std::vector<AxisTick> ticks;
    const auto count = static_cast<int>(data.maxPointCount());
    const int first = std::max(1, static_cast<int>(std::ceil(visible.min)));
    const int last = std::min(count, static_cast<int>(std::floor(visible.max)));
    if (last < first)
        return ticks;
    const int every = std::max(1, (last - first + 1 + maxTicks - 1) / std::max(maxTicks, 1));
    for (int point = first; point <= last; point += every) {
        const int index = point - 1;
        QString label =
            index < data.pointLabels.size() ? data.pointLabels[index] : QString::number(point);
        ticks.push_back({static_cast<double>(point), label});
    }
    return ticks;
}

// The data's own Y labels inside the visible range, else round steps.
std::vector<AxisTick> yTicksOf(const ChartData& data, AxisRange visible, int maxTicks)
{
    if (data.yLabels.empty())
        return numericTicks(visible.min, visible.max, maxTicks);
    std::vector<AxisTick> ticks;
    for (const auto& [value, label] : data.yLabels) {
        if (visible.contains(value))
            ticks.push_back({value, label});
    }
    return ticks;
}

std::vector<AxisTick> xTicksOf(const ChartData& data, AxisRange visible, int maxTicks)
{
    if (data.xAxisKind() == XAxisKind::DateTime)
        return dateTimeTicks(visible.min, visible.max, maxTicks);
    if (allCategories(data) && !data.axisRange(Axis::X))
        return categoryTicks(data, visible, maxTicks);
    return numericTicks(visible.min, visible.max, maxTicks);
}

std::size_t pieSliceCount(const ChartData& data)
{
    return std::max(data.maxPointCount(), static_cast<std::size_t>(data.pointLabels.size()));
}

// Legend entries, measured but not yet placed.
std::vector<LegendEntry> legendEntries(const ChartData& data)
{
    std::vector<LegendEntry> entries;
    if (!data.showLegend)
        return entries;
    if (data.kind() == ChartKind::Pie) {
        std::vector<bool> used(pieSliceCount(data), false);
        for (int s = 0; s < data.seriesCount(); ++s) {
            for (const ChartPieSlice& slice : pieSlices(data.series(s), used.size()))
                used[static_cast<std::size_t>(slice.point)] = true;
        }
        for (std::size_t point = 0; point < used.size(); ++point) {
            if (used[point]) {
                const int p = static_cast<int>(point);
                entries.push_back({{}, -1, p, pointName(data, p), data.pointColor(p)});
            }
        }
        return entries;
    }
    for (int s = 0; s < data.seriesCount(); ++s) {
        if (!data.series(s).inLegend)
            continue;
        entries.push_back(
            {{}, s, -1, seriesName(data, s), data.seriesColor(s), data.series(s).lineStyle});
    }
    return entries;
}

// Places the legend beside the area when it fits in a column or two, else below it in
// rows; takes its room from the area.
void placeLegend(ChartLayout& layout, const ChartFonts& fonts, QRectF& area)
{
    auto& entries = layout.legendEntries;
    if (entries.empty())
        return;
    const QFontMetricsF metrics(fonts.legend);
    const double rowHeight = std::ceil(metrics.height() * 1.45);
    const double padding = 8;
    double widest = 0;
    for (const LegendEntry& entry : entries)
        widest = std::max(widest, metrics.horizontalAdvance(entry.text));
    // Very long labels are elided at drawing; the legend never takes more than the share.
    const double maxEntryWidth = area.width() * kSideLegendShare - 2 * padding;
    const double entryWidth = std::min(kLegendSample + 8 + widest, maxEntryWidth);
    const int perColumn = std::max(1, static_cast<int>((area.height() - 2 * padding) / rowHeight));
    const int columns = (static_cast<int>(entries.size()) + perColumn - 1) / perColumn;
    const double sideWidth = columns * (entryWidth + padding) + padding;
    if (columns <= 2 && sideWidth <= area.width() * kSideLegendShare && area.width() >= 360) {
        const int rows = std::min(perColumn, static_cast<int>(entries.size()));
        layout.legend = QRectF(area.right() - sideWidth, area.top(), sideWidth,
                               rows * rowHeight + 2 * padding);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto column = static_cast<double>(static_cast<int>(i) / perColumn);
            const auto row = static_cast<double>(static_cast<int>(i) % perColumn);
            entries[i].rect =
                QRectF(layout.legend.left() + padding + column * (entryWidth + padding),
                       layout.legend.top() + padding + row * rowHeight, entryWidth, rowHeight);
        }
        area.setRight(layout.legend.left() - 12);
        return;
    }
    // Below: entries flow in rows, centred.
    const double cellWidth = std::min(kLegendSample + 8 + widest + 18, area.width());
    const int perRow = std::max(1, static_cast<int>(area.width() / cellWidth));
    const int rows = (static_cast<int>(entries.size()) + perRow - 1) / perRow;
    const double height = rows * rowHeight + padding;
    const double width = std::min<double>(perRow, static_cast<double>(entries.size())) * cellWidth;
    layout.legend = QRectF(area.center().x() - width / 2, area.bottom() - height, width, height);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto column = static_cast<double>(static_cast<int>(i) % perRow);
        const auto row = static_cast<double>(static_cast<int>(i) / perRow);
        entries[i].rect =
            QRectF(layout.legend.left() + column * cellWidth,
                   layout.legend.top() + padding / 2 + row * rowHeight, cellWidth - 18, rowHeight);
    }
    area.setBottom(layout.legend.top() - 8);
}

}  // namespace

std::vector<ChartPieSlice> pieSlices(const ChartSeries& series, std::size_t points)
{
    std::vector<ChartPieSlice> slices;
    double total = 0;
    for (std::size_t point = 0; point < points; ++point) {
        const double value = series.y(point);
        if (!isChartNull(value) && value > 0)
            total += value;
    }
    if (!(total > 0) || !std::isfinite(total))
        return slices;
    double start = 0;
    for (std::size_t point = 0; point < points; ++point) {
        const double value = series.y(point);
        if (isChartNull(value) || !(value > 0))
            continue;
        const double span = value / total * 360;
        slices.push_back({static_cast<int>(point), start, span});
        start += span;
    }
    return slices;
}

ChartRenderer::ChartRenderer()
{
    m_font.setPixelSize(13);
}

void ChartRenderer::setFont(const QFont& font)
{
    m_font = font;
}

ChartLayout ChartRenderer::layout(const ChartData& data, const ChartView& view, QSize size) const
{
    const ChartFonts fonts(m_font);
    ChartLayout layout;
    layout.bounds = QRectF(0, 0, size.width(), size.height());
    const double width = layout.bounds.width();
    double top = kChartMargin;
    if (!data.title.isEmpty()) {
        const double height = QFontMetricsF(fonts.title).height();
        layout.title = QRectF(kChartMargin, top, width - 2 * kChartMargin, height);
        top += height + 2;
    }
    if (!data.subtitle.isEmpty()) {
        const double height = QFontMetricsF(fonts.subtitle).height();
        layout.subtitle = QRectF(kChartMargin, top, width - 2 * kChartMargin, height);
        top += height;
    }
    if (!data.title.isEmpty() || !data.subtitle.isEmpty())
        top += 10;
    QRectF area(kChartMargin, top, width - 2 * kChartMargin,
                layout.bounds.height() - top - kChartMargin);
    layout.legendEntries = legendEntries(data);
    placeLegend(layout, fonts, area);
    baseRanges(data, layout.base);

    switch (data.kind()) {
    case ChartKind::Graph2D: {
        const QFontMetricsF tick(fonts.tick);
        const QFontMetricsF axis(fonts.axis);
        const double yTitle = data.axisTitle[1].isEmpty() ? 0 : axis.height() + 6;
        const double xTitle = data.axisTitle[0].isEmpty() ? 0 : axis.height() + 4;
        const int xLines = data.xAxisKind() == XAxisKind::DateTime ? 2 : 1;
        const double xLabels = xLines * tick.height() + kTickLength + 4;
        // The Y labels' width depends on the ticks, which depend on the plot's height:
        // measure the labels of a first guess, then place the plot.
        QRectF plot =
            area.adjusted(yTitle + 40, tick.height() / 2, -tick.height(), -(xLabels + xTitle));
        Projection2D guess(layout.base[0], layout.base[1], view, plot, data.equalScale);
        const auto yGuess =
            yTicksOf(data, guess.visibleY(), std::max(2, int(plot.height() / kYTickPitch)));
        const double yLabels = widestLabel(tick, yGuess) + kTickLength + 5;
        plot.setLeft(area.left() + yTitle + yLabels);
        // Room on the right for half of the last X label.
        plot.setRight(area.right() - std::max(tick.height(), 0.0));
        if (plot.width() < 10 || plot.height() < 10)
            plot = QRectF(area.topLeft(),
                          QSizeF(std::max(area.width(), 10.0), std::max(area.height(), 10.0)));
        layout.plot = plot;
        layout.projection2D =
            Projection2D(layout.base[0], layout.base[1], view, plot, data.equalScale);
        const AxisRange vx = layout.projection2D.visibleX();
        const AxisRange vy = layout.projection2D.visibleY();
        layout.yTicks = yTicksOf(data, vy, std::max(2, int(plot.height() / kYTickPitch)));
        int maxTicks = std::max(2, static_cast<int>(plot.width() / 70));
        layout.xTicks = xTicksOf(data, vx, maxTicks);
        // Fewer ticks while their labels would touch.
        for (int tries = 0; tries < 6 && layout.xTicks.size() > 2; ++tries) {
            const double widest = widestLabel(tick, layout.xTicks);
            if (static_cast<double>(layout.xTicks.size()) * (widest + kXLabelGap) <= plot.width())
                break;
            maxTicks = std::max(2, static_cast<int>(plot.width() / (widest + kXLabelGap)));
            const auto fewer = xTicksOf(data, vx, maxTicks);
            if (fewer.size() >= layout.xTicks.size())
                maxTicks = std::max(2, maxTicks - 1);
            layout.xTicks = xTicksOf(data, vx, maxTicks);
        }
        break;
    }
    case ChartKind::Chart3D:
        layout.plot = area;
        layout.projection3D =
            Projection3D(layout.base[0], layout.base[1], layout.base[2], view, area,
                         boxSides(data, layout.base),
                         data.style3D() == Chart3DStyle::Bars ? Projection3D::Fit::Box
                                                              : Projection3D::Fit::Sphere);
        break;
    case ChartKind::Pie: {
        layout.plot = area;
        const int count = std::max(data.seriesCount(), 0);
        if (count == 0)
            break;
        const int columns = static_cast<int>(std::ceil(std::sqrt(double(count))));
        const int rows = (count + columns - 1) / columns;
        const double labelHeight = count > 1 || !data.series(0).label.isEmpty()
                                       ? QFontMetricsF(fonts.axis).height() + 6
                                       : 0;
        const double cellWidth = area.width() / columns;
        const double cellHeight = area.height() / rows;
        for (int s = 0; s < count; ++s) {
            const QRectF cell(area.left() + (s % columns) * cellWidth,
                              area.top() + (s / columns) * cellHeight, cellWidth, cellHeight);
            PieFrame frame;
            frame.series = s;
            frame.radius =
                std::max(4.0, std::min(cell.width(), cell.height() - labelHeight) / 2 * 0.88);
            frame.centre =
                QPointF(cell.center().x(), cell.top() + (cell.height() - labelHeight) / 2);
            frame.labelRect = QRectF(cell.left(), frame.centre.y() + frame.radius + 4,
                                     cell.width(), labelHeight);
            layout.pies.push_back(frame);
        }
        break;
    }
    }
    return layout;
}

const Polylines& ChartRenderer::geometryOf(const ChartData& data, int series,
                                           const ChartLayout& layout, double density)
{
    SeriesGeometry& geometry = m_geometry[static_cast<std::size_t>(series)];
    // A little beyond the plot, so that a line crossing its edge is cut by the painter's
    // clip (at the exact edge) and not ended short of it.
    const QRectF plot(layout.plot.topLeft() * density, layout.plot.size() * density);
    const QRectF clip = plot.adjusted(-3, -3, 3, 3);
    if (data.kind() == ChartKind::Chart3D) {
        return geometry.update(
            data.series(series),
            density == 1 ? layout.projection3D : layout.projection3D.scaled(density), clip);
    }
    return geometry.update(
        data.series(series),
        density == 1 ? layout.projection2D : layout.projection2D.scaled(density), clip);
}

void ChartRenderer::paint(QPainter& painter, QSize size, const ChartData& data,
                          const ChartView& view)
{
    const ChartLayout layout = this->layout(data, view, size);
    painter.save();
    const Backdrop backdrop(data, layout.bounds.height());
    painter.fillRect(layout.bounds, backdrop.brush());
    switch (data.kind()) {
    case ChartKind::Graph2D:
        paintGraph(painter, data, layout);
        break;
    case ChartKind::Chart3D:
        if (data.style3D() == Chart3DStyle::Bars)
            paintBars(painter, data, layout);
        else
            paint3D(painter, data, layout);
        break;
    case ChartKind::Pie:
        paintPies(painter, data, layout);
        break;
    }
    paintTexts(painter, data, layout);
    painter.restore();
}

void ChartRenderer::paintSeriesLine(QPainter& painter, const ChartData& data, int series,
                                    const Polylines& lines, double density)
{
    QPen pen = seriesPen(data, series);
    pen.setWidthF(pen.widthF() * density);
    painter.setPen(pen);
    for (std::size_t i = 0; i < lines.count(); ++i) {
        const std::size_t begin = lines.begin(i), end = lines.end(i);
        if (end - begin >= 2)
            painter.drawPolyline(lines.points.data() + begin, static_cast<int>(end - begin));
    }
}

// On a raster device the lines are drawn into a layer of the plot's device pixels, laid
// over the plot at the end (over is over, whether a line is laid on the plot or on a
// layer that is). Solid opaque lines of a pixel, which are all that a series of many
// points is drawn with, go straight into the layer's pixels on every core; the others
// through a painter on the layer, in their turn.
void ChartRenderer::paintLinesInLayer(QPainter& painter, const ChartData& data,
                                      const ChartLayout& layout, double density)
{
    const QRectF plot(layout.plot.topLeft() * density, layout.plot.size() * density);
    const QRect pixels = plot.toAlignedRect();
    if (pixels.isEmpty())
        return;
    QImage layer(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    // The pixels whose centres lie in the plot, as the painter's clip has them.
    const auto centreIn = [](double edge) { return static_cast<int>(std::ceil(edge - 0.5)); };
    const QRect clip = QRect(QPoint(centreIn(plot.left()), centreIn(plot.top())),
                             QPoint(centreIn(plot.right()) - 1, centreIn(plot.bottom()) - 1))
                           .translated(-pixels.topLeft());

    for (int s = 0; s < data.seriesCount(); ++s) {
        const Polylines& lines = geometryOf(data, s, layout, density);
        const QPen pen = seriesPen(data, s);
        if (pen.style() == Qt::SolidLine && pen.widthF() * density <= 1 &&
            pen.color().alpha() == 255) {
            const ThinLineSeries thin[] = {{&lines, pen.color().rgb()}};
            drawThinLines(layer, pixels.topLeft(), clip, thin, thinLineBands(lines.points.size()));
        } else {
            QPainter onLayer(&layer);
            onLayer.translate(-pixels.topLeft());
            onLayer.setClipRect(plot);
            onLayer.setRenderHint(QPainter::Antialiasing, true);
            paintSeriesLine(onLayer, data, s, lines, density);
        }
        // Drawn one by one, a series' form can go before the next is built.
        if (!m_keepsGeometry)
            m_geometry[static_cast<std::size_t>(s)] = SeriesGeometry();
    }
    layer.setDevicePixelRatio(density);
    painter.drawImage(QPointF(pixels.topLeft()) / density, layer);
}

void ChartRenderer::paintSeriesLines(QPainter& painter, const ChartData& data,
                                     const ChartLayout& layout)
{
    painter.save();
    painter.setClipRect(layout.plot);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    // On a high-density screen the points are reduced per device pixel, not per layout
    // pixel, so that no extreme a device pixel shows is dropped.
    const double density = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // One drawn form per series; those of series that are gone are let go.
    m_geometry.resize(static_cast<std::size_t>(data.seriesCount()));
    const bool raster = m_paintsLinesDirectly && painter.paintEngine() &&
                        painter.paintEngine()->type() == QPaintEngine::Raster &&
                        painter.worldTransform().isIdentity() && painter.opacity() == 1 &&
                        painter.compositionMode() == QPainter::CompositionMode_SourceOver;
    if (raster) {
        paintLinesInLayer(painter, data, layout, density);
    } else {
        if (density != 1)
            painter.scale(1 / density, 1 / density);
        for (int s = 0; s < data.seriesCount(); ++s) {
            paintSeriesLine(painter, data, s, geometryOf(data, s, layout, density), density);
            if (!m_keepsGeometry)
                m_geometry[static_cast<std::size_t>(s)] = SeriesGeometry();
        }
        if (density != 1)
            painter.scale(density, density);
    }
    for (int s = 0; s < data.seriesCount(); ++s) {
        const ChartSeries& series = data.series(s);
        if (!series.markers || series.size() > kMarkersUpTo)
            continue;
        painter.setPen(QPen(data.background, 1.2));
        painter.setBrush(data.seriesColor(s));
        for (std::size_t point = 0; point < series.size(); ++point) {
            if (series.isNull(point))
                continue;
            const QPointF at =
                data.kind() == ChartKind::Chart3D
                    ? layout.projection3D.map(series.x(point), series.y(point), series.z(point))
                    : layout.projection2D.map(series.x(point), series.y(point));
            if (layout.plot.contains(at))
                painter.drawEllipse(at, kMarkerRadius, kMarkerRadius);
        }
    }
    painter.restore();
}

void ChartRenderer::paintGraph(QPainter& painter, const ChartData& data, const ChartLayout& layout)
{
    const ChartFonts fonts(m_font);
    const Backdrop backdrop(data, layout.bounds.height());
    const QRectF plot = layout.plot;
    const Projection2D& p = layout.projection2D;
    painter.fillRect(plot, faded(data.textColor, 8));

    // The grid on whole pixels, so that its thin lines stay crisp.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(backdrop.pen(0.14));
    for (const AxisTick& tick : layout.xTicks) {
        const double x = std::floor(p.map(tick.value, 0).x()) + 0.5;
        if (x >= plot.left() && x <= plot.right())
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    for (const AxisTick& tick : layout.yTicks) {
        const double y = std::floor(p.map(0, tick.value).y()) + 0.5;
        if (y >= plot.top() && y <= plot.bottom())
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }

    paintSeriesLines(painter, data, layout);

    // Axes, ticks and their labels.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPen axisPen = backdrop.pen(0.6);
    painter.setPen(axisPen);
    const double left = std::floor(plot.left()) + 0.5, bottom = std::floor(plot.bottom()) + 0.5;
    painter.drawLine(QPointF(left, plot.top()), QPointF(left, bottom));
    painter.drawLine(QPointF(left, bottom), QPointF(plot.right(), bottom));
    painter.setFont(fonts.tick);
    const QFontMetricsF tickMetrics(fonts.tick);
    for (const AxisTick& tick : layout.yTicks) {
        const double y = std::floor(p.map(0, tick.value).y()) + 0.5;
        if (y < plot.top() - 0.5 || y > plot.bottom() + 0.5)
            continue;
        painter.setPen(axisPen);
        painter.drawLine(QPointF(left - kTickLength, y), QPointF(left, y));
        painter.setPen(data.textColor);
        const QRectF box(layout.bounds.left(), y - tickMetrics.height() / 2,
                         left - kTickLength - 4 - layout.bounds.left(), tickMetrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, tick.label);
    }
    for (const AxisTick& tick : layout.xTicks) {
        const double x = std::floor(p.map(tick.value, 0).x()) + 0.5;
        if (x < plot.left() - 0.5 || x > plot.right() + 0.5)
            continue;
        painter.setPen(axisPen);
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + kTickLength));
        painter.setPen(data.textColor);
        const QSizeF size = labelSize(tickMetrics, tick.label);
        // Kept inside the chart: the first and last labels shift in rather than be cut.
        const double labelLeft = std::clamp(x - size.width() / 2, layout.bounds.left() + 2,
                                            layout.bounds.right() - 2 - size.width());
        painter.drawText(QRectF(labelLeft, bottom + kTickLength + 3, size.width(), size.height()),
                         Qt::AlignHCenter | Qt::AlignTop, tick.label);
    }
    painter.setFont(fonts.axis);
    painter.setPen(data.textColor);
    const QFontMetricsF axisMetrics(fonts.axis);
    if (!data.axisTitle[0].isEmpty()) {
        const int lines = data.xAxisKind() == XAxisKind::DateTime ? 2 : 1;
        const double y = bottom + kTickLength + 5 + lines * tickMetrics.height();
        painter.drawText(QRectF(plot.left(), y, plot.width(), axisMetrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, data.axisTitle[0]);
    }
    if (!data.axisTitle[1].isEmpty()) {
        painter.save();
        painter.translate(kChartMargin, plot.center().y());
        painter.rotate(-90);
        painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), axisMetrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, data.axisTitle[1]);
        painter.restore();
    }
}

void ChartRenderer::paintPies(QPainter& painter, const ChartData& data, const ChartLayout& layout)
{
    const ChartFonts fonts(m_font);
    const Backdrop backdrop(data, layout.bounds.height());
    painter.setRenderHint(QPainter::Antialiasing, true);
    const std::size_t points = pieSliceCount(data);
    for (const PieFrame& frame : layout.pies) {
        const QRectF rect(frame.centre - QPointF(frame.radius, frame.radius),
                          QSizeF(2 * frame.radius, 2 * frame.radius));
        const auto slices = pieSlices(data.series(frame.series), points);
        if (slices.empty()) {
            QPen dashed = backdrop.pen(0.3, 1);
            dashed.setStyle(Qt::DashLine);
            painter.setPen(dashed);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(rect);
        }
        // A thin rim of the background between slices keeps neighbours apart.
        painter.setPen(QPen(data.background, std::max(1.0, frame.radius / 90)));
        for (const ChartPieSlice& slice : slices) {
            painter.setBrush(data.pointColor(slice.point));
            // Qt counts sixteenths of a degree anticlockwise from three o'clock.
            const double qtStart = 90 - slice.start - slice.span;
            if (slice.span >= 360 - 1e-9)
                painter.drawEllipse(rect);
            else
                painter.drawPie(rect, static_cast<int>(std::lround(qtStart * 16)),
                                static_cast<int>(std::lround(slice.span * 16)));
        }
        QFont percentFont = fonts.legend;
        percentFont.setWeight(QFont::DemiBold);
        painter.setFont(percentFont);
        const QFontMetricsF percentMetrics(percentFont);
        for (const ChartPieSlice& slice : slices) {
            if (slice.span < kPieLabelSpan)
                continue;
            const QString text =
                QString::number(slice.span / 3.6, 'f', slice.span < 36 ? 1 : 0) + '%';
            // A label wider than its slice's arc would run into the next slice's label.
            const double arc = slice.span / kDegrees * frame.radius * 0.66;
            if (arc < percentMetrics.horizontalAdvance(text))
                continue;
            const double middle = (slice.start + slice.span / 2) / kDegrees;
            const QPointF at =
                frame.centre + QPointF(std::sin(middle), -std::cos(middle)) * frame.radius * 0.66;
            const QColor fill = data.pointColor(slice.point);
            painter.setPen(isDark(fill) ? QColor(Qt::white) : QColor(0x20, 0x20, 0x20));
            painter.drawText(QRectF(at - QPointF(40, 12), QSizeF(80, 24)), Qt::AlignCenter, text);
        }
        if (frame.labelRect.height() > 0) {
            painter.setFont(fonts.axis);
            painter.setPen(data.textColor);
            painter.drawText(frame.labelRect, Qt::AlignHCenter | Qt::AlignTop,
                             seriesName(data, frame.series));
        }
    }
}

void ChartRenderer::paintTexts(QPainter& painter, const ChartData& data, const ChartLayout& layout)
{
    const ChartFonts fonts(m_font);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (!layout.title.isEmpty()) {
        painter.setFont(fonts.title);
        painter.setPen(data.textColor);
        painter.drawText(layout.title, Qt::AlignCenter,
                         QFontMetricsF(fonts.title)
                             .elidedText(data.title, Qt::ElideRight, layout.title.width()));
    }
    if (!layout.subtitle.isEmpty()) {
        painter.setFont(fonts.subtitle);
        painter.setPen(mix(data.textColor, data.background, 0.3));
        painter.drawText(layout.subtitle, Qt::AlignCenter,
                         QFontMetricsF(fonts.subtitle)
                             .elidedText(data.subtitle, Qt::ElideMiddle, layout.subtitle.width()));
    }
    if (layout.legendEntries.empty())
        return;
    const Backdrop backdrop(data, layout.bounds.height());
    painter.setPen(backdrop.pen(0.18, 1));
    painter.setBrush(faded(data.textColor, 6));
    painter.drawRoundedRect(layout.legend.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setFont(fonts.legend);
    const QFontMetricsF metrics(fonts.legend);
    const bool swatches = data.kind() == ChartKind::Pie || (data.kind() == ChartKind::Chart3D &&
                                                            data.style3D() == Chart3DStyle::Bars);
    for (const LegendEntry& entry : layout.legendEntries) {
        const QRectF rect = entry.rect;
        const double middle = rect.center().y();
        if (swatches) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(entry.color);
            painter.drawRoundedRect(QRectF(rect.left() + 6, middle - 6, 14, 12), 2, 2);
        } else {
            // A wide series (a time bar) shows a sample that stays inside its row.
            constexpr double kWidestSample = 8;
            QPen pen = seriesPen(data, entry.series);
            pen.setWidthF(std::clamp(pen.widthF(), 2.0, kWidestSample));
            painter.setPen(pen);
            painter.drawLine(QPointF(rect.left() + 2, middle),
                             QPointF(rect.left() + kLegendSample - 2, middle));
        }
        painter.setPen(data.textColor);
        const QRectF text(rect.left() + kLegendSample + 6, rect.top(),
                          rect.width() - kLegendSample - 6, rect.height());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(entry.text, Qt::ElideRight, text.width()));
    }
}

ChartHit ChartRenderer::hitTest(const ChartData& data, const ChartView& view, QSize size,
                                QPointF pixel)
{
    const ChartLayout layout = this->layout(data, view, size);
    for (const LegendEntry& entry : layout.legendEntries) {
        if (entry.rect.contains(pixel)) {
            return entry.series >= 0 ? ChartHit{ChartHit::Target::Series, entry.series, -1}
                                     : ChartHit{ChartHit::Target::Category, -1, entry.point};
        }
    }
    switch (data.kind()) {
    case ChartKind::Graph2D:
        return hitPoint(data, layout, pixel);
    case ChartKind::Chart3D:
        return data.style3D() == Chart3DStyle::Lines ? hitPoint(data, layout, pixel)
                                                     : hitBar(data, layout, pixel);
    case ChartKind::Pie: {
        const std::size_t points = pieSliceCount(data);
        for (const PieFrame& frame : layout.pies) {
            const QPointF d = pixel - frame.centre;
            if (std::hypot(d.x(), d.y()) > frame.radius)
                continue;
            // Clockwise from twelve o'clock: screen y grows downwards.
            double angle = std::atan2(d.x(), -d.y()) * kDegrees;
            if (angle < 0)
                angle += 360;
            for (const ChartPieSlice& slice : pieSlices(data.series(frame.series), points)) {
                if (angle >= slice.start && angle < slice.start + slice.span)
                    return {ChartHit::Target::Point, frame.series, slice.point};
            }
        }
        return {};
    }
    }
    return {};
}

// The nearest drawn point: only runs whose box comes within the radius are looked into,
// so a click on a million points reads a few runs.
ChartHit ChartRenderer::hitPoint(const ChartData& data, const ChartLayout& layout,
                                 QPointF pixel) const
{
    const bool in3D = data.kind() == ChartKind::Chart3D;
    const Projection2D& p2 = layout.projection2D;
    const Projection3D& p3 = layout.projection3D;
    const QRectF reach(pixel - QPointF(kHitRadius, kHitRadius),
                       QSizeF(2 * kHitRadius, 2 * kHitRadius));
    ChartHit best;
    double bestDistance = kHitRadius * kHitRadius;
    double bestDepth = 0;
    // Later series are drawn over earlier ones: they are looked at first and win ties.
    for (int s = data.seriesCount() - 1; s >= 0; --s) {
        const ChartSeries& series = data.series(s);
        const auto& boxes = series.runBoxes();
        for (std::size_t run = 0; run < boxes.size(); ++run) {
            const PointBox& box = boxes[run];
            if (box.empty)
                continue;
            const QRectF screen = in3D ? screenBox(box, p3) : screenBox(box, p2);
            if (screen.right() < reach.left() || screen.left() > reach.right() ||
                screen.bottom() < reach.top() || screen.top() > reach.bottom())
                continue;
            const std::size_t first = run * ChartSeries::kRunLength;
            const std::size_t last = std::min(first + ChartSeries::kRunLength, series.size());
            for (std::size_t point = first; point < last; ++point) {
                const auto [x, y, z] = series.point(point);
                if (isChartNull(x) || isChartNull(y) || isChartNull(z))
                    continue;
                const QPointF at = in3D ? p3.map(x, y, z) : p2.map(x, y);
                if (!layout.plot.contains(at))
                    continue;
                const double distance = (at.x() - pixel.x()) * (at.x() - pixel.x()) +
                                        (at.y() - pixel.y()) * (at.y() - pixel.y());
                const double depth = in3D ? p3.depth(x, y, z) : 0;
                if (distance < bestDistance ||
                    (distance == bestDistance && best.target == ChartHit::Target::Point &&
                     depth > bestDepth) ||
                    (distance == bestDistance && best.target == ChartHit::Target::Nothing)) {
                    best = {ChartHit::Target::Point, s, static_cast<int>(point)};
                    bestDistance = distance;
                    bestDepth = depth;
                }
            }
        }
    }
    return best;
}

QImage renderChart(const ChartData& data, const ChartView& view, QSize size, const QFont& font)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ChartRenderer renderer;
    renderer.setKeepsGeometry(false);
    renderer.setFont(font);
    renderer.paint(painter, image.size(), data, view);
    return image;
}

// Exports go through a QSaveFile: an existing file is replaced only by a complete one.
bool exportPng(const ChartData& data, const ChartView& view, const QString& path, QSize size,
               const QFont& font)
{
    if (size.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!renderChart(data, view, size, font).save(&file, "PNG"))
        return false;
    return file.commit();
}

bool exportSvg(const ChartData& data, const ChartView& view, const QString& path, QSize size,
               const QFont& font)
{
    if (size.isEmpty())
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(data.title);
    generator.setDescription(data.subtitle);
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    ChartRenderer renderer;
    renderer.setKeepsGeometry(false);
    renderer.setFont(font);
    renderer.paint(painter, size, data, view);
    if (!painter.end())
        return false;
    // The generator gives the size in millimetres at its resolution, which other programs
    // turn back into pixels at theirs (Qt at 90 dpi, browsers at 96): the same file had a
    // different size everywhere. Plain numbers are pixels to all of them.
    QByteArray svg = buffer.data();
    const qsizetype open = svg.indexOf("<svg");
    const qsizetype close = open < 0 ? -1 : svg.indexOf('>', open);
    if (close < 0)
        return false;
    QString root = QString::fromUtf8(svg.mid(open, close - open));
    root.replace(QRegularExpression(QStringLiteral("\\bwidth=\"[^\"]*\"")),
                 QStringLiteral("width=\"%1\"").arg(size.width()));
    root.replace(QRegularExpression(QStringLiteral("\\bheight=\"[^\"]*\"")),
                 QStringLiteral("height=\"%1\"").arg(size.height()));
    svg.replace(open, close - open, root.toUtf8());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(svg) != svg.size())
        return false;
    return file.commit();
}

}  // namespace quillon
