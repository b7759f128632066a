#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliHub, ListsReconcilesAndPrintsBothMachineLists)
{
    test::TempWorkDir dir;
    CliRun run = runCli({"hub", "lists"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("No hub directory"), std::string::npos) << run.err;

    const std::string hub = dir.base() + "/hub";
    std::filesystem::create_directories(hub + "/_SETUP");
    test::writeBytes(hub + "/_SETUP/CairnConf.sys", "NM:MILL 1\r\nNM:MILL 2\r\n");
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
    dir.write("MonList.sys", "_MT_Cell A\r\nMILL 2,4,4\r\nGONE,0,0\r\n");
    dir.write("MonList2.sys", "MILL 1,0,0\r\n::::3,5,400,0,1\r\n");
    run = runCli({"hub", "lists"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "MonList.sys\n_MT_Cell A\r\nMILL 2,0,1\r\n"
              "MonList2.sys\nMILL 1,0,0\r\n::::3,5,400,0,1\r\n");
}

TEST(CliHub, UsageAndALinkThatCannotBeSetUp)
{
    test::TempWorkDir dir;
    for (const auto& wrong :
         std::vector<std::vector<std::string>>{{"hub"},
                                               {"hub", "listen"},
                                               {"hub", "watch", "--seconds"},
                                               {"hub", "watch", "--seconds", "0"},
                                               {"hub", "lists", "--seconds", "3"}})
        EXPECT_EQ(runCli(wrong).code, 2);
    // No hub address.
    CliRun run = runCli({"hub", "watch", "--seconds", "1"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("No hub address"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quillon
