// The subcommands of quillonlt-cli: the core driven from a shell, no window involved.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

// Runs "quillonlt-cli ARGS..." (without the program name); returns the exit code.
int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
