// The status report files: lines read by their fixed positions, the days of the calendar,
// the files a span covers, and "View selection" with its messages over a hub folder.
#include "monitoring/StatusReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// ---- Lines -----------------------------------------------------------------------------

TEST(StatusReportLineTest, ReadsTheFieldsByPosition)
{
    const auto line = parseReportLine(
        "LATHE-1,12/08/2026,1,06:00:00,06:42:10,2530,CYCLE ON,2,"
        "tool 4, worn\r");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->machine, "LATHE-1");
    EXPECT_EQ(line->date, (ReportDate{2026, 12, 8}));
    EXPECT_EQ(line->shift, 1);
    EXPECT_EQ(line->startTime, "06:00:00");
    EXPECT_EQ(line->endTime, "06:42:10");
    EXPECT_EQ(line->elapsedSeconds, 2530.0);
    EXPECT_EQ(line->status, "CYCLE ON");
    EXPECT_EQ(line->headPallet, 2);
    EXPECT_EQ(line->comment, "tool 4, worn");
}

TEST(StatusReportLineTest, AcceptsWhatTheHubWrites)
{
    const struct {
        const char* name;
        const char* line;
        int headPallet;
        std::optional<double> elapsed;
        const char* status;
    } rows[] = {
        {"a name of 31 characters",
         "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM,01/02/2026,3,22:00:00,23:00:00,3600,SETUP,1,", 1, 3600.0,
         "SETUP"},
        {"no head/pallet value counts as 0", "M,01/02/2026,2,14:00:00,15:00:00,12.5,ALARM", 0,
         12.5, "ALARM"},
        {"an empty head/pallet value counts as 0", "M,01/02/2026,2,14:00:00,15:00:00,60,ALARM,,x",
         0, 60.0, "ALARM"},
        {"a line ending at its end time has no values", "M,01/02/2026,1,06:00:00,07:00:00", 0,
         std::nullopt, ""},
        {"both stations", "M,01/02/2026,1,06:00:00,07:00:00,1,CYCLE ON,3,", 3, 1.0, "CYCLE ON"},
        {"a part-number line", "M,01/02/2026,1,06:00:00,06:00:00,0,_PARTNUMBER,0,BRK-7", 0, 0.0,
         "_PARTNUMBER"},
        {"29 February of a leap year", "M,02/29/2028,1,06:00:00,07:00:00,1,SETUP,0,", 0, 1.0,
         "SETUP"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto line = parseReportLine(row.line);
        ASSERT_TRUE(line);
        EXPECT_EQ(line->headPallet, row.headPallet);
        EXPECT_EQ(line->elapsedSeconds, row.elapsed);
        EXPECT_EQ(line->status, row.status);
    }
}

TEST(StatusReportLineTest, RefusesDamagedLines)
{
    const struct {
        const char* name;
        const char* line;
    } rows[] = {
        {"a name of 32 characters",
         "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM,01/02/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"no name", ",01/02/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"no comma at all", "LATHE-1 01/02/2026 1 06:00:00"},
        {"empty", ""},
        {"the header",
         "MACHINE NAME,DATE,SHIFT,START TIME,END TIME,ELAPSED TIME,MACHINE STATUS,"
         "HEAD/PALLET,COMMENT"},
        {"short: cut in the end time", "M,01/02/2026,1,06:00:00,07:00"},
        {"a one-digit month shifts every field", "M,1/02/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"a two-digit year", "M,01/02/26,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"a letter in the date", "M,01/O2/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"a sign in the date", "M,01/-2/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"month 13", "M,13/02/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"29 February of a common year", "M,02/29/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"day 0", "M,01/00/2026,1,06:00:00,07:00:00,1,SETUP,0,"},
        {"shift 4", "M,01/02/2026,4,06:00:00,07:00:00,1,SETUP,0,"},
        {"shift 0", "M,01/02/2026,0,06:00:00,07:00:00,1,SETUP,0,"},
        {"a blank before the shift", "M,01/02/2026, 1,06:00:00,07:00:00,1,SETUP,0,"},
        {"a time without seconds", "M,01/02/2026,1,06:00,07:00:00,1,SETUP,0,"},
        {"no comma at 31", "M,01/02/2026,1,06:00:00,07:00:00;1,SETUP,0,"},
        {"a blank after the end time", "M,01/02/2026,1,06:00:00,07:00:00 ,1,SETUP,0,"},
        {"no elapsed time", "M,01/02/2026,1,06:00:00,07:00:00,,SETUP,0,"},
        {"elapsed time is no number", "M,01/02/2026,1,06:00:00,07:00:00,1e3,SETUP,0,"},
        {"a negative elapsed time", "M,01/02/2026,1,06:00:00,07:00:00,-5,SETUP,0,"},
        {"elapsed time without a status", "M,01/02/2026,1,06:00:00,07:00:00,60"},
        {"an empty status", "M,01/02/2026,1,06:00:00,07:00:00,60,,0,"},
        {"a head/pallet value that is no number", "M,01/02/2026,1,06:00:00,07:00:00,1,SETUP,A,"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(parseReportLine(row.line));
    }
}

TEST(StatusReportLineTest, TheWrittenLineReadsBackTheSame)
{
    const ReportLine rows[] = {
        {"LATHE-1", {2026, 12, 8}, 1, "06:00:00", "06:42:10", 2530.0, "CYCLE ON", 0, ""},
        {"MILL 4", {2027, 1, 1}, 3, "00:00:00", "00:10:00", 12.25, "_PARTNUMBER", 2, "A-1,B"},
        {"PRESS", {2026, 2, 3}, 2, "14:00:00", "15:00:00", std::nullopt, "", 0, ""},
        {"A YEAR IDLE", {2026, 2, 3}, 2, "14:00:00", "15:00:00", 4.5e45, "ALARM", 1, ""},
    };
    EXPECT_EQ(formatReportLine(rows[0]),
              "LATHE-1,12/08/2026,1,06:00:00,06:42:10,2530,CYCLE ON,0,");
    for (const auto& written : rows) {
        SCOPED_TRACE(written.machine);
        const auto read = parseReportLine(formatReportLine(written));
        ASSERT_TRUE(read);
        EXPECT_EQ(read->machine, written.machine);
        EXPECT_EQ(read->date, written.date);
        EXPECT_EQ(read->shift, written.shift);
        EXPECT_EQ(read->endTime, written.endTime);
        EXPECT_EQ(read->elapsedSeconds, written.elapsedSeconds);
        EXPECT_EQ(read->status, written.status);
        EXPECT_EQ(read->headPallet, written.headPallet);
        EXPECT_EQ(read->comment, written.comment);
    }
}

// ---- Days and file names ---------------------------------------------------------------

TEST(ReportDateTest, CountsDaysAcrossMonthsYearsAndLeapDays)
{
    const struct {
        const char* name;
        ReportDate from;
        int days;
        ReportDate to;
    } rows[] = {
        {"month end", {2026, 1, 31}, 1, {2026, 2, 1}},
        {"year end", {2026, 12, 31}, 1, {2027, 1, 1}},
        {"leap day", {2028, 2, 28}, 1, {2028, 2, 29}},
        {"no leap day in 2100", {2100, 2, 28}, 1, {2100, 3, 1}},
        {"leap day in 2000", {2000, 2, 28}, 1, {2000, 2, 29}},
        {"1 March to 1 May", {2026, 3, 1}, 61, {2026, 5, 1}},
        {"backwards over a year end", {2027, 1, 2}, -3, {2026, 12, 30}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.from.plusDays(row.days), row.to);
        EXPECT_EQ(row.from.daysUntil(row.to), row.days);
    }
    EXPECT_LT((ReportDate{2026, 12, 31}), (ReportDate{2027, 1, 1}));
    EXPECT_LT((ReportDate{2026, 2, 28}), (ReportDate{2026, 3, 1}));
    EXPECT_EQ(ReportDate::parse("03/01/2026"), (ReportDate{2026, 3, 1}));
    EXPECT_EQ((ReportDate{2026, 3, 1}).text(), "03/01/2026");
}

TEST(StatusReportFilesTest, EveryFileTheSpanAndItsNightShiftCover)
{
    const struct {
        const char* name;
        ReportDate start;
        ReportDate end;
        bool monthly;
        std::vector<std::string> files;
    } rows[] = {
        {"inside one month",
         {2026, 12, 1},
         {2026, 12, 8},
         true,
         {"_REPORTS\\_MACHINE_2026-12.CSV"}},
        {"across a month end",
         {2026, 1, 20},
         {2026, 2, 10},
         true,
         {"_REPORTS\\_MACHINE_2026-01.CSV", "_REPORTS\\_MACHINE_2026-02.CSV"}},
        {"the last day of a month: its night shift is in the next month's file",
         {2026, 4, 1},
         {2026, 4, 30},
         true,
         {"_REPORTS\\_MACHINE_2026-04.CSV", "_REPORTS\\_MACHINE_2026-05.CSV"}},
        {"across a year end, monthly",
         {2026, 11, 25},
         {2027, 1, 5},
         true,
         {"_REPORTS\\_MACHINE_2026-11.CSV", "_REPORTS\\_MACHINE_2026-12.CSV",
          "_REPORTS\\_MACHINE_2027-01.CSV"}},
        {"inside one year", {2026, 3, 1}, {2026, 5, 1}, false, {"_REPORTS\\_MACHINE_2026.CSV"}},
        {"ending on 31 December",
         {2026, 12, 1},
         {2026, 12, 31},
         false,
         {"_REPORTS\\_MACHINE_2026.CSV", "_REPORTS\\_MACHINE_2027.CSV"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(statusReportFileNames(row.start, row.end, row.monthly), row.files);
    }
}

TEST(StatusReportFilesTest, ReportWindowCopiesAreLetteredByKind)
{
    EXPECT_EQ(reportWindowFileName(ReportWindowKind::Graph, 0), "0CSV.csv");
    EXPECT_EQ(reportWindowFileName(ReportWindowKind::Graph, 3), "3CSV.csv");
    EXPECT_EQ(reportWindowFileName(ReportWindowKind::Pie, 0), "ACSV.csv");
    EXPECT_EQ(reportWindowFileName(ReportWindowKind::Pie, 3), "DCSV.csv");
}

// ---- The selection ---------------------------------------------------------------------

constexpr std::string_view kHubHeader =
    "MACHINE NAME,DATE,SHIFT,START TIME,END TIME,ELAPSED TIME,"
    "MACHINE STATUS,HEAD/PALLET,COMMENT\r\n";

std::string reportLine(std::string_view machine, std::string_view date, int shift,
                       int headPallet = 0, std::string_view status = "CYCLE ON")
{
    return std::string(machine) + "," + std::string(date) + "," + std::to_string(shift) +
           ",06:00:00,07:00:00,3600," + std::string(status) + "," + std::to_string(headPallet) +
           ",\r\n";
}

class StatusReportSelectionTest : public ::testing::Test {
protected:
    StatusReportSelectionTest()
    {
        std::filesystem::create_directories(hub + "/_REPORTS");
        selection.start = ReportDate{2026, 3, 1};
        selection.end = ReportDate{2026, 3, 2};
        selection.machines = {{"LATHE-1", true}, {"MILL-2", false}};
        selection.shifts = {true, true, true};
        selection.station1 = true;
        selection.station2 = true;
        selection.kind = ReportKind::Graph;
    }

    void writeReport(std::string_view name, std::string_view lines) const
    {
        test::writeBytes(hub + "/_REPORTS/" + std::string(name),
                         std::string(kHubHeader) + std::string(lines));
    }

    // The taken lines without the header, as the hub wrote them but with LF ends.
    std::string taken() const
    {
        const auto result = selectReport(hub, selection);
        EXPECT_TRUE(result.ok()) << result.message;
        EXPECT_TRUE(result.reportText.starts_with(kTempReportHeader));
        return result.reportText.substr(
            std::min(kTempReportHeader.size(), result.reportText.size()));
    }

    static std::string lf(std::string text)
    {
        std::erase(text, '\r');
        return text;
    }

    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub/";
    ReportSelection selection;
};

TEST_F(StatusReportSelectionTest, MessagesComeInTheDialogsOrder)
{
    writeReport("_MACHINE_2026.CSV", reportLine("LATHE-1", "05/05/2026", 1));
    const auto messageOf = [this](auto change) {
        ReportSelection changed = selection;
        change(changed);
        return selectReport(hub, changed).message;
    };
    const struct {
        const char* name;
        std::function<void(ReportSelection&)> change;
        std::string message;
    } rows[] = {
        {"no span, and nothing else either",
         [](ReportSelection& s) {
             s.start.reset();
             s.machines.clear();
             s.shifts = {};
             s.kind = ReportKind::None;
         },
         "There was no Date selection made"},
        {"no end", [](ReportSelection& s) { s.end.reset(); }, "There was no Date selection made"},
        {"62 days, and no machines",
         [](ReportSelection& s) {
             s.end = ReportDate{2026, 5, 2};
             s.machines.clear();
         },
         "More then 61 days selected"},
        {"62 days backwards",
         [](ReportSelection& s) {
             s.start = ReportDate{2026, 5, 2};
             s.end = ReportDate{2026, 3, 1};
         },
         "More then 61 days selected"},
        {"an empty list, and no shift",
         [](ReportSelection& s) {
             s.machines.clear();
             s.shifts = {};
         },
         "There are no machines on the list"},
        {"33 selected",
         [](ReportSelection& s) {
             s.machines.clear();
             for (int i = 0; i < 33; ++i)
                 s.machines.push_back({"M" + std::to_string(i), true});
         },
         "More then 32 machines are selected"},
        {"none selected, and no shift",
         [](ReportSelection& s) {
             s.machines[0].selected = false;
             s.shifts = {};
         },
         "No machine was selected"},
        {"no shift, and no kind",
         [](ReportSelection& s) {
             s.shifts = {};
             s.kind = ReportKind::None;
         },
         "There was no Shift selected"},
        {"no file for the start date, and no kind",
         [](ReportSelection& s) {
             s.monthly = true;
             s.kind = ReportKind::None;
         },
         hub + "_REPORTS/_MACHINE_2026-03.CSV file is not found"},
        {"no kind", [](ReportSelection& s) { s.kind = ReportKind::None; },
         "Either 'per Machine' or 'per Date' needs to be selected"},
        {"nothing in the span", [](ReportSelection&) {}, "Records were not found"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(messageOf(row.change), row.message);
    }
}

TEST_F(StatusReportSelectionTest, TheLongestSpanOf32MachinesIsDrawnAndSavedWhole)
{
    std::string lines;
    for (ReportDate day{2026, 3, 1}; day <= ReportDate{2026, 5, 1}; day = day.plusDays(1))
        lines += reportLine("M31", day.text(), 1);
    lines += reportLine("M31", "05/02/2026", 3);
    writeReport("_MACHINE_2026.CSV", lines);
    selection.start = ReportDate{2026, 3, 1};
    selection.end = ReportDate{2026, 5, 1};
    selection.machines.clear();
    for (int i = 0; i < 32; ++i)
        selection.machines.push_back({"M" + std::to_string(i), true});
    const auto result = selectReport(hub, selection);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.lineCount, 63u);
    const auto bars = sumsForKind(result.reportText, ReportKind::Graph);
    EXPECT_EQ(bars->keys.size(), 63u);
    EXPECT_EQ(bars->droppedKeys, 0u);
    EXPECT_EQ(checkSavedReportText(result.reportText, ReportKind::Graph), "");
}

TEST_F(StatusReportSelectionTest, AReportFileThatCannotBeReadIsAnOpenError)
{
    // The name is there, but what it links to is gone (root reads any file, so no
    // permissions here).
    std::filesystem::create_symlink(hub + "/gone.CSV", hub + "/_REPORTS/_MACHINE_2026.CSV");
    EXPECT_EQ(selectReport(hub, selection).message, "Report .CSV file open error");
}

TEST_F(StatusReportSelectionTest, TakesTheLinesOfTheSpanAndTheLastNightShift)
{
    writeReport("_MACHINE_2026.CSV", reportLine("LATHE-1", "02/28/2026", 3) +  // before
                                         reportLine("LATHE-1", "03/01/2026", 1) +
                                         reportLine("MILL-2", "03/01/2026", 1) +  // not selected
                                         reportLine("LATHE-1", "03/02/2026", 2) +
                                         reportLine("LATHE-1", "03/03/2026", 3) +  // night shift
                                         reportLine("LATHE-1", "03/03/2026", 1) +  // stops here
                                         reportLine("LATHE-1", "03/03/2026", 3));
    EXPECT_EQ(taken(),
              lf(reportLine("LATHE-1", "03/01/2026", 1) + reportLine("LATHE-1", "03/02/2026", 2) +
                 reportLine("LATHE-1", "03/03/2026", 3)));

    // Given the other way round, the span is the same.
    std::swap(selection.start, selection.end);
    EXPECT_EQ(taken(),
              lf(reportLine("LATHE-1", "03/01/2026", 1) + reportLine("LATHE-1", "03/02/2026", 2) +
                 reportLine("LATHE-1", "03/03/2026", 3)));
}

TEST_F(StatusReportSelectionTest, ShiftsAndStationsFilter)
{
    writeReport(
        "_MACHINE_2026.CSV",
        reportLine("LATHE-1", "03/01/2026", 1, 0) + reportLine("LATHE-1", "03/01/2026", 1, 1) +
            reportLine("LATHE-1", "03/01/2026", 1, 2) + reportLine("LATHE-1", "03/01/2026", 1, 3) +
            reportLine("LATHE-1", "03/01/2026", 2, 0) +
            reportLine("LATHE-1", "03/03/2026", 3, 1));  // the last night shift
    const struct {
        const char* name;
        std::array<bool, 3> shifts;
        bool station1;
        bool station2;
        std::string lines;
    } rows[] = {
        {"station 1 only: 2 and 3 are out, 0 always in",
         {true, true, true},
         true,
         false,
         reportLine("LATHE-1", "03/01/2026", 1, 0) + reportLine("LATHE-1", "03/01/2026", 1, 1) +
             reportLine("LATHE-1", "03/01/2026", 2, 0) +
             reportLine("LATHE-1", "03/03/2026", 3, 1)},
        {"station 2 only",
         {true, true, true},
         false,
         true,
         reportLine("LATHE-1", "03/01/2026", 1, 0) + reportLine("LATHE-1", "03/01/2026", 1, 2) +
             reportLine("LATHE-1", "03/01/2026", 2, 0)},
        {"no station: single stations only",
         {true, false, false},
         false,
         false,
         reportLine("LATHE-1", "03/01/2026", 1, 0)},
        {"both stations take 3",
         {true, false, false},
         true,
         true,
         reportLine("LATHE-1", "03/01/2026", 1, 0) + reportLine("LATHE-1", "03/01/2026", 1, 1) +
             reportLine("LATHE-1", "03/01/2026", 1, 2) +
             reportLine("LATHE-1", "03/01/2026", 1, 3)},
        {"the last night shift only when shift 3 is checked",
         {false, true, true},
         true,
         false,
         reportLine("LATHE-1", "03/01/2026", 2, 0) + reportLine("LATHE-1", "03/03/2026", 3, 1)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        selection.shifts = row.shifts;
        selection.station1 = row.station1;
        selection.station2 = row.station2;
        EXPECT_EQ(taken(), lf(row.lines));
    }
}

TEST_F(StatusReportSelectionTest, ReadsEveryFileOfASpanAcrossAMonthEnd)
{
    selection.monthly = true;
    selection.start = ReportDate{2026, 1, 30};
    selection.end = ReportDate{2026, 2, 1};
    writeReport("_MACHINE_2026-01.CSV",
                reportLine("LATHE-1", "01/29/2026", 1) + reportLine("LATHE-1", "01/31/2026", 2));
    writeReport("_MACHINE_2026-02.CSV", reportLine("LATHE-1", "02/01/2026", 1) +
                                            reportLine("LATHE-1", "02/02/2026", 3) +
                                            reportLine("LATHE-1", "02/02/2026", 1));
    EXPECT_EQ(taken(),
              lf(reportLine("LATHE-1", "01/31/2026", 2) + reportLine("LATHE-1", "02/01/2026", 1) +
                 reportLine("LATHE-1", "02/02/2026", 3)));
}

TEST_F(StatusReportSelectionTest, TheNightShiftOf31DecemberIsInNextYearsFile)
{
    selection.start = ReportDate{2026, 12, 30};
    selection.end = ReportDate{2026, 12, 31};
    writeReport("_MACHINE_2026.CSV", reportLine("LATHE-1", "12/31/2026", 2));
    // The share spells the next year's file in its own case.
    test::writeBytes(hub + "/_REPORTS/_machine_2027.csv",
                     std::string(kHubHeader) + reportLine("LATHE-1", "01/01/2027", 3) +
                         reportLine("LATHE-1", "01/01/2027", 1));
    EXPECT_EQ(taken(),
              lf(reportLine("LATHE-1", "12/31/2026", 2) + reportLine("LATHE-1", "01/01/2027", 3)));

    // Before the hub has begun the next year there is no file, and the span still reads.
    std::filesystem::remove(hub + "/_REPORTS/_machine_2027.csv");
    EXPECT_EQ(taken(), lf(reportLine("LATHE-1", "12/31/2026", 2)));
}

TEST_F(StatusReportSelectionTest, DamagedLinesAreSkippedAndLineEndsBecomeLineFeeds)
{
    writeReport("_MACHINE_2026.CSV",
                "LATHE-1,3/01/2026,1,06:00:00,07:00:00,3600,CYCLE ON,0,\r\n"   // date misplaced
                "LATHE-1,03/01/2026\n"                                         // short
                "LATHE-1,03/01/2026,1,06:00:00,07:00:00,3600,SETUP,0,x\n"      // LF only
                "LATHE-1,03/01/2026,1,07:00:00,08:00:00,3600,CYCLE ON,X,\r\n"  // damaged value
                "LATHE-1,03/01/2026,2,14:00:00,15:00:00,3600,ALARM,0,");       // no line end
    EXPECT_EQ(taken(),
              "LATHE-1,03/01/2026,1,06:00:00,07:00:00,3600,SETUP,0,x\n"
              "LATHE-1,03/01/2026,2,14:00:00,15:00:00,3600,ALARM,0,\n");
}

TEST_F(StatusReportSelectionTest, CompressedShiftJoinsTheSelectedLines)
{
    writeReport("_MACHINE_2026.CSV",
                "LATHE-1,03/01/2026,1,06:00:00,06:30:00,1800,CYCLE ON,0,\r\n"
                "LATHE-1,03/01/2026,1,06:30:00,06:40:00,600,SETUP,0,\r\n"
                "LATHE-1,03/01/2026,1,06:40:00,07:00:00,1200,CYCLE ON,0,\r\n");
    selection.compressed = true;
    const auto result = selectReport(hub, selection);
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.lineCount, 2u);
    EXPECT_EQ(result.reportText, std::string(kTempReportHeader) +
                                     "LATHE-1,03/01/2026,1,06:00:00,07:00:00,3000,CYCLE ON,0,\n"
                                     "LATHE-1,03/01/2026,1,06:30:00,06:40:00,600,SETUP,0,\n");
}

// ---- Machines of a report file ---------------------------------------------------------

TEST_F(StatusReportSelectionTest, MachinesFromDateInOrderOfAppearance)
{
    writeReport("_MACHINE_2026-03.CSV",
                reportLine("MILL-2", "03/01/2026", 1) + reportLine("LATHE-1", "03/01/2026", 1) +
                    "DAMAGED LINE\r\n" + reportLine("MILL-2", "03/02/2026", 1));
    EXPECT_EQ(reportFileMachines(hub, {2026, 3, 9}, true),
              (std::vector<std::string>{"MILL-2", "LATHE-1"}));
    EXPECT_FALSE(reportFileMachines(hub, {2026, 4, 1}, true));
}

TEST(StatusReportMachinesTest, AHundredThousandNamesEachOnce)
{
    constexpr int kNames = 100000;
    std::string bytes(kHubHeader);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < kNames; ++i)
            bytes += reportLine("M" + std::to_string(i), "03/01/2026", 1);
    }
    const auto names = reportMachineNames(bytes);
    ASSERT_EQ(names.size(), static_cast<std::size_t>(kNames));
    EXPECT_EQ(names.front(), "M0");
    EXPECT_EQ(names[54321], "M54321");
    EXPECT_EQ(names.back(), "M99999");
}

}  // namespace
}  // namespace quillon
