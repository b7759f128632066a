#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliCalc, TheThreeCalculatorsPrintTheirFields)
{
    CliRun run = runCli({"calc", "bolt", "--x", "0", "--y", "0", "--radius", "10", "--holes", "4",
                         "--first", "45"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "X7.0710   Y7.0710\nX7.0710   Y-7.0710\nX-7.0710   Y-7.0710\n"
              "X-7.0710   Y7.0710\n");
    run = runCli({"calc", "triangle", "--A", "3", "--B", "4"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "A=3.0000\nB=4.0000\nC=5.0000\na=36.8699\nb=53.1301\n");
    run = runCli({"calc", "speed", "--rpm", "1000", "--dia", "1"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "RPM=1000\nDIA=1\nIPS=52.35\nFPM=261.79\n");
}

TEST(CliCalc, RefusedInputsAndUsage)
{
    CliRun run = runCli({"calc", "triangle", "--A", "3", "--B", "4", "--C", "5"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "Too many data\n");
    EXPECT_TRUE(run.out.empty());
    run = runCli({"calc", "bolt", "--x", "0", "--y", "0", "--radius", "10", "--holes", "361",
                  "--first", "0"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "Number of holes are too large\n");
    EXPECT_EQ(runCli({"calc", "speed", "--rpm", "5"}).err, "Incorrect data\n");
    EXPECT_EQ(runCli({"calc", "bolt", "--x"}).code, 2);
    EXPECT_EQ(runCli({"calc", "speed", "--rpm", "5", "--rpm", "6"}).code, 2);
    EXPECT_EQ(runCli({"calc", "triangle", "--c", "5"}).code, 2);
    EXPECT_EQ(runCli({"calc", "circle"}).code, 2);
}

}  // namespace
}  // namespace quillon
