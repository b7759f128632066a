// What a chart shows: its kind, its series of points (stored ragged, each series its own
// vectors), the texts, colours and optional axis ranges, and the per-series boxes that let
// drawing and hit-testing skip whole runs of points.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quillon {

enum class ChartKind { Pie, Graph2D, Chart3D };

// A 2D graph's X values are plain numbers or serial days (see AxisTicks.h).
enum class XAxisKind { Numeric, DateTime };

// A 3D chart draws each series as a line through its (X, Y, Z) points, or each
// (series, point) value as a bar: points across X, series in depth, values up.
enum class Chart3DStyle { Lines, Bars };

enum class LineStyle { Solid, Dash, Dot, DashDot, DashDotDot };

// X across, Y up; in 3D Z is the depth.
enum class Axis { X = 0, Y = 1, Z = 2 };

// A cell holding this value is no point: a line breaks there. NaN and infinities count
// as null too, so that a bad value can never reach the drawing as a huge coordinate.
inline constexpr double kChartNull = -9999;

inline bool isChartNull(double value)
{
    return value == kChartNull || !std::isfinite(value);
}

struct AxisRange {
    double min = 0;
    double max = 1;
    double span() const { return max - min; }
    bool contains(double v) const { return v >= min && v <= max; }
    bool operator==(const AxisRange&) const = default;
};

// The box of the points of one run of a series (null cells left out).
struct PointBox {
    double min[3] = {0, 0, 0};
    double max[3] = {0, 0, 0};
    bool empty = true;

    void add(double x, double y, double z)
    {
        const double v[3] = {x, y, z};
        for (int a = 0; a < 3; ++a) {
            if (empty || v[a] < min[a])
                min[a] = v[a];
            if (empty || v[a] > max[a])
                max[a] = v[a];
        }
        empty = false;
    }
    void add(const PointBox& other);
};

struct ChartPoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

// Points a series shows from a store kept elsewhere: a big plot's points are held once,
// by their owner, and read from there as they are drawn. A store may grow between
// paints (a plot drawn point by point); it must not change the points it has already
// handed out, and it must outlive the series showing it.
class SeriesPoints {
public:
    virtual ~SeriesPoints() = default;
    virtual std::size_t size() const = 0;
    // Point i (i < size()): any coordinate kChartNull for a gap.
    virtual ChartPoint at(std::size_t point) const = 0;
};

// A series' automatic line width turns thin from this many points on (see lineWidth).
inline constexpr std::size_t kThinLineFrom = 5000;

// One series: a label, a look and its points. Y is as long as the series; X and Z are
// either absent or as long too. An absent X counts as the point's position (1, 2, 3 ...)
// so that category data needs no X; an absent Z counts as 0. A series of a million points
// costs its own vectors only: nothing is kept per point beyond the values. Or it shows
// the points of a SeriesPoints store and keeps no values at all (see show()).
class ChartSeries {
public:
    // Points are boxed in runs of this many: drawing skips runs outside the view and
    // hit-testing looks only into runs near the pointer. Small enough that the run at the
    // end is cheap to box again after an append, large enough that the boxes of a million
    // points are a few thousand.
    static constexpr std::size_t kRunLength = 512;

    ChartSeries();
    // A copy would share the identity caches know the series by.
    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;

    QString label;
    QColor color;  // invalid: the chart's palette picks one
    LineStyle lineStyle = LineStyle::Solid;
    // 0 picks the width: 2 px for a series of up to kThinLineFrom points, 1 px above,
    // where the raster engine's fast path for thin lines keeps a million points quick.
    double lineWidth = 0;
    bool markers = false;  // a dot on each point (2D graphs)
    // Listed in the legend. Off for a series that repeats another's label and colour (the
    // intervals of one state on a time bar), so that the legend names each look once.
    bool inLegend = true;

    std::size_t size() const { return m_shown ? m_shown->size() : m_size; }
    bool empty() const { return size() == 0; }

    // A point's values: kChartNull past the end or where a point was never set.
    ChartPoint point(std::size_t point) const
    {
        if (point >= size())
            return {kChartNull, kChartNull, kChartNull};
        if (m_shown)
            return m_shown->at(point);
        return {m_hasX ? m_x[point] : static_cast<double>(point + 1), m_y[point],
                m_hasZ ? m_z[point] : 0.0};
    }
    double x(std::size_t point) const { return this->point(point).x; }
    double y(std::size_t point) const { return this->point(point).y; }
    double z(std::size_t point) const { return this->point(point).z; }
    // A point is drawn when none of its coordinates is null.
    bool isNull(std::size_t point) const
    {
        const ChartPoint p = this->point(point);
        return isChartNull(p.x) || isChartNull(p.y) || isChartNull(p.z);
    }
    // A shown store counts as having both.
    bool hasX() const { return m_hasX || m_shown; }
    bool hasZ() const { return m_hasZ || m_shown; }
    // The store the series shows, if it shows one.
    const SeriesPoints* shown() const { return m_shown.get(); }
    // Shows the store's points in place of the series' own, which are let go. Any change
    // through the calls below lets the store go again, and the series starts empty.
    void show(std::unique_ptr<const SeriesPoints> points);
    // The stored values, for loops over many points: Y always as long as the series, X
    // and Z too when present, else empty (all empty while a store is shown).
    const std::vector<double>& xValues() const { return m_x; }
    const std::vector<double>& yValues() const { return m_y; }
    const std::vector<double>& zValues() const { return m_z; }

    // Sets one cell, growing the series with null points as needed. A cell past the end
    // appends; a cell of a point already there is a change, after which the next redraw
    // draws the whole series anew (step mode appends whole points instead).
    void setValue(Axis axis, std::size_t point, double value);
    // Appends one point (2D: z absent) or a gap (a null point: the line breaks).
    void append(double x, double y);
    void append(double x, double y, double z);
    void appendGap();
    // Replaces all points. X and Z may be empty (absent); a vector shorter than the
    // longest is padded with nulls.
    void assign(std::vector<double> x, std::vector<double> y, std::vector<double> z = {});
    void clear();
    void reserve(std::size_t points);

    // Changes that are not appends move this on, so that a cache built from the series
    // knows whether it may extend itself with the points past its end or must start over.
    std::uint64_t revision() const { return m_revision; }
    // Unique to each series object: caches tell series apart even when one replaced
    // another at the same index.
    std::uint64_t id() const { return m_id; }

    // The boxes of the runs of kRunLength points. Run k covers points k*L .. (k+1)*L
    // inclusive: the first point of the next run is in it, so that the box holds every
    // segment that starts in the run. Computed when asked for; after appends only the
    // last runs are boxed again.
    const std::vector<PointBox>& runBoxes() const;
    // The box of all points.
    PointBox extent() const;

private:
    void touch(std::size_t point);  // a change before the end
    void grow(std::size_t size);
    void stopShowing();

    std::vector<double> m_x;
    std::vector<double> m_y;
    std::vector<double> m_z;
    bool m_hasX = false;
    bool m_hasZ = false;
    std::size_t m_size = 0;
    std::uint64_t m_revision = 0;
    std::uint64_t m_id;
    // Boxes of runs before this one are final: the run and the point after it are set
    // and were not changed since.
    mutable std::size_t m_finalRuns = 0;
    mutable std::vector<PointBox> m_runBoxes;
    std::unique_ptr<const SeriesPoints> m_shown;
};

// The whole chart. Holds series by pointer, so a reference to a series stays valid while
// others are added or removed.
class ChartData {
public:
    explicit ChartData(ChartKind kind = ChartKind::Graph2D);

    ChartKind kind() const { return m_kind; }
    void setKind(ChartKind kind) { m_kind = kind; }
    XAxisKind xAxisKind() const { return m_xAxisKind; }
    void setXAxisKind(XAxisKind kind) { m_xAxisKind = kind; }
    Chart3DStyle style3D() const { return m_style3D; }
    void setStyle3D(Chart3DStyle style) { m_style3D = style; }

    // Texts: the title and subtitle centred on top, the axis titles, and the point labels
    // (the slices of a pie, the categories of bars and of graphs without X values).
    QString title;
    QString subtitle;
    QString axisTitle[3];
    QStringList pointLabels;
    // Y ticks at these values with these labels in place of round steps: rows that name
    // what they show (a time bar's states and rates) rather than a scale.
    std::vector<std::pair<double, QString>> yLabels;
    void setAxisTitle(Axis axis, const QString& text) { axisTitle[int(axis)] = text; }

    // Series.
    int seriesCount() const { return static_cast<int>(m_series.size()); }
    ChartSeries& series(int index) { return *m_series[static_cast<std::size_t>(index)]; }
    const ChartSeries& series(int index) const
    {
        return *m_series[static_cast<std::size_t>(index)];
    }
    ChartSeries& addSeries(const QString& label = {}, const QColor& color = {});
    // Adds or removes series at the end; new ones are empty.
    void setSeriesCount(int count);
    void removeSeries(int index);
    void clearSeries() { m_series.clear(); }
    // The most points any series has (the old model's point count).
    std::size_t maxPointCount() const;

    // The colour a series is drawn in: its own, else the palette's.
    QColor seriesColor(int index) const;
    // The colour of a pie slice: pointColors when given, else the palette's.
    QColor pointColor(int index) const;
    std::vector<QColor> pointColors;

    // Axis ranges. Without one the range comes from the data. A range given the wrong
    // way round is turned round; an empty one is widened about its value.
    void setAxisRange(Axis axis, double min, double max);
    void clearAxisRange(Axis axis) { m_range[int(axis)].reset(); }
    std::optional<AxisRange> axisRange(Axis axis) const { return m_range[int(axis)]; }
    // The data's extent on an axis over all series (nothing when no point is drawn).
    std::optional<AxisRange> dataExtent(Axis axis) const;

    // Looks.
    QColor background = QColor(255, 255, 255);
    QColor textColor = QColor(0x33, 0x33, 0x33);
    // A vertical gradient derived from the background colour behind the whole chart.
    bool gradientBackground = false;
    bool showLegend = true;
    // One data unit is as long on screen on every axis (a toolpath keeps its shape): in
    // 2D the shorter side of the view grows to match; 3D lines get a box of the data's
    // proportions instead of a cube. Bars ignore it.
    bool equalScale = false;

private:
    ChartKind m_kind;
    XAxisKind m_xAxisKind = XAxisKind::Numeric;
    Chart3DStyle m_style3D = Chart3DStyle::Lines;
    std::vector<std::unique_ptr<ChartSeries>> m_series;
    std::optional<AxisRange> m_range[3];
};

// The palette for series and slices without a colour of their own: distinct hues that
// read on light and dark backgrounds.
QColor paletteColor(int index);

// A range that is safe to divide by: turned round when given backwards, widened when
// empty.
AxisRange normalisedRange(double min, double max);

}  // namespace quillon
