// quillonlt-cli cycletime: the cycle-time estimate of a program, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kCycleTimeUsage[] = "cycletime [--lathe] [--rapid R] [--toolchange S] FILE";

// Prints the text of the "Cycle time" box and, on a second line, the unrounded seconds
// (nothing for an empty program). R is the G00 feed rate (1 to 10000 units a minute,
// default 1000), S the tool change time (0 to 100 seconds, default 0). 0 when done, 1 when
// the program cannot be read, 2 on a usage error.
int runCycleTime(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
