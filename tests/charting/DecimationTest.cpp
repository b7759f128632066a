// The per-pixel reduction against a brute-force reference: every pixel column of the
// reduced polylines reaches the same pixel rows as the full polyline, every pixel row the
// same columns, and gaps stay gaps.
#include "charting/PolylineDecimator.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <random>

#include "charting/ChartSamples.h"
#include "charting/SeriesGeometry.h"

namespace quillon {
namespace {

// A point of a test polyline; nullopt-like gaps are NaN.
using Path = std::vector<QPointF>;

bool isGap(const QPointF& p)
{
    return std::isnan(p.x());
}

const QPointF kGap(std::nan(""), std::nan(""));

struct Span {
    int low = INT_MAX;
    int high = INT_MIN;
    bool operator==(const Span&) const = default;
};
using Spans = std::map<int, Span>;

void widen(Spans& spans, int at, double from, double to)
{
    Span& span = spans[at];
    span.low = std::min(span.low, static_cast<int>(std::floor(std::min(from, to))));
    span.high = std::max(span.high, static_cast<int>(std::floor(std::max(from, to))));
}

// The pixel rows each pixel column of a segment reaches (transposed: the columns of each
// row), computed by cutting the segment at every column border.
void addSegment(Spans& columns, Spans& rows, QPointF a, QPointF b)
{
    for (int pass = 0; pass < 2; ++pass) {
        Spans& spans = pass == 0 ? columns : rows;
        const double a0 = pass == 0 ? a.x() : a.y(), a1 = pass == 0 ? a.y() : a.x();
        const double b0 = pass == 0 ? b.x() : b.y(), b1 = pass == 0 ? b.y() : b.x();
        const int first = static_cast<int>(std::floor(std::min(a0, b0)));
        const int last = static_cast<int>(std::floor(std::max(a0, b0)));
        for (int cell = first; cell <= last; ++cell) {
            if (a0 == b0) {
                widen(spans, cell, a1, b1);
                continue;
            }
            const double t0 = std::clamp((cell - a0) / (b0 - a0), 0.0, 1.0);
            const double t1 = std::clamp((cell + 1 - a0) / (b0 - a0), 0.0, 1.0);
            widen(spans, cell, a1 + (b1 - a1) * t0, a1 + (b1 - a1) * t1);
        }
    }
}

struct Coverage {
    Spans columns, rows;
    std::vector<std::pair<QPointF, QPointF>> ends;  // first and last point of each line
};

Coverage coverageOf(const Polylines& lines)
{
    Coverage coverage;
    for (std::size_t i = 0; i < lines.count(); ++i) {
        const auto begin = lines.begin(i), end = lines.end(i);
        coverage.ends.emplace_back(lines.points[begin], lines.points[end - 1]);
        if (end - begin == 1)
            addSegment(coverage.columns, coverage.rows, lines.points[begin], lines.points[begin]);
        for (auto k = begin + 1; k < end; ++k)
            addSegment(coverage.columns, coverage.rows, lines.points[k - 1], lines.points[k]);
    }
    return coverage;
}

// The reference: the path split at gaps, every segment that leaves the rectangle cut at
// its border, exactly as drawing the whole path with a clip would show it.
Polylines referenceOf(const Path& path, const QRectF& clip)
{
    Polylines lines;
    bool open = false;
    auto inside = [&](QPointF p) {
        return p.x() >= clip.left() && p.x() <= clip.right() && p.y() >= clip.top() &&
               p.y() <= clip.bottom();
    };
    for (std::size_t i = 0; i < path.size(); ++i) {
        const QPointF p = path[i];
        if (isGap(p)) {
            open = false;
            continue;
        }
        const bool previous = i > 0 && !isGap(path[i - 1]);
        if (!previous) {
            open = inside(p);
            if (open) {
                lines.starts.push_back(static_cast<std::uint32_t>(lines.points.size()));
                lines.points.push_back(p);
            }
            continue;
        }
        const QPointF q = path[i - 1];
        if (inside(q) && inside(p)) {
            lines.points.push_back(p);
            continue;
        }
        double x0 = q.x(), y0 = q.y(), x1 = p.x(), y1 = p.y();
        if (clipSegment(x0, y0, x1, y1, clip)) {
            if (!inside(q) || !open) {
                lines.starts.push_back(static_cast<std::uint32_t>(lines.points.size()));
                lines.points.emplace_back(x0, y0);
            }
            lines.points.emplace_back(x1, y1);
        }
        open = inside(p);
    }
    return lines;
}

Polylines decimate(const Path& path, const QRectF& clip)
{
    PolylineDecimator decimator(clip);
    for (const QPointF& p : path) {
        if (isGap(p))
            decimator.gap();
        else
            decimator.point(p.x(), p.y());
    }
    decimator.flush();
    return decimator.output();
}

// Paths of the shapes charts get: dense and sparse, along rows and columns, with gaps.
struct PathKind {
    const char* scenario;
    std::function<Path(std::mt19937&)> make;
};

Path walk(std::mt19937& random, int count, double step, double gapChance)
{
    std::normal_distribution<double> move(0, step);
    std::uniform_real_distribution<double> chance(0, 1);
    Path path;
    QPointF at(100.3, 80.7);
    for (int i = 0; i < count; ++i) {
        if (chance(random) < gapChance) {
            path.push_back(kGap);
            continue;
        }
        at += QPointF(move(random), move(random));
        path.push_back(at);
    }
    return path;
}

const PathKind kPathKinds[] = {
    {"a sub-pixel walk", [](std::mt19937& r) { return walk(r, 20000, 0.05, 0.001); }},
    {"a walk in pixel steps", [](std::mt19937& r) { return walk(r, 5000, 1.0, 0.005); }},
    {"jumps across the plot", [](std::mt19937& r) { return walk(r, 2000, 60.0, 0.01); }},
    {"passes along rows with a wobble",
     [](std::mt19937& r) {
         std::uniform_real_distribution<double> wobble(-0.15, 0.15);
         Path path;
         for (int i = 0; i < 20000; ++i) {
             const int pass = i / 1000;
             const double t = (i % 1000) * 0.17;
             path.emplace_back(pass % 2 ? 190 - t : 20 + t, 30 + pass * 2.3 + wobble(r));
             if (i % 3001 == 0)
                 path.push_back(kGap);
         }
         return path;
     }},
    {"a noisy signal, many samples per column",
     [](std::mt19937& r) {
         std::normal_distribution<double> noise(0, 6);
         Path path;
         for (int i = 0; i < 30000; ++i)
             path.emplace_back(5 + i * 0.006, 100 + 40 * std::sin(i / 2000.0) + noise(r));
         return path;
     }},
};

TEST(PolylineDecimator, KeepsEveryPixelExtremeAndEveryGap)
{
    const QRectF everything(-1e5, -1e5, 2e5, 2e5);
    for (const PathKind& kind : kPathKinds) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            std::mt19937 random(seed);
            const Path path = kind.make(random);
            const Coverage full = coverageOf(referenceOf(path, everything));
            const Polylines reduced = decimate(path, everything);
            const Coverage kept = coverageOf(reduced);
            EXPECT_EQ(kept.columns, full.columns) << kind.scenario << ", seed " << seed;
            EXPECT_EQ(kept.rows, full.rows) << kind.scenario << ", seed " << seed;
            // Same lines from the same first point to the same last: no gap bridged.
            EXPECT_EQ(kept.ends, full.ends) << kind.scenario << ", seed " << seed;
            EXPECT_LE(reduced.points.size(), path.size()) << kind.scenario;
        }
    }
}

TEST(PolylineDecimator, ClipsToTheRectangleKeepingWhatIsInside)
{
    const QRectF clip(60.5, 40.25, 90, 70);
    for (const PathKind& kind : kPathKinds) {
        std::mt19937 random(7);
        const Path path = kind.make(random);
        const Polylines reduced = decimate(path, clip);
        for (const QPointF& p : reduced.points) {
            EXPECT_TRUE(p.x() >= clip.left() && p.x() <= clip.right() && p.y() >= clip.top() &&
                        p.y() <= clip.bottom())
                << kind.scenario;
        }
        const Coverage full = coverageOf(referenceOf(path, clip));
        const Coverage kept = coverageOf(reduced);
        EXPECT_EQ(kept.columns, full.columns) << kind.scenario;
        EXPECT_EQ(kept.ends, full.ends) << kind.scenario;
    }
}

TEST(PolylineDecimator, DenseDataShrinksToAFewPointsPerPixel)
{
    std::mt19937 random(5);
    const Path signal = kPathKinds[4].make(random);  // 30 000 samples over 180 columns
    const Polylines reduced = decimate(signal, QRectF(-1e5, -1e5, 2e5, 2e5));
    EXPECT_LE(reduced.points.size(), 4u * 181);
    // Passes along rows: a few points per pass and row, not one per sample.
    const Path passes = kPathKinds[3].make(random);
    EXPECT_LT(decimate(passes, QRectF(-1e5, -1e5, 2e5, 2e5)).points.size(), passes.size() / 5);
}

TEST(PolylineDecimator, LinesEnteringAndLeavingAreCutAtTheBorder)
{
    const QRectF clip(0, 0, 100, 100);
    // In from the left, out at the top, back in through the top, out at the right.
    const Path path = {{-50, 50}, {50, 50}, {50, -50}, {60, -50}, {60, 50}, {150, 50}};
    const Polylines lines = decimate(path, clip);
    ASSERT_EQ(lines.count(), 2u);
    EXPECT_EQ(lines.points[lines.begin(0)], QPointF(0, 50));
    EXPECT_EQ(lines.points[lines.end(0) - 1], QPointF(50, 0));
    EXPECT_EQ(lines.points[lines.begin(1)], QPointF(60, 0));
    EXPECT_EQ(lines.points[lines.end(1) - 1], QPointF(100, 50));
    // A segment passing by outside draws nothing; one crossing the whole rectangle is one
    // line from border to border.
    EXPECT_EQ(decimate({{-10, -10}, {-10, 200}}, clip).count(), 0u);
    const Polylines across = decimate({{-10, 20}, {300, 20}}, clip);
    ASSERT_EQ(across.count(), 1u);
    EXPECT_EQ(across.points.front(), QPointF(0, 20));
    EXPECT_EQ(across.points.back(), QPointF(100, 20));
    // A point projected to infinity (data far beyond a deep zoom) is a gap, not a line
    // drawn to nowhere.
    const double far = std::numeric_limits<double>::infinity();
    const Polylines broken = decimate({{10, 10}, {far, 20}, {20, 20}, {30, 30}}, clip);
    ASSERT_EQ(broken.count(), 2u);
    EXPECT_EQ(broken.points[broken.begin(1)], QPointF(20, 20));
}

// A series as the backplot fills it, in data units: passes over a part with gaps.
void fillPasses(ChartSeries& series, int from, int to)
{
    for (int i = from; i < to; ++i) {
        if (i % 2500 == 2499) {
            series.appendGap();
            continue;
        }
        const int pass = i / 500;
        const double t = (i % 500) * 0.2;
        series.append(pass % 2 ? 100 - t : t, pass * 0.5 + 0.01 * std::sin(i * 0.7));
    }
}

Coverage coverageOf(SeriesGeometry& geometry, const ChartSeries& series,
                    const Projection2D& projection, const QRectF& clip)
{
    return coverageOf(geometry.update(series, projection, clip));
}

TEST(SeriesGeometry, AppendingExtendsTheLinesAsABuildFromScratchWouldDrawThem)
{
    const QRectF plot(40, 20, 700, 500);
    const QRectF clip = plot.adjusted(-3, -3, 3, 3);
    const Projection2D projection({0, 100}, {0, 50}, ChartView(), plot, false);
    ChartSeries series;
    SeriesGeometry stepping;
    int filled = 0;
    for (int batch : {1, 1, 7, 300, 2, 5000, 10, 10, 40000, 3}) {
        fillPasses(series, filled, filled + batch);
        filled += batch;
        const Coverage stepped = coverageOf(stepping, series, projection, clip);
        // Only the new points (and the one before them) were projected.
        EXPECT_LE(stepping.pointsWalked(), static_cast<std::size_t>(batch) + 1);
        SeriesGeometry fresh;
        const Coverage built = coverageOf(fresh, series, projection, clip);
        EXPECT_EQ(stepped.columns, built.columns) << "after " << filled << " points";
        EXPECT_EQ(stepped.rows, built.rows) << "after " << filled << " points";
        EXPECT_EQ(stepped.ends.size(), built.ends.size()) << "after " << filled << " points";
    }
    // A point changed in the middle: the next update starts over and shows it.
    series.setValue(Axis::Y, 100, 49);
    const Coverage changed = coverageOf(stepping, series, projection, clip);
    EXPECT_EQ(stepping.pointsWalked(), series.size());
    SeriesGeometry fresh;
    EXPECT_EQ(changed.columns, coverageOf(fresh, series, projection, clip).columns);
}

TEST(SeriesGeometry, RunsOutsideTheViewAreNotWalked)
{
    ChartSeries series;
    fillPasses(series, 0, 200'000);
    const QRectF plot(0, 0, 800, 600);
    ChartView view;
    view.zoomAbout(QPointF(0.5, 0.5), 20);
    const Projection2D zoomed({0, 100}, {0, 200}, view, plot, false);
    SeriesGeometry geometry;
    const Polylines& lines = geometry.update(series, zoomed, plot);
    EXPECT_LT(geometry.pointsWalked(), series.size() / 10);
    EXPECT_GT(lines.points.size(), 0u);
    // What is drawn is what a walk over every point would draw.
    PolylineDecimator all(plot);
    for (std::size_t i = 0; i < series.size(); ++i) {
        if (series.isNull(i)) {
            all.gap();
            continue;
        }
        const QPointF p = zoomed.map(series.x(i), series.y(i));
        all.point(p.x(), p.y());
    }
    all.flush();
    EXPECT_EQ(coverageOf(lines).columns, coverageOf(all.output()).columns);
}

TEST(SeriesGeometry, ThreeDimensionalLinesExtendToo)
{
    ChartSeries series;
    const QRectF plot(0, 0, 640, 480);
    ChartView view;
    view.rotate(17, -8);
    const Projection3D projection({0, 100}, {-10, 10}, {0, 100}, view, plot, {1, 0.2, 1});
    SeriesGeometry stepping;
    for (int batch = 0; batch < 30; ++batch) {
        for (int i = 0; i < 100; ++i) {
            const double a = (batch * 100 + i) * 0.01;
            series.append(50 + 40 * std::cos(a), -a / 3, 50 + 40 * std::sin(a));
        }
        stepping.update(series, projection, plot);
    }
    SeriesGeometry fresh;
    EXPECT_EQ(coverageOf(stepping.update(series, projection, plot)).columns,
              coverageOf(fresh.update(series, projection, plot)).columns);
}

TEST(SeriesGeometry, AShownStoreDrawsAsTheSamePointsStored)
{
    // The same toolpath stored in one series and shown from a store by another, which
    // grows in steps: the polylines are the same, point for point, in 2D and in 3D.
    const QRectF plot(0, 0, 640, 480);
    ChartView view;
    view.rotate(25, -12);
    const Projection2D flat({0, 100}, {0, 60}, ChartView(), plot, false);
    const Projection3D deep({0, 100}, {0, 60}, {-1, 1}, view, plot, {1, 0.6, 0.2});
    ChartSeries stored;
    std::vector<ChartPoint> points;
    ChartSeries shown;
    shown.show(std::make_unique<test::StoredPoints>(points));
    SeriesGeometry stored2D, shown2D, stored3D, shown3D;
    int filled = 0;
    for (int batch : {3, 400, 1, 9000, 20}) {
        fillPasses(stored, filled, filled + batch);
        filled += batch;
        points.clear();
        for (std::size_t i = 0; i < stored.size(); ++i)
            points.push_back(stored.point(i));
        for (const bool threeD : {false, true}) {
            const Polylines& a =
                threeD ? stored3D.update(stored, deep, plot) : stored2D.update(stored, flat, plot);
            const Polylines& b =
                threeD ? shown3D.update(shown, deep, plot) : shown2D.update(shown, flat, plot);
            EXPECT_EQ(a.points, b.points) << filled << (threeD ? " 3D" : " 2D");
            EXPECT_EQ(a.starts, b.starts) << filled << (threeD ? " 3D" : " 2D");
        }
        // The store's new points extend the lines, as appends to a series do.
        EXPECT_LE(shown2D.pointsWalked(), static_cast<std::size_t>(batch) + 1);
    }
}

}  // namespace
}  // namespace quillon
