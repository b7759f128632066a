#include "backplot/ui/PlotChart.h"

#include <memory>

#include "charting/ChartRenderer.h"
#include "platform/ui/QtColorRef.h"

namespace quillon {

namespace {

// Rapid moves dashed, the Find highlight bold over the tools' solid lines.
void styleSeries(ChartSeries& chart, SeriesKind kind)
{
    switch (kind) {
    case SeriesKind::Rapid:
        chart.lineStyle = LineStyle::Dash;
        break;
    case SeriesKind::Find:
        chart.lineStyle = LineStyle::Solid;
        chart.lineWidth = 3;
        break;
    case SeriesKind::Tool:
        chart.lineStyle = LineStyle::Solid;
        break;
    }
}

// A model's series as the chart reads it: the values come from the build's point list as
// they are drawn, and cells the model gets later (a step) are there at the next paint.
class PlotSeriesPoints final : public SeriesPoints {
public:
    PlotSeriesPoints(const PlotModel& model, std::size_t series) : m_model(model), m_series(series)
    {
    }
    std::size_t size() const override { return m_model.series()[m_series].size(); }
    ChartPoint at(std::size_t point) const override
    {
        const PlotCell cell = m_model.cellAt(m_series, point);
        if (cell.horizontal == kNullValue)
            return {kChartNull, kChartNull, kChartNull};
        return {cell.horizontal, cell.vertical, cell.depth};
    }

private:
    const PlotModel& m_model;
    std::size_t m_series;
};

}  // namespace

void fillPlotChart(ChartData& data, const PlotModel& model, const PlotColors& colors,
                   const QString& documentTitle, const std::optional<PlotAxisRanges>& ranges,
                   bool newRanges)
{
    const bool threeD = model.kind() == PlotKind::ThreeD;
    data.setKind(threeD ? ChartKind::Chart3D : ChartKind::Graph2D);
    data.setStyle3D(Chart3DStyle::Lines);
    data.clearSeries();
    for (std::size_t index = 0; index < model.series().size(); ++index) {
        const PlotSeries& series = model.series()[index];
        const QColor color = toQColor(colors.slotColors[static_cast<std::size_t>(series.slot)]);
        ChartSeries& chart = data.addSeries(QString::fromStdString(series.label), color);
        styleSeries(chart, series.kind);
        chart.show(std::make_unique<PlotSeriesPoints>(model, index));
    }
    data.title = QString::fromStdString(model.mainTitle());
    data.subtitle = documentTitle;
    const PlotAxisTitles titles = model.axisTitles();
    data.setAxisTitle(Axis::X, QString::fromStdString(titles.horizontal));
    data.setAxisTitle(Axis::Y, QString::fromStdString(titles.vertical));
    data.setAxisTitle(Axis::Z, QString::fromStdString(titles.depth));
    data.background = toQColor(colors.background);
    data.textColor = toQColor(colors.text);
    data.gradientBackground = colors.gradient;
    // A toolpath keeps its shape: one unit is as long on every axis.
    data.equalScale = true;
    if (!newRanges)
        return;
    for (const Axis axis : {Axis::X, Axis::Y, Axis::Z})
        data.clearAxisRange(axis);
    if (ranges) {
        data.setAxisRange(Axis::X, ranges->horizontal.min, ranges->horizontal.max);
        data.setAxisRange(Axis::Y, ranges->vertical.min, ranges->vertical.max);
        if (threeD)
            data.setAxisRange(Axis::Z, ranges->depth.min, ranges->depth.max);
    }
}

bool writePlotImage(const PlotModel& model, const PlotColors& colors, const QString& documentTitle,
                    const QString& path, QSize size, PlotImageFormat format)
{
    ChartData data;
    fillPlotChart(data, model, colors, documentTitle, model.axisRanges(), true);
    const ChartView view;
    return format == PlotImageFormat::Svg ? exportSvg(data, view, path, size)
                                          : exportPng(data, view, path, size);
}

}  // namespace quillon
