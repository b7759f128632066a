#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "support/TempWorkDir.h"
#include "utilities/Renumber.h"

namespace quillon {
namespace {

using test::runCli;

// A lathe program whose G71 names its contour by block numbers.
constexpr char kCycleProgram[] = "N10 G00 X50.\nN20 G71 P30 Q40\nN30 X20.\nN40 Z-5.\n";

class CliRenumberTest : public ::testing::Test {
protected:
    std::string program(const std::string& bytes)
    {
        dir.write("PROG.NC", bytes);
        return dir.path("PROG.NC");
    }

    test::TempWorkDir dir;
};

TEST_F(CliRenumberTest, OptionsReachTheSettings)
{
    struct Case {
        std::vector<std::string> options;
        const char* out;
    };
    const std::string bytes = "G0 X1\nO100\n:5 Y2\n(CUT)\n!M30";
    const Case cases[] = {
        {{}, "N1 G0 X1\r\nO100\r\n:5 Y2\r\n(CUT)\r\n!M30"},
        {{"--start", "10", "--increment", "10", "--digits", "4", "--zeroes"},
         "N0010 G0 X1\r\nO100\r\n:5 Y2\r\n(CUT)\r\n!M30"},
        {{"--letter-o", "--colon", "--paren", "--skip", ""},
         "N1 G0 X1\r\nO2 \r\n:3 Y2\r\nN4 (CUT)\r\nN5 !M30"},
        {{"--digits", "1", "--start", "9", "--skip", "G"},
         "G0 X1\r\nO100\r\n:5 Y2\r\n(CUT)\r\nN9 !M30"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"renumber"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(program(bytes));
        const auto run = runCli(arguments);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.code, 0);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CliRenumberTest, OutOfRangeOrUnknownOptionsAreUsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--start", "10001"}, {"--start", "-1"}, {"--increment", "0"}, {"--increment", "10001"},
        {"--digits", "0"},    {"--digits", "7"}, {"--digits", "3x"},   {"--skip", "AB"},
        {"--start"},          {"--skip"},        {"--lines", "3"},     {"--yes", "A.NC", "B.NC"},
    };
    const std::string path = program("X1\n");
    for (auto arguments : bad) {
        arguments.insert(arguments.begin(), "renumber");
        arguments.push_back(path);
        const auto run = runCli(arguments);
        SCOPED_TRACE(arguments[1]);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: quillonlt-cli renumber [--start N]"), std::string::npos);
    }
    EXPECT_EQ(dir.read("PROG.NC"), "X1\n");
    // The extremes of each range are taken.
    const auto run =
        runCli({"renumber", "--start", "10000", "--increment", "10000", "--digits", "6", path});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "N10000 X1\r\n");
}

TEST_F(CliRenumberTest, CannedCycleMessagesGoToStandardError)
{
    auto run = runCli({"renumber", "--start", "5", "--increment", "5", program(kCycleProgram)});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "N5 G00 X50.\r\nN10 G71 P15 Q20\r\nN15 X20.\r\nN20 Z-5.\r\n");
    EXPECT_EQ(run.err, std::string(kCannedCycleReviseText) + "\n");

    run = runCli({"renumber", program("N10 G70 P10 Q11\n")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "N1 G70 P1 Q11\r\n");
    EXPECT_EQ(run.err, std::string(kCannedCycleErrorText) + "\n");
}

TEST_F(CliRenumberTest, InPlaceRewritesTheFile)
{
    const std::string path = program("N10 X1\r\n  N20 Y2");
    auto run = runCli({"renumber", "--in-place", "--increment", "10", path});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.read("PROG.NC"), "N1 X1\r\nN11 Y2");
    run = runCli({"remove-numbers", path, "--in-place"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(dir.read("PROG.NC"), "X1\r\nY2");
}

TEST_F(CliRenumberTest, RemovalAsksAboutCannedCyclesAndNeedsYes)
{
    const std::string path = program(kCycleProgram);
    const std::string question =
        std::string(kRemoveNumbersWarningTitle) + ": " + kRemoveNumbersWarningText + "\n";
    auto run = runCli({"remove-numbers", "--in-place", path});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, question);
    EXPECT_EQ(dir.read("PROG.NC"), kCycleProgram);
    run = runCli({"remove-numbers", path});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");

    run = runCli({"remove-numbers", "--yes", path});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, question);
    EXPECT_EQ(run.out, "G00 X50.\r\nG71 P30 Q40\r\nX20.\r\nZ-5.\r\n");

    // Without a cycle nothing is asked.
    run = runCli({"remove-numbers", program("N1 X\n/N2 Y")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "X\r\n/Y");
    EXPECT_EQ(runCli({"remove-numbers", "--start", "1", path}).code, 2);
}

}  // namespace
}  // namespace quillon
