#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliTestSupport.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

// The block of one setup in the output: from "N: " to the empty line after it.
std::string setupBlock(const std::string& out, int number)
{
    const std::string head = std::to_string(number) + ": ";
    auto start = out.find(head);
    if (number > 1)
        start = out.find("\n\n" + head) + 2;
    const auto end = out.find("\n\n", start);
    return out.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
}

TEST(CliSetups, PrintsTheTenSetupsAsSelectConfigurationSummarisesThem)
{
    test::TempWorkDir dir;
    dir.write("ComConf.sys",
              readFile(std::string(QUILLON_TEST_DATA) + "/ComConf-shop.sys").value());
    const CliRun run = runCli({"setups"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");

    EXPECT_EQ(setupBlock(run.out, 2),
              "2: Fanuc 0i lathe\n"
              "PORT: COM3\n"
              "BAUD: 110\n"
              "CODE: ISO\n"
              "EOB: LF\n"
              "HHS: N/U\n"
              "XON: FANUC\n"
              "LOOPING: OFF\n"
              "Rx START CH: None\n"
              "Rx END CH: None\n"
              "Tx START CH: ^R\n"
              "Tx END CH: %\n"
              "COMMENT FILTER: None\n"
              "Tx NULL CH: 0\n"
              "VERTICAL PARITY: None\n"
              "NO WAIT FOR XON\n"
              "DEF. Tx DIR: D:\\Programs\n"
              "DEF. Rx DIR: \n");
    // A port kept open by the last run shows the extra line right after the port.
    EXPECT_TRUE(
        setupBlock(run.out, 5).starts_with("5: TNC 426\nPORT: COM6\nPORT STAYS OPEN\nBAUD"));
    EXPECT_TRUE(setupBlock(run.out, 10).starts_with("10: Config :\n"));

    // Ten blocks separated by exactly one empty line, none after the last.
    int blocks = 1;
    for (auto pos = run.out.find("\n\n"); pos != std::string::npos;
         pos = run.out.find("\n\n", pos + 1))
        ++blocks;
    EXPECT_EQ(blocks, 10);
    EXPECT_NE(run.out.substr(run.out.size() - 2), "\n\n");
}

TEST(CliSetups, WithoutComConfTheDefaultsAreShown)
{
    test::TempWorkDir dir;
    const CliRun run = runCli({"setups"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(setupBlock(run.out, 1).starts_with("1: Config 1\nPORT: COM1\nBAUD: 9600\n"));
    EXPECT_NE(run.out.find("10: Config 10\n"), std::string::npos);
}

TEST(Cli, UsageAndUnknownCommands)
{
    EXPECT_EQ(runCli({}).code, 2);
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("setups"), std::string::npos);
    const CliRun unknown = runCli({"frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("unknown command: frobnicate"), std::string::npos);
    EXPECT_EQ(runCli({"setups", "extra"}).code, 2);
}

}  // namespace
}  // namespace quillon
