#include "monitoring/ui/ReportCharts.h"

#include <algorithm>
#include <numeric>

#include "charting/ChartData.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtColorRef.h"

namespace quillon {

namespace {

// Texts, point labels and colours of a chart about to be filled anew.
void startChart(ChartData& chart, ChartKind kind, const QString& title, const QString& subtitle)
{
    chart.setKind(kind);
    chart.clearSeries();
    chart.pointLabels.clear();
    chart.pointColors.clear();
    chart.yLabels.clear();
    for (const Axis axis : {Axis::X, Axis::Y, Axis::Z}) {
        chart.setAxisTitle(axis, {});
        chart.clearAxisRange(axis);
    }
    chart.title = title;
    chart.subtitle = subtitle;
}

// The statuses from front to back: the least time in front, so that the rows of tall bars
// stand behind the low ones and show above them (a status with much time, cycle on most
// often, would hide every row behind it). Equal ones keep the report's order.
std::vector<std::size_t> barRowOrder(const ReportSums& sums)
{
    std::vector<double> totals(sums.statuses.size(), 0.0);
    for (const auto& minutes : sums.minutes) {
        for (std::size_t status = 0; status < totals.size(); ++status)
            totals[status] += minutes[status];
    }
    std::vector<std::size_t> order(totals.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::stable_sort(order, {}, [&totals](std::size_t status) { return totals[status]; });
    return order;
}

// The subtitle with what the chart had no room for ("2 more statuses not shown"), so that a
// report cut to the chart's limits does not pass for the whole.
QString withLeftOut(const QString& subtitle, const ReportSums& sums)
{
    QStringList notes;
    if (sums.droppedKeys > 0) {
        const bool dates = sums.grouping == ReportGrouping::PerDate;
        notes << QString("%1 more %2 not shown")
                     .arg(sums.droppedKeys)
                     .arg(sums.droppedKeys == 1 ? (dates ? "date" : "machine")
                                                : (dates ? "dates" : "machines"));
    }
    if (sums.droppedStatuses > 0)
        notes << QString("%1 more %2 not shown")
                     .arg(sums.droppedStatuses)
                     .arg(sums.droppedStatuses == 1 ? "status" : "statuses");
    if (notes.isEmpty())
        return subtitle;
    return subtitle.isEmpty() ? notes.join(", ") : subtitle + " (" + notes.join(", ") + ")";
}

}  // namespace

QColor reportStatusColor(const std::string& status, const StatusTable& table, int index)
{
    if (const auto color = table.colorOf(status))
        return toQColor(*color);
    return paletteColor(index);
}

void fillReportBars(ChartData& chart, const ReportSums& sums, bool percent,
                    const StatusTable& table, const QString& subtitle,
                    std::optional<std::size_t> onlyStatus)
{
    startChart(chart, ChartKind::Chart3D, kReportGraphTitle, withLeftOut(subtitle, sums));
    chart.setStyle3D(Chart3DStyle::Bars);
    chart.setAxisTitle(Axis::X, "Date");
    chart.setAxisTitle(Axis::Y, percent ? "[%]" : "[min]");
    chart.setAxisTitle(Axis::Z, "Item");
    for (const std::string& key : sums.keys)
        chart.pointLabels << fromBytes(key);

    std::vector<std::vector<double>> values;
    for (std::size_t key = 0; key < sums.keys.size(); ++key)
        values.push_back(percent ? sums.percent(key) : sums.minutes[key]);
    for (const std::size_t status : barRowOrder(sums)) {
        if (onlyStatus && status != *onlyStatus)
            continue;
        const int index = static_cast<int>(status);
        ChartSeries& series =
            chart.addSeries(fromBytes(sums.statuses[status]),
                            reportStatusColor(sums.statuses[status], table, index));
        for (std::size_t key = 0; key < sums.keys.size(); ++key) {
            const double value = values[key][status];
            // A date without time in a status has no bar, rather than a flat one.
            series.append(static_cast<double>(key + 1), value > 0 ? value : kChartNull);
        }
    }
    if (percent)
        chart.setAxisRange(Axis::Y, 0, 100);
}

void fillReportPies(ChartData& chart, const ReportSums& sums, const StatusTable& table,
                    const QString& subtitle)
{
    startChart(chart, ChartKind::Pie, kReportPieTitle, withLeftOut(subtitle, sums));
    // The slices are the statuses, the same in every pie, so that one legend serves all.
    for (std::size_t status = 0; status < sums.statuses.size(); ++status) {
        chart.pointLabels << fromBytes(sums.statuses[status]);
        chart.pointColors.push_back(
            reportStatusColor(sums.statuses[status], table, static_cast<int>(status)));
    }
    for (std::size_t key = 0; key < sums.keys.size(); ++key) {
        ChartSeries& pie = chart.addSeries(fromBytes(sums.pieLabel(key)));
        for (std::size_t status = 0; status < sums.statuses.size(); ++status)
            pie.append(static_cast<double>(status + 1), sums.minutes[key][status]);
    }
}

void fillReportChart(ChartData& chart, ReportKind kind, const ReportSums& sums, bool percent,
                     const StatusTable& table, const QString& subtitle)
{
    switch (kind) {
    case ReportKind::Graph:
        fillReportBars(chart, sums, percent, table, subtitle);
        return;
    case ReportKind::PiePerDate:
    case ReportKind::PiePerMachine:
        fillReportPies(chart, sums, table, subtitle);
        return;
    case ReportKind::None:
        return;
    }
}

}  // namespace quillon
