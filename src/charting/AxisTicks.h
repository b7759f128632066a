// Axis ticks at round steps with their labels, for numbers and for date-times given as
// serial days, and the conversion between calendar times and serial days.
#pragma once

#include <QDateTime>
#include <QString>

#include <vector>

namespace quillon {

// Date-time X values are serial days: whole days since 30 December 1899 (the serial date
// of spreadsheets and of the shop's report files), the time of day as the fraction, so a
// minute is 1/1440. Times are plain wall-clock times, with no time zone.
double toSerialDays(const QDateTime& time);
double toSerialDays(QDate date, QTime time = QTime(0, 0));
// The calendar time of a serial value, to the nearest millisecond; invalid when the value
// is not finite or lies outside the years 1 to 9999.
QDateTime fromSerialDays(double days);

struct AxisTick {
    double value = 0;
    // Shown under the tick; a second line (after '\n') carries a date or year where it
    // changes, so that every label of a time axis stays short.
    QString label;
};

// The largest round step (1, 2, 2.5 or 5 times a power of ten) that puts at most
// maxTicks ticks into the span.
double niceStep(double span, int maxTicks);

// A number written with just the decimals its step needs ("0.25", "12.5", "1200").
QString tickLabel(double value, double step);

// Ticks at round steps inside [low, high], at most maxTicks of them (at least two).
std::vector<AxisTick> numericTicks(double low, double high, int maxTicks);

// Ticks of a date-time axis over serial days [low, high]: steps from a second to years,
// on whole minutes, hours, days, Mondays, first days of months and of years.
std::vector<AxisTick> dateTimeTicks(double low, double high, int maxTicks);

}  // namespace quillon
