// The machine lists the program rewrites in its working directory (MonList.sys,
// MonList2.sys, _TMP/RemoteMchList.sys) where the disk is full or the folder may not be
// written: each list stays byte for byte, Backup.$$$ and work files do not stay behind, and
// the caller learns the system's reason.
#include <gtest/gtest.h>

#include "faults/FaultTestSupport.h"
#include "monitoring/HubSetup.h"
#include "monitoring/MachineLists.h"
#include "platform/Clock.h"
#include "platform/WorkDir.h"

namespace quillon {
namespace {

class HubListFaults : public test::FolderFaultTest {
protected:
    void SetUp() override
    {
        FolderFaultTest::SetUp();
        folder.makeFolder("_TMP");
        folder.makeFolder("hub/_setup");
        folder.write("hub/_setup/cairnconf.sys", "NM:MILL\nNM:LATHE\n");
        // LATHE has moved to the hub's second port, and the titles make a rewritten list far
        // bigger than a full disk's room.
        std::string entries = "MILL,0,0\r\nLATHE,0,0\r\n";
        for (int i = 0; i < 1000; ++i)
            entries += "_ST_Cell " + std::to_string(i) + " with its long description\r\n";
        folder.write(kMonitorListFile, entries);
        folder.write(kTimelineListFile, entries + "::::10,0,0,0,0\r\n");
        folder.write("_TMP/" + std::string(kRemoteMachineListFile), "MILL\nLATHE\n");
    }

    WorkDir workDir() const { return WorkDir(folder.path()); }
};

TEST_P(HubListFaults, TheListDialogsWritersFailWithTheCauseAndLeaveTheLists)
{
    const auto before = folder.contents();
    const std::string outcome = folder.run([&] {
        const HubConfiguration configuration = *readHubConfiguration(folder.file("hub/"));
        const MonitorSetup setup;
        std::vector<std::string> items;
        for (int i = 0; i < 3000; ++i)
            items.push_back("_MT_Title " + std::to_string(i));
        std::string said;
        for (const WriteResult& result :
             {writeMonitorList(workDir(), items, configuration, setup),
              writeTimelineList(workDir(), items, {}, configuration, setup),
              writeRemoteMachineList(workDir(), items)})
            said += (result.ok ? "written" : result.error) + std::string("|");
        return said;
    });
    const std::string reason = test::reasonText(GetParam()) + "|";
    EXPECT_EQ(outcome, reason + reason + reason);
    EXPECT_EQ(test::changes(before, folder.contents()), "");
}

TEST_P(HubListFaults, TheStartUpReconcileKeepsTheListsAndNamesEachFailure)
{
    const auto before = folder.contents();
    const std::string outcome = folder.run([&] {
        const FixedClock clock{1765000000};
        std::vector<std::string> failures;
        reconcileMachineLists(workDir(), folder.file("hub/"), clock, &failures);
        std::string said;
        for (const std::string& failure : failures)
            said += failure + "|";
        return said;
    });
    const std::string reason = test::reasonText(GetParam());
    EXPECT_EQ(outcome, std::string(kMonitorListFile) + ": " + reason + "|" +
                           std::string(kTimelineListFile) + ": " + reason + "|");
    // The error log may be written (a line still fits on a full disk), but nothing else.
    auto after = folder.contents();
    std::erase_if(after, [](const auto& file) { return file.first.starts_with("ErrorLog-"); });
    EXPECT_EQ(test::changes(before, after), "");
}

INSTANTIATE_TEST_SUITE_P(Faults, HubListFaults, ::testing::ValuesIn(test::kAllFolderFaults),
                         test::folderFaultName);

}  // namespace
}  // namespace quillon
