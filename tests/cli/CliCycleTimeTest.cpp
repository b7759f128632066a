#include <gtest/gtest.h>

#include <numbers>
#include <string>

#include "cli/CliTestSupport.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

constexpr double kPi = std::numbers::pi;

// A tool change, 100 at the rapid rate, 10 at F100 and a half circle of radius 5 at F30.
constexpr char kProgram[] =
    "%\r\nO1000\r\nT1 M06\r\nG17 G00 X100.\r\nG01 X110. F100\r\n"
    "G02 X120. R5. F30\r\nM30\r\n%\r\n";

TEST(CliCycleTime, PrintsTheBoxTextAndTheSeconds)
{
    const double halfCircle = 5 * kPi * 1.15 / 0.5;
    struct Case {
        std::vector<std::string> options;
        const char* box;
        double seconds;
    };
    const Case cases[] = {
        {{}, "Cycle time: 0:0:48", 6 + 6 + halfCircle},
        {{"--toolchange", "12.5", "--rapid", "500"},
         "Cycle time: 0:1:7",
         12.5 + 12 + 6 + halfCircle},
        // X as a diameter: 50 at the rapid rate, 5 at F100, then a sixth of a circle.
        {{"--lathe", "--rapid", "+10000"}, "Cycle time: 0:0:15", 0.3 + 3 + halfCircle / 3},
    };
    test::TempWorkDir dir;
    dir.write("PROG.NC", kProgram);
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"cycletime"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(dir.path("PROG.NC"));
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::size_t lineEnd = run.out.find('\n');
        ASSERT_NE(lineEnd, std::string::npos) << run.out;
        EXPECT_EQ(run.out.substr(0, lineEnd), c.box);
        const std::string seconds = run.out.substr(lineEnd + 1);
        EXPECT_EQ(seconds.find_first_not_of("0123456789."), seconds.size() - 1) << seconds;
        EXPECT_EQ(seconds.back(), '\n');
        EXPECT_NEAR(std::stod(seconds), c.seconds, 1e-6) << seconds;
    }
    EXPECT_EQ(dir.read("PROG.NC"), kProgram);
}

TEST(CliCycleTime, AnEmptyProgramPrintsNothing)
{
    test::TempWorkDir dir;
    dir.write("EMPTY.NC", "");
    const CliRun run = runCli({"cycletime", dir.path("EMPTY.NC")});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "");
}

TEST(CliCycleTime, UsageErrorsAndUnreadableFiles)
{
    test::TempWorkDir dir;
    dir.write("PROG.NC", kProgram);
    const std::string file = dir.path("PROG.NC");
    const std::vector<std::string> wrong[] = {
        {"cycletime"},
        {"cycletime", file, file},
        {"cycletime", "--mill", file},
        {"cycletime", "--rapid", "0.5", file},
        {"cycletime", "--toolchange", "-1", file},
        {"cycletime", file, "--toolchange"},
    };
    for (const auto& arguments : wrong) {
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.code, 2) << arguments.back();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: quillonlt-cli cycletime [--lathe]"), std::string::npos);
    }
    EXPECT_NE(runCli({"cycletime", "--rapid", "0", file})
                  .err.find("--rapid takes a number from 1 to 10000"),
              std::string::npos);

    const CliRun missing = runCli({"cycletime", dir.path("MISSING.NC")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "\"" + dir.path("MISSING.NC") + "\" was not found.\n");
}

}  // namespace
}  // namespace quillon
