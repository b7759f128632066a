// MonList.sys, MonList2.sys and RemoteMchList.sys: reading, writing and the start-up
// reconcile with the hub's CairnConf.sys.
#include "monitoring/MachineLists.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/HubSetup.h"
#include "platform/Clock.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

TEST(MachineListEntries, LinesAreCutAtTheFirstCommaBeforeTitlesAreTold)
{
    const struct {
        const char* scenario;
        const char* line;
        ListEntryKind kind;
        const char* text;
        std::optional<MachineSlot> slot;
    } cases[] = {
        {"machine with its slot", "MILL 1,11,3", ListEntryKind::Machine, "MILL 1",
         MachineSlot{11, 3}},
        {"machine named alone", "MILL 1", ListEntryKind::Machine, "MILL 1", std::nullopt},
        {"machine with hub only", "MILL 1,2", ListEntryKind::Machine, "MILL 1", std::nullopt},
        {"slot out of the hub's range", "MILL 1,16,0", ListEntryKind::Machine, "MILL 1",
         std::nullopt},
        {"main title keeps its text", "_MT_Cell A", ListEntryKind::MainTitle, "Cell A",
         std::nullopt},
        {"title loses everything from the comma", "_ST_Shift 1, night", ListEntryKind::SubTitle,
         "Shift 1", std::nullopt},
        {"a marker after a comma is no title", "X,_MT_", ListEntryKind::Machine, "X",
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto entry = parseListEntry(c.line);
        ASSERT_TRUE(entry) << c.scenario;
        EXPECT_EQ(entry->kind, c.kind) << c.scenario;
        EXPECT_EQ(entry->text, c.text) << c.scenario;
        EXPECT_EQ(entry->slot, c.slot) << c.scenario;
    }
    EXPECT_FALSE(parseListEntry(""));
    EXPECT_FALSE(parseListEntry(",1,2"));
}

TEST(MachineListEntries, ViewsShowTenTitlesOfEachKind)
{
    std::string bytes;
    for (int n = 0; n < 12; ++n)
        bytes += "_MT_main" + std::to_string(n) + "\n_ST_sub" + std::to_string(n) + "\nM" +
                 std::to_string(n) + ",0,0\n";
    const auto all = parseMonitorList(bytes);
    ASSERT_EQ(all.size(), 36u);
    const auto shown = shownEntries(all);
    ASSERT_EQ(shown.size(), 32u);
    EXPECT_EQ(shown.back().text, "M11");
    EXPECT_EQ(shown[shown.size() - 2].text, "M10");
}

TEST(ViewSettings, ReadWithTheirLimits)
{
    const struct {
        const char* scenario;
        std::string line;
        MonitorViewSettings settings;
        bool rotation;
    } cases[] = {
        {"limits on every field", "::::3,5,400,0,1", {5, 0, 300, 0, true}, true},
        {"in range", "::::60,10,300,45,0", {60, 10, 300, 45, false}, true},
        {"refresh above the top, negative rotation",
         "::::500,-20,9,10,2",
         {120, 0, 0, 10, false},
         true},
        {"no rotation at all", "::::10,0,0,0,0", {10, 0, 0, 0, false}, false},
        {"missing fields keep the defaults", "::::30", {30, 0, 0, 0, false}, false},
        {"an empty refresh is the shortest", "::::", {5, 0, 0, 0, false}, false},
        {"huge numbers",
         "::::99999999999999999999,99999999999999999999",
         {120, 300, 0, 0, false},
         true},
    };
    for (const auto& c : cases) {
        const auto settings = parseViewSettings(c.line);
        EXPECT_EQ(settings, c.settings) << c.scenario;
        EXPECT_EQ(settings.rotationOn(), c.rotation) << c.scenario;
    }
}

TEST(ViewSettings, TheSettingsLineEndsTheTimelineEntries)
{
    const auto list = parseTimelineList("A,0,0\r\n_MT_T\r\n::::3,5,400,0,1\r\nB,0,1\r\n");
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[1].kind, ListEntryKind::MainTitle);
    EXPECT_EQ(list.settings, (MonitorViewSettings{5, 0, 300, 0, true}));
    EXPECT_EQ(parseTimelineList("A,0,0\n").settings, MonitorViewSettings{});
}

TEST(RemoteMachineList, HoldsAtMost127NamesWithoutShifting)
{
    std::string bytes = std::string(10000, 'L') + "\n\nSECOND\n";
    for (int n = 0; n < 200; ++n)
        bytes += "M" + std::to_string(n) + "\n";
    const auto names = parseRemoteMachineList(bytes);
    ASSERT_EQ(names.size(), 127u);
    EXPECT_EQ(names[0], std::string(259, 'L'));
    EXPECT_EQ(names[1], "SECOND");
    EXPECT_EQ(names[126], "M124");

    test::TempWorkDir dir;
    EXPECT_TRUE(readRemoteMachineList(dir.workDir()).empty());
    test::writeBytes(dir.workDir().tmpFile(kRemoteMachineListFile), "A\r\nB\r\n");
    EXPECT_EQ(readRemoteMachineList(dir.workDir()), (std::vector<std::string>{"A", "B"}));
}

TEST(RemoteMachineList, IsWrittenOneNameAndALineFeedEachAndReadsBackTheSame)
{
    // A name with a line end inside would become two machines: it is cut there.
    const std::vector<std::string> names = {"MILL 2", "LATHE 1\r\nX", "", "MILL 1"};
    EXPECT_EQ(formatRemoteMachineList(names), "MILL 2\nLATHE 1\nMILL 1\n");

    test::TempWorkDir dir;
    ASSERT_TRUE(writeRemoteMachineList(dir.workDir(), names).ok);
    EXPECT_EQ(readRemoteMachineList(dir.workDir()),
              (std::vector<std::string>{"MILL 2", "LATHE 1", "MILL 1"}));
}

// Four machines; MonSetup.sys places LATHE by its block header, DRILL has no usable header.
struct ConfiguredHub {
    HubConfiguration configuration =
        HubConfiguration::parse("NM:MILL\nNM:LATHE\nNM:DRILL\nNM:SAW\n");
    MonitorSetup setup = MonitorSetup::parse("1,1\nON:1\n2,4\nON:1\n99,1\nON:1\n1,4\nON:0\n");
};

TEST(MachineListWriting, PlacesConfiguredMachinesByTheirBlockHeader)
{
    const ConfiguredHub hub;
    const std::vector<std::string> items = {
        "_MT_Cell A,x", "MILL", "LATHE,0,0", "DRILL", "GONE", "_ST_Night\nNM:EVIL", "", "SAW",
    };
    EXPECT_EQ(formatMonitorList(items, hub.configuration, hub.setup),
              "_MT_Cell A\r\nMILL,0,0\r\nLATHE,1,3\r\nDRILL\r\nGONE\r\n_ST_Night\r\nSAW,0,3\r\n");
    EXPECT_EQ(formatTimelineList({"MILL"}, {3, 5, 400, 0, true}, hub.configuration, hub.setup),
              "MILL,0,0\r\n::::5,0,300,0,1\r\n");
}

TEST(MachineListWriting, WhatIsWrittenReadsBack)
{
    test::TempWorkDir dir;
    const ConfiguredHub hub;
    const std::vector<std::string> items = {"_MT_Cell", "LATHE", "SAW"};
    const MonitorViewSettings settings{20, 15, 0, 30, true};
    EXPECT_TRUE(readMonitorList(dir.workDir()).empty());
    EXPECT_EQ(readTimelineList(dir.workDir()).settings, MonitorViewSettings{});
    ASSERT_TRUE(writeMonitorList(dir.workDir(), items, hub.configuration, hub.setup).ok);
    ASSERT_TRUE(
        writeTimelineList(dir.workDir(), items, settings, hub.configuration, hub.setup).ok);

    const auto list = readMonitorList(dir.workDir());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].itemText(), "_MT_Cell");
    EXPECT_EQ(list[1].slot, (MachineSlot{1, 3}));
    const auto timeline = readTimelineList(dir.workDir());
    EXPECT_EQ(timeline.entries.size(), 3u);
    EXPECT_EQ(timeline.settings, settings);
}

// A working directory and a hub share for the start-up reconcile.
struct ReconcileFixture {
    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub/";
    FixedClock clock{1765000000};

    ReconcileFixture() { fs::create_directories(hub + "_setup"); }
    void hubConfiguration(std::string_view bytes) const
    {
        test::writeBytes(hub + "_setup/cairnconf.sys", bytes);
    }
    MonitorViewSettings reconcile() const
    {
        return reconcileMachineLists(dir.workDir(), hub, clock);
    }
    // The error log's messages, without the machine and the time.
    std::vector<std::string> logged() const
    {
        std::vector<std::string> messages;
        for (const auto& entry : fs::directory_iterator(dir.workDir().root())) {
            if (entry.path().filename().string().rfind("ErrorLog-", 0) != 0)
                continue;
            for (const auto& line :
                 readLines(entry.path().string()).value_or(std::vector<std::string>{}))
                messages.push_back(line.substr(0, line.find(", HUB: -1, PORT: -1,")));
        }
        return messages;
    }
};

TEST(ReconcileAtStartUp, MovedMachinesFollowRenamedOnesGoAndTitlesStay)
{
    ReconcileFixture f;
    f.hubConfiguration("NM:MILL\nNM:NEWNAME\nNM:X\nNM:LATHE\n");
    const std::string entries =
        "_MT_Cell 1,junk\n"
        "MILL,0,0\n"
        "OLDNAME,0,1\n"
        "LATHE,0,2\n"
        "ALONE\n"
        "_ST_Night\n";
    f.dir.write(kMonitorListFile, entries);
    f.dir.write(kTimelineListFile, entries + "::::3,5,400,0,1\n");

    const auto settings = f.reconcile();

    const std::string reconciled = "_MT_Cell 1\r\nMILL,0,0\r\nLATHE,0,3\r\n_ST_Night\r\n";
    EXPECT_EQ(f.dir.read(kMonitorListFile), reconciled);
    EXPECT_EQ(f.dir.read(kTimelineListFile), reconciled + "::::5,0,300,0,1\r\n");
    EXPECT_EQ(settings, (MonitorViewSettings{5, 0, 300, 0, true}));
    EXPECT_TRUE(settings.rotationOn());
    EXPECT_FALSE(f.dir.exists(kListBackupFile));
    EXPECT_TRUE(f.logged().empty());
}

TEST(ReconcileAtStartUp, AnUpToDateListIsLeftAsItWas)
{
    ReconcileFixture f;
    f.hubConfiguration("NM:MILL\nNM:LATHE\n");
    const std::string list = "_MT_T,with comma\r\nMILL,0,0\r\nLATHE,0,1\r\nNOT CONFIGURED\r\n";
    f.dir.write(kMonitorListFile, list);
    f.dir.write(kTimelineListFile, list + "::::1,2,3,4,5");
    EXPECT_EQ(f.reconcile(), (MonitorViewSettings{5, 0, 0, 0, false}));
    EXPECT_EQ(f.dir.read(kMonitorListFile), list);
    EXPECT_EQ(f.dir.read(kTimelineListFile), list + "::::1,2,3,4,5");
}

TEST(ReconcileAtStartUp, TroublesGoToTheErrorLogAndLeaveTheListsAlone)
{
    {
        ReconcileFixture f;
        f.hubConfiguration("NM:A\n");
        EXPECT_EQ(f.reconcile(), MonitorViewSettings{});
        EXPECT_EQ(f.logged(),
                  (std::vector<std::string>{"No Monitorlist file", "No Monitorlist2 file"}));
    }
    {
        ReconcileFixture f;  // no CairnConf.sys on the share
        f.dir.write(kMonitorListFile, "A,0,5\n");
        f.dir.write(kTimelineListFile, "A,0,5\n::::30,0,0,0,1\n");
        EXPECT_EQ(f.reconcile(), (MonitorViewSettings{30, 0, 0, 0, true}));
        EXPECT_EQ(f.logged(), (std::vector<std::string>{"Machine list open error",
                                                        "Machine list2 open error"}));
        EXPECT_EQ(f.dir.read(kMonitorListFile), "A,0,5\n");
    }
    {
        ReconcileFixture f;  // the lists cannot be read
        f.hubConfiguration("NM:A\n");
        fs::create_directories(f.dir.path(kMonitorListFile));
        fs::create_directories(f.dir.path(kTimelineListFile));
        f.reconcile();
        EXPECT_EQ(f.logged(),
                  (std::vector<std::string>{"Monitorlist open error", "Monitorlist2 open error"}));
    }
    {
        ReconcileFixture f;  // the backup cannot be written: the old lists stay whole
        f.hubConfiguration("NM:A\n");
        f.dir.write(kMonitorListFile, "A,0,5\n");
        f.dir.write(kTimelineListFile, "A,0,5\n");
        fs::create_directories(f.dir.path(kListBackupFile));
        f.reconcile();
        EXPECT_EQ(f.logged(), (std::vector<std::string>{"Backup file write open error",
                                                        "Backup file2 write open error"}));
        EXPECT_EQ(f.dir.read(kMonitorListFile), "A,0,5\n");
        EXPECT_EQ(f.dir.read(kTimelineListFile), "A,0,5\n");
    }
}

TEST(ReconcileAtStartUp, AHubFileWithoutMachinesDropsNothing)
{
    ReconcileFixture f;
    f.hubConfiguration("");
    f.dir.write(kMonitorListFile, "A,0,0\nB,0,1\n");
    f.reconcile();
    EXPECT_EQ(f.dir.read(kMonitorListFile), "A,0,0\nB,0,1\n");
}

TEST(ReconcileAtStartUp, HostileListsAreRebuiltLineByLine)
{
    ReconcileFixture f;
    std::string names;
    for (int n = 0; n < 1000; ++n)
        names += "NM:M" + std::to_string(n) + "\n";
    f.hubConfiguration(names);
    // A 10 000-character line is cut (and is no known machine); the line after it is still
    // read as the next line. Names past the 128th slot and binary names are unknown.
    std::string list = std::string(5000, 'Z') + ",0,0," + std::string(5000, 'Z') + "\n";
    list += "M127,0,0\nM200,0,0\n";
    list += std::string("\0\xff,\x01,", 6) + "\n";
    f.dir.write(kMonitorListFile, list);
    f.reconcile();
    EXPECT_EQ(f.dir.read(kMonitorListFile), "M127,15,7\r\n");
}

}  // namespace
}  // namespace quillon
