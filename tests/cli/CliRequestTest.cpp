// quillonlt-cli request: the dialog's download and upload requests from a shell.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "cli/CliTestSupport.h"
#include "monitoring/HubSetup.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/RemoteRequest.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCli;

struct CliHub {
    test::TempWorkDir dir;
    std::string root = dir.base() + "/hub/";

    CliHub()
    {
        test::writeHubFile(root, "_SETUP\\CairnConf.sys",
                           "NM:LATHE\r\nDT:C:\\DNC\\LATHE\r\nNM:MILL\r\nNM:LATHE\r\n");
        fs::create_directories(root + "_TMP");
    }
    std::string requestPath() const { return root + "_TMP/REMOTELOAD.SYS"; }
    std::optional<std::string> request() const { return readFile(requestPath()); }
};

TEST(CliRequest, WritesDownloadsAndUploadsAsTheDialogDoes)
{
    CliHub hub;
    ASSERT_TRUE(writeRemoteConfig(hub.dir.workDir(), {hub.root, 0, ""}).ok);
    CliRun run = runCli({"request", "download", "--machine", "MILL", "--full-path", "O1234.NC"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, std::string(kRequestIssued) + "\n");
    EXPECT_EQ(hub.request(), "##1_O1234.NC");

    fs::remove(hub.requestPath());
    run = runCli({"request", "upload", "--hub", hub.root, "--machine", "LATHE", "Sub/o5.nc"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(hub.request(), "$0_Sub/o5.nc");
}

TEST(CliRequest, PendingRequestRefusedUnlessADownloadInterruptsIt)
{
    CliHub hub;
    test::writeBytes(hub.requestPath(), "#2_OLD");
    const struct {
        const char* scenario;
        std::vector<std::string> arguments;
        int code;
        std::string_view err;
        const char* left;
    } cases[] = {
        {"upload refused",
         {"upload", "--machine", "MILL", "--interrupt", "X"},
         1,
         kUploadPending,
         "#2_OLD"},
        {"download without --interrupt",
         {"download", "--machine", "MILL", "X"},
         1,
         kDownloadPendingQuestion,
         "#2_OLD"},
        {"download interrupting",
         {"download", "--machine", "MILL", "--interrupt", "X"},
         0,
         "",
         "#1_X"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"request"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.insert(arguments.end(), {"--hub", hub.root});
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.code, c.code) << c.scenario;
        EXPECT_EQ(run.err, c.err.empty() ? "" : std::string(c.err) + "\n") << c.scenario;
        EXPECT_EQ(hub.request(), c.left) << c.scenario;
    }
}

TEST(CliRequest, RefusalsAndUsage)
{
    CliHub hub;
    const struct {
        const char* scenario;
        std::vector<std::string> arguments;
        int code;
        std::string err;
    } cases[] = {
        {"unknown machine",
         {"download", "--machine", "HAAS", "X"},
         1,
         std::string(kCouldNotFindMachine) + "\n"},
        {"no machine", {"download", "X"}, 1, std::string(kNoRequestMachine) + "\n"},
        {"empty file",
         {"upload", "--machine", "MILL", ""},
         1,
         std::string(kNoFileSpecified) + "\n"},
        {"file outside the machine folder",
         {"upload", "--machine", "MILL", "../../etc/passwd"},
         1,
         std::string(kFileNameParentFolder) + "\n"},
        {"no file", {"download", "--machine", "MILL"}, 2, ""},
        {"two files", {"download", "--machine", "MILL", "A", "B"}, 2, ""},
        {"neither download nor upload", {"send", "--machine", "MILL", "A"}, 2, ""},
        {"wait without seconds", {"download", "--machine", "MILL", "A", "--wait"}, 2, ""},
        {"negative wait", {"download", "--machine", "MILL", "--wait", "-1", "A"}, 2, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"request", "--hub", hub.root};
        arguments.insert(arguments.begin() + 1, c.arguments.begin(), c.arguments.end());
        const CliRun run = runCli(arguments);
        EXPECT_EQ(run.code, c.code) << c.scenario;
        if (c.code == 1) {
            EXPECT_EQ(run.err, c.err) << c.scenario;
        }
        EXPECT_FALSE(hub.request()) << c.scenario;
    }

    // No hub configured at all, and a hub without its configuration.
    CliRun run = runCli({"request", "download", "--machine", "MILL", "X"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("no hub directory"), std::string::npos) << run.err;
    fs::remove(hub.root + "_SETUP/CairnConf.sys");
    run = runCli({"request", "download", "--hub", hub.root, "--machine", "MILL", "X"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, std::string(kHubSetupNotFoundForRequest) + "\n");
}

TEST(CliRequest, WaitsForTheHubToTakeTheRequest)
{
    CliHub hub;
    // Nobody takes it: the wait runs out.
    CliRun run = runCli(
        {"request", "download", "--hub", hub.root, "--machine", "MILL", "--wait", "0", "A"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, std::string(kKeepTrying) + "\n");
    EXPECT_EQ(hub.request(), "#1_A");
    fs::remove(hub.requestPath());

    // A hub that takes the request as soon as it appears.
    std::atomic<bool> taken = false;
    std::thread takingHub([&] {
        while (!fs::exists(hub.requestPath()))
            std::this_thread::yield();
        fs::remove(hub.requestPath());
        taken = true;
    });
    run = runCli(
        {"request", "upload", "--hub", hub.root, "--machine", "LATHE", "--wait", "30", "B"});
    takingHub.join();
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(taken);
    EXPECT_FALSE(fs::exists(hub.requestPath()));
}

}  // namespace
}  // namespace quillon
