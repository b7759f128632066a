#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

constexpr char kProgram[] = "%\nN10G01X1.Y2.(ROUGH CUT)\nN20 X-0.25 Z3.\n%\n";

// Runs the command on a copy of kProgram given as FILE.
CliRun runOnProgram(std::vector<std::string> arguments, const test::TempWorkDir& dir)
{
    dir.write("PROG.NC", kProgram);
    arguments.push_back(dir.path("PROG.NC"));
    return runCli(arguments);
}

TEST(CliLineTools, WritesTheChangedProgramToStandardOutput)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* out;
    };
    // The program comes out as the editor saves it: CR LF between lines.
    const Case cases[] = {
        {{"expand"}, "%\r\nN10 G01 X1. Y2. (ROUGH CUT)\r\nN20 X-0.25 Z3.\r\n%\r\n"},
        {{"compress"}, "%\r\nN10G01X1.Y2.(ROUGH CUT)\r\nN20X-0.25Z3.\r\n%\r\n"},
        {{"modify", "--address", "X", "--add", "1"},
         "%\r\nN10G01X2.0000Y2.(ROUGH CUT)\r\nN20 X0.7500 Z3.\r\n%\r\n"},
        {{"modify", "--address", "X", "--multiply", "-2", "--decimals", "3"},
         "%\r\nN10G01X-2.000Y2.(ROUGH CUT)\r\nN20 X0.500 Z3.\r\n%\r\n"},
        {{"modify", "--address", "Z", "--divide", "2", "--decimals", "0"},
         "%\r\nN10G01X1.Y2.(ROUGH CUT)\r\nN20 X-0.25 Z2\r\n%\r\n"},
        {{"modify", "--exclude", "N20", "--add", "+0.5", "--address", "Y"},
         "%\r\nN10G01X1.Y2.5000(ROUGH CUT)\r\nN20 X-0.25 Z3.\r\n%\r\n"},
        {{"rotate"}, "%\r\nN10G01Y1.Z2.(ROUGH CUT)\r\nN20 Y-0.25 X3.\r\n%\r\n"},
        {{"rotate", "X:", "Z:Y"}, "%\r\nN10G01X1.Y2.(ROUGH CUT)\r\nN20 X-0.25 Y3.\r\n%\r\n"},
        {{"rotate", "::", ":N", "N:G"}, "%\r\nG10G01X1.Y2.(ROUGH CUT)\r\nG20 X-0.25 Z3.\r\n%\r\n"},
    };
    test::TempWorkDir dir;
    for (const auto& c : cases) {
        const CliRun run = runOnProgram(c.arguments, dir);
        EXPECT_EQ(run.code, 0) << c.arguments.front() << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.arguments.front();
        EXPECT_EQ(dir.read("PROG.NC"), kProgram) << c.arguments.front();
    }
}

TEST(CliLineTools, InPlaceReplacesTheFile)
{
    test::TempWorkDir dir;
    const CliRun run = runOnProgram({"expand", "--in-place"}, dir);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.read("PROG.NC"), "%\r\nN10 G01 X1. Y2. (ROUGH CUT)\r\nN20 X-0.25 Z3.\r\n%\r\n");
}

TEST(CliLineTools, MinMaxPrintsTheBoxAndLeavesTheProgram)
{
    test::TempWorkDir dir;
    CliRun run = runOnProgram({"minmax"}, dir);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "Xmin = -0.25    Xmax = 1.\nYmin = 2.    Ymax = 2.\nZmin = 3.    Zmax = 3.\n");
    EXPECT_EQ(dir.read("PROG.NC"), kProgram);

    dir.write("EMPTY.NC", "");
    run = runCli({"minmax", dir.path("EMPTY.NC")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "");

    run = runCli({"minmax", dir.path("MISSING.NC")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "\"" + dir.path("MISSING.NC") + "\" was not found.\n");
}

TEST(CliLineTools, UsageErrorsLeaveTheFileAndExitWith2)
{
    const std::string twentyOne(21, 'X');
    const std::vector<std::string> cases[] = {
        {"compress", "--all"},
        {"expand", "ONE.NC"},  // a second file
        {"minmax", "--in-place"},
        {"modify", "--add", "1"},
        {"modify", "--address", "X"},
        {"modify", "--address", "X", "--add", "1", "--multiply", "2"},
        {"modify", "--address", "X", "--add", "1000000.1"},
        {"modify", "--address", "X", "--divide", "-1000001"},
        {"modify", "--address", "X", "--add", "1,5"},
        {"modify", "--address", "X", "--add", "nan"},
        {"modify", "--address", "X", "--add"},
        {"modify", "--address", twentyOne, "--add", "1"},
        {"modify", "--address", "", "--add", "1"},
        {"modify", "--address", "X", "--add", "1", "--exclude", twentyOne},
        {"modify", "--address", "X", "--add", "1", "--decimals", "2"},
        {"rotate", "X:Y", "Y:Z", "Z:X", "A:B"},
        {"rotate", "XY:Z"},
        {"rotate", "X:YZ"},
        {"rotate", "X-Y"},
    };
    test::TempWorkDir dir;
    for (const auto& arguments : cases) {
        const CliRun run = runOnProgram(arguments, dir);
        const std::string scenario = arguments.front() + " " + arguments[1];
        EXPECT_EQ(run.code, 2) << scenario;
        EXPECT_EQ(run.out, "") << scenario;
        EXPECT_NE(run.err.find("usage: quillonlt-cli " + arguments.front()), std::string::npos)
            << scenario << ": " << run.err;
        EXPECT_EQ(dir.read("PROG.NC"), kProgram) << scenario;
    }
    // Limits themselves are allowed.
    const std::string twenty(20, 'X');
    EXPECT_EQ(runOnProgram(
                  {"modify", "--address", twenty, "--add", "-1000000", "--exclude", twenty}, dir)
                  .code,
              0);
}

}  // namespace
}  // namespace quillon
