// The backplot chain over a milling program of a million lines, 15 % of them arcs.
//
// The goals, against opening the same program in the same run:
//   the three passes, files included   <= 12 x opening it
// Reported as x_load, a fraction of the reference's time.
//
// And program to picture, `quillonlt-cli backplot --png` run as a child:
//   at least 20 x as fast a line as LinuxCNC's `rs274 -g` preview interpreter
// Reported as x_rs274 (how many times faster) with the child's peak memory. The interpreter
// cannot be installed here, so its time a line on these machines is a named constant.
// QUILLON_BENCH_CLI_BEFORE may name an older build of quillonlt-cli: it is then measured in
// the same run, for a before-and-after of one change.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "backplot/BackplotChain.h"
#include "editor/CLiDoc.h"
#include "platform/Notifier.h"

namespace {

constexpr int kLines = 1'000'000;

// LinuxCNC's rs274 -g over a milling program, measured on these 2-core machines.
constexpr double kRs274SecondsPerLine = 13.5e-6;

double g_loadSeconds = 0;

// Pockets and contours: straight feeds, 15 % arcs in both directions (half of them by R,
// half by I and J), a rapid and a tool change now and then, as CAM output looks.
const std::string& millingProgramPath()
{
    static const std::string path = [] {
        const std::string file = (quillon::bench::folder() / "MILL-1M.NC").string();
        std::mt19937 random(7);
        std::string bytes = "%\r\nO2000 (POCKETS)\r\nG90 G17 G21\r\nT1 M06\r\n";
        double x = 0, y = 0;
        char line[96];
        for (int n = 4; n < kLines - 1; ++n) {
            const int kind = static_cast<int>(random() % 100);
            const double nx = static_cast<double>(random() % 200000) / 1000;
            const double ny = static_cast<double>(random() % 100000) / 1000;
            int length = 0;
            if (kind < 15) {
                const double dx = nx - x, dy = ny - y;
                const double radius = std::sqrt(dx * dx + dy * dy) / 2 + 1;
                if (kind % 2 == 0)
                    length = std::snprintf(line, sizeof line, "G%02d X%.3f Y%.3f R%.3f",
                                           kind < 8 ? 2 : 3, nx, ny, radius);
                else
                    length = std::snprintf(line, sizeof line, "G%02d X%.3f Y%.3f I%.3f J%.3f",
                                           kind < 8 ? 2 : 3, nx, ny, dx / 2, dy / 2);
            } else if (kind < 18) {
                length = std::snprintf(line, sizeof line, "G00 X%.3f Y%.3f Z5.", nx, ny);
            } else if (kind == 18 && random() % 50 == 0) {
                length = std::snprintf(line, sizeof line, "T%d M06",
                                       1 + static_cast<int>(random() % 12));
            } else {
                length = std::snprintf(line, sizeof line, "G01 X%.3f Y%.3f Z-%.1f F%d", nx, ny,
                                       static_cast<double>(random() % 50) / 10,
                                       500 + static_cast<int>(random() % 2000));
            }
            bytes.append(line, static_cast<std::size_t>(length));
            bytes += "\r\n";
            x = nx;
            y = ny;
        }
        bytes += "M30\r\n%";
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

std::unique_ptr<quillon::CLiDoc> openProgram()
{
    quillon::ScriptedNotifier notifier;
    auto doc = std::make_unique<quillon::CLiDoc>();
    doc->open(millingProgramPath(), notifier);
    return doc;
}

void BM_Reference_OpenMillingProgram(benchmark::State& state)
{
    g_loadSeconds = quillon::bench::timeOpeningProgram(state, millingProgramPath());
}
BENCHMARK(BM_Reference_OpenMillingProgram)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_BackplotChain(benchmark::State& state)
{
    const auto doc = openProgram();
    const std::string folder = quillon::bench::folder().string();
    quillon::ScriptedNotifier notifier;
    double total = 0;
    int runs = 0;
    std::size_t points = 0;
    for (auto _ : state) {
        quillon::PlotBuild build;
        const auto start = std::chrono::steady_clock::now();
        if (!quillon::runBackplotChain(quillon::linesOf(*doc), {}, folder, build, notifier))
            state.SkipWithError("the chain could not write its files");
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
        points = build.points.size();
    }
    state.counters["points"] = static_cast<double>(points);
    if (g_loadSeconds > 0)
        state.counters["x_load"] = total / runs / g_loadSeconds;
}
BENCHMARK(BM_BackplotChain)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The whole command: opening the program, the chain, the model and the PNG, in a child of
// its own so that its peak memory is its own.
void runCliPicture(benchmark::State& state, const char* cli)
{
    const std::string folder = quillon::bench::folder().string();
    const std::string picture = (quillon::bench::folder() / "MILL-1M.png").string();
    double total = 0;
    double cpuTotal = 0;
    double peakMiB = 0;
    int runs = 0;
    for (auto _ : state) {
        const quillon::bench::ChildRun run = quillon::bench::runChild(
            {cli, "backplot", "--files", folder, "--png", picture, millingProgramPath()});
        if (run.exitCode != 0)
            state.SkipWithError("quillonlt-cli backplot --png failed");
        state.SetIterationTime(run.seconds);
        total += run.seconds;
        cpuTotal += run.cpuSeconds;
        peakMiB = std::max(peakMiB, run.peakMiB);
        ++runs;
    }
    const double perLine = total / runs / kLines;
    state.counters["us_per_line"] = perLine * 1e6;
    state.counters["x_rs274"] = kRs274SecondsPerLine / perLine;
    state.counters["peak_MiB"] = peakMiB;
    // On a machine others are busy on too, the processor time says more than the time.
    state.counters["cpu_s"] = cpuTotal / runs;
}

void BM_CliBackplotPicture(benchmark::State& state)
{
    runCliPicture(state, QUILLONLT_CLI);
}
BENCHMARK(BM_CliBackplotPicture)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_CliBackplotPicture_Before(benchmark::State& state)
{
    const char* before = std::getenv("QUILLON_BENCH_CLI_BEFORE");
    if (!before) {
        state.SkipWithError("QUILLON_BENCH_CLI_BEFORE names no older quillonlt-cli");
        return;
    }
    runCliPicture(state, before);
}
BENCHMARK(BM_CliBackplotPicture_Before)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
