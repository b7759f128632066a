// The detailed shift graph of one shift record file: the machine's states as a row of
// intervals on a time bar, with the cycle rate of each counted run, and the limits the
// "Cycle time" dialog starts from. Widget-free; the window paints what this gives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/StatusTable.h"

namespace quillon {

// How a run's rate (cycles a minute between its first count and its cycle off) compares
// with the permitted rates of its last count record.
enum class RateClass { None, Below, Within, Above };

struct ShiftInterval {
    std::int64_t start = 0;  // seconds since 1970
    std::int64_t end = 0;    // never before start
    // Place in the status table, always 0..36: the colour the interval is painted in.
    int colorIndex = kStatusCycleOff;
    // Cycle on at less than full speed: shade 0 (C) .. 15 (R); -1 for a full colour.
    int shade = -1;
    RateClass rateClass = RateClass::None;
    long rate = 0;  // cycles a minute, when rateClass is not None
    // As the window shows it: "CYCLE ON", "CYCLE/SPINDLE ON", "CYCLE OFF", "NO Ostler",
    // "SETUP" or the status text (kept even when the table does not know it).
    std::string stateText;
    // Overrides in percent of a shaded cycle on; -1 when not given.
    int feedOverride = -1;
    int spindleOverride = -1;
};

struct ShiftGraph {
    std::vector<ShiftInterval> intervals;
    // The earliest and the latest record time drawn; both 0 when the file has no record.
    std::int64_t firstTime = 0;
    std::int64_t lastTime = 0;
    // The time bar: firstTime rounded down to a 600-second step, lastTime rounded up to one
    // when it lies more than 5 seconds past a step.
    std::int64_t spanStart = 0;
    std::int64_t spanEnd = 0;

    // What the "Cycle time" dialog opens with. Rate mode: the file counts cycles
    // ("_CYCOUNT" seen). The cycle-time limits are those the last part record gives, the
    // rate limits those of the last count record.
    bool rateMode = false;
    std::optional<long> minCycleSeconds;
    std::optional<long> maxCycleSeconds;
    std::optional<long> minRate;
    std::optional<long> maxRate;
};

// The steps the time bar is marked in, and the slack before its end takes another step.
inline constexpr std::int64_t kShiftGraphStep = 600;
inline constexpr std::int64_t kShiftGraphStepSlack = 5;
// Records more than a day away from the file's reference time are skipped: a stray stamp
// (a control whose clock was reset) would otherwise stretch the bar over years.
inline constexpr std::int64_t kShiftGraphWindow = 86'400;

// The graph of the bytes of a record file. With closeAt (the current shift, "now") the
// file is read as if it went on with a "_COFF" record (when the machine was cycling or
// counting) and a "_SH_END" record at that time, so the open interval ends now.
ShiftGraph loadShiftGraph(std::string_view bytes, const StatusTable& table,
                          std::optional<std::int64_t> closeAt);

// The error texts of loading a file; both also go to the hub error log.
inline constexpr std::string_view kShiftReadOpenError = " file read open error";
inline constexpr std::string_view kShiftCopyDenied = "Detailed graph - open for writing denied";

struct ShiftGraphLoad {
    ShiftGraph graph;
    // Empty on success; otherwise what to show and log, and the graph is empty.
    std::string errorText;

    bool ok() const { return errorText.empty(); }
};

// "ViewTemp" + window number + ".TXT": the copy of the file a graph window reads.
std::string shiftViewCopyName(int windowNumber);

// Loads a record file as a graph window does: the file is copied byte for byte to
// shiftViewCopyName(windowNumber) in the folder, and the copy is read, so that the hub
// may go on appending to the original meanwhile. A file that cannot be read gives
// path + kShiftReadOpenError, a copy that cannot be written kShiftCopyDenied.
ShiftGraphLoad loadShiftGraphFile(const std::string& path, const std::string& copyFolder,
                                  int windowNumber, const StatusTable& table,
                                  std::optional<std::int64_t> closeAt);

}  // namespace quillon
