// A plot model on a chart: its series with the colours and line styles of the backplot,
// its titles, colours and axis ranges. The plot windows and the command line's images
// draw the same chart.
#pragma once

#include <QSize>
#include <QString>

#include <optional>

#include "backplot/PlotColors.h"
#include "backplot/PlotModel.h"

namespace quillon {

class ChartData;

// Sets `data` up to show the model's series: the chart reads the cells from the model (and
// so from the build's point list) without a copy of its own, so the model must outlive the
// series, and cells the model gets later are drawn at the next paint. With newRanges the
// axis ranges become `ranges` (none: the chart's own from the data); else the ranges the
// chart has stay.
void fillPlotChart(ChartData& data, const PlotModel& model, const PlotColors& colors,
                   const QString& documentTitle, const std::optional<PlotAxisRanges>& ranges,
                   bool newRanges);

enum class PlotImageFormat { Png, Svg };

// The plot as a picture file of that size, ranges from the model's extents. False when the
// file could not be written.
bool writePlotImage(const PlotModel& model, const PlotColors& colors, const QString& documentTitle,
                    const QString& path, QSize size, PlotImageFormat format);

}  // namespace quillon
