#include "charting/ChartData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <random>

#include "charting/ChartRenderer.h"
#include "charting/ChartSamples.h"

namespace quillon {
namespace {

TEST(ChartSeries, EachSeriesKeepsOnlyItsOwnPoints)
{
    ChartData data;
    ChartSeries& big = data.addSeries("big");
    ChartSeries& small = data.addSeries("small");
    for (int i = 0; i < 100'000; ++i)
        big.append(i * 0.5, i);
    small.append(3, 4);
    EXPECT_EQ(data.maxPointCount(), 100'000u);
    EXPECT_EQ(small.size(), 1u);
    EXPECT_EQ(small.yValues().size(), 1u);
    EXPECT_LE(small.xValues().capacity(), 16u);
    // Cells past a series' end are null, as every unset cell of the old dense model was.
    EXPECT_TRUE(small.isNull(1));
    EXPECT_TRUE(small.isNull(99'999));
    EXPECT_EQ(small.y(50), kChartNull);
    EXPECT_FALSE(big.isNull(99'999));
}

TEST(ChartSeries, CellsAreSetAsInTheOldModel)
{
    const struct {
        const char* scenario;
        std::function<void(ChartSeries&)> fill;
        std::vector<bool> nulls;
    } cases[] = {
        {"a cell far past the end grows the series with null points",
         [](ChartSeries& s) {
             s.setValue(Axis::X, 4, 10);
             s.setValue(Axis::Y, 4, 20);
         },
         {true, true, true, true, false}},
        {"X set but Y never: null",
         [](ChartSeries& s) {
             s.append(1, 1);
             s.setValue(Axis::X, 1, 5);
         },
         {false, true}},
        {"a gap between points",
         [](ChartSeries& s) {
             s.append(1, 1);
             s.appendGap();
             s.append(3, 3);
         },
         {false, true, false}},
        {"the null value in either coordinate",
         [](ChartSeries& s) {
             s.append(kChartNull, 1);
             s.append(1, kChartNull);
             s.append(2, 2);
         },
         {true, true, false}},
        {"not-a-number and infinity are null too",
         [](ChartSeries& s) {
             s.append(std::numeric_limits<double>::quiet_NaN(), 1);
             s.append(1, std::numeric_limits<double>::infinity());
             s.append(2, 2, -std::numeric_limits<double>::infinity());
         },
         {true, true, true}},
    };
    for (const auto& c : cases) {
        ChartSeries series;
        c.fill(series);
        ASSERT_EQ(series.size(), c.nulls.size()) << c.scenario;
        for (std::size_t i = 0; i < c.nulls.size(); ++i)
            EXPECT_EQ(series.isNull(i), c.nulls[i]) << c.scenario << ", point " << i;
    }
}

TEST(ChartSeries, XAndZAreImpliedUntilGiven)
{
    ChartSeries categories;
    for (double value : {5.0, 7.0, 6.0})
        categories.append(categories.size() + 1.0, value);
    EXPECT_FALSE(categories.hasX());
    EXPECT_EQ(categories.x(2), 3);
    EXPECT_EQ(categories.z(2), 0);

    // The first point's X and Z are kept even when it is what makes them stored.
    ChartSeries path;
    path.append(10, 20, 30);
    path.append(11, 21, 0);
    EXPECT_TRUE(path.hasX());
    EXPECT_TRUE(path.hasZ());
    EXPECT_EQ(path.x(0), 10);
    EXPECT_EQ(path.z(0), 30);
    EXPECT_EQ(path.z(1), 0);

    // A series that started at its positions keeps them when an X comes along.
    categories.append(10, 1);
    EXPECT_TRUE(categories.hasX());
    EXPECT_EQ(categories.x(0), 1);
    EXPECT_EQ(categories.x(3), 10);
}

TEST(ChartSeries, OnlyChangesBeforeTheEndMoveTheRevision)
{
    ChartSeries series;
    series.append(1, 1);
    const auto start = series.revision();
    series.append(2, 2);
    series.appendGap();
    series.setValue(Axis::Y, 5, 3);  // past the end: appending
    EXPECT_EQ(series.revision(), start);
    series.setValue(Axis::Y, 0, 9);
    EXPECT_NE(series.revision(), start);
    const auto changed = series.revision();
    series.clear();
    EXPECT_NE(series.revision(), changed);
    ChartSeries other;
    EXPECT_NE(other.id(), series.id());
}

// The boxes a series keeps while it grows and changes are those of a series filled at
// once with the same points.
TEST(ChartSeries, RunBoxesKeptUpToDateMatchFreshOnes)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> coordinate(-100, 100);
    ChartSeries grown;
    std::vector<double> xs, ys, zs;
    auto compare = [&](const char* scenario) {
        ChartSeries fresh;
        fresh.assign(xs, ys, zs);
        const auto& a = grown.runBoxes();
        const auto& b = fresh.runBoxes();
        ASSERT_EQ(a.size(), b.size()) << scenario;
        for (std::size_t run = 0; run < a.size(); ++run) {
            ASSERT_EQ(a[run].empty, b[run].empty) << scenario << ", run " << run;
            for (int axis = 0; axis < 3 && !a[run].empty; ++axis) {
                EXPECT_EQ(a[run].min[axis], b[run].min[axis]) << scenario << ", run " << run;
                EXPECT_EQ(a[run].max[axis], b[run].max[axis]) << scenario << ", run " << run;
            }
        }
    };
    for (int batch = 0; batch < 40; ++batch) {
        const int count = batch % 3 == 0 ? 700 : 7;
        for (int i = 0; i < count; ++i) {
            const bool gap = random() % 50 == 0;
            xs.push_back(gap ? kChartNull : coordinate(random));
            ys.push_back(gap ? kChartNull : coordinate(random));
            zs.push_back(gap ? kChartNull : coordinate(random));
            if (gap)
                grown.appendGap();
            else
                grown.append(xs.back(), ys.back(), zs.back());
        }
        compare("after appending");
    }
    // A point in the middle moved far out, then one at the start of a run (which is also
    // the last point of the run before).
    for (std::size_t point : {std::size_t{3000}, 2 * ChartSeries::kRunLength}) {
        xs[point] = 1000;
        grown.setValue(Axis::X, point, 1000);
        compare("after a change in the middle");
        xs[point] = 0;
        grown.setValue(Axis::X, point, 0);
        compare("after the change was taken back");
    }
}

TEST(ChartSeries, AShownStoreIsReadAsTheSeriesOwnPoints)
{
    // The same points once stored in the series and once shown from a store that grows
    // in batches: every reading of the series agrees, run boxes included.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> coordinate(-100, 100);
    std::vector<ChartPoint> points;
    ChartSeries shown;
    shown.append(1, 2);  // its own points go when it shows a store
    shown.show(std::make_unique<test::StoredPoints>(points));
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(shown.yValues().empty());
    ChartSeries stored;
    for (int batch = 0; batch < 12; ++batch) {
        const int count = batch % 4 == 0 ? 900 : 5;
        for (int i = 0; i < count; ++i) {
            if (random() % 40 == 0) {
                points.push_back({kChartNull, kChartNull, kChartNull});
                stored.appendGap();
                continue;
            }
            const ChartPoint p{coordinate(random), coordinate(random), coordinate(random)};
            points.push_back(p);
            stored.append(p.x, p.y, p.z);
        }
        ASSERT_EQ(shown.size(), stored.size());
        for (std::size_t i = 0; i <= stored.size(); ++i) {
            ASSERT_EQ(shown.isNull(i), stored.isNull(i)) << i;
            if (!stored.isNull(i)) {
                ASSERT_EQ(shown.x(i), stored.x(i)) << i;
                ASSERT_EQ(shown.y(i), stored.y(i)) << i;
                ASSERT_EQ(shown.z(i), stored.z(i)) << i;
            }
        }
        const auto& a = shown.runBoxes();
        const auto& b = stored.runBoxes();
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t run = 0; run < a.size(); ++run) {
            ASSERT_EQ(a[run].empty, b[run].empty) << run;
            for (int axis = 0; axis < 3 && !a[run].empty; ++axis) {
                EXPECT_EQ(a[run].min[axis], b[run].min[axis]) << run;
                EXPECT_EQ(a[run].max[axis], b[run].max[axis]) << run;
            }
        }
    }
    EXPECT_TRUE(shown.hasX());
    EXPECT_TRUE(shown.hasZ());
    // A change of its own lets the store go: the series starts over with that point.
    const std::uint64_t revision = shown.revision();
    shown.append(7, 8);
    EXPECT_EQ(shown.shown(), nullptr);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.y(0), 8);
    EXPECT_NE(shown.revision(), revision);
}

TEST(ChartData, AxisRanges)
{
    const struct {
        const char* scenario;
        double min, max;
        std::optional<AxisRange> expected;
    } cases[] = {
        {"as given", -5, 5, AxisRange{-5, 5}},
        {"given the wrong way round", 5, -5, AxisRange{-5, 5}},
        {"empty at zero", 0, 0, AxisRange{-0.5, 0.5}},
        {"empty elsewhere", 100, 100, AxisRange{95, 105}},
        {"not a number: the data decides", std::nan(""), 3, std::nullopt},
        {"infinite: the data decides", 0, HUGE_VAL, std::nullopt},
    };
    for (const auto& c : cases) {
        ChartData data;
        data.setAxisRange(Axis::Y, 1, 2);
        data.setAxisRange(Axis::Y, c.min, c.max);
        EXPECT_EQ(data.axisRange(Axis::Y), c.expected) << c.scenario;
    }
}

TEST(ChartData, DataExtentLeavesNullsOut)
{
    ChartData data;
    EXPECT_FALSE(data.dataExtent(Axis::X));
    ChartSeries& a = data.addSeries();
    a.append(-3, 10);
    a.appendGap();
    a.append(kChartNull, 500);
    data.addSeries().append(7, -2);
    EXPECT_EQ(data.dataExtent(Axis::X), (AxisRange{-3, 7}));
    EXPECT_EQ(data.dataExtent(Axis::Y), (AxisRange{-2, 10}));
}

TEST(ChartData, SeriesColoursComeFromThePaletteUnlessGiven)
{
    ChartData data;
    data.addSeries("a");
    data.addSeries("b", QColor(1, 2, 3));
    EXPECT_EQ(data.seriesColor(0), paletteColor(0));
    EXPECT_EQ(data.seriesColor(1), QColor(1, 2, 3));
    // Distinct colours for the seventeen series of a backplot.
    for (int i = 0; i < 17; ++i) {
        for (int j = 0; j < i; ++j)
            EXPECT_NE(paletteColor(i), paletteColor(j)) << i << " " << j;
    }
}

TEST(PieSlices, AnglesFollowTheValues)
{
    const struct {
        const char* scenario;
        std::vector<double> values;
        std::vector<ChartPieSlice> expected;
    } cases[] = {
        {"quarters", {1, 1, 2}, {{0, 0, 90}, {1, 90, 90}, {2, 180, 180}}},
        {"null, negative and zero values get no slice",
         {kChartNull, 3, -4, 0, 1},
         {{1, 0, 270}, {4, 270, 90}}},
        {"one value is the whole pie", {42}, {{0, 0, 360}}},
        {"nothing to show", {0, kChartNull}, {}},
    };
    for (const auto& c : cases) {
        ChartSeries series;
        for (double value : c.values)
            series.append(series.size() + 1.0, value);
        // Points past the series' end (labels without values) are empty slices.
        const auto slices = pieSlices(series, c.values.size() + 2);
        ASSERT_EQ(slices.size(), c.expected.size()) << c.scenario;
        for (std::size_t i = 0; i < slices.size(); ++i) {
            EXPECT_EQ(slices[i].point, c.expected[i].point) << c.scenario;
            EXPECT_NEAR(slices[i].start, c.expected[i].start, 1e-9) << c.scenario;
            EXPECT_NEAR(slices[i].span, c.expected[i].span, 1e-9) << c.scenario;
        }
    }
}

}  // namespace
}  // namespace quillon
