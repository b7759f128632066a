#include "monitoring/ui/OeeCharts.h"

#include <QDate>
#include <QTime>

#include <algorithm>

#include "charting/AxisTicks.h"
#include "charting/ChartData.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// Up to this many points a series shows a dot on each: one machine's first shifts of the
// year are a handful of points, which a line alone would hardly show (a single point not
// at all).
constexpr std::size_t kMarkersUpTo = 100;

constexpr double kMinutesPerDay = 1440;

}  // namespace

QColor oeeMeasureColor(OeeMeasure measure)
{
    switch (measure) {
    case OeeMeasure::Availability:
        return QColor(30, 80, 230);
    case OeeMeasure::Performance:
        // Pure yellow all but vanishes on white; this one still says yellow.
        return QColor(225, 175, 0);
    case OeeMeasure::Quality:
        return QColor(0, 175, 205);
    case OeeMeasure::Oee:
        return QColor(0, 150, 40);
    }
    return {};
}

QString machineOeeTitle(std::string_view machine)
{
    return fromBytes(std::string(machine) + std::string(kMachineOeeTitleSuffix));
}

std::vector<double> oeeSerialDays(const OeeSeries& series)
{
    const LocalDateTime& origin = series.origin;
    const double start =
        toSerialDays(QDate(origin.year, origin.month, origin.day),
                     QTime(origin.hour, origin.minute, std::min(origin.second, 59)));
    std::vector<double> days;
    days.reserve(series.size());
    for (const double minutes : series.minutes)
        days.push_back(start + minutes / kMinutesPerDay);
    return days;
}

void fillOeeChart(ChartData& chart, const OeeSeries& series, const QString& title, int year,
                  std::optional<OeeMeasure> alone)
{
    chart.setKind(ChartKind::Graph2D);
    chart.setXAxisKind(XAxisKind::DateTime);
    chart.clearSeries();
    chart.title = title;
    chart.subtitle =
        alone ? fromBytes(std::string(kOeeMeasureNames[static_cast<std::size_t>(*alone)]))
              : QString();
    chart.setAxisTitle(Axis::X, fromBytes(std::string(kOeeTimeAxisTitle)));
    chart.setAxisTitle(Axis::Y, fromBytes(std::string(kOeeValueAxisTitle)));
    const std::vector<double> days = oeeSerialDays(series);
    for (std::size_t index = 0; index < kOeeMeasureCount; ++index) {
        const auto measure = static_cast<OeeMeasure>(index);
        if (alone && measure != *alone)
            continue;
        ChartSeries& shown = chart.addSeries(fromBytes(std::string(kOeeMeasureNames[index])),
                                             oeeMeasureColor(measure));
        shown.markers = series.size() <= kMarkersUpTo;
        shown.assign(days, series.of(measure));
    }
    if (series.empty()) {
        chart.setAxisRange(Axis::X, toSerialDays(QDate(year, 1, 1)),
                           toSerialDays(QDate(year + 1, 1, 1)));
        chart.setAxisRange(Axis::Y, 0, 100);
    } else {
        chart.clearAxisRange(Axis::X);
        chart.clearAxisRange(Axis::Y);
    }
}

}  // namespace quillon
