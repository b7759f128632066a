// Requests for the hub to send a file to a machine or fetch one from it.
#include "monitoring/RemoteRequest.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <latch>
#include <thread>

#include "monitoring/HubSetup.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

// Nine NM: lines put "LATHE" on hub 1, port 0 as well as hub 0, port 0.
constexpr std::string_view kConfiguration =
    "NM:LATHE\nDT:C:\\DNC\\LATHE\nDR:C:\\DNC\\LATHE\\UP\n"
    "NM:MILL\nDT:D:\\Progs\\Mill\n"
    "NM:\nNM:\nNM:\nNM:\nNM:\nNM:\n"
    "NM:LATHE\nNM:\nNM:HAAS\nDT:E:\\HAAS\n";

struct Hub {
    test::TempWorkDir dir;
    std::string root = dir.base() + "/hub/";
    HubConfiguration configuration = HubConfiguration::parse(kConfiguration);
    ScriptedNotifier notifier;
    RemoteRequester requester{root, configuration, notifier};

    Hub() { fs::create_directories(root + "_TMP"); }
    std::string requestPath() const { return root + "_TMP/REMOTELOAD.SYS"; }
    std::optional<std::string> request() const { return readFile(requestPath()); }
    void putRequest(std::string_view content) const { test::writeBytes(requestPath(), content); }
    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root + "_TMP"))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

RequestInput download(std::string machine, std::string name, bool fullPath = false)
{
    return {RequestKind::Download, std::move(machine), std::move(name), fullPath};
}

RequestInput upload(std::string machine, std::string name)
{
    return {RequestKind::Upload, std::move(machine), std::move(name), false};
}

// ---------------------------------------------------------------------------
// Content
// ---------------------------------------------------------------------------

TEST(RemoteRequestContent, FormatsAndParsesBack)
{
    const struct {
        const char* scenario;
        RemoteRequest request;
        const char* content;
    } cases[] = {
        {"download to hub 1 port 2 with full path",
         {RequestKind::Download, true, 10, "O1234.NC"},
         "##10_O1234.NC"},
        {"download relative to DT:",
         {RequestKind::Download, false, 10, "SUB\\O1.NC"},
         "#10_SUB\\O1.NC"},
        {"upload from hub 0 port 0", {RequestKind::Upload, false, 0, "NAME"}, "$0_NAME"},
        {"last slot", {RequestKind::Upload, false, 127, "A_B.NC"}, "$127_A_B.NC"},
        {"full path keeps its case",
         {RequestKind::Download, true, 3, "/srv/Dnc/o1.nc"},
         "##3_/srv/Dnc/o1.nc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatRemoteRequest(c.request), c.content) << c.scenario;
        EXPECT_EQ(parseRemoteRequest(c.content), c.request) << c.scenario;
    }
}

TEST(RemoteRequestContent, UploadNeverCarriesTheFullPathMark)
{
    EXPECT_EQ(formatRemoteRequest({RequestKind::Upload, true, 4, "X"}), "$4_X");
}

TEST(RemoteRequestContent, HubRefusesWhatNoStationWrites)
{
    const struct {
        const char* scenario;
        const char* content;
    } cases[] = {
        {"empty", ""},
        {"unknown mark", "%1_X"},
        {"no index", "#_X"},
        {"no separator", "#12"},
        {"index past the last slot", "#128_X"},
        {"negative index", "#-1_X"},
        {"index with a sign", "#+1_X"},
        {"index with a leading zero", "$03_X"},
        {"negative zero", "$-0_X"},
        {"no name", "$3_"},
        {"name leaving the machine folder", "#3_..\\..\\secret"},
        {"absolute name without the mark", "#3_/etc/passwd"},
        {"drive name without the mark", "$3_C:\\x"},
        {"line feed after the name", "#3_O1.NC\n"},
        {"full path with a parent folder", "##3_C:\\DNC\\..\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseRemoteRequest(c.content), std::nullopt) << c.scenario;
}

// ---------------------------------------------------------------------------
// Names
// ---------------------------------------------------------------------------

TEST(RemoteRequestNames, FileNamesTable)
{
    const std::string longest(kMaxRequestNameLength, 'A');
    const struct {
        const char* scenario;
        std::string name;
        bool fullPath;
        std::optional<std::string_view> problem;
    } cases[] = {
        {"plain name", "O1234.NC", false, std::nullopt},
        {"subfolder of the machine folder", "SUB\\O1.NC", false, std::nullopt},
        {"dots inside a name", "O1..NC", false, std::nullopt},
        {"longest name", longest, false, std::nullopt},
        {"300 characters", std::string(300, 'A'), false, kFileNameTooLong},
        {"full path", "C:\\DNC\\O1.NC", true, std::nullopt},
        {"share path as full path", "\\\\HUB\\DNC\\O1.NC", true, std::nullopt},
        {"parent folder", "..\\O1.NC", false, kFileNameParentFolder},
        {"parent folder with slashes", "SUB/../../O1.NC", false, kFileNameParentFolder},
        {"parent folder in a full path", "C:\\DNC\\..\\WINDOWS\\X", true, kFileNameParentFolder},
        {"root", "\\O1.NC", false, kFileNameOutsideFolder},
        {"unix root", "/etc/passwd", false, kFileNameOutsideFolder},
        {"drive", "C:O1.NC", false, kFileNameOutsideFolder},
        {"tab", "O1\t.NC", true, kFileNameControl},
        {"carriage return", "O1.NC\r", false, kFileNameControl},
        {"delete", "O1\x7f", false, kFileNameControl},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkRequestFileName(c.name, c.fullPath), c.problem) << c.scenario;
}

TEST(RemoteRequestNames, MachineNamesTable)
{
    EXPECT_EQ(checkMachineName("LATHE 1/2"), std::nullopt);
    EXPECT_EQ(checkMachineName(std::string(kMaxMachineNameLength, 'M')), std::nullopt);
    EXPECT_EQ(checkMachineName(std::string(300, 'M')), kMachineNameTooLong);
    EXPECT_EQ(checkMachineName("MILL\n"), kMachineNameControl);
}

TEST(RemoteRequestMachines, RemoteListWinsOverTheHubNames)
{
    const auto configuration = HubConfiguration::parse(kConfiguration);
    EXPECT_EQ(offeredRemoteMachines(std::nullopt, configuration),
              (std::vector<std::string>{"LATHE", "MILL", "LATHE", "HAAS"}));
    EXPECT_EQ(offeredRemoteMachines(std::string("HAAS\r\nMILL\n"), configuration),
              (std::vector<std::string>{"HAAS", "MILL"}));
    // An existing but empty list offers nothing, as the dialog's list would be empty.
    EXPECT_TRUE(offeredRemoteMachines(std::string(), configuration).empty());

    std::string many;
    for (int n = 0; n < 128; ++n)
        many += "NM:M" + std::to_string(n) + "\n";
    EXPECT_EQ(offeredRemoteMachines(std::nullopt, HubConfiguration::parse(many)).size(), 127u);
}

TEST(RemoteRequestBrowse, MachineFolderAndRelativeNames)
{
    const auto configuration = HubConfiguration::parse(kConfiguration);
    EXPECT_EQ(requestMachineFolder(configuration, "LATHE", RequestKind::Upload),
              "C:\\DNC\\LATHE\\UP");
    EXPECT_EQ(requestMachineFolder(configuration, "MILL", RequestKind::Download),
              "D:\\Progs\\Mill");
    EXPECT_EQ(requestMachineFolder(configuration, "MILL", RequestKind::Upload), std::nullopt);
    EXPECT_EQ(requestMachineFolder(configuration, "NONE", RequestKind::Download), std::nullopt);
    // Browse starts in the first folder the hub gives the machine.
    const auto twice = HubConfiguration::parse("NM:A\nDT:/first\nDR:/up\nDT:/second\nDR:/x\n");
    EXPECT_EQ(requestMachineFolder(twice, "A", RequestKind::Download), "/first");
    EXPECT_EQ(requestMachineFolder(twice, "A", RequestKind::Upload), "/up");

    const struct {
        const char* scenario;
        const char* chosen;
        const char* folder;
        bool fullPath;
        const char* name;
    } cases[] = {
        {"full path kept as chosen", "/mnt/Hub/dnc/o1.nc", "C:\\DNC", true, "/mnt/Hub/dnc/o1.nc"},
        {"inside the folder, case differs", "C:\\dnc\\lathe\\O1.NC", "C:\\DNC\\LATHE", false,
         "O1.NC"},
        {"subfolder keeps its case", "c:/DNC/Lathe/Sub/o1.nc", "C:\\DNC\\LATHE\\", false,
         "Sub/o1.nc"},
        {"share mounted here", "/mnt/hub/DNC/LATHE/O1.NC", "DNC\\LATHE", false, "O1.NC"},
        {"a folder that only starts alike", "C:\\DNC\\LATHE2\\O1.NC", "C:\\DNC\\LATHE", false,
         "O1.NC"},
        {"outside the folder", "/home/me/O9.NC", "C:\\DNC\\LATHE", false, "O9.NC"},
        {"no machine folder", "/home/me/O9.NC", "", false, "O9.NC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(browsedRequestName(c.chosen, c.folder, c.fullPath), c.name) << c.scenario;
}

// ---------------------------------------------------------------------------
// The request steps
// ---------------------------------------------------------------------------

TEST(RemoteRequestSteps, DownloadWithFullPathToHubOnePortTwo)
{
    std::string configuration;
    for (int n = 0; n < 11; ++n)
        configuration += "NM:M" + std::to_string(n) + "\n";
    Hub hub;
    hub.configuration = HubConfiguration::parse(configuration);
    EXPECT_EQ(hub.requester.issue(download("M10", "O1234.NC", true)), RequestOutcome::Issued);
    EXPECT_EQ(hub.request(), "##10_O1234.NC");
    EXPECT_EQ(hub.notifier.texts(), std::vector<std::string>{std::string(kRequestIssued)});
    // Only the request is left in _TMP: the temporary went.
    EXPECT_EQ(hub.folderEntries(), std::vector<std::string>{"REMOTELOAD.SYS"});
}

TEST(RemoteRequestSteps, UploadFromHubZeroPortZeroIgnoresFullPath)
{
    Hub hub;
    EXPECT_EQ(hub.requester.issue({RequestKind::Upload, "LATHE", "O5.NC", true}),
              RequestOutcome::Issued);
    EXPECT_EQ(hub.request(), "$0_O5.NC");
}

TEST(RemoteRequestSteps, DuplicatedNameAddressesItsFirstSlotAndUnknownIsRefused)
{
    Hub hub;
    EXPECT_EQ(hub.requester.issue(download("LATHE", "O1.NC")), RequestOutcome::Issued);
    EXPECT_EQ(hub.request(), "#0_O1.NC");

    Hub other;
    EXPECT_EQ(other.requester.issue(download("lathe", "O1.NC")), RequestOutcome::MachineNotFound);
    EXPECT_EQ(other.notifier.texts().back(), kCouldNotFindMachine);
    EXPECT_FALSE(other.request());
}

TEST(RemoteRequestSteps, RefusalsBeforeAnythingIsWritten)
{
    const struct {
        const char* scenario;
        RequestInput input;
        RequestOutcome outcome;
        std::string_view text;
    } cases[] = {
        {"no machine", download("", "O1.NC"), RequestOutcome::NoMachine, kNoRequestMachine},
        {"no file", upload("MILL", ""), RequestOutcome::NoFile, kNoFileSpecified},
        {"name outside the folder", download("MILL", "..\\..\\boot.ini"), RequestOutcome::BadName,
         kFileNameParentFolder},
        {"absolute name without full path", download("MILL", "/etc/passwd"),
         RequestOutcome::BadName, kFileNameOutsideFolder},
        {"absolute upload even when full path is ticked",
         {RequestKind::Upload, "MILL", "C:\\x", true},
         RequestOutcome::BadName,
         kFileNameOutsideFolder},
        {"line feed in the name", download("MILL", "O1\nNC"), RequestOutcome::BadName,
         kFileNameControl},
        {"long machine name", download(std::string(300, 'M'), "O1"), RequestOutcome::BadName,
         kMachineNameTooLong},
    };
    for (const auto& c : cases) {
        Hub hub;
        EXPECT_EQ(hub.requester.issue(c.input), c.outcome) << c.scenario;
        EXPECT_EQ(hub.notifier.texts(), std::vector<std::string>{std::string(c.text)})
            << c.scenario;
        EXPECT_TRUE(hub.folderEntries().empty()) << c.scenario;
    }
}

TEST(RemoteRequestSteps, PendingRequestRefusedByUploadAndOfferedByDownload)
{
    Hub hub;
    hub.putRequest("#1_OLD.NC");

    EXPECT_EQ(hub.requester.issue(upload("MILL", "O1.NC")), RequestOutcome::PendingKept);
    EXPECT_EQ(hub.notifier.texts(), std::vector<std::string>{std::string(kUploadPending)});
    EXPECT_EQ(hub.request(), "#1_OLD.NC");

    hub.notifier.clear();
    hub.notifier.script({NoticeAnswer::No});
    EXPECT_EQ(hub.requester.issue(download("MILL", "O1.NC")), RequestOutcome::PendingKept);
    ASSERT_EQ(hub.notifier.shown().size(), 1u);
    EXPECT_EQ(hub.notifier.shown()[0].text, kDownloadPendingQuestion);
    EXPECT_EQ(hub.notifier.shown()[0].buttons, NoticeButtons::YesNo);
    EXPECT_EQ(hub.notifier.shown()[0].icon, NoticeIcon::Error);
    EXPECT_EQ(hub.request(), "#1_OLD.NC");

    hub.notifier.clear();
    hub.notifier.script({NoticeAnswer::Yes});
    EXPECT_EQ(hub.requester.issue(download("MILL", "O1.NC")), RequestOutcome::Issued);
    EXPECT_EQ(hub.notifier.texts(),
              (std::vector<std::string>{std::string(kDownloadPendingQuestion),
                                        std::string(kRequestIssued)}));
    EXPECT_EQ(hub.request(), "#1_O1.NC");
}

TEST(RemoteRequestSteps, PendingInAnyCaseCountsAndIsInterrupted)
{
    Hub hub;
    test::writeBytes(hub.root + "_TMP/remoteload.sys", "$0_X");
    EXPECT_EQ(remoteRequestStatus(hub.root).state, RequestFileState::Pending);
    EXPECT_EQ(createRemoteRequest(hub.root, "#0_Y").outcome, RequestWriteOutcome::Pending);

    hub.notifier.script({NoticeAnswer::Yes});
    EXPECT_EQ(hub.requester.issue(download("LATHE", "Y")), RequestOutcome::Issued);
    EXPECT_EQ(hub.folderEntries(), std::vector<std::string>{"REMOTELOAD.SYS"});
}

TEST(RemoteRequestSteps, RequestFileThatIsAFolderIsReportedAndNeverInterrupted)
{
    Hub hub;
    fs::create_directories(hub.requestPath() + "/inside");
    for (const auto& input : {download("MILL", "O1.NC"), upload("MILL", "O1.NC")}) {
        hub.notifier.clear();
        hub.notifier.script({NoticeAnswer::Yes});
        EXPECT_EQ(hub.requester.issue(input), RequestOutcome::RequestFileBroken);
        EXPECT_EQ(hub.notifier.texts(),
                  std::vector<std::string>{std::string(kRequestFileIsFolder)});
    }
    EXPECT_TRUE(fs::is_directory(hub.requestPath() + "/inside"));
    EXPECT_FALSE(removeRemoteRequest(hub.root));
}

TEST(RemoteRequestSteps, MissingRequestFolderIsAFailedWriteNotAnIssuedRequest)
{
    Hub hub;
    fs::remove(hub.root + "_TMP");
    test::writeBytes(hub.root + "_TMP", "a file where the folder belongs");
    EXPECT_EQ(hub.requester.issue(download("MILL", "O1.NC")), RequestOutcome::WriteFailed);
    ASSERT_EQ(hub.notifier.texts().size(), 1u);
    EXPECT_TRUE(hub.notifier.texts()[0].starts_with(kWriteAccessDenied));
}

// A write cut short (a full disk, a quota) must leave no request at all: the hub would
// otherwise carry out half a file name.
TEST(RemoteRequestSteps, WriteCutShortLeavesNothingAndIsReported)
{
    Hub hub;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 6;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto outcome = hub.requester.issue(download("MILL", "O1234567.NC"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(outcome, RequestOutcome::WriteFailed);
    ASSERT_EQ(hub.notifier.texts().size(), 1u);
    EXPECT_TRUE(hub.notifier.texts()[0].starts_with(kWriteAccessDenied));
    EXPECT_TRUE(hub.folderEntries().empty());
}

TEST(RemoteRequestSteps, KeepTryingUntilTheHubTakesItOrTheUserStops)
{
    Hub hub;
    ASSERT_EQ(hub.requester.issue(download("MILL", "O1.NC")), RequestOutcome::Issued);
    hub.notifier.clear();
    hub.notifier.script({NoticeAnswer::Yes, NoticeAnswer::No});
    EXPECT_FALSE(hub.requester.followUp());
    EXPECT_EQ(hub.notifier.texts(),
              (std::vector<std::string>{std::string(kKeepTrying), std::string(kKeepTrying)}));
    EXPECT_TRUE(hub.request());

    // The hub takes it while the question is open.
    struct TakingNotifier final : Notifier {
        std::function<void()> take;
        int asked = 0;
        NoticeAnswer show(const Notice&) override
        {
            ++asked;
            take();
            return NoticeAnswer::Yes;
        }
    } taking;
    taking.take = [&] { fs::remove(hub.requestPath()); };
    RemoteRequester requester(hub.root, hub.configuration, taking);
    EXPECT_TRUE(requester.followUp());
    EXPECT_EQ(taking.asked, 1);
}

// ---------------------------------------------------------------------------
// The file on the share
// ---------------------------------------------------------------------------

TEST(RemoteRequestFile, TwoWritersRacingLeaveExactlyOneCompleteRequest)
{
    Hub hub;
    for (int round = 0; round < 50; ++round) {
        std::latch start(2);
        RequestWriteResult results[2];
        const std::string contents[2] = {"#1_FIRST.NC", "$3_SECOND.NC"};
        auto writer = [&](int n) {
            start.arrive_and_wait();
            results[n] = createRemoteRequest(hub.root, contents[n]);
        };
        std::thread a(writer, 0);
        std::thread b(writer, 1);
        a.join();
        b.join();
        const int winner = results[0].outcome == RequestWriteOutcome::Written ? 0 : 1;
        ASSERT_EQ(results[winner].outcome, RequestWriteOutcome::Written) << round;
        ASSERT_EQ(results[1 - winner].outcome, RequestWriteOutcome::Pending) << round;
        ASSERT_EQ(hub.request(), contents[winner]) << round;
        ASSERT_EQ(hub.folderEntries().size(), 1u) << round;
        fs::remove(hub.requestPath());
    }
}

TEST(RemoteRequestFile, TemporariesNeverCountAndOldOnesAreCleaned)
{
    Hub hub;
    const std::string fresh = hub.root + "_TMP/.REMOTELOAD-abc123.tmp";
    const std::string old = hub.root + "_TMP/.REMOTELOAD-zzz999.tmp";
    const std::string other = hub.root + "_TMP/MonitorData1.SYS";
    for (const auto& path : {fresh, old, other})
        test::writeBytes(path, "#0_HALF");
    const auto now = fs::last_write_time(fresh);
    fs::last_write_time(old, now - std::chrono::minutes(11));
    fs::last_write_time(other, now - std::chrono::hours(5));

    EXPECT_EQ(remoteRequestStatus(hub.root).state, RequestFileState::Absent);
    const auto nowSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::file_clock::to_sys(now).time_since_epoch())
                                .count();
    EXPECT_EQ(removeStaleRequestTemporaries(hub.root, nowSeconds), 1);
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(other));
}

TEST(RemoteRequestFile, WritingARequestCleansWhatDeadWritersLeft)
{
    Hub hub;
    const std::string dead = hub.root + "_TMP/.REMOTELOAD-dead01.tmp";
    test::writeBytes(dead, "#0_HA");
    fs::last_write_time(dead, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_EQ(createRemoteRequest(hub.root, "#0_X").outcome, RequestWriteOutcome::Written);
    EXPECT_EQ(hub.folderEntries(), std::vector<std::string>{"REMOTELOAD.SYS"});
}

TEST(RemoteRequestFile, RequestIsReadableByTheHub)
{
    Hub hub;
    const auto oldMask = ::umask(077);
    ASSERT_EQ(createRemoteRequest(hub.root, "$0_X").outcome, RequestWriteOutcome::Written);
    ::umask(oldMask);
    EXPECT_EQ(fs::status(hub.requestPath()).permissions() & fs::perms::others_read,
              fs::perms::others_read);
}

}  // namespace
}  // namespace quillon
