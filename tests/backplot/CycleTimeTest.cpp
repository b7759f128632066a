#include "backplot/CycleTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"

namespace quillon {
namespace {

constexpr double kPi = std::numbers::pi;

double estimate(const std::vector<std::string>& lines, const CycleTimeSettings& settings = {})
{
    CycleTimeEstimator estimator(settings);
    for (const auto& line : lines)
        estimator.addLine(line);
    return estimator.seconds();
}

struct Case {
    const char* scenario;
    std::vector<std::string> lines;
    double seconds;
    CycleTimeSettings settings = {};
};

void expectCases(const std::vector<Case>& cases)
{
    for (const auto& c : cases) {
        const double seconds = estimate(c.lines, c.settings);
        EXPECT_NEAR(seconds, c.seconds, 1e-7 * std::max(1.0, c.seconds)) << c.scenario;
    }
}

TEST(CycleTime, StraightMovesTakeTheirFeedOrTheRapidRate)
{
    expectCases({
        {"rapid at the default rate", {"G00 X100."}, 6},
        {"rapid at a slower rate", {"G0 X30. Y40."}, 10, {0, 300, false}},
        {"feed per minute", {"G01 X10. F100"}, 6},
        {"feed per revolution", {"G95 S1000", "G01 X10. F100"}, 0.006},
        {"before any F the feed is 60 per minute", {"G01 X60."}, 60},
        {"no move code yet counts as feed", {"X30. Y40."}, 50},
        {"the modes last over lines", {"G01 F600", "X10.", "G00 X110.", "Z-10."}, 7.6},
        {"the last axis word of a line counts from where the line began",
         {"G01 X5. X10. F600"},
         1},
        {"in Lathe mode X is a diameter", {"G00 X100."}, 3, {0, 1000, true}},
        {"an F of nothing counts as 0.0001", {"G01 X1. F0"}, 600000},
        {"an S below 1 counts as 1", {"G95 S0", "G01 X1. F60"}, 1},
        {"comments and lower case are no words", {"G01 F600 (X100.) x50. X10."}, 1},
    });
}

TEST(CycleTime, IncrementalMovesCountEachStepOnce)
{
    expectCases({
        {"one axis after another", {"G91 G01 X10. F600", "Y10.", "X-10.", "Y-10."}, 4},
        {"back to absolute",
         {"G91 G01 X10. F600", "Y10.", "G90 X0 Y0"},
         2 + std::sqrt(200.0) / 10},
    });
}

TEST(CycleTime, ToolChangesAreCountedOncePerLine)
{
    const CycleTimeSettings fiveSeconds{5, 1000, false};
    expectCases({
        {"T and M06 on one line", {"T2 M06"}, 5, fiveSeconds},
        {"T and M06 on two lines", {"T2", "M6 G00 X100."}, 16, fiveSeconds},
        {"other M codes are no tool change", {"M03 M05 M30"}, 0, fiveSeconds},
    });
}

TEST(CycleTime, DrillingAndThreadingLinesFeedPerRevolution)
{
    expectCases({
        {"drilling is no rapid", {"S500 F100", "G00 G81 Z-10."}, 10 / (100.0 / 60 * 500)},
        {"threading ignores feed per minute",
         {"G94 S250 F2.", "G76 Z-30."},
         30 / (2.0 / 60 * 250)},
        {"the flag is for its line only",
         {"S500 F100", "G00 G81 Z-10.", "Z-20."},
         10 / (100.0 / 60 * 500) + 0.6},
    });
}

TEST(CycleTime, ConstantSurfaceSpeedTurnsFasterNearerTheAxis)
{
    // G96 S100 at a radius of 10 inches: 100 * 12 / (2 pi 10) = 60 / pi turns a minute.
    const CycleTimeSettings lathe{0, 1000, true};
    const double rpmAtRadius10 = 60 / kPi;
    expectCases({
        {"turning along Z at diameter 20",
         {"G18 G95 G96 S100", "G00 X20.", "G01 Z-10. F0.1"},
         20 * 0.06 / 2 + 10 / (0.1 / 60 * rpmAtRadius10),
         lathe},
        {"facing uses the mean X",
         {"G95 G96 S100", "G00 X40.", "G01 X0 F0.1"},
         1.2 + 20 / (0.1 / 60 * (1200 / (2 * kPi * 10))),
         lathe},
        {"on the axis the circumference counts as 0.001",
         {"G95 G96 S100", "G01 Z-1. F0.1"},
         1 / (0.1 / 60 * (1200 / 0.001)),
         lathe},
        {"G97 ends it and reads S as turns",
         {"G96 S200", "G97 S500", "G01 X10. F0.2"},
         10 / (0.2 / 60 * 500)},
        {"with feed per minute too",
         {"G94 G96 S100", "G00 X20.", "G01 Z-10. F6."},
         0.6 + 10 / (0.1 * rpmAtRadius10),
         lathe},
        {"negative X turns as positive",
         {"G95 G96 S100", "G00 X-20.", "G01 Z-10. F0.1"},
         0.6 + 10 / (0.1 / 60 * rpmAtRadius10),
         lathe},
    });
}

TEST(CycleTime, ArcsTakeTheirLengthAndFifteenPercent)
{
    const double quarter10 = 10 * kPi / 2 * 1.15;
    expectCases({
        {"without G17 the axes named make the plane", {"G02 X10. Y10. R10."}, quarter10},
        {"a negative R takes the long way", {"G02 X10. Y10. R-10."}, 3 * quarter10},
        {"X and Z make the XZ plane", {"G02 X10. Z10. R10."}, quarter10},
        {"X, Y and Z moved make no plane", {"G02 X10. Y10. Z5. R10."}, 0},
        {"a helix in G17 has no plane either", {"G17 G02 X10. Y10. Z5. R10."}, 0},
        {"one axis without a plane", {"G02 X10. R5."}, 0},
        {"one axis in G17: Y stays", {"G17", "G02 X10. R5."}, 5 * kPi * 1.15},
        {"a centre from I and J", {"G17 G02 X10. Y10. J10."}, 3 * quarter10},
        {"the same counter-clockwise", {"G17 G03 X10. Y10. J10."}, quarter10},
        {"start and end together make a full circle", {"G17 G03 X0 I5."}, 10 * kPi * 1.15},
        {"the arc mode lasts", {"G17 G02 X10. R5.", "X20. R5."}, 10 * kPi * 1.15},
        {"feed per revolution",
         {"G17 G95 S100 G02 X10. R5. F0.5"},
         5 * kPi * 1.15 / (0.5 / 60 * 100)},
        {"a radius of nothing is no arc", {"G17 G02 X10. Y10. R0"}, 0},
    });
}

TEST(CycleTime, LatheArcsTurnAsTheyAreDrawn)
{
    // From X20 (radius 10) Z0 around X20 Z-10 to X40 Z-10: a quarter circle of radius 10
    // programmed G03 with the centre given by K; I would be a diameter.
    const CycleTimeSettings lathe{0, 1000, true};
    const double quarter = 10 * kPi / 2 * 1.15;
    expectCases({
        {"a centre from K", {"G18 G00 X20.", "G03 X40. Z-10. K-10. F60"}, 0.6 + quarter, lathe},
        {"I is a diameter",
         {"G18 G00 X40. Z-10.", "G02 X20. Z0 I-20. F60"},
         0.06 * std::sqrt(500.0) + quarter,
         lathe},
        {"an R arc is the short one either way",
         {"G18 G00 X20.", "G02 X40. Z-10. R10. F60"},
         0.6 + quarter,
         lathe},
        // Constant surface speed in the XZ plane: turns at the mean radius of 15.
        {"constant surface speed",
         {"G18 G95 G96 S100", "G00 X20.", "G03 X40. Z-10. K-10. F0.2"},
         0.6 + quarter / (0.2 / 60 * (1200 / (2 * kPi * 15))),
         lathe},
    });
}

TEST(CycleTime, LongAndHostileLinesFinish)
{
    const std::string longest(kCycleTimeLineLimit - 1 - 9, ' ');
    expectCases({
        {"a line of 4095 characters counts", {"G00 X100." + longest}, 6},
        {"a line of 4096 characters is skipped", {"G00 X100." + longest + " "}, 0},
        {"a skipped line sets no mode",
         {"G91" + std::string(kCycleTimeLineLimit, ' '), "G00 X100.", "X100."},
         6},
    });

    std::string binary;
    for (int c = 0; c < 256; ++c)
        binary += static_cast<char>(c);
    const std::vector<std::string> hostile = {
        binary,
        std::string(100000, 'X'),
        "G01 X" + std::string(100000, '9'),
        std::string(4000, 'G') + "X1.",
        "G91 G01 X99999999999999 Y-99999999999999 Z99999999999999 F0 S-1",
        "X99999999999999 X99999999999999 (never closed",
        "G02 X1. Y1. R0.00000000000001",
        "G02 X-99999999999999 Y99999999999999 R0.0000001",
        "G03 X0 Y0 Z0 I0 J0 K0",
        "G96 S99999999999999 G01 X0 Z-1.",
        "G17 G02 X.......... R--5 F+-+",
        "G0000000000000000000000000002 X1.",
    };
    for (const bool lathe : {false, true}) {
        CycleTimeEstimator estimator({100, 10000, lathe});
        for (int repeat = 0; repeat < 1000; ++repeat) {
            for (const auto& line : hostile)
                estimator.addLine(line);
        }
        EXPECT_TRUE(std::isfinite(estimator.seconds())) << lathe;
        EXPECT_GE(estimator.seconds(), 0) << lathe;
        EXPECT_NE(cycleTimeText(estimator.seconds()).find("Cycle time: "), std::string::npos);
    }
}

TEST(CycleTime, SettingsOutsideTheDialogsRangesAreBroughtIntoThem)
{
    expectCases({
        {"no rapid rate counts as 1", {"G00 X1."}, 60, {0, 0, false}},
        {"a tool change above 100 counts as 100", {"T1"}, 100, {1e9, 1000, false}},
        {"not a number counts as the least",
         {"T1 G00 X1."},
         60,
         {std::nan(""), std::nan(""), false}},
    });
}

TEST(CycleTime, TheTextShowsHoursMinutesAndSecondsWithoutLeadingZeros)
{
    const std::pair<double, const char*> cases[] = {
        {245, "Cycle time: 0:4:5"},
        {0, "Cycle time: 0:0:0"},
        {59.5, "Cycle time: 0:1:0"},
        {3661, "Cycle time: 1:1:1"},
        {1e15 + 7, "Cycle time: 277777777777:46:47"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(cycleTimeText(seconds), text) << seconds;
    // Far beyond any counter: still digits.
    EXPECT_EQ(cycleTimeText(1e30).find_first_not_of("Cycle time: 0123456789"), std::string::npos);
}

TEST(CycleTime, TheDocumentIsReadWholeAndAnEmptyOneHasNoTime)
{
    test::TempWorkDir dir;
    CLiDoc doc;
    test::openBytes(doc, dir, "%\r\nO1000\r\nG00 X100.\r\nT2 M06\r\n%\r\n");
    EXPECT_EQ(estimateCycleTime(doc, {5, 1000, false}), 11.0);
    test::openBytes(doc, dir, "");
    EXPECT_EQ(estimateCycleTime(doc, {}), std::nullopt);
    // A line holding only blanks is a program taking no time.
    test::openBytes(doc, dir, " ");
    EXPECT_EQ(estimateCycleTime(doc, {}), 0.0);
}

}  // namespace
}  // namespace quillon
