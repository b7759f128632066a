#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestSupport.h"
#include "monitoring/DirectoryLog.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCli;

TEST(CliDirectoryLog, CreatesAndShowsTheLogAndSaysWhenThereIsNone)
{
    test::TempWorkDir dir;
    const std::string folder = dir.base() + "/MILL1";
    fs::create_directories(folder);

    CliRun run = runCli({"dirlog", "view", folder});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, std::string(kNoDirectoryLogText) + "\n");

    run = runCli({"dirlog", "create", folder});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find(kNoDirectoryLogText), std::string::npos) << run.err;

    test::writeBytes(folder + "/O1000.NC", "%\nO1000 (BRACKET)\n(T1 DRILL)\nG90\n");
    run = runCli({"dirlog", "create", folder + "/"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, folder + "/_DirLog.sys\n");

    run = runCli({"dirlog", "view", folder});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "O1000.NC\r\nO1000 (BRACKET)\r\n(T1 DRILL)\r\n\r\n");

    for (const auto& wrong : std::vector<std::vector<std::string>>{
             {"dirlog"}, {"dirlog", "make", folder}, {"dirlog", "view"}}) {
        EXPECT_EQ(runCli(wrong).code, 2);
    }
    run = runCli({"dirlog", "create", dir.base() + "/NOWHERE"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("NOWHERE"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quillon
