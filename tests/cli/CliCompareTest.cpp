#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliCompare, ReportsMarkedLinesAndExitCode)
{
    struct Case {
        const char* scenario;
        std::string first;
        std::string second;
        bool smart;
        int code;
        const char* out;
    };
    const Case cases[] = {
        {"blanks and line ends do not count", "G0 X0\r\nG1 X1.\r\n", "G0X0\nG1X1.\n", false, 0,
         "Compare OK\n"},
        {"a changed and an inserted line", "N10 G0\nN20 G1 X1\nN30 M30",
         "N10 G0\nN20 G1 X2\nN25 M5\nN30 M30", false, 1, "1:2:?\n2:2:?\n2:3:+\n"},
        {"file 1 first, in line order", "A\nB\nC\nD\nE", "X\nA\nC\nE\nF", false, 1,
         "1:2:+\n1:4:+\n2:1:+\n2:5:+\n"},
        {"raw: block numbers and order count", "N10 G1 X1. Y2. (A)\n", "N20 Y2 X1 G01\n", false, 1,
         "1:1:?\n2:1:?\n"},
        {"smart: they do not", "N10 G1 X1. Y2. (A)\n", "N20 Y2 X1 G01\n", true, 0, "Compare OK\n"},
        {"a final line end makes one more line", "G0", "G0\n", false, 1, "2:2:+\n"},
        {"two empty files", "", "", false, 0, "Compare OK\n"},
    };
    test::TempWorkDir dir;
    for (const auto& c : cases) {
        dir.write("ONE.NC", c.first);
        dir.write("TWO.NC", c.second);
        std::vector<std::string> arguments = {"compare", dir.path("ONE.NC"), dir.path("TWO.NC")};
        if (c.smart)
            arguments.insert(arguments.begin() + 1, "--smart");
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.code, c.code) << c.scenario;
        EXPECT_EQ(run.out, c.out) << c.scenario;
        EXPECT_EQ(run.err, "") << c.scenario;
    }
}

TEST(CliCompare, UsageErrorsAndUnreadableFilesExitWith2)
{
    test::TempWorkDir dir;
    dir.write("ONE.NC", "G0\n");
    std::filesystem::create_directory(dir.path("FOLDER"));
    const std::string one = dir.path("ONE.NC");
    const std::string usage = "usage: quillonlt-cli compare [--smart] FILE1 FILE2\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"compare", one}, usage},
        {{"compare", one, one, one}, usage},
        {{"compare", "--fast", one, one}, usage},
        {{"compare", one, dir.path("MISSING.NC")},
         "\"" + dir.path("MISSING.NC") + "\" was not found.\n"},
        {{"compare", dir.path("FOLDER"), one}, "\"" + dir.path("FOLDER") + "\" is a folder.\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.code, 2) << message;
        EXPECT_EQ(run.out, "") << message;
        EXPECT_EQ(run.err, message);
    }
}

}  // namespace
}  // namespace quillon
