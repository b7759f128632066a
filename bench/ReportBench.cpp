// Selecting a status report from a full hub's yearly report file.
//
// The goal:
//   a 61-day selection of 32 machines from the yearly file of 128 machines x 3 shifts x
//   365 days (four status intervals a shift, over half a million lines), the span at the
//   year's end so that the whole file is read                    <= 3 x reading its bytes
//                                                                           (x_reference)
// The reference runs in the same benchmark, so the ratio holds whatever the machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "monitoring/StatusReport.h"
#include "platform/TextFile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMachines = 128;
constexpr int kDays = 365;
constexpr int kIntervalsPerShift = 4;
constexpr int kSelectedMachines = 32;

// The shift starts 06:00, 14:00 and 22:00; each shift's eight hours in four intervals.
const char* const kStatuses[kIntervalsPerShift] = {"CYCLE ON", "SETUP", "CYCLE ON", "LOADING"};
const char* const kTimes[3][kIntervalsPerShift + 1] = {
    {"06:00:00", "08:10:00", "08:40:00", "13:15:00", "14:00:00"},
    {"14:00:00", "16:10:00", "16:40:00", "21:15:00", "22:00:00"},
    {"22:00:00", "00:10:00", "00:40:00", "05:15:00", "06:00:00"},
};
constexpr int kIntervalSeconds[kIntervalsPerShift] = {7800, 1800, 16500, 2700};

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The hub folder with _REPORTS\_MACHINE_2026.CSV, in date order as the hub writes it, CR LF.
const std::string& yearHubDirectory()
{
    static const std::string hub = [] {
        const fs::path base = quillon::bench::folder() / "reporthub";
        fs::create_directories(base / "_REPORTS");
        std::ofstream file(base / "_REPORTS" / "_MACHINE_2026.CSV", std::ios::binary);
        file << quillon::kStatusReportHeader << "\r\n";
        std::string text;
        quillon::ReportLine line;
        for (int day = 0; day < kDays; ++day) {
            line.date = quillon::ReportDate{2026, 1, 1}.plusDays(day);
            for (int shift = 1; shift <= 3; ++shift) {
                line.shift = shift;
                for (int machine = 0; machine < kMachines; ++machine) {
                    line.machine = "MACHINE-" + std::to_string(machine);
                    line.headPallet = machine % 3;
                    for (int interval = 0; interval < kIntervalsPerShift; ++interval) {
                        line.startTime = kTimes[shift - 1][interval];
                        line.endTime = kTimes[shift - 1][interval + 1];
                        line.elapsedSeconds = kIntervalSeconds[interval];
                        line.status = kStatuses[interval];
                        text += quillon::formatReportLine(line);
                        text += "\r\n";
                    }
                }
            }
            file << text;
            text.clear();
        }
        return base.string() + "/";
    }();
    return hub;
}

std::string yearFilePath()
{
    return yearHubDirectory() + "_REPORTS/_MACHINE_2026.CSV";
}

// The reference: the least any reader does with the file.
std::size_t readBytes(const std::string& path)
{
    const auto bytes = quillon::readFile(path);
    return bytes ? bytes->size() : 0;
}

// The last 61 days of the year (its night shift looked for in next year's file), every
// fourth machine, all shifts, both stations.
quillon::ReportSelection yearEndSelection()
{
    quillon::ReportSelection selection;
    selection.start = quillon::ReportDate{2026, 10, 31};
    selection.end = quillon::ReportDate{2026, 12, 31};
    for (int machine = 0; machine < kMachines; ++machine)
        selection.machines.push_back({"MACHINE-" + std::to_string(machine),
                                      machine % (kMachines / kSelectedMachines) == 0});
    selection.shifts = {true, true, true};
    selection.station1 = true;
    selection.station2 = true;
    selection.kind = quillon::ReportKind::Graph;
    return selection;
}

void BM_Reference_ReadYearReportBytes(benchmark::State& state)
{
    const std::string path = yearFilePath();
    std::size_t size = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(size = readBytes(path));
    state.counters["MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_Reference_ReadYearReportBytes)->Unit(benchmark::kMillisecond);

void BM_Select61DaysOf32MachinesFromAYearFile(benchmark::State& state)
{
    const std::string& hub = yearHubDirectory();
    const quillon::ReportSelection selection = yearEndSelection();
    std::size_t lines = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto result = quillon::selectReport(hub, selection);
        if (!result.ok()) {
            state.SkipWithError(result.message.c_str());
            return;
        }
        lines = result.lineCount;
    }
    const double seconds = secondsSince(start) / static_cast<double>(state.iterations());
    const std::string path = yearFilePath();
    constexpr int kReferenceRuns = 10;
    const auto referenceStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kReferenceRuns; ++i)
        benchmark::DoNotOptimize(readBytes(path));
    const double reference = secondsSince(referenceStart) / kReferenceRuns;
    state.counters["x_reference"] = seconds / reference;
    state.counters["lines_taken"] = static_cast<double>(lines);
    state.counters["lines_in_file"] = kDays * 3.0 * kMachines * kIntervalsPerShift;
}
BENCHMARK(BM_Select61DaysOf32MachinesFromAYearFile)->Unit(benchmark::kMillisecond);

}  // namespace
