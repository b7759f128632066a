// Draws a ChartData as seen through a ChartView into any QPainter at a given size (a
// widget, a QImage, an SVG file), and answers what lies under a pixel. It is no widget:
// the chart widget paints through it, and so can a command-line tool without a display.
#pragma once

#include <QFont>
#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

#include "charting/AxisTicks.h"
#include "charting/ChartData.h"
#include "charting/ChartView.h"
#include "charting/SeriesGeometry.h"

class QPainter;

namespace quillon {

// What a click hit.
struct ChartHit {
    enum class Target {
        Nothing,
        Point,     // a drawn point of a line, a bar or a pie slice: series and point
        Series,    // a series' legend entry: series
        Category,  // a pie legend entry (a slice label): point
    };
    Target target = Target::Nothing;
    int series = -1;
    int point = -1;
    bool operator==(const ChartHit&) const = default;
};

// A pie slice, clockwise from twelve o'clock, in degrees.
struct ChartPieSlice {
    int point = 0;
    double start = 0;
    double span = 0;
};

// The slices of a series' pie: one per point with a positive value, in point order.
// Null, negative and zero values get no slice.
std::vector<ChartPieSlice> pieSlices(const ChartSeries& series, std::size_t points);

struct LegendEntry {
    QRectF rect;  // the whole entry, sample and text: what a click hits
    int series = -1;
    int point = -1;  // pie legends list points
    QString text;
    QColor color;
    LineStyle style = LineStyle::Solid;
};

struct PieFrame {
    int series = 0;
    QPointF centre;
    double radius = 0;
    QRectF labelRect;
};

// Where everything goes at one size: computed once per paint and used again by the hit
// test, so that what is clicked is what was drawn.
struct ChartLayout {
    QRectF bounds;
    QRectF title, subtitle;
    QRectF plot;  // 2D: the axes' inside; 3D and pie: the area the picture fits into
    QRectF legend;
    std::vector<LegendEntry> legendEntries;
    // The axes' full ranges (given, else from the data); the view picks a part of them.
    AxisRange base[3];
    std::vector<AxisTick> xTicks, yTicks;
    Projection2D projection2D;
    Projection3D projection3D;
    std::vector<PieFrame> pies;
};

class ChartRenderer {
public:
    ChartRenderer();

    // The font all texts derive from (titles larger, ticks smaller). Sizes are taken in
    // pixels, so that a chart laid out for the screen, a PNG and an SVG looks the same.
    void setFont(const QFont& font);
    QFont font() const { return m_font; }

    ChartLayout layout(const ChartData& data, const ChartView& view, QSize size) const;
    void paint(QPainter& painter, QSize size, const ChartData& data, const ChartView& view);
    // The drawn point nearest to the pixel within kHitRadius, the legend entry under it,
    // the bar or slice under it, or nothing.
    ChartHit hitTest(const ChartData& data, const ChartView& view, QSize size, QPointF pixel);

    // Drops the drawn forms kept between paints (the next paint builds them afresh).
    void clearCaches() { m_geometry.clear(); }
    // Whether the drawn forms are kept for the next paint (a widget's, on). A renderer
    // that paints once, for a picture file, lets each go as soon as it is drawn: the form
    // of a series whose points are pixels apart is as big as the points.
    void setKeepsGeometry(bool keeps) { m_keepsGeometry = keeps; }
    // On a raster device, one-pixel solid lines are written into the pixels on every core
    // (see ThinLines.h); off, the painter draws every line, as on other devices. On unless
    // a picture is wanted for comparison.
    void setPaintsLinesDirectly(bool directly) { m_paintsLinesDirectly = directly; }

    // How far from a point a click still hits it, in pixels.
    static constexpr double kHitRadius = 6;

private:
    // The series' polylines under the layout's projection, in device pixels (`density`
    // of them to a layout pixel).
    const Polylines& geometryOf(const ChartData& data, int series, const ChartLayout& layout,
                                double density);

    void paintGraph(QPainter& painter, const ChartData& data, const ChartLayout& layout);
    void paint3D(QPainter& painter, const ChartData& data, const ChartLayout& layout);
    void paintBars(QPainter& painter, const ChartData& data, const ChartLayout& layout);
    void paintPies(QPainter& painter, const ChartData& data, const ChartLayout& layout);
    void paintSeriesLines(QPainter& painter, const ChartData& data, const ChartLayout& layout);
    void paintLinesInLayer(QPainter& painter, const ChartData& data, const ChartLayout& layout,
                           double density);
    void paintSeriesLine(QPainter& painter, const ChartData& data, int series,
                         const Polylines& lines, double density);
    void paintTexts(QPainter& painter, const ChartData& data, const ChartLayout& layout);

    ChartHit hitPoint(const ChartData& data, const ChartLayout& layout, QPointF pixel) const;
    ChartHit hitBar(const ChartData& data, const ChartLayout& layout, QPointF pixel) const;

    QFont m_font;
    std::vector<SeriesGeometry> m_geometry;
    bool m_keepsGeometry = true;
    bool m_paintsLinesDirectly = true;
};

// The chart drawn into an image of that size. Like every drawing of text these need a
// QGuiApplication (the offscreen platform will do for a tool without a display).
QImage renderChart(const ChartData& data, const ChartView& view, QSize size,
                   const QFont& font = QFont());
// The chart written as a PNG or an SVG file of that size; false when the file could not
// be written.
bool exportPng(const ChartData& data, const ChartView& view, const QString& path, QSize size,
               const QFont& font = QFont());
bool exportSvg(const ChartData& data, const ChartView& view, const QString& path, QSize size,
               const QFont& font = QFont());

}  // namespace quillon
