// What the report windows make of a report's text: minutes per date or machine and status,
// pie labels, shares, the limits of the charts, the checks of a saved report and the
// compressed shift.
#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/StatusReport.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

std::string line(std::string_view machine, std::string_view date, std::string_view elapsed,
                 std::string_view status, int shift = 1, int headPallet = 0)
{
    return std::string(machine) + "," + std::string(date) + "," + std::to_string(shift) +
           ",06:00:00,07:00:00," + std::string(elapsed) + "," + std::string(status) + "," +
           std::to_string(headPallet) + ",\n";
}

std::string report(std::initializer_list<std::string> lines)
{
    std::string text(kTempReportHeader);
    for (const auto& each : lines)
        text += each;
    return text;
}

TEST(StatusReportSumsTest, MinutesPerKeyAndStatusInOrderOfAppearance)
{
    const std::string text = report({
        line("LATHE-1", "03/02/2026", "600", "SETUP"),
        line("LATHE-1", "03/01/2026", "1800", "CYCLE ON"),
        line("MILL-2", "03/02/2026", "1200", "CYCLE ON"),
        line("MILL-2", "03/02/2026", "999", "_PARTNUMBER"),
        "MACHINE NAME,DATE    ,SHIFT,START TIME\n",
        line("LATHE-1", "03/02/2026", "90", "SETUP"),
    });
    const ReportSums perDate = sumReport(text, ReportGrouping::PerDate);
    EXPECT_EQ(perDate.keys, (std::vector<std::string>{"03/02/2026", "03/01/2026"}));
    EXPECT_EQ(perDate.statuses, (std::vector<std::string>{"SETUP", "CYCLE ON"}));
    EXPECT_EQ(perDate.minutes, (std::vector<std::vector<double>>{{11.5, 20.0}, {0.0, 30.0}}));
    EXPECT_EQ(perDate.pieLabel(0), "03/02/2026 / Total: 31 [min]");

    const ReportSums perMachine = sumReport(text, ReportGrouping::PerMachine);
    EXPECT_EQ(perMachine.keys, (std::vector<std::string>{"LATHE-1", "MILL-2"}));
    EXPECT_EQ(perMachine.minutes, (std::vector<std::vector<double>>{{11.5, 30.0}, {0.0, 20.0}}));
    EXPECT_EQ(perMachine.percent(1), (std::vector<double>{0.0, 100.0}));
    EXPECT_EQ(perMachine.percent(0)[0] + perMachine.percent(0)[1], 100.0);
}

TEST(StatusReportSumsTest, PieTotalsAreCutAfterAddingFortyNineHundredths)
{
    const struct {
        const char* name;
        const char* elapsed;
        const char* label;
    } rows[] = {
        {"10.50 minutes", "630", "M / Total: 10 [min]"},
        {"10.52 minutes", "631.2", "M / Total: 11 [min]"},
        {"nothing", "0", "M / Total: 0 [min]"},
        {"more than a whole number holds, from a damaged file", "6000000000000000000000000000000",
         "M / Total: 9223372036854775807 [min]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto sums = sumReport(report({line("M", "03/01/2026", row.elapsed, "SETUP")}),
                                    ReportGrouping::PerMachine);
        ASSERT_EQ(sums.keys.size(), 1u);
        EXPECT_EQ(sums.pieLabel(0), row.label);
    }
}

TEST(StatusReportSumsTest, KeysAndStatusesPastTheChartsRoomAreLeftOut)
{
    std::string text(kTempReportHeader);
    ReportDate day{2026, 1, 1};
    for (int i = 0; i < 65; ++i, day = day.plusDays(1))
        text += line("M", day.text(), "60", "S" + std::to_string(i % 11));
    const auto bars = sumsForKind(text, ReportKind::Graph);
    ASSERT_TRUE(bars);
    EXPECT_EQ(bars->keys.size(), 63u);
    EXPECT_EQ(bars->droppedKeys, 2u);
    EXPECT_EQ(bars->statuses.size(), 9u);
    EXPECT_EQ(bars->droppedStatuses, 2u);
    EXPECT_EQ(bars->keys.back(), "03/04/2026");

    const auto pies = sumsForKind(text, ReportKind::PiePerDate);
    ASSERT_TRUE(pies);
    EXPECT_EQ(pies->statuses.size(), 11u);
    EXPECT_EQ(pies->droppedStatuses, 0u);
    EXPECT_FALSE(sumsForKind(text, ReportKind::None));
}

// ---- "View saved .CSV" -----------------------------------------------------------------

TEST(SavedReportTest, ChecksInOrder)
{
    std::string machines33(kTempReportHeader);
    for (int i = 0; i < 33; ++i)
        machines33 += line("M" + std::to_string(i), "03/01/2026", "60", "SETUP");
    std::string days64(kTempReportHeader);
    ReportDate day{2026, 1, 1};
    for (int i = 0; i < 64; ++i, day = day.plusDays(1))
        days64 += line("M", day.text(), "60", "SETUP");
    const std::string good = report({line("M", "03/01/2026", "60", "SETUP")});

    const struct {
        const char* name;
        std::string bytes;
        ReportKind kind;
        std::string message;
    } rows[] = {
        {"33 machines and a damaged line", machines33 + "garbage\n", ReportKind::Graph,
         "More then 32 machines"},
        {"a damaged line and 64 dates", days64 + "M,03/01/2026,1,06:00\n", ReportKind::Graph,
         "Corrupt .CSV file"},
        {"64 dates", days64, ReportKind::Graph, "There are more then 61 days in the file"},
        {"a header only", std::string(kTempReportHeader), ReportKind::Graph,
         "Records were not found"},
        {"empty", "", ReportKind::Graph, "Records were not found"},
        {"part numbers only", report({line("M", "03/01/2026", "0", "_PARTNUMBER")}),
         ReportKind::Graph, "Records were not found"},
        {"lines without times only", report({"M,03/01/2026,1,06:00:00,07:00:00\n"}),
         ReportKind::Graph, "Records were not found"},
        {"no kind", good, ReportKind::None,
         "Either 'per Machine' or 'per Date' needs to be selected"},
        {"good, CR LF and a blank last line",
         "MACHINE NAME,DATE,SHIFT\r\nM,03/01/2026,1,06:00:00,07:00:00,60,SETUP,0,\r\n\r\n",
         ReportKind::PiePerMachine, ""},
        {"32 machines", machines33.substr(0, machines33.rfind("M32,")), ReportKind::PiePerDate,
         ""},
        {"63 dates: the longest span and its night shift", days64.substr(0, days64.rfind("M,")),
         ReportKind::Graph, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(checkSavedReportText(row.bytes, row.kind), row.message);
    }
}

TEST(SavedReportTest, TheFileMustBeACsvThatCanBeRead)
{
    test::TempWorkDir dir;
    const std::string good = report({line("M", "03/01/2026", "60", "SETUP")});
    test::writeBytes(dir.base() + "/week.Csv", good);
    test::writeBytes(dir.base() + "/week.txt", good);

    const SavedReport saved = checkSavedReport(dir.base() + "/week.Csv", ReportKind::Graph);
    EXPECT_TRUE(saved.ok()) << saved.message;
    EXPECT_EQ(saved.reportText, good);
    EXPECT_EQ(checkSavedReport(dir.base() + "/week.txt", ReportKind::Graph).message,
              "File must have the .CSV extension");
    EXPECT_EQ(checkSavedReport(dir.base() + "/missing.CSV", ReportKind::Graph).message,
              "File read open error");
}

// ---- "Compressed shift" ----------------------------------------------------------------

TEST(CompressedShiftTest, JoinsIntervalsPerDayMachineShiftStationAndStatus)
{
    const struct {
        const char* name;
        std::string text;
        std::string compressed;
    } rows[] = {
        {"one status's intervals become one line, first start to last end",
         "LATHE-1,03/01/2026,1,06:00:00,06:30:00,1800,CYCLE ON,0,first\r\n"
         "LATHE-1,03/01/2026,1,06:30:00,06:40:00,600,SETUP,0,\r\n"
         "LATHE-1,03/01/2026,1,06:40:00,07:00:00,1200.5,CYCLE ON,0,second\r\n",
         "LATHE-1,03/01/2026,1,06:00:00,07:00:00,3000.5,CYCLE ON,0,first\n"
         "LATHE-1,03/01/2026,1,06:30:00,06:40:00,600,SETUP,0,\n"},
        {"days in order, machines of a day rejoined one after the other",
         "A,03/01/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"
         "B,03/01/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"
         "A,03/01/2026,2,14:00:00,15:00:00,60,SETUP,0,\n"
         "B,03/02/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"
         "A,03/02/2026,1,06:00:00,07:00:00,60,SETUP,0,\n",
         "A,03/01/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"
         "A,03/01/2026,2,14:00:00,15:00:00,60,SETUP,0,\n"
         "B,03/01/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"
         "B,03/02/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"
         "A,03/02/2026,1,06:00:00,07:00:00,60,SETUP,0,\n"},
        {"stations stay apart",
         "A,03/01/2026,1,06:00:00,07:00:00,60,SETUP,1,\n"
         "A,03/01/2026,1,06:00:00,07:00:00,60,SETUP,2,\n"
         "A,03/01/2026,1,07:00:00,08:00:00,60,SETUP,1,\n",
         "A,03/01/2026,1,06:00:00,08:00:00,120,SETUP,1,\n"
         "A,03/01/2026,1,06:00:00,07:00:00,60,SETUP,2,\n"},
        {"a part number once per part number",
         "A,03/01/2026,1,06:00:00,06:00:00,0,_PARTNUMBER,0,P-1\n"
         "A,03/01/2026,1,07:00:00,07:00:00,0,_PARTNUMBER,0,P-2\n"
         "A,03/01/2026,1,08:00:00,08:00:00,0,_PARTNUMBER,0,P-1\n"
         "A,03/01/2026,1,08:00:00,09:00:00,60,SETUP,0,\n",
         "A,03/01/2026,1,06:00:00,08:00:00,0,_PARTNUMBER,0,P-1\n"
         "A,03/01/2026,1,07:00:00,07:00:00,0,_PARTNUMBER,0,P-2\n"
         "A,03/01/2026,1,08:00:00,09:00:00,60,SETUP,0,\n"},
        {"damaged lines and headers dropped",
         "MACHINE NAME,DATE    ,SHIFT\nA,3/1/2026,1\nA,03/01/2026,1,06:00:00,07:00:00,60,X,0,\n",
         "A,03/01/2026,1,06:00:00,07:00:00,60,X,0,\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string compressed = compressReport(std::string(kTempReportHeader) + row.text);
        EXPECT_EQ(compressed, std::string(kTempReportHeader) + row.compressed);
        // Every reader takes the compressed form, with the same minutes.
        EXPECT_EQ(checkSavedReportText(compressed, ReportKind::Graph), "");
        const auto before = sumReport(row.text, ReportGrouping::PerDate);
        const auto after = sumReport(compressed, ReportGrouping::PerDate);
        ASSERT_EQ(after.keys, before.keys);
        for (std::size_t key = 0; key < before.keys.size(); ++key)
            EXPECT_NEAR(after.total(key), before.total(key), 1e-9);
    }
}

}  // namespace
}  // namespace quillon
