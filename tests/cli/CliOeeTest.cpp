// quillonlt-cli oee: the graphs' points of a year from the hub named on the command line or
// in the remote configuration, and what it says when there is nothing to show.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::runCli;

class CliOeeTest : public ::testing::Test {
protected:
    CliOeeTest()
    {
        std::filesystem::create_directories(hub + "_Reports");
        test::writeBytes(hub + "_Reports/_OEE_2026.csv",
                         "MACHINE NAME,DATE,TIME,AVAILABILITY,PERFORMANCE,QUALITY,OEE\r\n"
                         "LATHE-1,12/8/2026,6:00:00,90,70,100,80\r\n"
                         "MILL-2,12/8/2026,6:00:30,85.5,,97.25,60\r\n"
                         "LATHE-1,12/8/2026,14:0:0,60,90,99,70\r\n"
                         "garbage\r\n");
    }

    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub/";
};

TEST_F(CliOeeTest, OverallAndMachinePointsOneALine)
{
    auto run = runCli({"oee", "--year", "2026", "--hub", hub});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "0,89.99,69.99,99.99,79.99\n"
              "0.5,87.745,34.99,98.62,69.995\n"
              "480,78.4967,53.3267,98.7467,69.9967\n");
    EXPECT_EQ(run.err, hub + "_REPORTS/_OEE_2026.CSV: 1 unreadable lines left out\n");

    run = runCli({"oee", "--machine", "LATHE-1", "--year", "2026", "--hub", hub});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "0,90,70,100,80\n480,60,90,99,70\n");

    run = runCli({"oee", "--machine", "MILL-2", "--year", "2026", "--hub", hub});
    EXPECT_EQ(run.out, "0,85.5,-0.01,97.25,60\n");
}

TEST_F(CliOeeTest, FollowsTheRemoteConfigurationsHub)
{
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub, 0, ""}).ok);
    const auto run = runCli({"oee", "--year", "2026", "--machine", "MILL-2"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "0,85.5,-0.01,97.25,60\n");
}

TEST_F(CliOeeTest, RefusalsAndMissingFiles)
{
    const struct {
        const char* scenario;
        std::vector<std::string> arguments;
        int code;
        std::string err;
    } rows[] = {
        {"no year", {"oee", "--hub", hub}, 2, ""},
        {"a year of two digits", {"oee", "--year", "26", "--hub", hub}, 2, ""},
        {"an option without its value", {"oee", "--hub", hub, "--year"}, 2, ""},
        {"an unknown option", {"oee", "--year", "2026", "--month", "3"}, 2, ""},
        {"the year twice", {"oee", "--year", "2026", "--year", "2025"}, 2, ""},
        {"no hub anywhere", {"oee", "--year", "2026"}, 1, "No hub directory"},
        {"a year without a file",
         {"oee", "--year", "2025", "--hub", dir.base() + "/hub"},
         1,
         hub + "_REPORTS/_OEE_2025.CSV file is not found\n"},
    };
    for (const auto& row : rows) {
        const auto run = runCli(row.arguments);
        EXPECT_EQ(run.code, row.code) << row.scenario;
        EXPECT_TRUE(run.out.empty()) << row.scenario;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << row.scenario << ": " << run.err;
    }
}

}  // namespace
}  // namespace quillon
