// Opening shift record files as a detailed shift graph.
//
// The goals:
//   a shift of 50 000 records (a fast machine counting its cycles) loaded as a graph
//     <= 5 x reading its bytes and counting its lines                 (x_reference)
//   one archived file of a month folder of 128 machines x 30 days x 3 shifts found and
//     opened as a graph window opens it (copy, read, graph)           <= 20 ms (ms_per_open)
// The reference runs in the same benchmark, so the ratio holds whatever the machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "monitoring/HubFiles.h"
#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftRecord.h"
#include "platform/TextFile.h"

namespace {

namespace fs = std::filesystem;

// 2016-05-12 06:00 in the shop; an 8-hour shift.
constexpr std::int64_t kShiftStart = 1463050800;
constexpr std::int64_t kShiftSeconds = 8 * 3600;
constexpr int kFastShiftRecords = 50'000;
constexpr int kMachines = 128;
constexpr int kDays = 30;

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A shift of `records` records spread evenly over eight hours: cycles of a cycle on, seven
// counts and a cycle off, now and then a part record or a loading status between them.
std::string shiftRecords(int records)
{
    std::string bytes = "MACHINE PRESS 7 SHIFT 1\r\n";
    bytes += quillon::shiftRecordLine(kShiftStart, "_SH_START") + "\r\n";
    for (int i = 0; i < records; ++i) {
        const std::int64_t time = kShiftStart + std::int64_t{i} * kShiftSeconds / records;
        const char* event = "_CYCOUNT,6,20,40";
        switch (i % 10) {
        case 0:
            event = "_CON";
            break;
        case 8:
            event = "_COFF";
            break;
        case 9:
            event = i % 500 == 9 ? "_PARTNO:BRACKET-7,30,45;2" : "LOADING";
            break;
        }
        bytes += quillon::shiftRecordLine(time, event) + "\r\n";
    }
    bytes += quillon::shiftRecordLine(kShiftStart + kShiftSeconds, "_SH_END") + "\r\n";
    return bytes;
}

const std::string& fastShiftPath()
{
    static const std::string path = [] {
        const fs::path file = quillon::bench::folder() / "MonitorData25.SYS_";
        writeFile(file, shiftRecords(kFastShiftRecords));
        return file.string();
    }();
    return path;
}

// The reference: the least any reader does with the file.
std::size_t readAndCountLines(const std::string& path)
{
    const auto bytes = quillon::readFile(path);
    return bytes ? static_cast<std::size_t>(std::count(bytes->begin(), bytes->end(), '\n')) : 0;
}

double meanSeconds(int runs, const auto& work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        work();
    return secondsSince(start) / runs;
}

void BM_Reference_ReadAndCountLines(benchmark::State& state)
{
    const std::string& path = fastShiftPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(readAndCountLines(path));
}
BENCHMARK(BM_Reference_ReadAndCountLines)->Unit(benchmark::kMillisecond);

void BM_LoadFastShiftAsGraph(benchmark::State& state)
{
    const std::string& path = fastShiftPath();
    const auto table = quillon::StatusTable::defaults();
    std::size_t intervals = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto bytes = quillon::readFile(path);
        intervals = quillon::loadShiftGraph(*bytes, table, std::nullopt).intervals.size();
    }
    const double seconds = secondsSince(start) / static_cast<double>(state.iterations());
    if (intervals < kFastShiftRecords / 10)
        state.SkipWithError("the shift did not load");
    const double reference =
        meanSeconds(20, [&] { benchmark::DoNotOptimize(readAndCountLines(path)); });
    state.counters["x_reference"] = seconds / reference;
    state.counters["intervals"] = static_cast<double>(intervals);
}
BENCHMARK(BM_LoadFastShiftAsGraph)->Unit(benchmark::kMillisecond);

// A month folder of archived files, each a representative shift (a machine cycling every
// few minutes), hard-linked to one another so that the folder costs one file's space.
const std::string& monthHubDirectory()
{
    static const std::string hub = [] {
        const fs::path base = quillon::bench::folder() / "hub";
        const std::string month = quillon::monthFolderName(kShiftStart);
        const fs::path folder = base / "_MONITORING" / month.substr(month.find('\\') + 1);
        fs::create_directories(folder);
        const fs::path first = folder / "shift.tmp";
        writeFile(first, shiftRecords(1'200));
        for (int day = 0; day < kDays; ++day) {
            for (int machine = 0; machine < kMachines; ++machine) {
                for (int shift = 1; shift <= quillon::kShiftsPerDay; ++shift) {
                    const std::string name = quillon::archivedShiftFileName(
                        kShiftStart + (day - 11) * 86'400, "MACHINE" + std::to_string(machine),
                        shift, quillon::StationKind::Single, std::nullopt);
                    fs::create_hard_link(first, folder / name);
                }
            }
        }
        fs::remove(first);
        return base.string() + "/";
    }();
    return hub;
}

// As the window opens a file the user chose: the name as the dialog gives it (in another
// case than the share's, so the folder is searched), the copy, the graph.
void BM_OpenArchivedFileOfAMonthFolder(benchmark::State& state)
{
    const std::string& hub = monthHubDirectory();
    const auto table = quillon::StatusTable::defaults();
    const std::string wanted = "_monitoring\\2016-05\\mon12_machine77_shift2.mon";
    const std::string copies = (quillon::bench::folder() / "copies").string();
    fs::create_directories(copies);
    std::size_t intervals = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto path = quillon::findHubFile(hub, wanted);
        if (!path) {
            state.SkipWithError("the file was not found");
            return;
        }
        intervals = quillon::loadShiftGraphFile(*path, copies, 1, table, std::nullopt)
                        .graph.intervals.size();
    }
    if (intervals == 0)
        state.SkipWithError("the file did not load");
    state.counters["ms_per_open"] =
        secondsSince(start) * 1e3 / static_cast<double>(state.iterations());
    state.counters["files_in_folder"] = kMachines * kDays * quillon::kShiftsPerDay;
}
BENCHMARK(BM_OpenArchivedFileOfAMonthFolder)->Unit(benchmark::kMillisecond);

}  // namespace
