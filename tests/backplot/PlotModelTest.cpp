#include "backplot/PlotModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backplot/BackplotChain.h"
#include "backplot/PlotStepper.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr float kNull = kNullValue;

PlotPoint at(int line, int slot, float x, float y, float z = 0)
{
    return {line, 0, slot, x, y, z};
}

// A gap point: the last point of a slot repeated to break its line.
PlotPoint gapAt(int line, int slot, float x, float y, float z = 0)
{
    return {line, 1, slot, x, y, z};
}

// A build with slot 0 "G00" and tools T1..Tn in slots 1..n.
PlotBuild buildOf(std::vector<PlotPoint> points, int tools = 16)
{
    PlotBuild build;
    build.points = std::move(points);
    build.tools[0] = "G00";
    for (int slot = 1; slot <= tools; ++slot)
        build.tools[static_cast<std::size_t>(slot)] = "T" + std::to_string(slot);
    return build;
}

BackplotSettings settingsFor(int plane, bool lathe = false, bool showRapids = true)
{
    BackplotSettings settings;
    settings.plane = plane;
    settings.lathe = lathe;
    settings.showRapids = showRapids;
    return settings;
}

// A series' cells as (horizontal, vertical) pairs.
std::vector<std::pair<float, float>> cells(const PlotModel& model, std::size_t series)
{
    std::vector<std::pair<float, float>> result;
    for (std::size_t i = 0; i < model.series()[series].size(); ++i) {
        const PlotCell cell = model.cellAt(series, i);
        result.emplace_back(cell.horizontal, cell.vertical);
    }
    return result;
}

using Cells = std::vector<std::pair<float, float>>;

PlotModel drawn(const PlotBuild& build, const BackplotSettings& settings = {},
                PlotKind kind = PlotKind::TwoD, std::optional<FindRequest> find = {})
{
    PlotModel model(build, kind, settings, SlotRange::allTools(settings.showRapids), find);
    model.appendAll();
    return model;
}

TEST(PlotModel, AProgramWithoutMotionHasNoSeries)
{
    const PlotBuild build = buildOf({});
    const PlotModel model = drawn(build, {}, PlotKind::TwoD, FindRequest{0, 1});
    EXPECT_TRUE(model.empty());
    EXPECT_FALSE(model.findSeries());
    EXPECT_FALSE(model.axisRanges());
    EXPECT_EQ(model.mainTitle(), "2D back plotting / XY / All tools");
    EXPECT_FALSE(model.pointAt(0, 0));
}

TEST(PlotModel, OneSeriesPerSlotUpToTheHighestUsed)
{
    const PlotBuild build = buildOf({at(0, 0, 1, 1), at(1, 3, 2, 2)}, 3);
    const PlotModel model = drawn(build);
    ASSERT_EQ(model.series().size(), 4u);
    const char* labels[] = {"G00", "T1", "T2", "T3"};
    for (std::size_t s = 0; s < 4; ++s) {
        EXPECT_EQ(model.series()[s].label, labels[s]);
        EXPECT_EQ(model.series()[s].slot, static_cast<int>(s));
        EXPECT_EQ(model.series()[s].kind, s == 0 ? SeriesKind::Rapid : SeriesKind::Tool);
    }
    EXPECT_EQ(cells(model, 0), (Cells{{1, 1}}));
    EXPECT_TRUE(model.series()[1].source.empty());  // ragged: unused slots hold no cell
    EXPECT_EQ(cells(model, 3), (Cells{{2, 2}}));
    EXPECT_EQ(model.cellAt(3, 0).depth, 0);  // 2D has no depth
}

TEST(PlotModel, AxesPerPlaneAndMode)
{
    struct Case {
        const char* scenario;
        PlotKind kind;
        int plane;
        bool lathe;
        std::array<float, 3> cell;  // from the point X 1, Y 2, Z 3
        PlotAxisTitles titles;
        const char* title;
    };
    const Case cases[] = {
        {"2D XY",
         PlotKind::TwoD,
         kPlaneXY,
         false,
         {1, 2, 0},
         {"X Axis", "Y Axis", ""},
         "2D back plotting / XY / All tools"},
        {"2D XY on a lathe",
         PlotKind::TwoD,
         kPlaneXY,
         true,
         {1, 2, 0},
         {"X Axis", "Y Axis", ""},
         "2D back plotting / XY / All tools"},
        {"2D XZ mill",
         PlotKind::TwoD,
         kPlaneXZ,
         false,
         {1, 3, 0},
         {"X Axis", "Z Axis", ""},
         "2D back plotting / XZ / All tools"},
        {"2D XZ lathe: Z across, X up",
         PlotKind::TwoD,
         kPlaneXZ,
         true,
         {3, 1, 0},
         {"Z Axis", "X Axis", ""},
         "2D back plotting / XZ / All tools"},
        {"2D YZ",
         PlotKind::TwoD,
         kPlaneYZ,
         false,
         {2, 3, 0},
         {"Y Axis", "Z Axis", ""},
         "2D back plotting / YZ / All tools"},
        {"3D mill: Z up, Y deep",
         PlotKind::ThreeD,
         7,
         false,
         {1, 3, 2},
         {"X Axis", "Z Axis", "Y Axis"},
         "3D back plotting / All tools"},
        {"3D lathe: Z across, X up",
         PlotKind::ThreeD,
         7,
         true,
         {3, 1, 2},
         {"Z Axis", "X Axis", "Y Axis"},
         "3D back plotting / All tools"},
    };
    for (const auto& c : cases) {
        const PlotBuild build = buildOf({at(0, 1, 1, 2, 3)});
        const PlotModel model = drawn(build, settingsFor(c.plane, c.lathe), c.kind);
        const PlotSeries& series = model.series()[1];
        ASSERT_EQ(series.size(), 1u) << c.scenario;
        const PlotCell cell = model.cellAt(1, 0);
        EXPECT_EQ(cell.horizontal, c.cell[0]) << c.scenario;
        EXPECT_EQ(cell.vertical, c.cell[1]) << c.scenario;
        EXPECT_EQ(cell.depth, c.kind == PlotKind::ThreeD ? c.cell[2] : 0) << c.scenario;
        const PlotAxisTitles titles = model.axisTitles();
        EXPECT_EQ(titles.horizontal, c.titles.horizontal) << c.scenario;
        EXPECT_EQ(titles.vertical, c.titles.vertical) << c.scenario;
        EXPECT_EQ(titles.depth, c.titles.depth) << c.scenario;
        EXPECT_EQ(model.mainTitle(), c.title) << c.scenario;
    }
}

TEST(PlotModel, GapPointsBreakTheLineAndAreNoExtent)
{
    // A tool change as the path builder writes it: T1's last point again as a gap, then
    // the same point in T2's slot. Z goes with Y, so that 2D (XY) and 3D (Z up) draw alike.
    const PlotBuild build =
        buildOf({at(0, 1, 5, 5, 5), at(1, 1, 8, 5, 5), gapAt(1, 1, 8, 5, 5), at(1, 2, 8, 5, 5),
                 at(2, 2, 8, -4, -4), gapAt(3, 2, 99, 99, 99), gapAt(3, 2, 99, 99, 99)});
    for (const PlotKind kind : {PlotKind::TwoD, PlotKind::ThreeD}) {
        const PlotModel model = drawn(build, {}, kind);
        EXPECT_EQ(cells(model, 1), (Cells{{5, 5}, {8, 5}, {kNull, kNull}}));
        // Two gaps in a row draw as one.
        EXPECT_EQ(cells(model, 2), (Cells{{8, 5}, {8, -4}, {kNull, kNull}}));
        if (kind == PlotKind::ThreeD) {
            EXPECT_EQ(model.cellAt(2, 2).depth, kNull);
        }
        EXPECT_EQ(model.extents().max, (std::array<float, 3>{8, 5, 5}));
        EXPECT_EQ(model.extents().min, (std::array<float, 3>{5, -4, -4}));
    }
}

TEST(PlotModel, RepeatedPointsAreLeftOutAndClicksStillFindTheirLine)
{
    const PlotBuild build = buildOf({
        at(10, 1, 0, 0, 0),
        at(11, 1, 0, 0, 0),  // the same point: left out
        at(12, 0, 0, 0, 0),  // the same place in another slot: kept
        at(13, 1, 0, 0, 0),  // not the same as the last point put in (slot 0): kept
        at(14, 1, 3, 0, 0),
        at(15, 1, 3, 0, -2),  // the same drawn point in XY, a new one in 3D
        at(16, 1, 3, 1, -2),
    });
    const PlotModel flat = drawn(build);
    EXPECT_EQ(cells(flat, 1), (Cells{{0, 0}, {0, 0}, {3, 0}, {3, 1}}));
    EXPECT_EQ(flat.series()[1].source, (std::vector<std::uint32_t>{0, 3, 4, 6}));
    EXPECT_EQ(flat.lineAt(1, 3), 16);
    EXPECT_EQ(flat.lineAt(0, 0), 12);
    EXPECT_EQ(flat.pointAt(1, 2), 4u);
    EXPECT_FALSE(flat.pointAt(1, 4));  // past the series' end
    EXPECT_FALSE(flat.pointAt(2, 0));  // no such series

    const PlotModel deep = drawn(build, {}, PlotKind::ThreeD);
    EXPECT_EQ(deep.series()[1].source, (std::vector<std::uint32_t>{0, 3, 4, 5, 6}));
    EXPECT_EQ(deep.lineAt(1, 3), 15);

    // With the rapids hidden, the point in slot 0 is not "the last point put in".
    const PlotModel noRapids = drawn(build, settingsFor(kPlaneXY, false, false));
    EXPECT_EQ(noRapids.series()[1].source, (std::vector<std::uint32_t>{0, 4, 6}));
    EXPECT_TRUE(noRapids.series()[0].source.empty());
}

TEST(PlotModel, ShowG00OffHidesTheRapidsAndTheirRangeFromTheSameBuild)
{
    const PlotBuild build = buildOf({at(0, 0, -50, 80), at(1, 1, 0, 10), at(2, 1, 20, 30)});
    const PlotModel withRapids = drawn(build);
    ASSERT_TRUE(withRapids.axisRanges());
    EXPECT_DOUBLE_EQ(withRapids.axisRanges()->horizontal.min, -55);
    EXPECT_DOUBLE_EQ(withRapids.axisRanges()->vertical.max, 88);

    const PlotModel without = drawn(build, settingsFor(kPlaneXY, false, false));
    ASSERT_EQ(without.series().size(), 2u);  // the series stays, empty
    EXPECT_TRUE(without.series()[0].source.empty());
    EXPECT_EQ(cells(without, 1), (Cells{{0, 10}, {20, 30}}));
    const auto ranges = without.axisRanges();
    ASSERT_TRUE(ranges);
    EXPECT_DOUBLE_EQ(ranges->horizontal.min, -0.1);
    EXPECT_DOUBLE_EQ(ranges->horizontal.max, 22);
    EXPECT_DOUBLE_EQ(ranges->vertical.min, 9);
    EXPECT_DOUBLE_EQ(ranges->vertical.max, 33);

    // Rapids alone and hidden: nothing to range over.
    const PlotBuild rapids = buildOf({at(0, 0, 1, 1)});
    EXPECT_FALSE(drawn(rapids, settingsFor(kPlaneXY, false, false)).axisRanges());
}

TEST(PlotModel, AxisRangesHaveATenthOfMargin)
{
    struct Case {
        const char* scenario;
        PlotKind kind;
        float low, high;  // X of the two points
        PlotRange range;
    };
    const Case cases[] = {
        {"positive", PlotKind::TwoD, 10, 20, {9, 22}},
        {"negative", PlotKind::TwoD, -20, -10, {-22, -9}},
        {"across zero", PlotKind::TwoD, -10, 20, {-11, 22}},
        {"2D: zero bounds get a margin", PlotKind::TwoD, 0, 0, {-0.1, 0.1}},
        {"3D: zero bounds stay", PlotKind::ThreeD, 0, 0, {0, 0}},
        {"3D positive", PlotKind::ThreeD, 10, 20, {9, 22}},
    };
    for (const auto& c : cases) {
        const PlotBuild build = buildOf({at(0, 1, c.low, 1, 1), at(1, 1, c.high, 2, 2)});
        const auto ranges = drawn(build, {}, c.kind).axisRanges();
        ASSERT_TRUE(ranges) << c.scenario;
        EXPECT_NEAR(ranges->horizontal.min, c.range.min, 1e-5) << c.scenario;
        EXPECT_NEAR(ranges->horizontal.max, c.range.max, 1e-5) << c.scenario;
    }
}

TEST(PlotModel, FindHighlightsTheLineAndTheOneBeforeAStraightMove)
{
    const PlotBuild build = buildOf(
        {at(0, 0, 0, 0), at(1, 1, 0, 0), at(2, 1, 5, 0), at(2, 1, 5, 1), at(3, 1, 9, 9)}, 1);
    const PlotModel straight = drawn(build, {}, PlotKind::TwoD, FindRequest{2, 1});
    ASSERT_EQ(straight.series().size(), 3u);
    ASSERT_EQ(straight.findSeries(), 2u);
    const PlotSeries& find = straight.series()[2];
    EXPECT_EQ(find.label, "Find");
    EXPECT_EQ(find.kind, SeriesKind::Find);
    EXPECT_EQ(find.slot, 2);  // the colour of the slot after the last tool
    EXPECT_EQ(find.source, (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(straight.lineAt(2, 0), 1);

    const PlotModel arc = drawn(build, {}, PlotKind::TwoD, FindRequest{2, 2});
    EXPECT_EQ(arc.series()[2].source, (std::vector<std::uint32_t>{2, 3}));
    EXPECT_EQ(straight.mainTitle(), "2D back plotting / XY / All tools");
}

TEST(PlotModel, FindNeedsASlotLeftForItsSeries)
{
    for (const int tools : {14, 15, 16}) {
        std::vector<PlotPoint> points;
        for (int slot = 0; slot <= tools; ++slot)
            points.push_back(at(slot, slot, static_cast<float>(slot), 0));
        const PlotBuild build = buildOf(points, tools);
        const PlotModel model = drawn(build, {}, PlotKind::TwoD, FindRequest{3, 1});
        if (tools == 14) {
            EXPECT_EQ(model.series().size(), 16u);
            EXPECT_EQ(model.findSeries(), 15u);
        } else {
            EXPECT_EQ(model.series().size(), static_cast<std::size_t>(tools + 1)) << tools;
            EXPECT_FALSE(model.findSeries()) << tools;
        }
    }
}

TEST(PlotModel, ASingleSeriesShowsItsSlotAlone)
{
    const PlotBuild build =
        buildOf({at(0, 0, 100, 100), at(1, 1, 1, 1), at(2, 2, 5, 6), at(3, 2, 7, 8)}, 2);
    PlotModel model(build, PlotKind::TwoD, settingsFor(kPlaneXZ), SlotRange::single(2));
    model.appendAll();
    EXPECT_EQ(model.series().size(), 3u);
    EXPECT_TRUE(model.series()[0].source.empty());
    EXPECT_TRUE(model.series()[1].source.empty());
    EXPECT_EQ(model.series()[2].size(), 2u);
    EXPECT_EQ(model.mainTitle(), "2D back plotting / XZ / T2");
    EXPECT_EQ(model.extents().max[0], 7);  // only the shown series
    EXPECT_FALSE(model.shows(1));

    PlotModel rapids(build, PlotKind::ThreeD, {}, SlotRange::single(0));
    EXPECT_EQ(rapids.mainTitle(), "3D back plotting / G00");
}

TEST(PlotModel, TheFindCodeIsTheNumberAfterTheFirstG)
{
    const std::pair<const char*, int> cases[] = {
        {"N10 G01 X5.", 1},
        {"G03 X1. R5.", 2},
        {"G2 X1. R5.", 2},
        {"X5. Y5.", 0},
        {"", 0},
        {"G90G00X0", 90},
        {"N20 G", 0},
        {"G 1", 1},
        {"g01 X1", 0},
        {"(GROOVE) G01", 0},
        {"M06 T5 G43", 43},
    };
    for (const auto& [line, code] : cases)
        EXPECT_EQ(findRequestGCode(line), code) << line;
}

// --- Step by step ---------------------------------------------------------------------

PlotBuild rampOf(int count, int slot = 1)
{
    std::vector<PlotPoint> points;
    for (int i = 0; i < count; ++i)
        points.push_back(at(i, slot, static_cast<float>(i), 0));
    return buildOf(points);
}

TEST(PlotStepper, EachTickDrawsSpeedPointsWhileTheEditorFollows)
{
    const PlotBuild build = rampOf(25);
    PlotModel model(build, PlotKind::TwoD, {}, SlotRange::allTools(true));
    PlotStepper stepper;
    EXPECT_FALSE(stepper.due());
    EXPECT_EQ(stepper.tick(model).taken, 0u);  // not running: the timer's tick does nothing

    for (int i = 0; i < 12; ++i)
        stepper.faster();
    EXPECT_EQ(stepper.speed(), PlotStepper::kFastest);
    EXPECT_EQ(stepper.startText(), "&Start");
    stepper.toggleRunning();
    EXPECT_EQ(stepper.startText(), "&Stop");
    EXPECT_FALSE(stepper.canNext());
    EXPECT_FALSE(stepper.canFind());

    StepTick tick = stepper.tick(model);
    EXPECT_EQ(tick.taken, 10u);
    EXPECT_EQ(model.series()[1].size(), 10u);
    EXPECT_EQ(tick.followLine, 11);  // the next point is on line index 10
    EXPECT_FALSE(tick.finished);

    tick = stepper.tick(model);
    EXPECT_EQ(model.series()[1].size(), 20u);
    tick = stepper.tick(model);
    EXPECT_EQ(tick.taken, 5u);
    EXPECT_TRUE(tick.finished);
    EXPECT_FALSE(tick.followLine);
    EXPECT_TRUE(stepper.finished());
    EXPECT_FALSE(stepper.running());
    EXPECT_EQ(stepper.startText(), "&Start");
    EXPECT_FALSE(stepper.canStartOrStop());
    EXPECT_FALSE(stepper.canNext());
    EXPECT_TRUE(stepper.canFind());

    // Finished until a rebuild: Start and Next do nothing.
    stepper.toggleRunning();
    stepper.next();
    EXPECT_FALSE(stepper.due());
    EXPECT_EQ(model.series()[1].size(), 25u);

    stepper.restart();
    EXPECT_EQ(stepper.position(), 0u);
    EXPECT_TRUE(stepper.canNext());
    EXPECT_EQ(stepper.speed(), PlotStepper::kFastest);  // the speed is the window's
    for (int i = 0; i < 12; ++i)
        stepper.slower();
    EXPECT_EQ(stepper.speed(), PlotStepper::kSlowest);
}

TEST(PlotStepper, NextDrawsOneTickAndStopStopsWhereItIs)
{
    const PlotBuild build = rampOf(10);
    PlotModel model(build, PlotKind::TwoD, {}, SlotRange::allTools(true));
    PlotStepper stepper;
    stepper.faster();
    stepper.next();
    EXPECT_TRUE(stepper.due());
    EXPECT_EQ(stepper.tick(model).taken, 2u);
    EXPECT_FALSE(stepper.running());
    EXPECT_EQ(stepper.tick(model).taken, 0u);

    stepper.toggleRunning();
    stepper.next();  // greyed while running
    stepper.tick(model);
    EXPECT_TRUE(stepper.running());
    stepper.stop();
    EXPECT_FALSE(stepper.due());
    EXPECT_EQ(stepper.position(), 4u);
}

TEST(PlotStepper, PointsOfHiddenSlotsArePassedOverWithoutCounting)
{
    // Rapids at list positions 1, 2 and 5 while Show G00 is off.
    const PlotBuild build = buildOf({at(0, 1, 0, 0), at(1, 0, 1, 1), at(2, 0, 2, 2),
                                     at(3, 1, 3, 0), at(4, 1, 4, 0), at(5, 0, 5, 5)});
    PlotModel model(build, PlotKind::TwoD, {}, SlotRange::allTools(false));
    PlotStepper stepper;
    stepper.faster();
    stepper.toggleRunning();
    StepTick tick = stepper.tick(model);
    EXPECT_EQ(tick.taken, 2u);
    EXPECT_EQ(cells(model, 1), (Cells{{0, 0}, {3, 0}}));
    EXPECT_EQ(tick.followLine, 5);  // line index 4, the next point drawn
    tick = stepper.tick(model);
    EXPECT_EQ(tick.taken, 1u);
    EXPECT_TRUE(tick.finished);  // the trailing rapid is passed over in the same tick
}

TEST(PlotStepper, SteppingToTheEndDrawsWhatTheWholeBuildDraws)
{
    const PlotBuild build =
        buildOf({at(0, 0, 0, 0), at(1, 0, 0, 0), at(1, 1, 0, 0), at(2, 1, 4, 4), gapAt(2, 1, 4, 4),
                 at(2, 2, 4, 4), at(3, 2, 4, 4), at(4, 2, 1, 7), at(5, 0, 9, 9)},
                2);
    const FindRequest find{2, 1};
    for (const PlotKind kind : {PlotKind::TwoD, PlotKind::ThreeD}) {
        const PlotModel whole = drawn(build, {}, kind, find);
        PlotModel stepped(build, kind, {}, SlotRange::allTools(true), find);
        PlotStepper stepper;
        stepper.faster();
        stepper.faster();
        stepper.toggleRunning();
        int ticks = 0;
        while (stepper.due() && ticks < 100) {
            stepper.tick(stepped);
            ++ticks;
        }
        EXPECT_EQ(ticks, 3);
        ASSERT_EQ(stepped.series().size(), whole.series().size());
        for (std::size_t s = 0; s < whole.series().size(); ++s) {
            EXPECT_EQ(stepped.series()[s].source, whole.series()[s].source) << s;
        }
        // The range is known before the first point is drawn.
        PlotModel fresh(build, kind, {}, SlotRange::allTools(true));
        EXPECT_EQ(fresh.axisRanges(), whole.axisRanges());
    }
}

// --- From a program -------------------------------------------------------------------

class PlotModelFromProgram : public ::testing::Test {
protected:
    PlotBuild run(const std::vector<std::string>& program, const BackplotSettings& settings)
    {
        const ProgramLines lines{program.size(),
                                 [&](std::size_t i) { return std::string_view(program[i]); }};
        PlotBuild build;
        EXPECT_TRUE(runBackplotChain(lines, settings, dir.base(), build, notifier));
        return build;
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
};

TEST_F(PlotModelFromProgram, ALatheShowsZAcrossAndXUp)
{
    const BackplotSettings lathe = settingsFor(kPlaneXZ, true);
    const PlotBuild build =
        run({"G18 G00 X40. Z2.", "T0101", "G01 Z-30. F0.2", "X60.", "M30"}, lathe);
    const PlotModel model = drawn(build, lathe);
    ASSERT_EQ(model.series().size(), 2u);
    EXPECT_EQ(model.series()[1].label, "T101");
    // X is a diameter: the radius goes up.
    EXPECT_EQ(cells(model, 1), (Cells{{2, 20}, {-30, 20}, {-30, 30}}));
    EXPECT_EQ(model.axisTitles().horizontal, "Z Axis");
    const auto ranges = model.axisRanges();
    ASSERT_TRUE(ranges);
    EXPECT_NEAR(ranges->horizontal.min, -33, 1e-9);
    EXPECT_NEAR(ranges->vertical.max, 33, 1e-5);
    EXPECT_EQ(model.lineAt(1, 1), 2);
}

TEST_F(PlotModelFromProgram, FifteenToolsLeaveNoRoomForFind)
{
    std::vector<std::string> program;
    for (int tool = 1; tool <= 15; ++tool) {
        program.push_back("T" + std::to_string(tool) + " M06");
        program.push_back("G01 X" + std::to_string(tool) + ". Y1.");
    }
    const PlotBuild build = run(program, {});
    const PlotModel model = drawn(build, {}, PlotKind::TwoD, FindRequest{3, 1});
    EXPECT_EQ(model.series().size(), 16u);
    EXPECT_FALSE(model.findSeries());
    EXPECT_EQ(model.series()[15].label, "T15");
}

}  // namespace
}  // namespace quillon
