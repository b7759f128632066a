#include "backplot/ui/PlotChart.h"

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

void appendCell(ChartSeries& chart, const PlotSeries& series, std::size_t cell, bool threeD)
{
    if (series.horizontal[cell] == kNullValue) {
        chart.appendGap();
    } else if (threeD) {
        chart.append(series.horizontal[cell], series.vertical[cell], series.depth[cell]);
    } else {
        chart.append(series.horizontal[cell], series.vertical[cell]);
    }
}

}  // namespace

void fillPlotChart(ChartData& data, const PlotModel& model, const PlotColors& colors,
                   const QString& documentTitle, const std::optional<PlotAxisRanges>& ranges,
                   bool newRanges)
{
    const bool threeD = model.kind() == PlotKind::ThreeD;
    data.setKind(threeD ? ChartKind::Chart3D : ChartKind::Graph2D);
    data.setStyle3D(Chart3DStyle::Lines);
    data.clearSeries();
    for (const PlotSeries& series : model.series()) {
        const QColor color = toQColor(colors.slotColors[static_cast<std::size_t>(series.slot)]);
        ChartSeries& chart = data.addSeries(QString::fromStdString(series.label), color);
        styleSeries(chart, series.kind);
        chart.reserve(series.size());
        for (std::size_t cell = 0; cell < series.size(); ++cell)
            appendCell(chart, series, cell, threeD);
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

void appendPlotCells(ChartData& data, const PlotModel& model,
                     const std::vector<std::size_t>& sizesBefore)
{
    const bool threeD = model.kind() == PlotKind::ThreeD;
    const auto& series = model.series();
    for (std::size_t index = 0; index < series.size() && index < sizesBefore.size(); ++index) {
        ChartSeries& chart = data.series(static_cast<int>(index));
        for (std::size_t cell = sizesBefore[index]; cell < series[index].size(); ++cell)
            appendCell(chart, series[index], cell, threeD);
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
