// The overall OEE graph of a full year of a full hub: 128 machines, three shifts a day, 365
// days (140 160 lines, about 7 MB), written into the bench folder once.
//
// The goal: the graph of all lines drawn at a window's size (900 x 560) in <= 100 ms, the
// chart data built from the series and a first paint with nothing kept from an earlier
// one, as when the window opens. The reference in the same run is the same graph of the
// file's first 600 lines, all the graph used to show; x_first600 is the multiple of its
// time. Reading the file and computing the four running averages is timed on its own, and
// the whole command (read, compute, build, draw) after it.
#include <benchmark/benchmark.h>

#include <QImage>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "BenchSupport.h"
#include "charting/ChartData.h"
#include "charting/ChartRenderer.h"
#include "charting/ChartView.h"
#include "monitoring/OeeReport.h"
#include "monitoring/ui/OeeCharts.h"
#include "support/OeeSamples.h"

namespace quillon {
namespace {

constexpr int kMachines = 128;
constexpr int kDays = 365;
constexpr int kYear = 2026;
const QSize kWindow(900, 560);
// The lines the graph used to take from the file.
constexpr std::size_t kFormerLimit = 600;

const std::string& hubFolder()
{
    static const std::string hub = [] {
        const auto root = bench::folder() / "oee-hub";
        std::filesystem::create_directories(root / "_REPORTS");
        std::ofstream(root / "_REPORTS" / "_OEE_2026.CSV", std::ios::binary)
            << test::oeeSampleFile(kMachines, kDays, kYear);
        return root.string() + "/";
    }();
    return hub;
}

const OeeFile& yearFile()
{
    static const OeeFile file = loadOeeFile(hubFolder(), kYear).file;
    return file;
}

// Builds the chart of the series and paints it once into a fresh image.
QImage drawOverall(const OeeSeries& series)
{
    ChartData chart;
    fillOeeChart(chart, series, "Overall OEE", kYear);
    return renderChart(chart, ChartView::initialFor(chart), kWindow);
}

double g_referenceSeconds = 0;

void BM_OeeReadYear(benchmark::State& state)
{
    const std::string& hub = hubFolder();
    std::size_t points = 0;
    for (auto _ : state) {
        const OeeFileLoad load = loadOeeFile(hub, kYear);
        const OeeSeries series = overallOeeSeries(load.file);
        points = series.size();
        benchmark::DoNotOptimize(series.values[3].back());
    }
    state.counters["lines"] = static_cast<double>(points);
}
BENCHMARK(BM_OeeReadYear)->Unit(benchmark::kMillisecond);

// Times the draw by hand, so that building the series (not part of the goal) stays out.
double timeDraws(benchmark::State& state, const OeeSeries& series)
{
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const QImage image = drawOverall(series);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        benchmark::DoNotOptimize(image.constBits());
        state.SetIterationTime(took.count());
        total += took.count();
        ++runs;
    }
    state.counters["points"] = static_cast<double>(series.size());
    return runs > 0 ? total / runs : 0;
}

void BM_Reference_OeeDrawFirst600(benchmark::State& state)
{
    OeeFile first;
    first.lines.assign(yearFile().lines.begin(),
                       yearFile().lines.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                      kFormerLimit, yearFile().lines.size())));
    g_referenceSeconds = timeDraws(state, overallOeeSeries(first));
}
BENCHMARK(BM_Reference_OeeDrawFirst600)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_OeeDrawFullYear(benchmark::State& state)
{
    const double seconds = timeDraws(state, overallOeeSeries(yearFile()));
    state.counters["goal_ms"] = 100;
    if (g_referenceSeconds > 0)
        state.counters["x_first600"] = seconds / g_referenceSeconds;
}
BENCHMARK(BM_OeeDrawFullYear)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_OeeOpenFullYear(benchmark::State& state)
{
    const std::string& hub = hubFolder();
    for (auto _ : state) {
        const OeeSeries series = overallOeeSeries(loadOeeFile(hub, kYear).file);
        const QImage image = drawOverall(series);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_OeeOpenFullYear)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon
