// The two station files of a two-station machine merged into one record file, so that the
// machine's shift graph shows it "1&2": cycling while either station cycles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The records of both stations in time order (a tie goes to station 2), each line ended by
// CR LF; lines that are no record are left out. A station's "_COFF" is left out while the
// other station cycles, and the "_COFF" records that follow a status of the same station
// are left out until another kind comes. With closeAt (the current shift) a station whose
// file ends is taken to go on with one "_COFF" at that time, so that it does not stay in
// cycle in the merged graph.
std::string mergeStationRecords(std::string_view station1, std::string_view station2,
                                std::optional<std::int64_t> closeAt);

// What mergeStationFiles reports when the output cannot be written.
inline constexpr std::string_view kMergeOutputError = " file open error";

// Merges the two files into the output (replaced whole, never half-written). Nothing on
// success, else the error text: an input that cannot be read gives its name +
// " file read open error", an output that cannot be written its name + " file open error".
std::optional<std::string> mergeStationFiles(const std::string& station1File,
                                             const std::string& station2File,
                                             const std::string& output,
                                             std::optional<std::int64_t> closeAt);

}  // namespace quillon
