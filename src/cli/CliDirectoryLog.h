// quillonlt-cli dirlog: the directory log of a program folder, as the Tools menu makes and
// shows it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kDirectoryLogUsage[] = "dirlog create|view DIR";

// create: makes DIR's _DirLog.sys anew and prints its path; view: prints the log. 0 when
// done; 1 when there was nothing to log, no log to show, or the log could not be read or
// written (standard error says which); 2 on a usage error.
int runDirectoryLog(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err);

}  // namespace quillon::cli
