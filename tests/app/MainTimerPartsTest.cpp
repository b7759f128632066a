#include <gtest/gtest.h>

#include <cstdlib>

#include "app/CommandFile.h"
#include "app/ErrorLog.h"
#include "app/HandOff.h"
#include "app/OpenFileQueue.h"
#include "app/TimeGuard.h"
#include "app/WindowCycler.h"
#include "platform/Clock.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(CommandFile, QueuesTheFilesOfTheCommandLinesAndDeletesTheFile)
{
    test::TempWorkDir dir;
    dir.write(kCommandFile, joinLinesCrLf({
                                "\"/usr/bin/quillonlt\" \"/nc/O1.NC\"",
                                "\"/usr/bin/quillonlt\"",
                                "\"/usr/bin/quillonlt\" \"/nc/O 2.NC\" \"extra\"",
                                "\"/usr/bin/quillonlt\" \"-SHOW_TIME_WIN\"",
                                "\"/usr/bin/quillonlt\" \"/nc/O3.NC\"",
                                "\"/usr/bin/quillonlt\" \"/nc/O4.NC\"",
                                "\"/usr/bin/quillonlt\" \"/nc/O5.NC\"",
                            }));
    OpenFileQueue queue;
    ASSERT_TRUE(queue.add("/nc/ALREADY.NC"));
    MonitorRequests requests;
    processCommandFile(dir.workDir(), queue, requests, false);
    EXPECT_FALSE(dir.exists(kCommandFile));
    EXPECT_TRUE(requests.timeLinePending());
    EXPECT_FALSE(requests.monitorPending());
    // Four free slots: one line each; lines without a file (or with a word) use one up.
    const std::array<std::string, 5> expected = {"/nc/ALREADY.NC", "/nc/O1.NC", "/nc/O 2.NC", "",
                                                 ""};
    EXPECT_EQ(queue.entries(), expected);
}

TEST(CommandFile, MissingOrWithRotationConfigured)
{
    test::TempWorkDir dir;
    OpenFileQueue queue;
    MonitorRequests requests;
    processCommandFile(dir.workDir(), queue, requests, false);  // no file: nothing
    EXPECT_TRUE(queue.empty());

    dir.write(kCommandFile, "\"q\" \"-SHOW_MON_WIN\"\n\"q\" \"/nc/A.NC\"\n");
    processCommandFile(dir.workDir(), queue, requests, true);
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(requests.monitorPending());
    EXPECT_FALSE(dir.exists(kCommandFile));

    dir.write(kCommandFile, "\"q\" \"-SHOW_MON_WIN\"\n\"q\" \"/nc/A.NC\"\n");
    processCommandFile(dir.workDir(), queue, requests, false);
    EXPECT_TRUE(requests.monitorPending());
    EXPECT_EQ(queue.entries()[0], "/nc/A.NC");
}

TEST(MonitorRequests, AWindowOpensOnTheThirdTickAfterTheOneThatFoundIt)
{
    MonitorRequests requests;
    EXPECT_FALSE(requests.tick().timeLine);
    requests.requestTimeLine();  // found on tick 2 ...
    std::vector<int> opened;
    for (int tick = 2; tick <= 8; ++tick) {
        if (requests.tick().timeLine)
            opened.push_back(tick);
    }
    EXPECT_EQ(opened, std::vector<int>{5});  // ... opens on tick 5, once
    EXPECT_FALSE(requests.timeLinePending());
}

TEST(TimeGuard, ImplausibleClockReadings)
{
    FixedClock clock(5000);
    EXPECT_FALSE(TimeGuard::start(clock));  // two readings of 9999 or less
    clock.set(1'700'000'000);
    auto guard = TimeGuard::start(clock);
    ASSERT_TRUE(guard);
    clock.set(9999);
    EXPECT_EQ(guard->now(clock), 1'700'000'000);  // the last plausible time stands in
    clock.set(1'700'000'100);
    EXPECT_EQ(guard->now(clock), 1'700'000'100);
}

TEST(ErrorLog, LinesGoToTheLogOfTheYear)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(errorLogLine("Monitorlist open error", -2, -2, 1'709'294'645),
              "Monitorlist open error, HUB: -1, PORT: -1, 03/01/24  12:04:05");
    test::TempWorkDir dir;
    FixedClock clock(1'709'294'645);
    appendErrorLog(dir.workDir(), clock, "A", 0, 7);
    appendErrorLog(dir.workDir(), clock, "B", 15, 0);
    EXPECT_EQ(dir.read("ErrorLog-2024.sys"),
              "A, HUB: 1, PORT: 8, 03/01/24  12:04:05\r\n"
              "B, HUB: 16, PORT: 1, 03/01/24  12:04:05\r\n");
}

TEST(WindowCycler, CtrlTabWalksBackThroughTheOrderOfUse)
{
    WindowCycler<char> cycler;
    for (char window : {'A', 'B', 'C', 'D'})
        cycler.activated(window);  // D used last
    cycler.ctrlPressed();
    EXPECT_EQ(cycler.tab(), 'C');
    EXPECT_EQ(cycler.tab(), 'B');
    cycler.activated('B');  // activation while cycling does not reorder
    cycler.ctrlReleased('B');
    EXPECT_EQ(cycler.order(), (std::vector<char>{'B', 'D', 'C', 'A'}));

    cycler.ctrlPressed();
    EXPECT_EQ(cycler.tab(), 'D');  // a quick Ctrl+Tab swaps the two most recent
    cycler.ctrlReleased('D');
    EXPECT_EQ(cycler.order().front(), 'D');
    cycler.ctrlPressed();
    for (int i = 0; i < 3; ++i)
        cycler.tab();
    EXPECT_EQ(cycler.tab(), 'D');  // four windows: the fourth Tab comes round again
    cycler.closed('D');
    EXPECT_EQ(cycler.order().size(), 3u);
}

}  // namespace
}  // namespace quillon
