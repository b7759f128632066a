// What the benchmarks share: a scratch folder for their files and the runs of other
// programs, timed and measured.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "monitoring/HubLink.h"
#include "monitoring/MonitoringStartup.h"

namespace quillon::bench {

// A folder for the run's files, on a memory file system where there is one (to keep disk
// noise out of the comparisons); removed with everything in it when the run ends.
const std::filesystem::path& folder();

// A 100 MB, 3.5-million-line mold-finishing program (short 3-axis moves, CR LF), written
// into folder() the first time it is asked for.
const std::string& moldProgramPath();

// The reference most goals are measured against: opening the program as the editor opens
// it, once an iteration (the closing not timed). The mean seconds of an opening.
double timeOpeningProgram(benchmark::State& state, const std::string& path);

// The command-line benchmarks run this build's quillonlt-cli (/other:0) and, with /other:1,
// another build's named by the variable QUILLON_BENCH_OTHER_CLI, to measure an older build
// beside this one in the same run. Registers both, timed by hand in milliseconds.
void thisAndOtherCli(benchmark::internal::Benchmark* benchmark);
// The program the benchmark runs; empty, with the benchmark skipped, when the other one is
// asked for and not named.
std::string cliUnderTest(benchmark::State& state);

// Every slot of a full hub, hub by hub.
std::vector<MachineSlot> everyMachineSlot();

// A detailed view of every machine on a hub link, as the program opens one: the link
// forwards the monitoring feed to it and its start-up exchange has begun (its rows are built
// once every machine's record came).
class DetailedViewOnLink final : private DatagramReceiver {
public:
    explicit DetailedViewOnLink(HubLink& link);
    ~DetailedViewOnLink() override;
    DetailedViewOnLink(const DetailedViewOnLink&) = delete;
    DetailedViewOnLink& operator=(const DetailedViewOnLink&) = delete;

    const MonitoringStartup& startup() const { return m_startup; }

private:
    void datagramArrived(std::string_view bytes) override { m_startup.datagramArrived(bytes); }

    HubLink& m_link;
    MonitoringStartup m_startup;
};

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time together
    double peakMiB = 0;
    int exitCode = -1;
};

// Runs the command (argv[0] looked up in PATH) with its output and errors to /dev/null:
// its time from start to exit, its processor time, its peak resident memory and its exit
// code. exitCode stays -1 when it could not be started.
ChildRun runChild(const std::vector<std::string>& command);

// Where a background program's output goes and what it finds in its environment.
struct ChildSetup {
    // Empty: standard output and error piped back to readLine() and wait(). Else both are
    // written to this file (a program that prints a lot would stall on a pipe no one reads).
    std::filesystem::path output;
    // "NAME=value" entries added to the benchmark's own environment.
    std::vector<std::string> environment;
};

// A program that runs beside the benchmark (a simulated control, say). Killed when still
// running at destruction.
class BackgroundChild {
public:
    explicit BackgroundChild(const std::vector<std::string>& command,
                             const ChildSetup& setup = {});
    ~BackgroundChild();
    BackgroundChild(const BackgroundChild&) = delete;
    BackgroundChild& operator=(const BackgroundChild&) = delete;

    bool started() const { return m_pid > 0; }
    int pid() const { return m_pid; }
    // The next line of its standard output, without the line end; empty at its end.
    std::string readLine();
    // Waits for it to end: its exit code (-1 when it did not exit normally) and, in
    // *errorText, all it wrote to standard error.
    int wait(std::string* errorText);

private:
    int m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

}  // namespace quillon::bench
