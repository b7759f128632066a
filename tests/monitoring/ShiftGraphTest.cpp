// The detailed shift graph of a record file: its intervals and their colours, the
// reference day, the time bar, the current shift's closing, the cycle rates, and files
// that are damaged or missing.
#include "monitoring/ShiftGraph.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/ShiftSamples.h"
#include "platform/TextFile.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::kShiftStart;
using test::shiftFile;

constexpr std::int64_t kDay = 86'400;

struct Expected {
    std::int64_t start;  // seconds after kShiftStart
    std::int64_t end;
    int colorIndex;
    std::string stateText;
    int shade = -1;
};

void expectIntervals(const ShiftGraph& graph, const std::vector<Expected>& expected,
                     const std::string& name)
{
    ASSERT_EQ(graph.intervals.size(), expected.size()) << name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ShiftInterval& got = graph.intervals[i];
        const Expected& want = expected[i];
        EXPECT_EQ(got.start - kShiftStart, want.start) << name << " #" << i;
        EXPECT_EQ(got.end - kShiftStart, want.end) << name << " #" << i;
        EXPECT_EQ(got.colorIndex, want.colorIndex) << name << " #" << i;
        EXPECT_EQ(got.stateText, want.stateText) << name << " #" << i;
        EXPECT_EQ(got.shade, want.shade) << name << " #" << i;
    }
}

class ShiftGraphTest : public ::testing::Test {
protected:
    ShiftGraph load(const std::vector<test::SampleRecord>& records,
                    std::optional<std::int64_t> closeAfter = std::nullopt) const
    {
        std::optional<std::int64_t> closeAt;
        if (closeAfter)
            closeAt = kShiftStart + *closeAfter;
        return loadShiftGraph(shiftFile(records), table, closeAt);
    }

    test::ScopedTimeZone zone;
    StatusTable table = StatusTable::defaults();
};

TEST_F(ShiftGraphTest, RecordsBecomeIntervalsThatInfoEventsNeverEnd)
{
    const struct {
        const char* name;
        std::vector<test::SampleRecord> records;
        std::vector<Expected> intervals;
    } rows[] = {
        {"a cycle between shift start and end",
         {{0, "_SH_START"}, {60, "_CON"}, {360, "_COFF"}, {600, "_SH_END"}},
         {{60, 360, 0, "CYCLE ON"}, {360, 600, 1, "CYCLE OFF"}}},
        {"a count inside a cycle does not split it",
         {{0, "_CON"}, {120, "_CYCOUNT,5,1,10"}, {300, "_COFF"}, {400, "_SH_END"}},
         {{0, 300, 0, "CYCLE ON"}, {300, 400, 1, "CYCLE OFF"}}},
        {"part, operator, employee, sequence and shift start inside a status",
         {{0, "ALARM"},
          {10, "_PARTNO:BRACKET-7"},
          {20, "_OPERATOR:ANNA"},
          {30, "_EMPLOYEE:117"},
          {40, "_OPSEQ:20"},
          {50, "_SH_START"},
          {90, "_SH_END"}},
         {{0, 90, kStatusAlarm, "ALARM"}}},
        {"cycle off with an unreachable module",
         {{0, "_CON"}, {100, "_COFF,NO Ostler"}, {200, "_CON"}, {300, "_SH_END"}},
         {{0, 100, 0, "CYCLE ON"}, {100, 200, 32, "NO Ostler"}, {200, 300, 0, "CYCLE ON"}}},
        {"a time before the previous one is drawn at the previous one",
         {{0, "_CON"}, {300, "LOADING"}, {200, "_COFF"}, {400, "_SH_END"}},
         {{0, 300, 0, "CYCLE ON"}, {300, 300, 31, "LOADING"}, {300, 400, 1, "CYCLE OFF"}}},
        {"the last open interval ends at the last record",
         {{0, "_SETUP"}, {100, "_PARTNO:X"}},
         {{0, 100, kStatusSetup, "SETUP"}}},
        {"nothing before the first state", {{0, "_SH_START"}, {30, "_OPERATOR:BEN"}}, {}},
    };
    for (const auto& row : rows)
        expectIntervals(load(row.records), row.intervals, row.name);
}

TEST_F(ShiftGraphTest, EveryStateGetsAPlaceInsideTheStatusTable)
{
    table.names[3] = "WAITING MATERIAL";
    table.names[kStatusFeedHold] = "TOOL CHANGE";
    const struct {
        const char* event;
        int colorIndex;
        const char* stateText;
        int shade;
    } rows[] = {
        {"_CON", kStatusCycleOn, "CYCLE ON", -1},
        {"_CON,SPINDLE_ON", kStatusCycleOnSpindleOn, "CYCLE/SPINDLE ON", -1},
        {"_CON:H50", kStatusCycleOn, "CYCLE ON", 5},
        {"_CON:R100,50,100", kStatusCycleOn, "CYCLE ON", 11},
        {"_COFF", kStatusCycleOff, "CYCLE OFF", -1},
        {"_COFF,NO Ostler", kStatusNoOstler, "NO Ostler", -1},
        {"_SETUP", kStatusSetup, "SETUP", -1},
        {"LOADING", kStatusLoading, "LOADING", -1},
        {"ALARM", kStatusAlarm, "ALARM", -1},
        {"WAITING MATERIAL", 3, "WAITING MATERIAL", -1},
        {"TOOL CHANGE", kStatusFeedHold, "TOOL CHANGE", -1},
        {"SPINDLE ON", kStatusSpindleOn, "SPINDLE ON", -1},
        {"ALARM,SPINDLE_ON", kStatusSpindleOn, "ALARM", -1},
        {"COFFEE BREAK", kStatusNoOstler, "COFFEE BREAK", -1},
        {"", kStatusNoOstler, "", -1},
    };
    for (const auto& row : rows) {
        const ShiftGraph graph = load({{0, row.event}, {60, "_SH_END"}});
        expectIntervals(graph, {{0, 60, row.colorIndex, row.stateText, row.shade}}, row.event);
    }
    const ShiftGraph shaded = load({{0, "_CON:E75,80,120"}, {60, "_SH_END"}});
    ASSERT_EQ(shaded.intervals.size(), 1u);
    EXPECT_EQ(shaded.intervals[0].feedOverride, 75);
    EXPECT_EQ(shaded.intervals[0].spindleOverride, 80);
}

TEST_F(ShiftGraphTest, BothDateFormsAreTheSameTime)
{
    const std::string bytes =
        "05/12/16,06:00:00,_CON\n05/12/2016,06:10:00,_COFF\n"
        "05/12/16,06:20:00,_SH_END\n";
    const ShiftGraph graph = loadShiftGraph(bytes, table, std::nullopt);
    expectIntervals(graph, {{0, 600, 0, "CYCLE ON"}, {600, 1200, 1, "CYCLE OFF"}}, "mixed forms");
}

TEST_F(ShiftGraphTest, RecordsADayAwayFromTheReferenceAreSkipped)
{
    const struct {
        const char* name;
        std::vector<test::SampleRecord> records;
        std::vector<Expected> intervals;
    } rows[] = {
        {"a stray stamp before the shift",
         {{-3 * kDay, "ALARM"}, {0, "_CON"}, {100, "_COFF"}},
         {{0, 100, 0, "CYCLE ON"}, {100, 100, 1, "CYCLE OFF"}}},
        {"two stray stamps, each a day from the other",
         {{-5 * kDay, "ALARM"}, {-3 * kDay, "LOADING"}, {0, "_CON"}, {100, "_COFF"}},
         {{0, 100, 0, "CYCLE ON"}, {100, 100, 1, "CYCLE OFF"}}},
        {"a stray stamp in the middle",
         {{0, "_CON"}, {2 * kDay, "ALARM"}, {100, "_COFF"}},
         {{0, 100, 0, "CYCLE ON"}, {100, 100, 1, "CYCLE OFF"}}},
        {"exactly a day after a settled reference is drawn",
         {{0, "_CON"}, {100, "ALARM"}, {kDay, "_COFF"}},
         {{0, 100, 0, "CYCLE ON"}, {100, kDay, 33, "ALARM"}, {kDay, kDay, 1, "CYCLE OFF"}}},
        {"a second more than a day is not",
         {{0, "_CON"}, {100, "ALARM"}, {kDay + 1, "_COFF"}},
         {{0, 100, 0, "CYCLE ON"}, {100, 100, 33, "ALARM"}}},
        {"a first record a day before the second gives way to it",
         {{0, "_CON"}, {kDay + 1, "_COFF"}},
         {{kDay + 1, kDay + 1, 1, "CYCLE OFF"}}},
    };
    for (const auto& row : rows)
        expectIntervals(load(row.records), row.intervals, row.name);
}

TEST_F(ShiftGraphTest, TheTimeBarIsWidenedToWholeTenMinuteSteps)
{
    const struct {
        const char* name;
        std::int64_t first;
        std::int64_t last;
        std::int64_t spanStart;
        std::int64_t spanEnd;
    } rows[] = {
        {"both on a step", 0, 8 * 3600, 0, 8 * 3600},
        {"start rounded down", 200, 3600, 0, 3600},
        {"5 seconds past a step stay in it", 0, 3605, 0, 3600},
        {"6 seconds past a step take the next", 0, 3606, 0, 4200},
        {"one record", 1234, 1234, 1200, 1800},
    };
    for (const auto& row : rows) {
        const ShiftGraph graph = load({{row.first, "_CON"}, {row.last, "_SH_END"}});
        EXPECT_EQ(graph.firstTime - kShiftStart, row.first) << row.name;
        EXPECT_EQ(graph.lastTime - kShiftStart, row.last) << row.name;
        EXPECT_EQ(graph.spanStart - kShiftStart, row.spanStart) << row.name;
        EXPECT_EQ(graph.spanEnd - kShiftStart, row.spanEnd) << row.name;
    }
    const ShiftGraph empty = loadShiftGraph("", table, std::nullopt);
    EXPECT_TRUE(empty.intervals.empty());
    EXPECT_EQ(empty.spanStart, 0);
    EXPECT_EQ(empty.spanEnd, 0);
}

TEST_F(ShiftGraphTest, TheCurrentShiftIsClosedAtThePresentTime)
{
    const struct {
        const char* name;
        std::vector<test::SampleRecord> records;
        std::int64_t now;
        std::vector<Expected> intervals;
        RateClass lastRate = RateClass::None;
    } rows[] = {
        {"after cycle on",
         {{0, "_CON"}},
         500,
         {{0, 500, 0, "CYCLE ON"}, {500, 500, 1, "CYCLE OFF"}}},
        {"after a shaded cycle on with a part record",
         {{0, "_CON:H50"}, {60, "_PARTNO:A"}},
         500,
         {{0, 500, 0, "CYCLE ON", 5}, {500, 500, 1, "CYCLE OFF"}}},
        {"after a count, which also rates the run",
         {{0, "ALARM"}, {30, "_CYCOUNT,10,1,5"}},
         90,
         {{0, 90, kStatusAlarm, "ALARM"}, {90, 90, 1, "CYCLE OFF"}},
         RateClass::Above},
        {"after cycle off",
         {{0, "_CON"}, {100, "_COFF"}},
         400,
         {{0, 100, 0, "CYCLE ON"}, {100, 400, 1, "CYCLE OFF"}}},
        {"a clock behind the file",
         {{0, "_CON"}, {100, "ALARM"}},
         50,
         {{0, 100, 0, "CYCLE ON"}, {100, 100, 33, "ALARM"}}},
        {"a file left over from days ago",
         {{0, "_CON"}, {100, "ALARM"}},
         3 * kDay,
         {{0, 100, 0, "CYCLE ON"}, {100, 100, 33, "ALARM"}}},
    };
    for (const auto& row : rows) {
        const ShiftGraph graph = load(row.records, row.now);
        expectIntervals(graph, row.intervals, row.name);
        if (!graph.intervals.empty()) {
            EXPECT_EQ(graph.intervals.front().rateClass, row.lastRate) << row.name;
        }
    }
    // Closed, an archived file reads as it stands.
    expectIntervals(load({{0, "_CON"}}), {{0, 0, 0, "CYCLE ON"}}, "archived");
}

TEST_F(ShiftGraphTest, ACountedRunIsRatedAgainstItsLastCountRecord)
{
    // 20 cycles between the first count (60) and the cycle off (180): 10 a minute.
    const struct {
        const char* name;
        long min;
        long max;
        RateClass rateClass;
    } rows[] = {
        {"below", 12, 20, RateClass::Below},
        {"within", 5, 15, RateClass::Within},
        {"on the maximum", 5, 10, RateClass::Within},
        {"on the minimum", 10, 15, RateClass::Within},
        {"above", 1, 8, RateClass::Above},
    };
    for (const auto& row : rows) {
        const std::string count =
            "_CYCOUNT,10," + std::to_string(row.min) + "," + std::to_string(row.max);
        const ShiftGraph graph = load({{0, "_CON"},
                                       {60, "_CYCOUNT,10,0,0"},
                                       {120, count},
                                       {180, "_COFF"},
                                       {240, "_SH_END"}});
        ASSERT_EQ(graph.intervals.size(), 2u) << row.name;
        EXPECT_EQ(graph.intervals[0].rate, 10) << row.name;
        EXPECT_EQ(graph.intervals[0].rateClass, row.rateClass) << row.name;
        EXPECT_EQ(graph.intervals[1].rateClass, RateClass::None) << row.name;
        EXPECT_TRUE(graph.rateMode);
        EXPECT_EQ(graph.minRate, row.min) << row.name;
        EXPECT_EQ(graph.maxRate, row.max) << row.name;
    }
    // The count sum starts again after each cycle off.
    const ShiftGraph two = load({{0, "_CON"},
                                 {60, "_CYCOUNT,30,1,100"},
                                 {120, "_COFF"},
                                 {200, "_CON"},
                                 {260, "_CYCOUNT,3,1,100"},
                                 {320, "_COFF"}});
    ASSERT_EQ(two.intervals.size(), 4u);
    EXPECT_EQ(two.intervals[0].rate, 30);
    EXPECT_EQ(two.intervals[2].rate, 3);
    // A count stamped with the cycle off itself spans no time: no rate.
    const ShiftGraph instant = load({{0, "_CON"}, {60, "_CYCOUNT,5,1,10"}, {60, "_COFF"}});
    EXPECT_EQ(instant.intervals[0].rateClass, RateClass::None);
}

TEST_F(ShiftGraphTest, TheCycleTimeDialogStartsFromTheLastPartAndCountRecords)
{
    ShiftGraph graph =
        load({{0, "_PARTNO:A,100,200;2"}, {10, "_CON"}, {20, "_PARTNO:B,280,400;1"}});
    EXPECT_FALSE(graph.rateMode);
    EXPECT_EQ(graph.minCycleSeconds, 280);
    EXPECT_EQ(graph.maxCycleSeconds, 400);
    EXPECT_FALSE(graph.minRate);

    graph = load({{0, "_PARTNO:A,100,200"}, {10, "_PARTNO:B"}});
    EXPECT_FALSE(graph.minCycleSeconds) << "the last part record gives no limits";
    EXPECT_FALSE(graph.maxCycleSeconds);

    graph = load({{0, "_PARTNO:A,300,_MIN_ONLY"}, {10, "_CYCOUNT,1,4,9"}, {20, "_CYCOUNT,1,5,8"}});
    EXPECT_EQ(graph.minCycleSeconds, 300);
    EXPECT_FALSE(graph.maxCycleSeconds);
    EXPECT_TRUE(graph.rateMode);
    EXPECT_EQ(graph.minRate, 5);
    EXPECT_EQ(graph.maxRate, 8);
}

// Whatever the bytes, the graph stays drawable: intervals in order, never negative, every
// colour a place of the table, the bar around them (but for the last few seconds).
void expectDrawable(const ShiftGraph& graph, const std::string& name)
{
    std::int64_t previousEnd = graph.firstTime;
    for (const ShiftInterval& interval : graph.intervals) {
        EXPECT_LE(interval.start, interval.end) << name;
        EXPECT_GE(interval.start, previousEnd) << name;
        EXPECT_GE(interval.colorIndex, 0) << name;
        EXPECT_LT(interval.colorIndex, kStatusCount) << name;
        EXPECT_GE(interval.shade, -1) << name;
        EXPECT_LE(interval.shade, kLastShade) << name;
        previousEnd = interval.end;
    }
    EXPECT_LE(previousEnd, graph.lastTime) << name;
    EXPECT_LE(graph.spanStart, graph.firstTime) << name;
    EXPECT_GE(graph.spanEnd, graph.lastTime - kShiftGraphStepSlack) << name;
    EXPECT_LE(graph.spanEnd - graph.spanStart, 2 * kDay + kShiftGraphStep) << name;
}

TEST_F(ShiftGraphTest, DamagedFilesGiveADrawableGraph)
{
    const std::string good = shiftFile({{0, "_CON"}, {100, "_COFF"}});
    const struct {
        const char* name;
        std::string bytes;
        std::size_t intervals;
    } rows[] = {
        {"empty", "", 0},
        {"headers only", "MACHINE MILL 1\r\nSHIFT 1\r\n\r\n", 0},
        {"missing fields", "05/12/16,06:00:00\n05/12/16,06:01:00,\n05/12/16\n", 2},
        {"month 13, day 45, year 99", "13/45/99,06:00:00,_CON\n" + good, 2},
        {"25:61:61", "05/12/16,25:61:61,_CON\n" + good, 2},
        {"before 1970 and after 2100",
         "12/31/1969,23:59:59,_CON\n01/01/2101,00:00:00,ALARM\n" + good, 2},
        {"10 000-character lines",
         "05/12/16,06:00:00," + std::string(10'000, 'A') + "\n" + "05/12/16,06:00:10,_CYCOUNT," +
             std::string(10'000, '9') + "\n" + good,
         3},
        {"NUL bytes", std::string("05/12/16,06:00:00,AL\0RM\n\0\0\0\n", 28) + good, 3},
        {"records far out of order",
         shiftFile({{0, "_CON"},
                    {-7200, "ALARM"},
                    {50'000, "_COFF"},
                    {-80'000, "_CON"},
                    {3600, "_SH_END"},
                    {-kDay, "LOADING"}}),
         5},
        {"counts at their bounds",
         shiftFile({{0, "_CON"},
                    {1, "_CYCOUNT,99999999999,-99999999999,99999999999"},
                    {2, "_CYCOUNT,1000000,0,0"},
                    {3, "_COFF"}}),
         2},
        {"shades out of range",
         shiftFile({{0, "_CON:Z9999,-5,0"}, {1, "_CON:"}, {2, "_CON:A,1,1000"}}), 3},
        {"only CR", "05/12/16,06:00:00,_CON\r05/12/16,06:01:00,_COFF\r", 1},
    };
    for (const auto& row : rows) {
        for (const auto closeAt :
             {std::optional<std::int64_t>(), std::optional<std::int64_t>(kShiftStart + 7200)}) {
            const ShiftGraph graph = loadShiftGraph(row.bytes, table, closeAt);
            expectDrawable(graph, row.name);
            if (!closeAt) {
                EXPECT_EQ(graph.intervals.size(), row.intervals) << row.name;
            }
        }
    }
}

TEST_F(ShiftGraphTest, AFileIsReadThroughAByteForByteCopy)
{
    test::TempWorkDir dir;
    const std::string bytes =
        "SHIFT 1\r\n" + shiftFile({{0, "_CON"}, {100, "_COFF"}}) + std::string("\r\n\0x", 4);
    const std::string path = dir.base() + "/MON12_MILL1_SHIFT1.MON";
    test::writeBytes(path, bytes);

    ShiftGraphLoad load = loadShiftGraphFile(path, dir.base(), 3, table, std::nullopt);
    ASSERT_TRUE(load.ok()) << load.errorText;
    EXPECT_EQ(load.graph.intervals.size(), 2u);
    EXPECT_EQ(readFile(dir.base() + "/ViewTemp3.TXT"), bytes);

    load = loadShiftGraphFile(dir.base() + "/MISSING.MON", dir.base(), 3, table, std::nullopt);
    EXPECT_EQ(load.errorText, dir.base() + "/MISSING.MON file read open error");
    EXPECT_TRUE(load.graph.intervals.empty());

    std::filesystem::create_directory(dir.base() + "/FOLDER.MON");
    load = loadShiftGraphFile(dir.base() + "/FOLDER.MON", dir.base(), 3, table, std::nullopt);
    EXPECT_EQ(load.errorText, dir.base() + "/FOLDER.MON file read open error");

    load = loadShiftGraphFile(path, dir.base() + "/NO_SUCH_FOLDER", 1, table, std::nullopt);
    EXPECT_EQ(load.errorText, kShiftCopyDenied);
    EXPECT_TRUE(load.graph.intervals.empty());
}

}  // namespace
}  // namespace quillon
