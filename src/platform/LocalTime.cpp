#include "platform/LocalTime.h"

#include <cstdlib>
#include <ctime>
#include <string>

namespace quillon {

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2100;

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysIn(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

std::tm localTm(std::int64_t seconds)
{
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

// mktime looks the zone up on every call (glibc even checks /etc/localtime on the disk each
// time), which was nearly all the cost of reading a shift file of 50 000 records. A zone's
// offset changes only on the hour, so the start of the hour last asked for is kept, with
// the TZ it was found under; the seconds within the hour are added to it.
struct HourStart {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = -1;
    std::optional<std::string> zone;
    std::int64_t seconds = 0;
};

bool sameZone(const std::optional<std::string>& kept, const char* zone)
{
    return zone ? kept && *kept == zone : !kept;
}

std::optional<std::int64_t> mktimeOf(const LocalDateTime& local)
{
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&tm);
    if (seconds == static_cast<std::time_t>(-1) && !(tm.tm_year == 69 && tm.tm_mon == 11))
        return std::nullopt;
    return static_cast<std::int64_t>(seconds);
}

}  // namespace

std::optional<std::int64_t> localToSeconds(const LocalDateTime& local)
{
    if (local.year < kFirstYear || local.year > kLastYear || local.month < 1 || local.month > 12 ||
        local.day < 1 || local.day > daysIn(local.year, local.month) || local.hour < 0 ||
        local.hour > 23 || local.minute < 0 || local.minute > 59 || local.second < 0 ||
        local.second > 60)
        return std::nullopt;
    thread_local HourStart last;
    const std::int64_t within = std::int64_t{local.minute} * 60 + local.second;
    const char* zone = std::getenv("TZ");
    if (last.hour == local.hour && last.day == local.day && last.month == local.month &&
        last.year == local.year && sameZone(last.zone, zone))
        return last.seconds + within;
    const auto start = mktimeOf({local.year, local.month, local.day, local.hour, 0, 0});
    if (!start)
        return mktimeOf(local);
    last = {local.year,
            local.month,
            local.day,
            local.hour,
            zone ? std::optional<std::string>(zone) : std::nullopt,
            *start};
    return *start + within;
}

LocalDateTime secondsToLocal(std::int64_t seconds)
{
    const std::tm tm = localTm(seconds);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string formatLocal(std::int64_t seconds, const char* format)
{
    const std::tm tm = localTm(seconds);
    char text[128];
    const std::size_t length = std::strftime(text, sizeof text, format, &tm);
    return std::string(text, length);
}

}  // namespace quillon
