// The cycle-time analysis of a shift: the cycles of a part with their lengths or rates, the
// totals and the good cycles within the limits, loading, print marks, part records, and
// records out of order or out of shape.
#include "monitoring/CycleTimeAnalysis.h"

#include <gtest/gtest.h>

#include "monitoring/ShiftRecord.h"
#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

// 2016-05-12 06:00 in the shop's zone.
constexpr std::int64_t kShiftStart = 1463050800;

struct Event {
    std::int64_t second;  // after 06:00:00
    std::string event;
};

std::string shift(const std::vector<Event>& events)
{
    std::string bytes = "MONITORING FILE\r\n";
    for (const auto& [second, event] : events)
        bytes += shiftRecordLine(kShiftStart + second, event) + "\r\n";
    return bytes;
}

// Cycles of 300, 330 and 900 seconds.
std::vector<Event> threeCycles(const std::string& partRecord)
{
    return {{0, "_SH_START"}, {0, partRecord}, {60, "_CON"},    {360, "_COFF"},   {400, "_CON"},
            {730, "_COFF"},   {800, "_CON"},   {1700, "_COFF"}, {1800, "_SH_END"}};
}

class CycleTimeAnalysisTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
    CycleTimeAnalysis analysis;

    void open(const std::string& bytes, CycleTimeInputs inputs = {})
    {
        analysis.openBytes(bytes, inputs);
    }
};

TEST(CycleDurationTextTest, MinutesUpToAnHourThenHours)
{
    const struct {
        std::int64_t seconds;
        const char* text;
    } rows[] = {
        {0, "00:00"},       {59, "00:59"},       {315, "05:15"},        {3600, "60:00"},
        {3601, "01:00:01"}, {86399, "23:59:59"}, {360000, "100:00:00"}, {-5, "00:00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(cycleDurationText(row.seconds), row.text) << row.seconds;
}

TEST_F(CycleTimeAnalysisTest, CycleTimesOfAPartAndTheGoodOnes)
{
    const Lines cycles = {
        "BRACKET-7",
        "From 06:01:00 to 06:06:00 TOTAL cycle time: 05:00",
        "From 06:06:40 to 06:12:10 TOTAL cycle time: 05:30",
        "From 06:13:20 to 06:28:20 TOTAL cycle time: 15:00",
    };
    const struct {
        const char* name;
        const char* partRecord;
        Lines summary;
    } rows[] = {
        {"one piece a cycle",
         "_PARTNO:BRACKET-7,280,400;1",
         {"Number of Total cycles: 3", "Average cycle time: 08:30", "Minimum cycle time: 05:00",
          "Maximum cycle time: 15:00", " ", "Number of 'Good' cycles: 2",
          "Average 'Good' cycle time: 05:15"}},
        {"two pieces a cycle: totals per piece",
         "_PARTNO:BRACKET-7,280,400;2",
         {"Number of Total cycles: 6", "Average cycle time: 04:15", "Minimum cycle time: 02:30",
          "Maximum cycle time: 07:30", " ", "Number of 'Good' cycles: 4",
          "Average 'Good' cycle time: 02:37"}},
        {"only the minimum applies",
         "_PARTNO:BRACKET-7,280,400,_MIN_ONLY;1",
         {"Number of Total cycles: 3", "Average cycle time: 08:30", "Minimum cycle time: 05:00",
          "Maximum cycle time: 15:00", " ", "Number of 'Good' cycles: 3",
          "Average 'Good' cycle time: 08:30"}},
        {"no cycle within the limits",
         "_PARTNO:BRACKET-7,1000,2000",
         {"Number of Total cycles: 3", "Average cycle time: 08:30", "Minimum cycle time: 05:00",
          "Maximum cycle time: 15:00", " ", "Number of 'Good' cycles: 0"}},
    };
    for (const auto& row : rows) {
        open(shift(threeCycles(row.partRecord)));
        EXPECT_TRUE(analysis.details().empty()) << row.name << ": nothing before a choice";
        ASSERT_TRUE(analysis.selectPart("BRACKET-7")) << row.name;
        EXPECT_EQ(analysis.details(), cycles) << row.name;
        EXPECT_EQ(analysis.summary(), row.summary) << row.name;
        EXPECT_STREQ(analysis.minimumLabel(), "Min. cycle time [sec]") << row.name;
    }
    EXPECT_EQ(analysis.minimum(), 1000);
    EXPECT_EQ(analysis.maximum(), 2000);
    EXPECT_EQ(analysis.multiplier(), 1) << "no pieces given: one a cycle";
}

TEST_F(CycleTimeAnalysisTest, RecalculateTakesWhatIsTyped)
{
    open(shift(threeCycles("_OPERATOR:J. Ruiz")), {100, 200, 0, 0, false});
    EXPECT_FALSE(analysis.partChoice());
    EXPECT_EQ(analysis.details().front(), "PART NUMBER NOT KNOWN");
    EXPECT_EQ(analysis.details().size(), 4u);
    EXPECT_EQ(analysis.summary().back(), "Number of 'Good' cycles: 0");

    analysis.recalculate("280", "400", "2");
    EXPECT_EQ(analysis.summary()[0], "Number of Total cycles: 6");
    EXPECT_EQ(analysis.summary()[5], "Number of 'Good' cycles: 4");

    // The edits are read as typed: 15 characters at most, numbers as atoi reads them.
    analysis.recalculate(" 301xyz", "1234567890123456789", "0");
    EXPECT_EQ(analysis.minimum(), 301);
    EXPECT_EQ(analysis.maximum(), 123456789012345);
    EXPECT_EQ(analysis.multiplier(), 1);
    EXPECT_EQ(analysis.summary()[5], "Number of 'Good' cycles: 2") << "330 and 900";
    analysis.recalculate("", "", "250");
    EXPECT_EQ(analysis.multiplier(), 100);
}

TEST_F(CycleTimeAnalysisTest, OpeningListsThePartsAndWidensTheLimits)
{
    const std::string bytes = shift({
        {0, "_PARTNO:P2,50,120;3"},
        {10, "_PARTNO:P1,0,900;5"},
        {20, "_PARTNO:P2,40,100"},
        {30, "_PARTNO:P3,-20,80;7"},
        {40, "_PARTNO:"},
    });
    open(bytes, {60, 600, 0, 0, false});
    EXPECT_TRUE(analysis.partChoice());
    EXPECT_EQ(analysis.partNumbers(), (Lines{"P2", "P1", "P3"}));
    EXPECT_EQ(analysis.minimum(), 40) << "the smallest positive minimum";
    EXPECT_EQ(analysis.maximum(), 900);
    EXPECT_EQ(analysis.multiplier(), 1) << "the last part record gives no pieces";

    // In rate mode the edits start from the rates.
    open(shift({{0, "_PARTNO:P1,2,9;250"}}), {60, 600, 5, 8, true});
    EXPECT_EQ(analysis.minimum(), 2);
    EXPECT_EQ(analysis.maximum(), 9);
    EXPECT_EQ(analysis.multiplier(), 100);
    EXPECT_STREQ(analysis.minimumLabel(), "Min.Rate[cyc/min]");
    EXPECT_STREQ(analysis.maximumLabel(), "Max.Rate[cyc/min]");
}

TEST_F(CycleTimeAnalysisTest, OnlyTheChosenPartsCyclesCount)
{
    const std::string bytes = shift({
        {0, "_PARTNO:P1,100,200;1"},
        {10, "_CON"},
        {130, "_COFF"},
        {200, "_PARTNO:P2,10,20;2"},
        {210, "_CON"},
        {250, "_COFF"},
        {300, "_PARTNO:P1,100,200;1"},
        {310, "_CON"},
        {460, "_COFF"},
    });
    open(bytes);
    ASSERT_TRUE(analysis.selectPart("P1"));
    EXPECT_EQ(analysis.details(), (Lines{"P1", "From 06:00:10 to 06:02:10 TOTAL cycle time: 02:00",
                                         "From 06:05:10 to 06:07:40 TOTAL cycle time: 02:30"}));
    EXPECT_EQ(analysis.minimum(), 100);
    ASSERT_TRUE(analysis.selectPart("P2"));
    EXPECT_EQ(analysis.details(),
              (Lines{"P2", "From 06:03:30 to 06:04:10 TOTAL cycle time: 00:40"}));
    EXPECT_EQ(analysis.summary()[0], "Number of Total cycles: 2");
    EXPECT_EQ(analysis.multiplier(), 2);

    EXPECT_TRUE(analysis.selectPart(std::string(249, 'X')));
    EXPECT_EQ(analysis.details(), Lines{std::string(249, 'X')});
    EXPECT_FALSE(analysis.selectPart(std::string(250, 'X')));
    EXPECT_EQ(analysis.selectedPart(), std::string(249, 'X')) << "the choice stays";
}

TEST_F(CycleTimeAnalysisTest, CountedCyclesGiveRates)
{
    const std::string bytes = shift({
        {0, "_CON"},
        {60, "_CYCOUNT,12,5,20"},
        {120, "_CYCOUNT,12,5,20"},
        {120, "_COFF"},
        {200, "_CON"},
        {230, "_CYCOUNT,30,5,20"},
        {260, "_COFF"},
    });
    open(bytes);
    EXPECT_EQ(analysis.details(),
              (Lines{"PART NUMBER NOT KNOWN", "From 06:00:00 to 06:02:00 cycle rate: 12",
                     "From 06:03:20 to 06:04:20 cycle rate: 30"}));
    EXPECT_EQ(analysis.summary(),
              (Lines{"Number of Total cycles: 54", "Average cycle rate: 18",
                     "Minimum cycle rate: 12 cycle/min", "Maximum cycle rate: 30 cycle/min", "",
                     "Number of 'Good' cycles: 24", "Average 'Good' cycle rate: 12"}));
    EXPECT_EQ(analysis.minimum(), 5) << "the rates came with the counts";
    EXPECT_EQ(analysis.maximum(), 20);
    EXPECT_STREQ(analysis.minimumLabel(), "Min.Rate[cyc/min]");

    analysis.recalculate("10", "40", "2");
    EXPECT_EQ(analysis.summary()[5], "Number of 'Good' cycles: 108");
}

TEST_F(CycleTimeAnalysisTest, CyclesEndWhereTheShiftSaysTheyEnd)
{
    const struct {
        const char* name;
        std::vector<Event> events;
        Lines cycles;
    } rows[] = {
        {"loading makes the next cycle on close the cycle",
         {{0, "_CON"}, {100, "LOADING"}, {250, "_CON"}, {400, "_COFF"}},
         {"From 06:00:00 to 06:04:10 TOTAL cycle time: 04:10",
          "From 06:04:10 to 06:06:40 TOTAL cycle time: 02:30"}},
        {"a cycle on without loading does not",
         {{0, "_CON"}, {100, "_CON,SPINDLE_ON"}, {300, "_COFF"}},
         {"From 06:00:00 to 06:05:00 TOTAL cycle time: 05:00"}},
        {"any status closes the cycle",
         {{0, "_CON:H80"}, {200, "ALARM"}, {300, "_COFF"}},
         {"From 06:00:00 to 06:03:20 TOTAL cycle time: 03:20"}},
        {"a record before the cycle's start is passed over",
         {{100, "_CON"}, {200, "_COFF"}, {300, "_CON"}, {250, "_COFF"}, {400, "_COFF"}},
         {"From 06:01:40 to 06:03:20 TOTAL cycle time: 01:40",
          "From 06:05:00 to 06:06:40 TOTAL cycle time: 01:40"}},
        {"a cycle on and off in the same second",
         {{100, "_CON"}, {100, "_COFF"}},
         {"From 06:01:40 to 06:01:40 TOTAL cycle time: 00:00"}},
        {"an hour and a second",
         {{0, "_CON"}, {3600, "_COFF"}, {3601, "_CON"}, {7202, "_COFF"}},
         {"From 06:00:00 to 07:00:00 TOTAL cycle time: 60:00",
          "From 07:00:01 to 08:00:02 TOTAL cycle time: 01:00:01"}},
        {"print marks: only marked records start and end cycles",
         {{0, "_CON,_DPRINT_"},
          {100, "_COFF"},
          {150, "_CON"},
          {300, "_COFF,_DPRINT_"},
          {400, "_CON"},
          {500, "_COFF"}},
         {"From 06:00:00 to 06:05:00 TOTAL cycle time: 05:00"}},
    };
    for (const auto& row : rows) {
        open(shift(row.events));
        Lines expected = {"PART NUMBER NOT KNOWN"};
        expected.insert(expected.end(), row.cycles.begin(), row.cycles.end());
        EXPECT_EQ(analysis.details(), expected) << row.name;
    }
    EXPECT_TRUE(analysis.printMode());
}

TEST_F(CycleTimeAnalysisTest, BothDateFormsAndLinesOfAnyLength)
{
    std::string bytes =
        "05/12/2016,06:00:00,_CON\n"
        "05/12/16,06:05:00,_COFF\n"
        "05/12/2016,06:10:00,_CON," +
        std::string(10'000, 'x') + ",_COFF\n" +
        // The tail of that line is not a record of its own, nor is this one.
        "05/12/16,06:12\n"
        "05/12/16,06:20:00,_COFF";
    open(bytes);
    EXPECT_EQ(analysis.details(),
              (Lines{"PART NUMBER NOT KNOWN", "From 06:00:00 to 06:05:00 TOTAL cycle time: 05:00",
                     "From 06:10:00 to 06:20:00 TOTAL cycle time: 10:00"}));
}

TEST_F(CycleTimeAnalysisTest, FilesTheHubNeverWroteGiveNoNonsense)
{
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::optional<std::string> bytes;
        std::size_t cycles;
    } rows[] = {
        {"cannot be read", std::nullopt, 0},
        {"empty", "", 0},
        {"impossible dates and times",
         "13/45/99,06:00:00,_CON\n05/12/16,25:61:61,_CON\n05/12/16,06:00:00\n", 0},
        {"NUL bytes", "05/12/16,06:00:00,_CON,\0\n05/12/16,06:00:0\0,_COFF\n05/12/16,06:01:00,\0"s,
         1},
        {"missing fields",
         "05/12/16,06:00:00,_CON\n05/12/16,06:01:00,_CYCOUNT\n"
         "05/12/16,06:01:00,_COFF\n",
         1},
        {"counts without time",
         "05/12/16,06:00:00,_CON\n05/12/16,06:00:00,_CYCOUNT,9\n"
         "05/12/16,06:00:00,_COFF\n",
         1},
        {"huge counts",
         "05/12/16,06:00:00,_CON\n05/12/16,06:00:01,_CYCOUNT,999999999999999,"
         "-99999999999,99999999999\n05/12/16,06:00:02,_COFF\n",
         1},
    };
    for (const auto& row : rows) {
        analysis.openBytes(row.bytes, {});
        EXPECT_EQ(analysis.details().size(), row.cycles + 1) << row.name;
        for (const auto& line : analysis.summary())
            EXPECT_EQ(line.find('-'), std::string::npos) << row.name << ": " << line;
    }
    // A count of no time has no rate: nothing to average.
    analysis.openBytes(rows[5].bytes, {});
    EXPECT_EQ(analysis.details()[1], "From 06:00:00 to 06:00:00");
    EXPECT_TRUE(analysis.summary().empty());
}

}  // namespace
}  // namespace quillon
