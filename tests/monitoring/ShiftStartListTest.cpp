#include "monitoring/ShiftStartList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftSamples.h"
#include "platform/Paths.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::kShiftStart;
using test::shiftFile;

ShiftStartRow row(std::string machine, std::string date, std::string start, std::string cycle)
{
    return {std::move(machine), std::move(date), std::move(start), std::move(cycle)};
}

TEST(ShiftStartListTest, RowsTakeTheFirstRecordAndTheFirstCycleOn)
{
    const test::ScopedTimeZone zone;
    struct Case {
        const char* scenario;
        std::string bytes;
        ShiftStartRow expected;
    };
    const Case cases[] = {
        {"shift start then a cycle",
         shiftFile({{0, "_SH_START"},
                    {300, "_PARTNO:P1"},
                    {725, "_CON"},
                    {900, "_COFF"},
                    {1200, "_CON"}}),
         row("M", "05/12/2016", "06:00:00", "06:12:05")},
        {"a cycle with the spindle counts as the first cycle",
         shiftFile({{0, "_SH_START"}, {61, "_CON,SPINDLE_ON"}}),
         row("M", "05/12/2016", "06:00:00", "06:01:01")},
        {"a shaded cycle counts too", shiftFile({{0, "_SH_START"}, {120, "_CON:E80"}}),
         row("M", "05/12/2016", "06:00:00", "06:02:00")},
        {"no cycle on: zero cycle start", shiftFile({{0, "_SH_START"}, {60, "_SETUP"}}),
         row("M", "05/12/2016", "06:00:00", "00:00:00")},
        {"an empty file: zeros", "", row("M", "00/00/0000", "00:00:00", "00:00:00")},
        {"header and blank lines are no records",
         "DATE,TIME,EVENT\n\n" + shiftFile({{30, "LOADING"}, {90, "_CON"}}),
         row("M", "05/12/2016", "06:00:30", "06:01:30")},
        {"CR LF line ends",
         "05/12/16,06:00:00,_SH_START\r\n05/12/2016,06:10:00,_CON\r\n05/12/16,06:20:00,_COFF\r\n",
         row("M", "05/12/2016", "06:00:00", "06:10:00")},
        {"a shift that runs over midnight keeps its start date",
         "05/12/16,22:00:00,_SH_START\n05/13/16,00:15:00,_CON\n",
         row("M", "05/12/2016", "22:00:00", "00:15:00")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shiftStartRow("M", c.bytes), c.expected) << c.scenario;
}

TEST(ShiftStartListTest, OnlyWholeMachineShiftFilesAreAccepted)
{
    struct Case {
        const char* name;
        const char* part;
    };
    const Case cases[] = {
        {"MON12_LATHE1_SHIFT1.MON", "_SHIFT1.MON"},
        {"/hub/_MONITORING/2016-05/MON12_MILL_SHIFT3.MON", "_SHIFT3.MON"},
        {"mon12_lathe1_shift2.mon", "_SHIFT2.MON"},
        {"MON12_LATHE1_SHIFT4.MON", ""},
        {"MON12_MILL4_SHIFT1_HEAD2.MON", ""},
        {"MON12_LATHE1_SHIFT1.MON.bak", ""},
        {"MON12_LATHE1_SHIFT1.TXT", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(previousShiftPart(c.name), c.part) << c.name;
}

class PreviousShiftTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = m_dir.base() + "/hub/_MONITORING/2016-05";
        std::filesystem::create_directories(m_folder);
    }
    std::string file(const std::string& name, const std::string& bytes) const
    {
        const std::string path = paths::join(m_folder, name);
        test::writeBytes(path, bytes);
        return path;
    }

    test::ScopedTimeZone m_zone;
    test::TempWorkDir m_dir;
    std::string m_folder;
};

TEST_F(PreviousShiftTest, OneRowPerMachineOfTheSameDayAndShift)
{
    const std::string chosen =
        file("MON12_LATHE1_SHIFT1.MON", shiftFile({{0, "_SH_START"}, {600, "_CON"}}));
    file("MON12_MILL2_SHIFT1.MON", shiftFile({{5, "_SH_START"}, {65, "LOADING"}}));
    file("mon12_Drill_shift1.mon", shiftFile({{10, "_SH_START"}, {70, "_CON"}}));
    // Another shift, another day, a station's file, another extension: left out.
    file("MON12_LATHE1_SHIFT2.MON", shiftFile({{28800, "_SH_START"}}));
    file("MON13_LATHE1_SHIFT1.MON", shiftFile({{86400, "_SH_START"}}));
    file("MON12_MILL4_SHIFT1_HEAD1.MON", shiftFile({{0, "_SH_START"}}));
    file("MON12_LATHE1_SHIFT1.TXT", shiftFile({{0, "_SH_START"}}));

    const ShiftStartLoad load = previousShiftStarts(chosen);

    EXPECT_TRUE(load.error.empty());
    const std::vector<ShiftStartRow> expected = {
        row("LATHE1", "05/12/2016", "06:00:00", "06:10:00"),
        row("MILL2", "05/12/2016", "06:00:05", "00:00:00"),
        row("Drill", "05/12/2016", "06:00:10", "06:01:10"),
    };
    EXPECT_EQ(load.rows, expected);
}

TEST_F(PreviousShiftTest, AnInvalidChoiceListsNothing)
{
    for (const char* name : {"MON12_MILL4_SHIFT1_HEAD1.MON", "MON12_LATHE1.MON", "X_SHIFT1.MON"}) {
        const ShiftStartLoad load = previousShiftStarts(file(name, shiftFile({{0, "_SH_START"}})));
        EXPECT_EQ(load.error, kInvalidShiftFile) << name;
        EXPECT_TRUE(load.rows.empty()) << name;
    }
}

TEST_F(PreviousShiftTest, TheDialogStartsInTheMonthFolderOfNow)
{
    const FilePrompt prompt = previousShiftPrompt(m_dir.base() + "/hub", kShiftStart);
    EXPECT_EQ(prompt.title, "Select one monitoring file");
    EXPECT_EQ(prompt.filter, "Monitoring file (*.MON)|*.MON||");
    EXPECT_EQ(prompt.directory, m_folder);
}

TEST(CurrentShiftTest, OneRowPerListedMachineFromItsCurrentFile)
{
    const test::ScopedTimeZone zone;
    const test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    std::filesystem::create_directories(hub + "/_TMP");
    // Hub 0 port 1 runs a single station; hub 1 port 2 two stations; the mill has no file.
    test::writeBytes(hub + "/_TMP/MonitorData01.SYS_",
                     shiftFile({{0, "_SH_START"}, {420, "_CON"}}));
    test::writeBytes(hub + "/_TMP/MonitorData120.SYS_",
                     shiftFile({{3, "_SH_START"}, {33, "_CON,SPINDLE_ON"}}));
    test::writeBytes(hub + "/_TMP/MonitorData121.SYS_", shiftFile({{1, "_SH_START"}}));
    const std::string list =
        "_MT_Shop floor\r\nLATHE1,0,1\r\nTWIN,1,2\r\n_ST_Mills\r\n"
        "MILL2,0,3\r\nUNPLACED\r\n";

    const ShiftStartLoad load = currentShiftStarts(list, hub);

    EXPECT_TRUE(load.error.empty());
    const std::vector<ShiftStartRow> expected = {
        row("LATHE1", "05/12/2016", "06:00:00", "06:07:00"),
        row("TWIN", "05/12/2016", "06:00:03", "06:00:33"),
        row("MILL2", "00/00/0000", "00:00:00", "00:00:00"),
        row("UNPLACED", "00/00/0000", "00:00:00", "00:00:00"),
    };
    EXPECT_EQ(load.rows, expected);
}

TEST(CurrentShiftTest, NoListOrNoMachineOnItIsRefused)
{
    EXPECT_EQ(currentShiftStarts(std::nullopt, "/nowhere").error, kNoMonitoredMachineList);
    EXPECT_EQ(currentShiftStarts("_MT_Titles only\n", "/nowhere").error, kNoMonitoredMachineList);
}

TEST(ShiftStartSaveTest, WritesTheHeaderAndTheSelectedRows)
{
    const test::TempWorkDir dir;
    const std::vector<ShiftStartRow> rows = {
        row("LATHE1", "05/12/2016", "06:00:00", "06:07:00"),
        row("MILL2", "00/00/0000", "00:00:00", "00:00:00"),
    };
    const std::string path = dir.path("starts.csv");

    EXPECT_EQ(saveShiftStarts(path, rows), std::nullopt);
    EXPECT_EQ(dir.read("starts.csv"),
              "MACHINE NAME,SHIFT DATE,SHIFT START,CYCLE START\n"
              "LATHE1,05/12/2016,06:00:00,06:07:00\n"
              "MILL2,00/00/0000,00:00:00,00:00:00\n");
}

TEST(ShiftStartSaveTest, RefusalsLeaveNoFile)
{
    const test::TempWorkDir dir;
    const std::vector<ShiftStartRow> rows = {row("M", "05/12/2016", "06:00:00", "06:07:00")};
    struct Case {
        const char* scenario;
        std::string path;
        std::vector<ShiftStartRow> rows;
        std::string_view message;
    };
    const Case cases[] = {
        {"another extension", dir.path("starts.txt"), rows, kShiftStartCsvRefusal},
        {"no extension", dir.path("starts"), rows, kShiftStartCsvRefusal},
        {"nothing selected", dir.path("starts.csv"), {}, kNoItemsSelected},
        {"a folder that does not exist", dir.path("missing/starts.CSV"), rows,
         kShiftStartFileOpenError},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(saveShiftStarts(c.path, c.rows), std::string(c.message)) << c.scenario;
        EXPECT_FALSE(std::filesystem::exists(c.path)) << c.scenario;
    }
}

}  // namespace
}  // namespace quillon
