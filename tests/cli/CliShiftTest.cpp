// quillonlt-cli shift: the intervals of a shift file, and two station files merged.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "cli/CliTestSupport.h"
#include "monitoring/ShiftSamples.h"
#include "platform/TextFile.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::kShiftStart;
using test::runCli;
using test::shiftFile;

class CliShiftTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
};

TEST_F(CliShiftTest, IntervalsOneALine)
{
    const std::string file = dir.base() + "/MON12_PRESS2_SHIFT1.MON";
    test::writeBytes(file, shiftFile({{0, "_SH_START"},
                                      {60, "_CON:H50"},
                                      {120, "_CYCOUNT,40,5,15"},
                                      {240, "_COFF"},
                                      {300, "WAITING, FOR CRANE"},
                                      {360, "_SH_END"}}));
    const auto at = [](std::int64_t offset) { return std::to_string(kShiftStart + offset); };
    const auto run = runCli({"shift", "intervals", file});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, at(60) + "," + at(240) + ",0,5,above,CYCLE ON\n" + at(240) + "," + at(300) +
                           ",1,,,CYCLE OFF\n" + at(300) + "," + at(360) + ",32,,,WAITING\n");
}

TEST_F(CliShiftTest, TheCurrentShiftEndsNow)
{
    const std::int64_t started = std::time(nullptr) - 600;
    const std::string file = dir.base() + "/MonitorData25.SYS_";
    test::writeBytes(file, shiftRecordLine(started, "_CON") + "\n");

    const auto archived = runCli({"shift", "intervals", file});
    EXPECT_EQ(archived.out,
              std::to_string(started) + "," + std::to_string(started) + ",0,,,CYCLE ON\n");

    const std::int64_t before = std::time(nullptr);
    const auto current = runCli({"shift", "intervals", "--current", file});
    const std::int64_t after = std::time(nullptr);
    ASSERT_EQ(current.code, 0) << current.err;
    const std::string first = current.out.substr(0, current.out.find('\n'));
    const auto lines = splitAtCommas(first);
    ASSERT_EQ(lines.size(), 6u) << current.out;
    EXPECT_EQ(lines[0], std::to_string(started));
    const long end = numberIn(lines[1]).value_or(0);
    EXPECT_GE(end, before);
    EXPECT_LE(end, after);
}

TEST_F(CliShiftTest, MergeWritesTheStationsAsOneFile)
{
    const std::string head1 = dir.base() + "/MonitorData250.SYS_";
    const std::string head2 = dir.base() + "/MonitorData251.SYS_";
    const std::string out = dir.base() + "/merged.txt";
    test::writeBytes(head1, shiftFile({{0, "_CON"}, {20, "_COFF"}}));
    test::writeBytes(head2, shiftFile({{10, "_CON"}}));

    auto run = runCli({"shift", "merge", head1, head2, out});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(readFile(out), "05/12/16,06:00:00,_CON\r\n05/12/16,06:00:10,_CON\r\n");

    run = runCli({"shift", "merge", "--closing", head1, head2, out});
    EXPECT_EQ(run.code, 0) << run.err;
    const auto merged = readFile(out).value_or("");
    EXPECT_EQ(merged.rfind(",_COFF\r\n"), merged.size() - 8) << merged;

    run = runCli({"shift", "merge", head1, dir.base() + "/none", out});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, dir.base() + "/none file read open error\n");
}

TEST_F(CliShiftTest, PieAndCyclesAreShiftCommandsToo)
{
    const std::string file = dir.base() + "/MON12_PRESS2_SHIFT1.MON";
    test::writeBytes(file, shiftFile({{0, "_SH_START"},
                                      {0, "_PARTNO:BRACKET,280,400;1"},
                                      {60, "_CON"},
                                      {360, "_COFF"},
                                      {420, "_SH_END"}}));
    const auto pie = runCli({"shift", "pie", file});
    EXPECT_EQ(pie.code, 0) << pie.err;
    EXPECT_NE(pie.out.find("BRACKET,_CON,5\n"), std::string::npos) << pie.out;
    const auto cycles = runCli({"shift", "cycles", file});
    EXPECT_EQ(cycles.code, 0) << cycles.err;
    EXPECT_NE(cycles.out.find("TOTAL cycle time: 05:00"), std::string::npos) << cycles.out;
}

TEST_F(CliShiftTest, UsageErrorsAndUnreadableFiles)
{
    for (const auto& wrong :
         std::vector<std::vector<std::string>>{{"shift"},
                                               {"shift", "graph", "FILE"},
                                               {"shift", "intervals"},
                                               {"shift", "intervals", "--now", "FILE"},
                                               {"shift", "intervals", "A", "B"},
                                               {"shift", "merge", "A", "B"},
                                               {"shift", "merge", "A", "B", "C", "--close"}}) {
        const auto run = runCli(wrong);
        EXPECT_EQ(run.code, 2) << wrong.size();
        EXPECT_NE(run.err.find("shift cycles FILE [--part P]"), std::string::npos) << run.err;
    }
    const auto run = runCli({"shift", "intervals", dir.base()});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, dir.base() + " file read open error\n");
}

TEST_F(CliShiftTest, StartsOfThePreviousAndTheCurrentShift)
{
    const std::string month = dir.base() + "/hub/_MONITORING/2016-05";
    const std::string hubTmp = dir.base() + "/hub/_TMP";
    std::filesystem::create_directories(month);
    std::filesystem::create_directories(hubTmp);
    test::writeBytes(month + "/MON12_LATHE1_SHIFT1.MON",
                     shiftFile({{0, "_SH_START"}, {90, "_CON"}}));
    test::writeBytes(month + "/MON12_MILL2_SHIFT1.MON", shiftFile({{4, "_SH_START"}}));
    test::writeBytes(hubTmp + "/MonitorData02.SYS_", shiftFile({{7, "_SH_START"}, {67, "_CON"}}));
    const std::string header = "MACHINE NAME,SHIFT DATE,SHIFT START,CYCLE START\n";

    const auto previous =
        runCli({"shift", "starts", "--previous", month + "/MON12_MILL2_SHIFT1.MON"});
    EXPECT_EQ(previous.code, 0) << previous.err;
    EXPECT_EQ(previous.out, header +
                                "LATHE1,05/12/2016,06:00:00,06:01:30\n"
                                "MILL2,05/12/2016,06:00:04,00:00:00\n");

    const auto noList = runCli({"shift", "starts", "--current", "--hub", dir.base() + "/hub"});
    EXPECT_EQ(noList.code, 1);
    EXPECT_EQ(noList.err, "There is no monitored machine list\n");

    dir.write("MonList.sys", "PRESS,0,2\r\n");
    const auto current = runCli({"shift", "starts", "--current", "--hub", dir.base() + "/hub"});
    EXPECT_EQ(current.code, 0) << current.err;
    EXPECT_EQ(current.out, header + "PRESS,05/12/2016,06:00:07,06:01:07\n");

    const auto invalid = runCli({"shift", "starts", "--previous", month + "/MON12_MILL2.MON"});
    EXPECT_EQ(invalid.code, 1);
    EXPECT_EQ(invalid.err, "File selected is not valid\n");
    EXPECT_EQ(runCli({"shift", "starts", "--current", "--hub"}).code, 2);
}

}  // namespace
}  // namespace quillon
