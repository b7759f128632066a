// The OEE graphs as chart data, for the graph windows and for the command line's pictures:
// four series over a date-time axis, or one of them alone.
#pragma once

#include <QColor>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

#include "monitoring/OeeReport.h"

namespace quillon {

class ChartData;

// Availability blue, performance yellow, quality cyan, OEE green: deep enough shades that
// each reads as a line on the chart's white.
QColor oeeMeasureColor(OeeMeasure measure);

// The title of a machine's graph and of its window: the name + " - OEE".
QString machineOeeTitle(std::string_view machine);

// The series' X in serial days: its origin's date and time plus the minutes as 1/1440 days.
std::vector<double> oeeSerialDays(const OeeSeries& series);

// Fills the chart with the graph of the year's file: a 2D graph over a date-time X axis
// titled "Time" and "OEE %". With `alone` only that series is drawn and its name is the
// subtitle, else all four without a subtitle. A graph without points (a machine the file
// does not name) spans the year and 0 to 100 %, so that its axes still say what it is.
void fillOeeChart(ChartData& chart, const OeeSeries& series, const QString& title, int year,
                  std::optional<OeeMeasure> alone = std::nullopt);

}  // namespace quillon
