// quillonlt-cli cleanup: the File cleanup tools over a folder, from a shell.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kCleanupUsage[] =
    "cleanup eob|blank|okuma|comment|reverse-comment|mazak DIR";

// Runs the tool on DIR without asking. Prints each file it rewrote, and "OLD -> NEW" for
// each it renamed; files passed over are named on standard error. 0 when the run went
// through, 1 when it stopped at a file it could not read or write or the system would not
// read or rename a file it passed over, 2 on a usage error.
int runCleanup(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
