#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestSupport.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCli;

TEST(CliCleanup, RunsEachToolWithoutAskingAndNamesWhatItChanged)
{
    test::TempWorkDir dir;
    const std::string folder = dir.base() + "/nc";
    fs::create_directories(folder + "/BAK");
    test::writeBytes(folder + "/LF.NC", "%\nO1000\n%\n");
    test::writeBytes(folder + "/OK.NC", "%\r\nO2000(OLD)\r\n%\r\n");

    CliRun run = runCli({"cleanup", "eob", folder});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, folder + "/LF.NC\n");

    run = runCli({"cleanup", "comment", folder + "/"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, folder + "/LF.NC\n" + folder + "/OK.NC\n");
    EXPECT_EQ(readFile(folder + "/LF.NC").value_or("<missing>"), "%\r\nO1000\r\n(LF)\r\n%\r\n");

    run = runCli({"cleanup", "reverse-comment", folder});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              folder + "/LF.NC -> " + folder + "/LF\n" + folder + "/OK.NC -> " + folder + "/OK\n");

    test::writeBytes(folder + "/AGAIN", "O1000\r\n");
    run = runCli({"cleanup", "mazak", folder});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, folder + "/AGAIN -> " + folder + "/1000\n" + folder + "/LF -> " + folder +
                           "/BAK/1000.1\n" + folder + "/OK -> " + folder + "/2000\n");
}

TEST(CliCleanup, RefusalsGoToStandardErrorAndUsageErrorsExitTwo)
{
    test::TempWorkDir dir;
    const std::string folder = dir.base() + "/nc";
    fs::create_directories(folder);
    test::writeBytes(folder + "/A.NC", "O1(../A)\r\n");
    CliRun run = runCli({"cleanup", "reverse-comment", folder});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, folder + "/A.NC: its comment is not a file name in this folder\n");

    EXPECT_EQ(runCli({"cleanup", "eob", folder + "/missing"}).code, 1);
    EXPECT_EQ(runCli({"cleanup", "sweep", folder}).code, 2);
    EXPECT_EQ(runCli({"cleanup", "eob"}).code, 2);
}

}  // namespace
}  // namespace quillon
