// A plot model on a chart: its series with the colours and line styles of the backplot,
// its titles, colours and axis ranges. The plot windows and the command line's images
// draw the same chart.
#pragma once

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

#include "backplot/PlotColors.h"
#include "backplot/PlotModel.h"

namespace quillon {

class ChartData;

// Fills `data` from the model's cells. With newRanges the axis ranges become `ranges`
// (none: the chart's own from the data); else the ranges the chart has stay.
void fillPlotChart(ChartData& data, const PlotModel& model, const PlotColors& colors,
                   const QString& documentTitle, const std::optional<PlotAxisRanges>& ranges,
                   bool newRanges);
// The cells the model got since the series had `sizesBefore` cells (a step's points).
void appendPlotCells(ChartData& data, const PlotModel& model,
                     const std::vector<std::size_t>& sizesBefore);

enum class PlotImageFormat { Png, Svg };

// The plot as a picture file of that size, ranges from the model's extents. False when the
// file could not be written.
bool writePlotImage(const PlotModel& model, const PlotColors& colors, const QString& documentTitle,
                    const QString& path, QSize size, PlotImageFormat format);

}  // namespace quillon
