// The chart component with a million points in one series, drawn at 1920 x 1080.
//
// The goal, against drawing the same million points with QPainter::drawPolyline into an
// image of that size in the same run (a plain painter: the default pen, no antialiasing):
//   2D redraw after a pan step, after a zoom step, of the full view  <= 3 x the polyline
//   3D redraw after a rotation step                                  <= 3 x the polyline
// Reported as x_polyline, a multiple of the reference's time. Every redraw is a whole
// chart (background, grid, axes, labels, legend, titles) into a fresh frame.
//
// Two sets of points: a finishing toolpath (passes of 0.05 mm steps with a little chordal
// wobble, as CAM output of a mold surface looks; in 3D its Z follows the surface) and a
// signal (a million samples against time: noise on a slow wave), where many points share
// every pixel column.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "charting/ChartData.h"
#include "charting/ChartRenderer.h"
#include "charting/ChartView.h"

namespace {

using namespace quillon;

constexpr int kPoints = 1'000'000;
const QSize kFrame(1920, 1080);

enum Dataset { kToolpath = 0, kSignal = 1, kToolpath3D = 2 };
const char* const kNames[] = {"toolpath", "signal", "toolpath 3D"};

// A mold surface's height over the part.
double surface(double x, double y)
{
    return -4 + 3 * std::sin(x / 23) * std::cos(y / 17) - 0.002 * (x - 100) * (x - 100) / 10;
}

void fill(ChartData& data, Dataset dataset)
{
    data.setKind(dataset == kToolpath3D ? ChartKind::Chart3D : ChartKind::Graph2D);
    data.title = "Benchmark";
    data.subtitle = kNames[dataset];
    data.setAxisTitle(Axis::X, "X Axis");
    data.setAxisTitle(Axis::Y, "Y Axis");
    ChartSeries& series = data.addSeries(kNames[dataset]);
    series.reserve(kPoints);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> wobble(-0.01, 0.01);
    if (dataset == kSignal) {
        std::normal_distribution<double> noise(0, 4);
        for (int i = 0; i < kPoints; ++i)
            series.append(i / 1000.0, 50 + 30 * std::sin(i / 60000.0) + noise(random));
        return;
    }
    // Passes along X over a 200 x 100 mm part, 0.05 mm steps, 0.4 mm apart.
    constexpr int kPerPass = 4000;
    for (int i = 0; i < kPoints; ++i) {
        const int pass = i / kPerPass;
        const double t = (i % kPerPass) * 0.05;
        const double x = pass % 2 ? 200 - t : t;
        const double y = pass * 0.4 + wobble(random);
        if (dataset == kToolpath3D)
            series.append(x, surface(x, y), y);  // the machine's Z up, its Y in depth
        else
            series.append(x, y);
    }
    data.equalScale = dataset == kToolpath3D;
}

ChartData& dataOf(Dataset dataset)
{
    static ChartData sets[3];
    if (sets[dataset].seriesCount() == 0)
        fill(sets[dataset], dataset);
    return sets[dataset];
}

double g_referenceSeconds[3] = {0, 0, 0};

// The reference: the same points, mapped to the pixels the chart's full view puts them
// on, drawn as one polyline with a plain painter.
void BM_Reference_Polyline(benchmark::State& state)
{
    const auto dataset = static_cast<Dataset>(state.range(0));
    const ChartData& data = dataOf(dataset);
    const ChartLayout layout = ChartRenderer().layout(data, ChartView::initialFor(data), kFrame);
    const ChartSeries& series = data.series(0);
    std::vector<QPointF> points(series.size());
    for (std::size_t i = 0; i < series.size(); ++i) {
        points[i] = dataset == kToolpath3D
                        ? layout.projection3D.map(series.x(i), series.y(i), series.z(i))
                        : layout.projection2D.map(series.x(i), series.y(i));
    }
    QImage image(kFrame, QImage::Format_ARGB32_Premultiplied);
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        const auto start = std::chrono::steady_clock::now();
        QPainter painter(&image);
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
        painter.end();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
    }
    g_referenceSeconds[dataset] = total / runs;
    state.SetLabel(kNames[dataset]);
}
BENCHMARK(BM_Reference_Polyline)
    ->Arg(kToolpath)
    ->Arg(kSignal)
    ->Arg(kToolpath3D)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(1.0);

// Times redraws of the chart, each after `step` changed the view (not timed).
template <typename Step>
void timeRedraws(benchmark::State& state, Dataset dataset, ChartView view, Step step,
                 bool coldCaches = false)
{
    const ChartData& data = dataOf(dataset);
    ChartRenderer renderer;
    QImage image(kFrame, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter warm(&image);
        renderer.paint(warm, kFrame, data, view);
    }
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        step(view, runs);
        if (coldCaches)
            renderer.clearCaches();
        const auto start = std::chrono::steady_clock::now();
        QPainter painter(&image);
        renderer.paint(painter, kFrame, data, view);
        painter.end();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
    }
    state.SetLabel(kNames[dataset]);
    if (g_referenceSeconds[dataset] > 0)
        state.counters["x_polyline"] = total / runs / g_referenceSeconds[dataset];
}

void BM_Chart2D_AfterPan(benchmark::State& state)
{
    const auto dataset = static_cast<Dataset>(state.range(0));
    // Drag steps of 1 % of the width, back and forth: part of the data leaves the view.
    timeRedraws(state, dataset, ChartView(), [](ChartView& view, int run) {
        view.panBy(QPointF(run % 2 ? -0.01 : 0.01, 0.005));
    });
}
BENCHMARK(BM_Chart2D_AfterPan)
    ->Arg(kToolpath)
    ->Arg(kSignal)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

void BM_Chart2D_AfterZoom(benchmark::State& state)
{
    const auto dataset = static_cast<Dataset>(state.range(0));
    // Wheel notches in and out about a point, around four times magnification.
    ChartView view;
    view.zoomAbout(QPointF(0.37, 0.52), 4);
    timeRedraws(state, dataset, view, [](ChartView& v, int run) {
        v.zoomAbout(QPointF(0.37 + 0.001 * (run % 7), 0.52), run % 2 ? 1 / 1.25 : 1.25);
    });
}
BENCHMARK(BM_Chart2D_AfterZoom)
    ->Arg(kToolpath)
    ->Arg(kSignal)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

void BM_Chart2D_FullView(benchmark::State& state)
{
    const auto dataset = static_cast<Dataset>(state.range(0));
    // Everything in view, and nothing kept from the redraw before.
    timeRedraws(
        state, dataset, ChartView(), [](ChartView&, int) {}, true);
}
BENCHMARK(BM_Chart2D_FullView)
    ->Arg(kToolpath)
    ->Arg(kSignal)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

void BM_Chart3D_AfterRotation(benchmark::State& state)
{
    // Drag steps of 2 pixels: a degree of yaw and half a degree of pitch, back and forth.
    ChartView view = ChartView::initialFor(dataOf(kToolpath3D));
    timeRedraws(state, kToolpath3D, view,
                [](ChartView& v, int run) { v.rotate(1.0, run % 20 < 10 ? 0.5 : -0.5); });
}
BENCHMARK(BM_Chart3D_AfterRotation)->Unit(benchmark::kMillisecond)->UseManualTime();

// Step mode: ten points appended to the million, then a redraw, as every 50 ms tick does
// (with the axis ranges given, as the backplot gives them).
void BM_Chart2D_StepAppend(benchmark::State& state)
{
    ChartData data;
    fill(data, kToolpath);
    data.setAxisRange(Axis::X, -20, 220);
    data.setAxisRange(Axis::Y, -10, 110);
    ChartSeries& series = data.series(0);
    ChartRenderer renderer;
    QImage image(kFrame, QImage::Format_ARGB32_Premultiplied);
    const ChartView view;
    {
        QPainter warm(&image);
        renderer.paint(warm, kFrame, data, view);
    }
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i)
            series.append(100 + 0.05 * (runs % 100) + 0.005 * i, 50 + 0.01 * i);
        QPainter painter(&image);
        renderer.paint(painter, kFrame, data, view);
        painter.end();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
    }
    state.counters["points"] = static_cast<double>(series.size());
    if (g_referenceSeconds[kToolpath] > 0)
        state.counters["x_polyline"] = total / runs / g_referenceSeconds[kToolpath];
}
BENCHMARK(BM_Chart2D_StepAppend)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
