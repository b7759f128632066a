// quillonlt-cli shift pie and shift cycles: the shift pie's minutes and the cycle-time
// analysis of a shift record file, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kShiftPieUsage[] = "shift pie FILE";
inline constexpr char kShiftCyclesUsage[] =
    "shift cycles FILE [--part P] [--min S --max S] [--multiplier M]";

// One line "PART,STATE,MINUTES" per slice, then the pie's title. A part number never holds
// a comma and the minutes are last, so the state is what lies between the first and the last
// comma (it may hold one: "_CON,SPINDLE_ON"). `arguments` are those after
// "pie". 0 when done, 1 when the file cannot be read or has too many part numbers, 2 on a
// usage error.
int runShiftPie(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// The Details lines, an empty line, then the Summary lines, as the "Cycle time" dialog shows
// them. Without --part the first part number of the file is analysed (every record when the
// file names none); --min, --max and --multiplier stand for what is typed into the dialog's
// edits before "Recalculate". Exit codes as for runShiftPie.
int runShiftCycles(const std::vector<std::string>& arguments, std::ostream& out,
                   std::ostream& err);

}  // namespace quillon::cli
