// OEE files as a shop's hub writes them over weeks or a year: machines of several kinds,
// three shifts a day, values that wander the way real ones do (availability and
// performance mostly between seventy and a hundred, quality near a hundred, OEE from the
// mid fifties to about ninety).
// Deterministic, so that pictures and figures can be compared between runs.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "monitoring/OeeReport.h"
#include "platform/LocalTime.h"

namespace quillon::test {

inline std::string oeeSampleMachine(int index)
{
    static const char* const kKinds[] = {"LATHE-", "MILL-", "HMC-", "SWISS-"};
    return kKinds[index % 4] + std::to_string(index / 4 + 1);
}

// A value between low and high that drifts slowly over the weeks, differs per machine and
// jumps a little from shift to shift.
inline double oeeSampleValue(int machine, long shift, int measure, double low, double high)
{
    const double phase = machine * 1.7 + measure * 2.3;
    const double slow = std::sin(shift * 0.07 + phase);
    // A hash of the three, so that no two shifts repeat a pattern.
    std::uint32_t hash =
        static_cast<std::uint32_t>(machine * 73856093 ^ shift * 19349663 ^ measure * 83492791);
    hash = (hash ^ (hash >> 13)) * 0x5bd1e995u;
    hash ^= hash >> 15;
    const double jump = static_cast<double>(hash % 1000) / 999.0 - 0.5;
    const double mix = 0.5 + 0.3 * slow + 0.4 * jump;
    return low + (high - low) * mix;
}

// The file's header and `days` days of lines from the first of January of the year: per
// day the three shifts (stamped 6:00, 14:00 and 22:00), per shift every machine.
inline std::string oeeSampleFile(int machines, int days, int year = 2026)
{
    std::string bytes = std::string(kOeeFileHeader) + "\r\n";
    bytes.reserve(static_cast<std::size_t>(machines) * 3 * days * 48);
    const std::int64_t start = *localToSeconds({year, 1, 1, 12, 0, 0});
    for (int day = 0; day < days; ++day) {
        LocalDateTime date = secondsToLocal(start + std::int64_t{day} * 86400);
        for (int shift = 0; shift < 3; ++shift) {
            const long shiftNumber = day * 3L + shift;
            for (int machine = 0; machine < machines; ++machine) {
                OeeLine line;
                line.machine = oeeSampleMachine(machine);
                line.time = {date.year, date.month, date.day, 6 + 8 * shift, 0, 0};
                const double availability = oeeSampleValue(machine, shiftNumber, 0, 70, 99);
                const double performance = oeeSampleValue(machine, shiftNumber, 1, 72, 98);
                const double quality = oeeSampleValue(machine, shiftNumber, 2, 94, 100);
                line.values = {availability, performance, quality,
                               availability * performance * quality / 10000};
                bytes += formatOeeLine(line);
            }
        }
    }
    return bytes;
}

}  // namespace quillon::test
