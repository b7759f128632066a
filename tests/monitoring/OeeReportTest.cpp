// The OEE file: its lines as the hub writes them (and as it sometimes garbles them), the
// overall graph's running averages over every line, one machine's own points, the file's
// place below the hub, and the year typed for both graphs.
#include "monitoring/OeeReport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/OeeSamples.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr char kHeader[] = "MACHINE NAME,DATE,TIME,AVAILABILITY,PERFORMANCE,QUALITY,OEE\r\n";

class OeeReportTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
};

TEST_F(OeeReportTest, ReadsTheFieldsOfALine)
{
    const struct {
        const char* scenario;
        const char* text;
        LocalDateTime time;
        std::array<double, 4> values;
    } rows[] = {
        {"two digits everywhere",
         "LATHE-1,12/08/2026,22:05:09,91.5,83.25,99,75.4",
         {2026, 12, 8, 22, 5, 9},
         {91.5, 83.25, 99, 75.4}},
        {"one digit everywhere",
         "MILL 3,1/2/2026,6:0:0,88,70,97,59.7",
         {2026, 1, 2, 6, 0, 0},
         {88, 70, 97, 59.7}},
        {"mixed widths", "HMC,3/15/2026,14:7:30,1,2,3,4", {2026, 3, 15, 14, 7, 30}, {1, 2, 3, 4}},
        {"empty values are left out",
         "HMC,3/15/2026,14:07:30,,80,,",
         {2026, 3, 15, 14, 7, 30},
         {-0.01, 80, -0.01, -0.01}},
        {"absent values are left out",
         "HMC,3/15/2026,14:07:30,95.5",
         {2026, 3, 15, 14, 7, 30},
         {95.5, -0.01, -0.01, -0.01}},
        {"no values at all",
         "HMC,3/15/2026,14:07:30",
         {2026, 3, 15, 14, 7, 30},
         {-0.01, -0.01, -0.01, -0.01}},
        {"blanks around fields",
         "HMC, 3/15/2026 , 14:07:30, 90 ,80 , 70,60 ",
         {2026, 3, 15, 14, 7, 30},
         {90, 80, 70, 60}},
        {"fields past the seventh",
         "HMC,3/15/2026,14:07:30,1,2,3,4,shift 2,",
         {2026, 3, 15, 14, 7, 30},
         {1, 2, 3, 4}},
        {"values above a hundred and below zero",
         "HMC,3/15/2026,14:07:30,104.5,-3,0,100",
         {2026, 3, 15, 14, 7, 30},
         {104.5, -3, 0, 100}},
    };
    for (const auto& row : rows) {
        const auto line = parseOeeLine(row.text);
        ASSERT_TRUE(line) << row.scenario;
        EXPECT_EQ(line->machine, std::string_view(row.text).substr(0, line->machine.size()))
            << row.scenario;
        EXPECT_EQ(line->time.year, row.time.year) << row.scenario;
        EXPECT_EQ(line->time.month, row.time.month) << row.scenario;
        EXPECT_EQ(line->time.day, row.time.day) << row.scenario;
        EXPECT_EQ(line->time.hour, row.time.hour) << row.scenario;
        EXPECT_EQ(line->time.minute, row.time.minute) << row.scenario;
        EXPECT_EQ(line->time.second, row.time.second) << row.scenario;
        for (std::size_t v = 0; v < 4; ++v)
            EXPECT_DOUBLE_EQ(line->values[v], row.values[v]) << row.scenario << " value " << v;
    }
}

TEST_F(OeeReportTest, RefusesLinesItCannotRead)
{
    const struct {
        const char* scenario;
        const char* text;
    } rows[] = {
        {"no machine name", ",12/8/2026,6:00:00,1,2,3,4"},
        {"no date", "LATHE-1"},
        {"no time", "LATHE-1,12/8/2026"},
        {"month off the calendar", "LATHE-1,13/8/2026,6:00:00,1,2,3,4"},
        {"day off the calendar", "LATHE-1,2/30/2026,6:00:00,1,2,3,4"},
        {"hour off the clock", "LATHE-1,2/3/2026,24:00:00,1,2,3,4"},
        {"three-digit month", "LATHE-1,012/8/2026,6:00:00,1,2,3,4"},
        {"two-digit year", "LATHE-1,12/8/26,6:00:00,1,2,3,4"},
        {"date in another order", "LATHE-1,2026-12-08,6:00:00,1,2,3,4"},
        {"date with a fourth part", "LATHE-1,12/8/2026/1,6:00:00,1,2,3,4"},
        {"time without seconds", "LATHE-1,12/8/2026,6:00,1,2,3,4"},
        {"empty time part", "LATHE-1,12/8/2026,6::00,1,2,3,4"},
        {"letters in the time", "LATHE-1,12/8/2026,6:0a:00,1,2,3,4"},
        {"a value that is no number", "LATHE-1,12/8/2026,6:00:00,1,abc,3,4"},
        {"a number with a tail", "LATHE-1,12/8/2026,6:00:00,1,2%,3,4"},
        {"not a number", "LATHE-1,12/8/2026,6:00:00,nan,2,3,4"},
        {"infinite", "LATHE-1,12/8/2026,6:00:00,1,inf,3,4"},
        {"past the clock's years", "LATHE-1,12/8/2200,6:00:00,1,2,3,4"},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(parseOeeLine(row.text)) << row.scenario;
}

TEST_F(OeeReportTest, FileSkipsTheHeaderAndCountsWhatItCannotRead)
{
    const struct {
        const char* scenario;
        std::string bytes;
        std::size_t lines;
        std::size_t unreadable;
    } rows[] = {
        {"empty file", "", 0, 0},
        {"header only", kHeader, 0, 0},
        {"header without line end", "MACHINE NAME,DATE,TIME", 0, 0},
        {"CR LF",
         std::string(kHeader) + "A,1/1/2026,6:0:0,1,2,3,4\r\nB,1/1/2026,6:0:0,1,2,3,4\r\n", 2, 0},
        {"LF", "header\nA,1/1/2026,6:0:0,1,2,3,4\nB,1/1/2026,6:0:0,1,2,3,4\n", 2, 0},
        {"last line without line end", "header\nA,1/1/2026,6:0:0,1,2,3,4\nB,1/1/2026,6:0:0,1,2", 2,
         0},
        {"a header that reads like data is still the header",
         "A,1/1/2026,6:0:0,1,2,3,4\nB,1/1/2026,6:0:0,1,2,3,4\n", 1, 0},
        {"junk between good lines",
         "header\nA,1/1/2026,6:0:0,1,2,3,4\n#?!\nB,99/1/2026,6:0:0\nC,1/2/2026,6:0:0,1,2,3,4\n", 2,
         2},
        {"blank lines are no lines", "header\r\n\r\nA,1/1/2026,6:0:0,1,2,3,4\r\n  \r\n\r\n", 1, 0},
    };
    for (const auto& row : rows) {
        const OeeFile file = parseOeeFile(row.bytes);
        EXPECT_EQ(file.lines.size(), row.lines) << row.scenario;
        EXPECT_EQ(file.unreadable, row.unreadable) << row.scenario;
    }
}

TEST_F(OeeReportTest, OverallSeriesIsTheRunningAverageOfASumStartingAtMinusOneHundredth)
{
    const OeeFile file = parseOeeFile(std::string(kHeader) +
                                      "LATHE-1,12/8/2026,6:00:00,90,70,100,80\r\n"
                                      "MILL-2,12/8/2026,14:00:00,,50,98,60\r\n"
                                      "LATHE-1,12/9/2026,6:00:00,60,90,99,70\r\n");
    const OeeSeries series = overallOeeSeries(file);
    ASSERT_EQ(series.size(), 3u);
    const double expected[4][3] = {
        {89.99, (90 - 0.01 - 0.01) / 2, (90 - 0.01 - 0.01 + 60) / 3},  // one value left out
        {69.99, 59.995, 209.99 / 3},
        {99.99, 98.995, 296.99 / 3},
        {79.99, 69.995, 209.99 / 3},
    };
    for (std::size_t m = 0; m < kOeeMeasureCount; ++m) {
        for (std::size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(series.values[m][k], expected[m][k], 1e-9)
                << kOeeMeasureNames[m] << " point " << k;
    }
    EXPECT_EQ(series.minutes, (std::vector<double>{0, 480, 1440}));
    EXPECT_EQ(series.origin.day, 8);
    EXPECT_EQ(series.origin.hour, 6);
}

TEST_F(OeeReportTest, OverallSeriesUsesEveryLineOfALongFile)
{
    // Far more lines than a graph ever took from the file before.
    std::string bytes = kHeader;
    const int lines = 1500;
    for (int k = 0; k < lines; ++k)
        bytes += "M" + std::to_string(k % 7) + ",1/" + std::to_string(1 + k / 72) + "/2026," +
                 std::to_string(k % 24) + ":" + std::to_string(k % 60) + ":0," +
                 std::to_string(k % 100) + ",50,50,50\r\n";
    const OeeSeries series = overallOeeSeries(parseOeeFile(bytes));
    ASSERT_EQ(series.size(), static_cast<std::size_t>(lines));
    double sum = 0;
    for (int k = 0; k < lines; ++k)
        sum += k % 100;
    EXPECT_NEAR(series.of(OeeMeasure::Availability).back(), (sum - 0.01) / lines, 1e-9);
    EXPECT_NEAR(series.of(OeeMeasure::Oee).back(), 50 - 0.01 / lines, 1e-9);
}

TEST_F(OeeReportTest, MinutesCountFromTheFirstLineOnTheShopsClock)
{
    // 8 March 2026 is the second Sunday of March: the shop's clocks skip an hour that night,
    // yet a line stamped at noon two days on is drawn at noon, two whole days on.
    const OeeFile file = parseOeeFile(std::string(kHeader) +
                                      "A,3/7/2026,12:00:00,1,1,1,1\r\n"
                                      "A,3/7/2026,12:00:30,1,1,1,1\r\n"
                                      "A,3/9/2026,12:00:00,1,1,1,1\r\n"
                                      "A,11/1/2026,1:30:00,1,1,1,1\r\n"
                                      "A,3/6/2026,12:00:00,1,1,1,1\r\n");
    EXPECT_EQ(overallOeeSeries(file).minutes,
              (std::vector<double>{0, 0.5, 2 * 1440, 238 * 1440 + 13 * 60 + 30, -1440}));
}

TEST_F(OeeReportTest, MachineSeriesHasOnlyThatMachinesOwnValues)
{
    const OeeFile file = parseOeeFile(std::string(kHeader) +
                                      "LATHE-10,12/8/2026,6:00:00,11,12,13,14\r\n"
                                      "LATHE-1,12/8/2026,14:00:00,90,70,100,80\r\n"
                                      "lathe-1,12/8/2026,14:00:00,1,1,1,1\r\n"
                                      "LATHE-1 ,12/8/2026,14:00:00,1,1,1,1\r\n"
                                      "LATHE-1,12/8/2026,22:00:00,60,,99,60\r\n");
    const OeeSeries series = machineOeeSeries(file, "LATHE-1");
    EXPECT_EQ(series.minutes, (std::vector<double>{0, 480}));
    EXPECT_EQ(series.origin.hour, 14);
    EXPECT_EQ(series.of(OeeMeasure::Availability), (std::vector<double>{90, 60}));
    EXPECT_EQ(series.of(OeeMeasure::Performance), (std::vector<double>{70, -0.01}));
    EXPECT_EQ(series.of(OeeMeasure::Quality), (std::vector<double>{100, 99}));
    EXPECT_EQ(series.of(OeeMeasure::Oee), (std::vector<double>{80, 60}));
    EXPECT_TRUE(machineOeeSeries(file, "MILL-2").empty());
}

TEST_F(OeeReportTest, WrittenLinesReadBackAsTheyWere)
{
    OeeLine line;
    line.machine = "SWISS-2";
    line.time = {2026, 3, 4, 5, 6, 7};
    line.values = {91.256, 0, 100, kMissingOeeValue};
    EXPECT_EQ(formatOeeLine(line), "SWISS-2,3/4/2026,5:06:07,91.26,0.00,100.00,-0.01\r\n");
    const std::string text = formatOeeLine(line);
    const auto back = parseOeeLine(std::string_view(text).substr(0, text.size() - 2));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->machine, line.machine);
    EXPECT_EQ(back->clockSeconds, (((56 * 365 + 14 + 31 + 28 + 3) * 24 + 5) * 60 + 6) * 60 + 7);
    EXPECT_EQ(back->values, (std::array<double, 4>{91.26, 0, 100, kMissingOeeValue}));
    // A whole sample file reads back without a line lost.
    const OeeFile sample = parseOeeFile(test::oeeSampleFile(8, 31));
    EXPECT_EQ(sample.lines.size(), 8u * 3 * 31);
    EXPECT_EQ(sample.unreadable, 0u);
}

TEST_F(OeeReportTest, FileIsFoundBelowTheHubWithoutRegardToCase)
{
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub/";
    std::filesystem::create_directories(hub + "_reports");
    test::writeBytes(hub + "_reports/_oee_2026.csv",
                     std::string(kHeader) + "A,1/1/2026,6:0:0,1,2,3,4\r\n");
    const OeeFileLoad load = loadOeeFile(hub, 2026);
    EXPECT_EQ(load.state, OeeFileLoad::State::Read);
    EXPECT_EQ(load.file.lines.size(), 1u);
    EXPECT_EQ(loadOeeFile(hub, 2025).state, OeeFileLoad::State::Missing);
    // A folder in the file's place is no file.
    std::filesystem::create_directories(hub + "_REPORTS/_OEE_2024.CSV");
    EXPECT_EQ(loadOeeFile(hub, 2024).state, OeeFileLoad::State::Missing);
    EXPECT_EQ(oeeFileName(2025), "_REPORTS\\_OEE_2025.CSV");
    EXPECT_EQ(oeeFileShownName("/mnt/cairn", 2025), "/mnt/cairn/_REPORTS/_OEE_2025.CSV");
    EXPECT_EQ(oeeFileShownName("Q:\\CAIRN\\", 2025), "Q:\\CAIRN\\_REPORTS\\_OEE_2025.CSV");
}

TEST(OeeYearEntry, FourDigitsOnly)
{
    const struct {
        const char* scenario;
        const char* typed;
        std::optional<std::string_view> problem;
        std::optional<int> year;
    } rows[] = {
        {"a year", "2026", std::nullopt, 2026},
        {"blanks around it", " 2025  ", std::nullopt, 2025},
        {"leading zeros are still four digits", "0999", std::nullopt, 999},
        {"nothing typed", "", kSpecifyFourDigits, std::nullopt},
        {"two digits", "26", kSpecifyFourDigits, std::nullopt},
        {"five digits", "20266", kSpecifyFourDigits, std::nullopt},
        {"a letter among four", "2O26", kSpecifyOnlyNumbers, std::nullopt},
        {"a sign", "+202", kSpecifyOnlyNumbers, std::nullopt},
        {"neither numbers nor four long: numbers come first", "twenty", kSpecifyOnlyNumbers,
         std::nullopt},
        {"a blank inside", "20 26", kSpecifyOnlyNumbers, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(yearEntryProblem(row.typed), row.problem) << row.scenario;
        EXPECT_EQ(typedYear(row.typed), row.year) << row.scenario;
    }
}

}  // namespace
}  // namespace quillon
