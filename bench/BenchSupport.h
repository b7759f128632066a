// What the benchmarks share: a scratch folder for their files and the runs of other
// programs, timed and measured.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillon::bench {

// A folder for the run's files, on a memory file system where there is one (to keep disk
// noise out of the comparisons); removed with everything in it when the run ends.
const std::filesystem::path& folder();

struct ChildRun {
    double seconds = 0;
    double peakMiB = 0;
    int exitCode = -1;
};

// Runs the command (argv[0] looked up in PATH) with its output to /dev/null: its time from
// start to exit, its peak resident memory and its exit code. exitCode stays -1 when it
// could not be started.
ChildRun runChild(const std::vector<std::string>& command);

}  // namespace quillon::bench
