// Runs quillonlt-cli's commands in process for the tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

namespace quillon::test {

struct CliRun {
    int code = 0;
    std::string out;
    std::string err;
};

inline CliRun runCli(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::run(arguments, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace quillon::test
