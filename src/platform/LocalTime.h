// Wall-clock time of this computer's time zone, both ways. The hub stamps its records with
// the shop's local date and time; they become seconds since 1970 here, and the program's
// own stamps go the other way. The zone is the process's (TZ, else the system's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

struct LocalDateTime {
    int year = 1970;  // four digits
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;   // 0..59
    int second = 0;   // 0..59 (60 is taken as a leap second's place and kept)
};

// Seconds since 1970-01-01 00:00 UTC of a local date and time; nothing for a date or time
// that does not exist on the calendar (13/45, 25:61) or lies outside 1970..2100. The hour a
// daylight-saving change repeats or skips is resolved as the system's calendar does.
std::optional<std::int64_t> localToSeconds(const LocalDateTime& local);

LocalDateTime secondsToLocal(std::int64_t seconds);

// strftime of the local time of these seconds.
std::string formatLocal(std::int64_t seconds, const char* format);

}  // namespace quillon
