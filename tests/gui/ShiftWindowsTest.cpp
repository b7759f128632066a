#include "monitoring/ui/ShiftWindows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <filesystem>

#include "charting/AxisTicks.h"
#include "charting/ChartWidget.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/HubLink.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/ui/HeadsPalletsDialog.h"
#include "monitoring/ui/ShiftCycleTimeDialog.h"
#include "monitoring/ui/ShiftPieWindow.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/WindowRectFile.h"
#include "platform/ui/QtColorRef.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

// Titles read as text when a comparison fails.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quillon {
namespace {

std::int64_t at(int hour, int minute, int second = 0)
{
    return *localToSeconds({2026, 12, 8, hour, minute, second});
}

std::string records(const std::vector<std::pair<std::int64_t, std::string>>& events)
{
    std::string bytes;
    for (const auto& [time, event] : events)
        bytes += shiftRecordLine(time, event) + "\r\n";
    return bytes;
}

// A morning shift of part A100 (limits 280 and 400 seconds): cycles of 300, 330 and 900
// seconds, loading in between, and one counted run of 24 cycles over 120 seconds.
std::string morningShift()
{
    return records({
        {at(6, 0), "_SH_START"},
        {at(6, 0), "_PARTNO:A100,280,400;1"},
        {at(6, 1), "_CON"},
        {at(6, 6), "_COFF"},
        {at(6, 7), "LOADING"},
        {at(6, 10), "_CON:H80"},
        {at(6, 15, 30), "_COFF"},
        {at(6, 20), "_CON"},
        {at(6, 35), "_COFF"},
        {at(6, 40), "_CON"},
        {at(6, 41), "_CYCOUNT,12,5,20"},
        {at(6, 42), "_CYCOUNT,12,5,20"},
        {at(6, 43), "_COFF"},
        {at(6, 50), "ALARM"},
        {at(7, 0), "_SH_END"},
    });
}

// A whole day shift, 06:00 to 14:00, as a busy mill records it: part A100 until ten, a
// setup, then part B220; cycles of four to five and a half minutes, some run slower
// (shaded), loading between cycles, now and then an alarm or a feed hold. counted: the
// machine reports its cycle counts (12 cycles a run), so B220's runs carry rates.
std::string dayShift(bool counted)
{
    std::vector<std::pair<std::int64_t, std::string>> events{{at(6, 0), "_SH_START"},
                                                             {at(6, 0), "_OPERATOR:J. MILLER"},
                                                             {at(6, 2), "_PARTNO:A100,240,330;1"}};
    unsigned seed = 12345;
    const auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::int64_t>((seed >> 16) % range);
    };
    std::int64_t time = at(6, 5);
    bool secondPart = false;
    while (time < at(13, 50)) {
        if (!secondPart && time >= at(10, 0)) {
            secondPart = true;
            events.push_back({time, "_SETUP"});
            time += 1200;
            events.push_back({time, counted ? "_PARTNO:B220,4,8;2" : "_PARTNO:B220,180,260;2"});
        }
        const std::int64_t kind = next(10);
        if (kind == 0) {
            events.push_back({time, "_CON:" + std::string(1, char('E' + next(8))) + "70"});
        } else if (kind == 1) {
            events.push_back({time, "_CON,SPINDLE_ON"});
        } else {
            events.push_back({time, "_CON"});
        }
        const std::int64_t length = secondPart ? 180 + next(90) : 240 + next(100);
        std::int64_t held = 0;
        if (next(25) == 0) {
            held = 90;
            events.push_back({time + length / 3, "FEED HOLD"});
            events.push_back({time + length / 3 + held, "_CON"});
        }
        if (counted && secondPart) {
            events.push_back({time + held + length / 2, "_CYCOUNT,6,4,8"});
            events.push_back({time + held + length - 5, "_CYCOUNT,6,4,8"});
        }
        time += held + length;
        events.push_back({time, "_COFF"});
        const std::int64_t pause = next(20);
        if (pause == 0) {
            events.push_back({time + 20, "ALARM"});
            time += 300 + next(300);
        } else if (pause < 6) {
            events.push_back({time + 10, "LOADING"});
            time += 120 + next(60);
        } else {
            time += 30 + next(60);
        }
    }
    events.push_back({at(14, 0), "_SH_END"});
    return records(events);
}

class ShiftWindowsTest : public ::testing::Test {
protected:
    ShiftWindowsTest()
    {
        windows.setHubDirectory(hubDirectory());
        windows.setRefreshSeconds(15);
    }
    ~ShiftWindowsTest() override
    {
        windows.closeAll();
        QApplication::processEvents();
    }

    std::string hubDirectory() const { return hub.path().toStdString() + "/"; }
    // Writes a hub file named as the hub names it ("_TMP\MonitorData25.SYS_").
    std::string writeHub(std::string relative, std::string_view bytes) const
    {
        return test::writeHubFile(hubDirectory(), std::move(relative), bytes);
    }
    // Answers the next "Display Heads/Pallets" question.
    static void answerStations(StationChoice choice, bool dontAskAgain)
    {
        test::onNextDialog<HeadsPalletsDialog>([choice, dontAskAgain](HeadsPalletsDialog& ask) {
            ask.option(choice)->setChecked(true);
            ask.dontAskAgain()->setChecked(dontAskAgain);
            ask.accept();
        });
    }
    std::vector<QString> titles() const
    {
        std::vector<QString> shown;
        for (const ShiftGraphWindow* window : windows.graphs())
            shown.push_back(window->windowTitle());
        return shown;
    }

    test::ScopedTimeZone zone{"UTC0"};
    test::TempWorkDir dir;
    QTemporaryDir hub;
    FixedClock clock{at(7, 30)};
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    bool dontAskAgain = false;
    QWidget owner;
    ShiftWindows windows{ShiftViewEnvironment{dir.workDir(), notifier, clock}, files, dontAskAgain,
                         &owner};
};

TEST_F(ShiftWindowsTest, TwoStationMachinesAskWhichStationsAndTitleTheirWindows)
{
    writeHub("_TMP\\MonitorData250.SYS_", morningShift());
    writeHub("_TMP\\MonitorData251.SYS_", morningShift());
    const DisplayedMachine heads{{2, 5}, StationKind::TwoHeads};
    const DisplayedMachine pallets{{2, 5}, StationKind::TwoPallets};
    const struct {
        const char* scenario;
        DisplayedMachine machine;
        StationChoice choice;
        std::vector<QString> titles;
    } cases[] = {
        {"head 1", heads, StationChoice::First, {"Detailed Shift Graph HEAD 1"}},
        {"pallet 2", pallets, StationChoice::Second, {"Detailed Shift Graph PALLET 2"}},
        {"both merged", heads, StationChoice::Merged, {"Detailed Shift Graph HEAD 1&2"}},
        {"both apart",
         pallets,
         StationChoice::Separate,
         {"Detailed Shift Graph PALLET 1", "Detailed Shift Graph-2 PALLET 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        answerStations(c.choice, false);
        windows.openCurrentShift(c.machine);
        EXPECT_EQ(titles(), c.titles);
        EXPECT_TRUE(notifier.texts().empty());
        for (ShiftGraphWindow* window : windows.graphs()) {
            EXPECT_FALSE(window->graph().intervals.empty());
            window->close();
        }
    }

    // A single station is not asked about and gets the plain title; its file has no
    // station digit.
    writeHub("_TMP\\MonitorData25.SYS_", morningShift());
    windows.openCurrentShift({{2, 5}, StationKind::Single});
    EXPECT_EQ(titles(), std::vector<QString>{"Detailed Shift Graph"});
}

TEST_F(ShiftWindowsTest, DontAskAgainKeepsTheChoiceUntilTheFlagIsCleared)
{
    writeHub("_TMP\\MonitorData300.SYS_", morningShift());
    writeHub("_TMP\\MonitorData301.SYS_", morningShift());
    const DisplayedMachine machine{{3, 0}, StationKind::TwoHeads};

    answerStations(StationChoice::Second, true);
    windows.openCurrentShift(machine);
    EXPECT_TRUE(dontAskAgain);
    EXPECT_EQ(windows.rememberedChoice(), StationChoice::Second);

    // Not asked: a dialog would be answered with Separate.
    answerStations(StationChoice::Separate, false);
    windows.openCurrentShift(machine);
    QApplication::processEvents();
    EXPECT_EQ(titles(), (std::vector<QString>{"Detailed Shift Graph HEAD 2",
                                              "Detailed Shift Graph HEAD 2"}));

    // "Other options" cleared the flag: asked again, starting at the kept choice.
    dontAskAgain = false;
    bool startedAtKept = false;
    test::onNextDialog<HeadsPalletsDialog>([&startedAtKept](HeadsPalletsDialog& ask) {
        startedAtKept = ask.option(StationChoice::Second)->isChecked();
        ask.option(StationChoice::First)->setChecked(true);
        ask.accept();
    });
    windows.openCurrentShift(machine);
    EXPECT_TRUE(startedAtKept);
    EXPECT_FALSE(dontAskAgain);
    EXPECT_EQ(titles().back(), "Detailed Shift Graph HEAD 1");

    // Cancel opens nothing.
    test::onNextDialog<HeadsPalletsDialog>([](HeadsPalletsDialog& ask) { ask.reject(); });
    windows.openCurrentShift(machine);
    EXPECT_EQ(windows.graphs().size(), 3u);
}

TEST_F(ShiftWindowsTest, AMissingCurrentShiftFileNamesItsStation)
{
    writeHub("_TMP\\MonitorData410.SYS_", morningShift());  // station 1 of hub 4, port 1 only
    const struct {
        const char* scenario;
        DisplayedMachine machine;
        StationChoice choice;
        std::vector<std::string> texts;
        std::size_t opened;
    } cases[] = {
        {"single station",
         {{4, 2}, StationKind::Single},
         StationChoice::First,
         {"No record exists - 1"},
         0},
        {"station 2",
         {{4, 1}, StationKind::TwoHeads},
         StationChoice::Second,
         {"No record exists - 2"},
         0},
        {"merged, station 2 missing",
         {{4, 1}, StationKind::TwoHeads},
         StationChoice::Merged,
         {"No record exists - 2"},
         0},
        {"apart: station 1 still opens",
         {{4, 1}, StationKind::TwoPallets},
         StationChoice::Separate,
         {"No record exists - 2"},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        notifier.clear();
        if (c.machine.kind != StationKind::Single)
            answerStations(c.choice, false);
        windows.openCurrentShift(c.machine);
        EXPECT_EQ(notifier.texts(), c.texts);
        EXPECT_EQ(windows.graphs().size(), c.opened);
        for (ShiftGraphWindow* window : windows.graphs())
            window->close();
    }
}

TEST_F(ShiftWindowsTest, ArchivedFilesAreChosenInTheMonthFolderAndMustBeMonFiles)
{
    const std::string archived =
        writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift());
    files.script(hubDirectory() + "_MONITORING/2026-12/notes.txt");
    files.script(std::nullopt);  // cancelled
    files.script(archived);

    windows.viewGraph();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"File extension need to be \".MON\""});
    windows.viewPiechart();
    windows.viewGraph();

    ASSERT_EQ(files.prompts().size(), 3u);
    EXPECT_EQ(files.prompts()[0].directory, hubDirectory() + "_MONITORING/2026-12");
    EXPECT_EQ(files.prompts()[0].filter, "Monitoring file (.MON)|?????_*.MON||");
    EXPECT_EQ(notifier.texts().size(), 1u);
    ASSERT_EQ(windows.graphs().size(), 1u);
    EXPECT_EQ(windows.graphs()[0]->windowTitle(), "Detailed Shift Graph");
    // An archived shift is not refreshed.
    EXPECT_FALSE(windows.graphs()[0]->refreshAction());
    EXPECT_FALSE(windows.graphs()[0]->refreshTimer().isActive());
}

TEST_F(ShiftWindowsTest, AtMostFourGraphsAreOpenAndAClosedOneFreesItsNumber)
{
    writeHub("_TMP\\MonitorData10.SYS_", morningShift());
    const DisplayedMachine machine{{1, 0}, StationKind::Single};
    for (int n = 0; n < 5; ++n)
        windows.openCurrentShift(machine);
    EXPECT_EQ(windows.graphs().size(), 4u);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Too many graphs are open"});

    // The archive's command refuses before the file dialog.
    windows.viewGraph();
    EXPECT_TRUE(files.prompts().empty());
    EXPECT_EQ(notifier.texts().size(), 2u);

    windows.graphs()[1]->close();
    QApplication::processEvents();
    windows.openCurrentShift(machine);
    std::vector<int> numbers;
    for (const ShiftGraphWindow* window : windows.graphs())
        numbers.push_back(window->number());
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 4, 2}));
    // Each reads its own copy.
    EXPECT_TRUE(std::filesystem::exists(dir.workDir().tmpFile("ViewTemp2.TXT")));
}

TEST_F(ShiftWindowsTest, PiesAreLimitedToo)
{
    const std::string archived =
        writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift());
    for (int n = 0; n < kMaxShiftPies; ++n)
        files.script(archived);
    for (int n = 0; n <= kMaxShiftPies; ++n)
        windows.viewPiechart();
    EXPECT_EQ(windows.pies().size(), static_cast<std::size_t>(kMaxShiftPies));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Too many pie charts are open"});
}

TEST_F(ShiftWindowsTest, WindowPlacesAreWrittenOnCloseAndReadBackByTheSameNumber)
{
    writeHub("_TMP\\MonitorData10.SYS_", morningShift());
    const std::string archived =
        writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift());
    const QRect place(40, 60, 700, 300);

    windows.openCurrentShift({{1, 0}, StationKind::Single});
    ShiftGraphWindow* graph = windows.graphs().front();
    graph->setGeometry(place);
    graph->close();
    QApplication::processEvents();
    const auto stored = readWindowRect(dir.workDir().tmpFile("ViewDetail1.SYS"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (WindowRect{40, 60, 740, 360}));

    windows.openCurrentShift({{1, 0}, StationKind::Single});
    EXPECT_EQ(windows.graphs().front()->geometry(), place);
    // The program's end closes the windows as the user would: places kept.
    windows.graphs().front()->setGeometry(QRect(50, 70, 600, 250));
    windows.closeAll();
    EXPECT_TRUE(windows.graphs().empty());
    EXPECT_EQ(readWindowRect(dir.workDir().tmpFile("ViewDetail1.SYS")),
              (WindowRect{50, 70, 650, 320}));

    files.script(archived);
    windows.viewPiechart();
    ASSERT_EQ(windows.pies().size(), 1u);
    windows.pies().front()->setGeometry(QRect(10, 20, 500, 400));
    windows.pies().front()->close();
    QApplication::processEvents();
    EXPECT_EQ(readWindowRect(dir.workDir().tmpFile("ViewDetailPie1.SYS")),
              (WindowRect{10, 20, 510, 420}));
}

TEST_F(ShiftWindowsTest, ACurrentShiftReloadsOnItsTimerAndItsRefreshUntilStopped)
{
    const std::string path = writeHub("_TMP\\MonitorData10.SYS_", morningShift());
    windows.openCurrentShift({{1, 0}, StationKind::Single});
    ShiftGraphWindow& window = *windows.graphs().front();
    EXPECT_TRUE(window.refreshing());
    EXPECT_TRUE(window.refreshTimer().isActive());
    EXPECT_EQ(window.refreshTimer().interval(), 15000);
    const std::size_t before = window.graph().intervals.size();

    window.refreshAction()->trigger();
    EXPECT_EQ(window.refreshAction()->text(), "Start &Refresh");
    EXPECT_FALSE(window.refreshTimer().isActive());
    test::writeBytes(path, morningShift() + records({{at(7, 10), "_CON"}}));
    windows.refreshMachine({1, 0});
    EXPECT_EQ(window.graph().intervals.size(), before);

    // Starting again reloads at once; the open cycle ends at the present time.
    window.refreshAction()->trigger();
    EXPECT_EQ(window.refreshAction()->text(), "Stop &Refresh");
    EXPECT_TRUE(window.refreshTimer().isActive());
    const auto startingAt = [&window](std::int64_t time) -> const ShiftInterval* {
        for (const ShiftInterval& interval : window.graph().intervals) {
            if (interval.start == time)
                return &interval;
        }
        return nullptr;
    };
    ASSERT_GT(window.graph().intervals.size(), before);
    ASSERT_TRUE(startingAt(at(7, 10)));
    EXPECT_EQ(startingAt(at(7, 10))->end, at(7, 30));

    // Another machine's refresh leaves it alone; its own reloads it.
    test::writeBytes(path, morningShift() + records({{at(7, 10), "_CON"}, {at(7, 20), "ALARM"}}));
    windows.refreshMachine({1, 1});
    EXPECT_FALSE(startingAt(at(7, 20)));
    windows.refreshMachine({1, 0});
    ASSERT_TRUE(startingAt(at(7, 20)));
    EXPECT_EQ(startingAt(at(7, 20))->stateText, "ALARM");
}

TEST_F(ShiftWindowsTest, TheLinkPassesItsMachinesRecordsToACurrentShiftWhileItIsOpen)
{
    const std::string path = writeHub("_TMP\\MonitorData10.SYS_", morningShift());
    std::vector<std::string> sent;
    HubLink link(0, ipv4Of(10, 0, 0, 5), clock,
                 [&sent](std::string_view bytes) { sent.emplace_back(bytes); });
    // Records reach the shift graphs while a monitoring view takes them.
    struct View final : DatagramReceiver {
        void datagramArrived(std::string_view) override {}
    } view;
    link.monitoringViewOpened(MonitoringView::Detailed, view);
    windows.setLink(&link);
    windows.openCurrentShift({{1, 0}, StationKind::Single});
    ShiftGraphWindow& window = *windows.graphs().front();
    const std::size_t before = window.graph().intervals.size();

    test::writeBytes(path, morningShift() + records({{at(7, 10), "_CON"}}));
    link.datagramArrived(std::string("_UPDATE:1,1,X\0", 15), 0);  // another machine's
    EXPECT_EQ(window.graph().intervals.size(), before);
    link.datagramArrived(std::string("_UPDATE:1,0,X\0", 15), 0);
    EXPECT_GT(window.graph().intervals.size(), before);

    // A closed window is let go by the link: the next record reaches nothing.
    window.close();
    QApplication::processEvents();
    EXPECT_TRUE(windows.graphs().empty());
    link.datagramArrived(std::string("_UPDATE:1,0,X\0", 15), 0);

    // Graphs of the archive too go with the detailed view, unless it was only minimized.
    windows.openCurrentShift({{1, 0}, StationKind::Single});
    files.script(writeHub("_MONITORING/2026-12/MON08_MILL 1_SHIFT1.MON", morningShift()));
    windows.viewGraph();
    ASSERT_EQ(windows.graphs().size(), 2u);
    link.monitoringViewClosed(MonitoringView::Detailed, true);
    EXPECT_EQ(windows.graphs().size(), 2u);
    link.monitoringViewOpened(MonitoringView::Detailed, view);
    link.monitoringViewClosed(MonitoringView::Detailed);
    QApplication::processEvents();
    EXPECT_TRUE(windows.graphs().empty());
}

TEST_F(ShiftWindowsTest, AShiftFileThatVanishesIsToldOnceAndLoggedAndStopsTheRefresh)
{
    // The hub moved the file away when the shift rolled over.
    const std::string path = writeHub("_TMP\\MonitorData10.SYS_", morningShift());
    windows.openCurrentShift({{1, 0}, StationKind::Single});
    ShiftGraphWindow& window = *windows.graphs().front();
    std::filesystem::remove(path);
    windows.refreshMachine({1, 0});
    windows.refreshMachine({1, 0});
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{path + " file read open error"});
    EXPECT_FALSE(window.refreshing());
    EXPECT_EQ(window.refreshAction()->text(), "Start &Refresh");
    // What was read last stays on the screen.
    EXPECT_FALSE(window.graph().intervals.empty());
    const auto log = readFile(dir.workDir().file("ErrorLog-2026.sys"));
    ASSERT_TRUE(log);
    EXPECT_NE(log->find(path + " file read open error, HUB: 2, PORT: 1"), std::string::npos);
}

TEST_F(ShiftWindowsTest, ACopyThatCannotBeWrittenIsToldAndLogged)
{
    // The temporary folder is a file: the window's copy has nowhere to go.
    std::filesystem::remove_all(dir.workDir().tmp());
    test::writeBytes(dir.workDir().rootWithoutSeparator() + "/_TMP", "");
    files.script(writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift()));
    windows.viewGraph();
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{"Detailed graph - open for writing denied"});
    ASSERT_EQ(windows.graphs().size(), 1u);
    EXPECT_TRUE(windows.graphs().front()->graph().intervals.empty());
    const auto log = readFile(dir.workDir().file("ErrorLog-2026.sys"));
    ASSERT_TRUE(log);
    EXPECT_NE(log->find("Detailed graph - open for writing denied, HUB: -1, PORT: -1"),
              std::string::npos);
}

TEST_F(ShiftWindowsTest, TheIntervalUnderThePointerIsNamed)
{
    files.script(writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift()));
    windows.viewGraph();
    ShiftGraphWindow& window = *windows.graphs().front();
    window.resize(900, 300);
    QApplication::processEvents();
    ChartWidget& chart = *window.chart();
    const ChartLayout layout =
        chart.renderer().layout(chart.data(), std::as_const(chart).view(), chart.size());
    const auto days = [](std::int64_t seconds) {
        return toSerialDays(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC));
    };
    const QPointF alarm = layout.projection2D.map(days(at(6, 55)), kStateRow);
    QMouseEvent move(QEvent::MouseMove, alarm, chart.mapToGlobal(alarm), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&chart, &move);
    EXPECT_EQ(window.hoverText(), "ALARM  06:50:00 - 07:00:00  10:00");

    const QPointF below = layout.projection2D.map(days(at(6, 55)), kRateRow);
    QMouseEvent away(QEvent::MouseMove, below, chart.mapToGlobal(below), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&chart, &away);
    EXPECT_EQ(window.hoverText(), "");
}

TEST_F(ShiftWindowsTest, TheGraphsIntervalsReachTheChartInTheHubsColours)
{
    // The hub paints cycle on in pure red and alarms in blue.
    writeHub("_SETUP\\GraphColor.sys",
             "1,0,16777215\r\n255,CYCLE ON\r\n" + std::string(32, '\n') + "16711680,ALARM\r\n");
    const std::string archived =
        writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift());
    files.script(archived);
    windows.viewGraph();
    ASSERT_EQ(windows.graphs().size(), 1u);
    const ShiftGraphWindow& window = *windows.graphs().front();
    const ShiftGraph& graph = window.graph();
    const ChartData& chart = window.chart()->data();
    ASSERT_FALSE(graph.intervals.empty());

    std::size_t rated = 0;
    for (const ShiftInterval& interval : graph.intervals)
        rated += interval.rateClass != RateClass::None ? 1 : 0;
    EXPECT_EQ(rated, 1u);
    ASSERT_EQ(chart.seriesCount(), static_cast<int>(graph.intervals.size() + rated));
    EXPECT_EQ(chart.xAxisKind(), XAxisKind::DateTime);
    EXPECT_EQ(chart.title, "Detailed Shift Graph");

    const auto days = [](std::int64_t seconds) {
        return toSerialDays(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC));
    };
    for (std::size_t index = 0; index < graph.intervals.size(); ++index) {
        const ShiftInterval& interval = graph.intervals[index];
        const ChartSeries& bar = chart.series(static_cast<int>(index));
        SCOPED_TRACE(interval.stateText);
        ASSERT_EQ(bar.size(), 2u);
        EXPECT_NEAR(bar.x(0), days(interval.start), 1e-9);
        EXPECT_NEAR(bar.x(1), days(interval.end), 1e-9);
        EXPECT_EQ(bar.y(0), kStateRow);
        if (interval.stateText == "CYCLE ON" && interval.shade < 0) {
            EXPECT_EQ(bar.color, QColor(255, 0, 0));
        } else if (interval.stateText == "ALARM") {
            EXPECT_EQ(bar.color, QColor(0, 0, 255));
        } else if (interval.shade >= 0) {
            // A shaded cycle on is the cycle-on colour, paler.
            EXPECT_EQ(bar.color.hue(), QColor(255, 0, 0).hue());
            EXPECT_GT(bar.color.lightness(), QColor(255, 0, 0).lightness());
        }
    }
    // The legend names each state once.
    QStringList legend;
    for (int series = 0; series < chart.seriesCount(); ++series) {
        if (chart.series(series).inLegend)
            legend << chart.series(series).label;
    }
    EXPECT_EQ(legend, (QStringList{"CYCLE ON", "CYCLE OFF", "LOADING", "CYCLE ON, slower", "ALARM",
                                   "Rate within limits"}));
    const ChartSeries& rateBar = chart.series(chart.seriesCount() - 1);
    EXPECT_EQ(rateBar.y(0), kRateRow);
    EXPECT_EQ(*chart.axisRange(Axis::X), (AxisRange{days(graph.spanStart), days(graph.spanEnd)}));

    // The time under the pointer names the interval there; between the rows nothing.
    const double tenPast = days(at(6, 10, 30));
    const auto index = window.intervalAt(tenPast, kStateRow);
    ASSERT_TRUE(index);
    EXPECT_EQ(graph.intervals[*index].start, at(6, 10));
    EXPECT_FALSE(window.intervalAt(tenPast, kRateRow));
    EXPECT_FALSE(window.intervalAt(tenPast, 0.2));
    EXPECT_TRUE(window.intervalAt(days(at(6, 41)), kRateRow));
}

TEST_F(ShiftWindowsTest, AWholeShiftIsOneUnbrokenBarAndItsPieAddsUpToTheShift)
{
    const std::string graphFile =
        writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", dayShift(true));
    files.script(graphFile);
    files.script(graphFile);
    windows.viewGraph();
    windows.viewPiechart();
    ASSERT_EQ(windows.graphs().size(), 1u);
    ASSERT_EQ(windows.pies().size(), 1u);

    ShiftGraphWindow& graph = *windows.graphs().front();
    const auto& intervals = graph.graph().intervals;
    ASSERT_GT(intervals.size(), 150u);
    for (std::size_t index = 1; index < intervals.size(); ++index)
        ASSERT_EQ(intervals[index].start, intervals[index - 1].end) << index;
    // The bar starts with the first state; the shift's start and part are no state.
    EXPECT_EQ(intervals.front().start, at(6, 5));
    EXPECT_EQ(intervals.back().end, at(14, 0));
    EXPECT_EQ(graph.chart()->data().seriesCount(),
              static_cast<int>(intervals.size() +
                               std::ranges::count_if(intervals, [](const ShiftInterval& interval) {
                                   return interval.rateClass != RateClass::None;
                               })));
    graph.resize(1100, 300);
    test::saveScreenshot(graph, "shift_graph");

    // Every minute from the part record (the first to give a state: cycle off) to the
    // shift's end is in one slice.
    const ChartSeries& minutes = windows.pies().front()->chart()->data().series(0);
    double total = 0;
    for (std::size_t point = 0; point < minutes.size(); ++point)
        total += minutes.y(point);
    EXPECT_EQ(total, 478);
    windows.pies().front()->resize(900, 600);
    test::saveScreenshot(*windows.pies().front(), "shift_pie");

    // The cycle time dialog over the same shift without counts, the second part chosen.
    const std::string cycles = writeHub("cycles.MON", dayShift(false));
    ShiftCycleTimeDialog dialog(cycles, CycleTimeInputs{});
    ASSERT_EQ(dialog.partNumbers()->count(), 2);
    dialog.selectPart(1);
    EXPECT_GT(dialog.details()->count(), 40);
    EXPECT_EQ(dialog.multiplierEdit()->text(), "2");
    test::saveScreenshot(dialog, "shift_cycle_time");
}

TEST(ShiftIntervalText, NamesStateTimesLengthAndRate)
{
    const test::ScopedTimeZone zone("UTC0");
    ShiftInterval shaded;
    shaded.start = at(6, 10);
    shaded.end = at(6, 15, 30);
    shaded.stateText = "CYCLE ON";
    shaded.shade = 5;
    shaded.feedOverride = 80;
    EXPECT_EQ(describeInterval(shaded), "CYCLE ON  06:10:00 - 06:15:30  05:30  feed 80%");

    ShiftInterval counted;
    counted.start = at(6, 40);
    counted.end = at(8, 43);
    counted.stateText = "CYCLE ON";
    counted.rateClass = RateClass::Above;
    counted.rate = 24;
    EXPECT_EQ(describeInterval(counted),
              "CYCLE ON  06:40:00 - 08:43:00  02:03:00  rate 24 cycle/min, above limit");
}

TEST_F(ShiftWindowsTest, ThePieShowsMinutesPerPartAndStateInStatusColours)
{
    const std::string archived = writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON",
                                          records({{at(6, 0), "_SH_START"},
                                                   {at(6, 0), "_PARTNO:A100"},
                                                   {at(6, 5), "_CON"},
                                                   {at(6, 35), "_COFF"},
                                                   {at(6, 45), "_PARTNO:B7"},
                                                   {at(6, 45), "_CON"},
                                                   {at(7, 5), "ALARM"},
                                                   {at(7, 7), "_SH_END"}}));
    files.script(archived);
    windows.viewPiechart();
    ASSERT_EQ(windows.pies().size(), 1u);
    const ChartData& chart = windows.pies().front()->chart()->data();
    EXPECT_EQ(chart.kind(), ChartKind::Pie);
    EXPECT_TRUE(chart.title.startsWith("MON08 MILL1 SHIFT1"));
    ASSERT_EQ(chart.seriesCount(), 1);
    const StatusTable table = StatusTable::defaults();
    ASSERT_TRUE(chart.pointLabels.contains("A100 CYCLE ON 30 min"));
    const auto cycleOn = chart.pointLabels.indexOf("A100 CYCLE ON 30 min");
    EXPECT_EQ(chart.series(0).y(static_cast<std::size_t>(cycleOn)), 30);
    EXPECT_EQ(chart.pointColor(static_cast<int>(cycleOn)), toQColor(table.colors[kStatusCycleOn]));
    const auto alarm = chart.pointLabels.indexOf("B7 ALARM 2 min");
    ASSERT_GE(alarm, 0);
    EXPECT_EQ(chart.pointColor(static_cast<int>(alarm)), toQColor(table.colors[kStatusAlarm]));
    // Before the first cycle and between the two parts.
    EXPECT_TRUE(chart.pointLabels.contains("A100 CYCLE OFF 15 min"));
    EXPECT_EQ(chart.pointLabels.size(), 4);
}

TEST_F(ShiftWindowsTest, TheCycleTimeDialogListsCyclesAndRecalculates)
{
    const std::string path = writeHub("shift.MON", records({
                                                       {at(6, 0), "_PARTNO:A100,280,400;1"},
                                                       {at(6, 1), "_CON"},
                                                       {at(6, 6), "_COFF"},
                                                       {at(6, 10), "_CON"},
                                                       {at(6, 15, 30), "_COFF"},
                                                       {at(6, 20), "_CON"},
                                                       {at(6, 35), "_COFF"},
                                                       {at(6, 40), "_PARTNO:B7,10,20;1"},
                                                       {at(6, 41), "_CON"},
                                                       {at(6, 42), "_COFF"},
                                                   }));
    ShiftCycleTimeDialog dialog(path, CycleTimeInputs{});
    ASSERT_EQ(dialog.partNumbers()->count(), 2);
    EXPECT_EQ(dialog.partNumbers()->itemText(0), "A100");
    EXPECT_TRUE(dialog.partNumbers()->isEnabled());
    EXPECT_EQ(dialog.minimumLabel()->text(), "Min. cycle time [sec]");

    dialog.selectPart(0);
    EXPECT_EQ(dialog.details()->count(), 4);  // the part line and three cycles
    EXPECT_EQ(dialog.details()->item(0)->text(), "A100");
    EXPECT_EQ(dialog.minimumEdit()->text(), "280");
    EXPECT_EQ(dialog.maximumEdit()->text(), "400");
    QStringList summary;
    for (int row = 0; row < dialog.summary()->count(); ++row)
        summary << dialog.summary()->item(row)->text();
    EXPECT_TRUE(summary.contains("Number of Total cycles: 3"));
    EXPECT_TRUE(summary.contains("Number of 'Good' cycles: 2"));

    // Wider limits and two pieces a cycle: every cycle is good, counted twice.
    dialog.maximumEdit()->setText("1000");
    dialog.multiplierEdit()->setText("2");
    dialog.recalculateButton()->click();
    summary.clear();
    for (int row = 0; row < dialog.summary()->count(); ++row)
        summary << dialog.summary()->item(row)->text();
    EXPECT_TRUE(summary.contains("Number of Total cycles: 6"));
    EXPECT_TRUE(summary.contains("Number of 'Good' cycles: 6"));
    EXPECT_EQ(dialog.maximumEdit()->text(), "1000");

    dialog.selectPart(1);
    EXPECT_EQ(dialog.details()->item(0)->text(), "B7");
    EXPECT_EQ(dialog.details()->count(), 2);
    test::saveScreenshot(dialog, "shift_cycle_time_dialog");
}

TEST_F(ShiftWindowsTest, TheGraphsCycleTimeCommandReadsTheWindowsCopy)
{
    const std::string archived =
        writeHub("_MONITORING\\2026-12\\MON08_MILL1_SHIFT1.MON", morningShift());
    files.script(archived);
    windows.viewGraph();
    ASSERT_EQ(windows.graphs().size(), 1u);
    ShiftGraphWindow& window = *windows.graphs().front();
    EXPECT_EQ(window.recordCopy(), dir.workDir().tmpFile("ViewTemp1.TXT"));
    test::saveScreenshot(window, "shift_graph_window");

    // The dialog opens on the file's part numbers; the file counts cycles, so it opens in
    // the rate form with the count record's limits. The cycles come with a part.
    QStringList parts;
    QString minimum;
    QString label;
    test::onNextDialog<ShiftCycleTimeDialog>([&](ShiftCycleTimeDialog& dialog) {
        for (int row = 0; row < dialog.partNumbers()->count(); ++row)
            parts << dialog.partNumbers()->itemText(row);
        minimum = dialog.minimumEdit()->text();
        label = dialog.minimumLabel()->text();
        dialog.accept();
    });
    window.cycleTimeAction()->trigger();
    EXPECT_EQ(parts, QStringList{"A100"});
    EXPECT_EQ(minimum, "5");
    EXPECT_EQ(label, "Min.Rate[cyc/min]");
}

}  // namespace
}  // namespace quillon
