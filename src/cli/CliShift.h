// quillonlt-cli shift: a machine's shift record files from a shell, read as the detailed
// shift windows read them.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kShiftUsage[] =
    "shift intervals [--current] FILE | shift pie FILE | shift cycles FILE [--part P] "
    "[--min S --max S] [--multiplier M] | shift merge FILE1 FILE2 OUT [--closing] | "
    "shift starts --previous FILE | shift starts --current [--hub DIR]";

// intervals: the intervals of the detailed shift graph, one a line:
//   START_EPOCH,END_EPOCH,COLOUR_INDEX,SHADE,RATECLASS,STATE_TEXT
//   (SHADE and RATECLASS empty when none; RATECLASS below|within|above). --current reads
//   the file as the current shift's, closed at the present time.
// merge: the two station files as one, into OUT; --closing closes a station whose file
//   ends at the present time, as for the current shift.
// starts: the shift start list as the "Shift start" dialog saves it (the header, then one
//   machine a line): --previous for the archived shift of FILE and the other machines of
//   that shift, --current for the machines of MonList.sys from the hub's current-shift
//   files (the hub of VoskCONF.SYS unless --hub names one).
// pie, cycles: see CliShiftReports.h.
// 0 when done, 1 when a file cannot be read or written (the error text on err), 2 on a
// usage error.
int runShift(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
