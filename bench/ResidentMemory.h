// The resident memory of this process, for the benches that watch it stay flat.
#pragma once

#include <fstream>
#include <string>

namespace quillon::bench {

inline double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    }
    return 0;
}

}  // namespace quillon::bench
