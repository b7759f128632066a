// Shift record files for the tests, written the way the hub writes them: each record a
// number of seconds after the start of a day shift in the shop's zone.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "monitoring/ShiftRecord.h"

namespace quillon::test {

// 2016-05-12 06:00:00 in the shop's zone (daylight time, UTC-5); a whole 600-second step.
inline constexpr std::int64_t kShiftStart = 1463050800;

using SampleRecord = std::pair<std::int64_t, std::string>;

// The records, each line ended by a line feed.
inline std::string shiftFile(const std::vector<SampleRecord>& records)
{
    std::string bytes;
    for (const auto& [offset, event] : records)
        bytes += shiftRecordLine(kShiftStart + offset, event) + "\n";
    return bytes;
}

}  // namespace quillon::test
