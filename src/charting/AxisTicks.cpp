#include "charting/AxisTicks.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quillon {

namespace {

const QDate kSerialEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86'400'000.0;
constexpr std::int64_t kSecondsPerDay = 86'400;
// QDate's Julian day of the epoch, so that day counts need no QDate arithmetic per tick.
const qint64 kEpochJulianDay = kSerialEpoch.toJulianDay();

// A step of a time axis: a number of seconds, or of months when months is set.
struct TimeStep {
    std::int64_t seconds;
    int months;
};

// Round steps of a time axis, smallest first.
constexpr TimeStep kTimeSteps[] = {
    {1, 0},     {2, 0},      {5, 0},      {10, 0},    {15, 0},    {30, 0},    // seconds
    {60, 0},    {120, 0},    {300, 0},    {600, 0},   {900, 0},   {1800, 0},  // minutes
    {3600, 0},  {7200, 0},   {10800, 0},  {21600, 0}, {43200, 0},             // hours
    {86400, 0}, {172800, 0}, {604800, 0},                                     // days, week
    {0, 1},     {0, 2},      {0, 3},      {0, 6},                             // months
    {0, 12},    {0, 24},     {0, 60},     {0, 120},   {0, 240},   {0, 600},   // years
    {0, 1200},  {0, 2400},   {0, 6000},   {0, 12000},
};

QDateTime atSecond(std::int64_t second)
{
    const std::int64_t day =
        second >= 0 ? second / kSecondsPerDay : -((-second + kSecondsPerDay - 1) / kSecondsPerDay);
    const std::int64_t inDay = second - day * kSecondsPerDay;
    return QDateTime(QDate::fromJulianDay(kEpochJulianDay + day),
                     QTime(0, 0).addSecs(static_cast<int>(inDay)), Qt::UTC);
}

std::int64_t secondOf(const QDateTime& time)
{
    return (time.date().toJulianDay() - kEpochJulianDay) * kSecondsPerDay +
           time.time().msecsSinceStartOfDay() / 1000;
}

// Labels of a time axis: the part that changes from tick to tick on the first line, and
// the date (or year) on a second line where it differs from the tick before.
std::vector<AxisTick> labelTimes(const std::vector<QDateTime>& times, const TimeStep& step)
{
    const QLocale c = QLocale::c();
    std::vector<AxisTick> ticks;
    QDate previous;
    for (const QDateTime& time : times) {
        AxisTick tick;
        tick.value = toSerialDays(time);
        const QDate date = time.date();
        if (step.months >= 12) {
            tick.label = QString::number(date.year());
        } else if (step.months > 0) {
            tick.label = c.toString(date, QStringLiteral("MMM"));
            if (!previous.isValid() || previous.year() != date.year())
                tick.label += '\n' + QString::number(date.year());
        } else if (step.seconds >= kSecondsPerDay) {
            tick.label = c.toString(date, QStringLiteral("d MMM"));
            if (!previous.isValid() || previous.year() != date.year())
                tick.label += '\n' + QString::number(date.year());
        } else {
            tick.label = c.toString(time.time(), step.seconds < 60 ? QStringLiteral("HH:mm:ss")
                                                                   : QStringLiteral("HH:mm"));
            if (!previous.isValid() || previous != date)
                tick.label += '\n' + c.toString(date, QStringLiteral("d MMM yyyy"));
        }
        previous = date;
        ticks.push_back(tick);
    }
    return ticks;
}

}  // namespace

double toSerialDays(QDate date, QTime time)
{
    return static_cast<double>(kSerialEpoch.daysTo(date)) +
           (time.isValid() ? time.msecsSinceStartOfDay() / kMsPerDay : 0.0);
}

double toSerialDays(const QDateTime& time)
{
    return toSerialDays(time.date(), time.time());
}

QDateTime fromSerialDays(double days)
{
    // The years 1 to 9999, in days from the epoch.
    constexpr double kFirst = -693'593, kLast = 2'958'465;
    if (!std::isfinite(days) || days < kFirst || days > kLast)
        return {};
    const auto ms = static_cast<std::int64_t>(std::llround(days * kMsPerDay));
    const auto msPerDay = static_cast<std::int64_t>(kMsPerDay);
    const std::int64_t day = ms >= 0 ? ms / msPerDay : -((-ms + msPerDay - 1) / msPerDay);
    const auto inDay = static_cast<int>(ms - day * msPerDay);
    return QDateTime(QDate::fromJulianDay(kEpochJulianDay + day),
                     QTime::fromMSecsSinceStartOfDay(inDay), Qt::UTC);
}

double niceStep(double span, int maxTicks)
{
    maxTicks = std::max(maxTicks, 2);
    if (!(span > 0) || !std::isfinite(span))
        return 1;
    const double rough = span / maxTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (mantissa * magnitude >= rough * (1 - 1e-9))
            return mantissa * magnitude;
    }
    return 10 * magnitude;
}

QString tickLabel(double value, double step)
{
    // Values a rounding error away from zero are zero (no "-0" and no "1e-17").
    if (std::abs(value) < step * 1e-9)
        value = 0;
    if (std::abs(value) >= 1e9 || (step < 1e-6 && value != 0))
        return QString::number(value, 'g', 6);
    // As many decimals as the step has: 25 none, 2.5 one, 0.25 two.
    int decimals = 0;
    for (double scaled = step; decimals < 12 && std::abs(scaled - std::round(scaled)) >
                                                    1e-6 * std::max(1.0, std::abs(scaled));
         scaled *= 10)
        ++decimals;
    return QString::number(value, 'f', decimals);
}

std::vector<AxisTick> numericTicks(double low, double high, int maxTicks)
{
    std::vector<AxisTick> ticks;
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low))
        return ticks;
    const double step = niceStep(high - low, maxTicks);
    const double first = std::ceil(low / step - 1e-9);
    for (double n = first;; ++n) {
        const double value = n * step;
        if (value > high + step * 1e-9 || ticks.size() > 1000)
            break;
        ticks.push_back({value, tickLabel(value, step)});
    }
    return ticks;
}

std::vector<AxisTick> dateTimeTicks(double low, double high, int maxTicks)
{
    maxTicks = std::max(maxTicks, 2);
    const QDateTime lowTime = fromSerialDays(low);
    const QDateTime highTime = fromSerialDays(high);
    if (!lowTime.isValid() || !highTime.isValid() || !(high > low))
        return {};
    const double spanSeconds = (high - low) * kSecondsPerDay;
    const TimeStep* step = &kTimeSteps[std::size(kTimeSteps) - 1];
    for (const TimeStep& candidate : kTimeSteps) {
        const double seconds = candidate.months > 0 ? candidate.months * 30.44 * kSecondsPerDay
                                                    : static_cast<double>(candidate.seconds);
        if (spanSeconds / seconds <= maxTicks) {
            step = &candidate;
            break;
        }
    }
    std::vector<QDateTime> times;
    const std::int64_t lowSecond =
        static_cast<std::int64_t>(std::ceil(low * kSecondsPerDay - 1e-6));
    const std::int64_t highSecond =
        static_cast<std::int64_t>(std::floor(high * kSecondsPerDay + 1e-6));
    if (step->months == 0) {
        // Days count from the epoch, a Saturday: weeks start two days later, on Mondays.
        const std::int64_t offset = step->seconds == 604800 ? 2 * kSecondsPerDay : 0;
        const std::int64_t size = step->seconds;
        std::int64_t second = lowSecond - offset;
        second = (second >= 0 ? (second + size - 1) / size : -(-second / size)) * size + offset;
        for (; second <= highSecond && times.size() <= 1000; second += size)
            times.push_back(atSecond(second));
    } else {
        const QDate lowDate = atSecond(lowSecond).date();
        // Month numbers from year 0 on, so that steps of months and years line up with
        // January and with round years.
        int month = lowDate.year() * 12 + lowDate.month() - 1;
        if (lowDate.day() != 1 || atSecond(lowSecond).time() != QTime(0, 0))
            ++month;
        month = (month + step->months - 1) / step->months * step->months;
        for (;; month += step->months) {
            const QDateTime time(QDate(month / 12, month % 12 + 1, 1), QTime(0, 0), Qt::UTC);
            if (!time.isValid() || secondOf(time) > highSecond || times.size() > 1000)
                break;
            times.push_back(time);
        }
    }
    return labelTimes(times, *step);
}

}  // namespace quillon
