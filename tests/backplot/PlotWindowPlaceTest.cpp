#include "backplot/PlotWindowPlace.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(PlotWindowPlace, PositionFilesPerKindAndNumber)
{
    test::TempWorkDir dir;
    EXPECT_EQ(plotWindowFileName(PlotKind::TwoD, 1), "Plot2D1.SYS");
    EXPECT_EQ(plotWindowFileName(PlotKind::ThreeD, 12), "Plot3D12.SYS");
    EXPECT_FALSE(readPlotWindowRect(dir.workDir(), PlotKind::TwoD, 1));

    ASSERT_TRUE(writePlotWindowRect(dir.workDir(), PlotKind::ThreeD, 2, {-5, 10, 400, 300}).ok);
    EXPECT_EQ(dir.read("_TMP/Plot3D2.SYS"), "-5\r\n10\r\n400\r\n300\r\n");
    EXPECT_EQ(readPlotWindowRect(dir.workDir(), PlotKind::ThreeD, 2),
              (WindowRect{-5, 10, 400, 300}));
    EXPECT_FALSE(readPlotWindowRect(dir.workDir(), PlotKind::TwoD, 2));

    struct Case {
        const char* scenario;
        const char* bytes;
        std::optional<WindowRect> rect;
    };
    const Case cases[] = {
        {"LF only, no last line end", "1\n2\n300\n200", WindowRect{1, 2, 300, 200}},
        {"short", "1\r\n2\r\n300\r\n", std::nullopt},
        {"empty", "", std::nullopt},
        {"no width", "100\n0\n100\n200\n", std::nullopt},
        {"upside down", "0\n300\n100\n200\n", std::nullopt},
    };
    for (const auto& c : cases) {
        dir.write("_TMP/Plot2D1.SYS", c.bytes);
        EXPECT_EQ(readPlotWindowRect(dir.workDir(), PlotKind::TwoD, 1), c.rect) << c.scenario;
    }
}

TEST(PlotWindowPlace, AStoredPlaceIsBroughtOntoTheScreen)
{
    constexpr int kMax = std::numeric_limits<std::int32_t>::max();
    constexpr int kMin = std::numeric_limits<std::int32_t>::min();
    struct Case {
        const char* scenario;
        WindowRect stored;
        std::optional<WindowRect> shown;
    };
    // On a screen of 1920 x 1080.
    const Case cases[] = {
        {"inside", {10, 20, 500, 400}, WindowRect{10, 20, 500, 400}},
        {"touching the corner", {1420, 580, 1920, 1080}, WindowRect{1420, 580, 1920, 1080}},
        {"beyond the right edge keeps its width",
         {1800, 20, 2300, 400},
         WindowRect{1420, 20, 1920, 400}},
        {"beyond the bottom keeps its height",
         {10, 1000, 500, 1400},
         WindowRect{10, 680, 500, 1080}},
        {"negative left and top", {-30, -5, 500, 400}, WindowRect{0, 0, 500, 400}},
        {"wider than the screen", {100, 0, 2500, 400}, WindowRect{0, 0, 1920, 400}},
        {"wholly left of the screen", {-800, 0, -100, 400}, std::nullopt},
        {"wholly above the screen", {0, -800, 400, -100}, std::nullopt},
        {"numbers at the ends of the range",
         {kMin, kMin, kMax, kMax},
         WindowRect{0, 0, 1920, 1080}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keepOnScreen(c.stored, 1920, 1080), c.shown) << c.scenario;
}

TEST(PlotWindowPlace, WindowsAreNumberedByTheCountOpenOfTheirKind)
{
    PlotWindowCounter counter;
    EXPECT_EQ(counter.opened(), 1);
    EXPECT_EQ(counter.opened(), 2);
    counter.closed();
    EXPECT_EQ(counter.opened(), 2);  // the next window takes the place file of number 2
    counter.closed();
    counter.closed();
    counter.closed();  // never below none
    EXPECT_EQ(counter.open(), 0);
    EXPECT_EQ(counter.opened(), 1);

    EXPECT_EQ(firstPlotWindowRect(1601, 900), (WindowRect{0, 0, 799, 449}));
    EXPECT_EQ(firstPlotWindowRect(0, 0), (WindowRect{0, 0, 1, 1}));
}

TEST(PlotWindowPlace, DraggingAnEdgeKeepsTheScale)
{
    // 100 across, 50 up (and 300 deep in 3D); menu bars of 20 pixels: 120 around the plot.
    const PlotAxisRanges ranges{{-10, 90}, {5, 55}, {0, 300}};
    struct Case {
        const char* scenario;
        PlotKind kind;
        PlotAxisRanges ranges;
        DraggedEdge edge;
        WindowSize size;
        WindowSize followed;
    };
    const Case cases[] = {
        {"2D side: 4 pixels a unit",
         PlotKind::TwoD,
         ranges,
         DraggedEdge::LeftOrRight,
         {400, 999},
         {400, 200 + 120}},
        {"2D top: 4 pixels a unit",
         PlotKind::TwoD,
         ranges,
         DraggedEdge::TopOrBottom,
         {999, 320},
         {400, 320}},
        {"3D side: across is the mean of X and depth",
         PlotKind::ThreeD,
         ranges,
         DraggedEdge::LeftOrRight,
         {400, 999},
         {400, 100 + 120}},
        {"3D top", PlotKind::ThreeD, ranges, DraggedEdge::TopOrBottom, {999, 220}, {400, 220}},
        {"2D no width: the divisor counts as 1",
         PlotKind::TwoD,
         ranges,
         DraggedEdge::LeftOrRight,
         {0, 999},
         {0, 120}},
        {"2D height within the menu bars",
         PlotKind::TwoD,
         ranges,
         DraggedEdge::TopOrBottom,
         {999, 100},
         {2, 100}},
        {"a flat plot: the scale counts as 1",
         PlotKind::TwoD,
         {{0, 0}, {0, 0}, {}},
         DraggedEdge::LeftOrRight,
         {400, 999},
         {400, 120}},
        {"a huge range stays a window size",
         PlotKind::TwoD,
         {{0, 1}, {0, 1e30}, {}},
         DraggedEdge::LeftOrRight,
         {400, 999},
         {400, 100000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keepPlotScale(c.kind, c.ranges, c.edge, c.size, 20), c.followed) << c.scenario;
}

}  // namespace
}  // namespace quillon
