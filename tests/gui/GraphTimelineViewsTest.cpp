// The graph and timeline windows over a link fed by hand: what they show once their
// machines came in, what they keep in their files, and how they take bad files.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "gui/GuiTestSupport.h"
#include "monitoring/HubDatagramSamples.h"
#include "monitoring/HubLink.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/ui/GraphViewWindow.h"
#include "monitoring/ui/TimelineViewWindow.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

std::int64_t at(int hour, int minute, int second = 0)
{
    return *localToSeconds({2026, 12, 8, hour, minute, second});
}

// A machine's record as the hub sends it: the sample's figures under another name and
// status, cycling since `statusAgo` seconds.
std::string record(MachineSlot slot, const std::string& name, const std::string& status,
                   int statusAgo = 50, int stationKind = 0,
                   const std::vector<std::pair<int, int>>& statusSeconds = {})
{
    auto fields = test::fullRecordFields();
    fields[0] = std::string(1, "0123456789abcdef"[slot.hub]);
    fields[1] = std::to_string(slot.port);
    fields[2] = std::to_string(stationKind);
    fields[18] = status;
    fields[19] = name;
    fields[34] = std::to_string(statusAgo);
    fields[35] = std::to_string(statusAgo);
    if (!statusSeconds.empty()) {
        constexpr std::size_t kFirstStatusTime = 36;
        for (int i = 0; i < kStatusCount; ++i)
            fields[kFirstStatusTime + static_cast<std::size_t>(i)] = "0";
        for (const auto& [index, seconds] : statusSeconds)
            fields[kFirstStatusTime + static_cast<std::size_t>(index)] = std::to_string(seconds);
    }
    return test::recordDatagram(fields, fields.size());
}

// A shift of cycles with short pauses, a setup and an alarm, from 06:00 to `until`.
std::string runningShift(std::int64_t until, int seed)
{
    std::string bytes = shiftRecordLine(at(6, 0), "_SH_START") + "\r\n";
    std::int64_t time = at(6, 0) + 300 + seed * 60;
    int n = seed;
    while (time < until - 600) {
        const int cycle = 240 + (n * 37) % 200;
        bytes += shiftRecordLine(time, n % 3 == 0 ? "_CON:F90,S110" : "_CON") + "\r\n";
        time += cycle;
        bytes += shiftRecordLine(time, "_COFF") + "\r\n";
        time += 40 + (n * 13) % 90;
        if (n % 11 == 5) {
            bytes += shiftRecordLine(time, "SETUP") + "\r\n";
            time += 1500;
        } else if (n % 17 == 8) {
            bytes += shiftRecordLine(time, "ALARM") + "\r\n";
            time += 600;
        }
        ++n;
    }
    return bytes;
}

class GraphTimelineViewsTest : public ::testing::Test {
protected:
    GraphTimelineViewsTest()
    {
        std::filesystem::create_directories(hubDirectory() + "_TMP");
        link.timerTick();
    }
    ~GraphTimelineViewsTest() override
    {
        for (auto* window : QApplication::topLevelWidgets())
            if (qobject_cast<GraphViewWindow*>(window) ||
                qobject_cast<TimelineViewWindow*>(window))
                window->close();
        QApplication::processEvents();
    }

    std::string hubDirectory() const { return hub.path().toStdString() + "/"; }
    void writeHub(const std::string& name, const std::string& bytes) const
    {
        test::writeBytes(hubDirectory() + "_TMP/" + name, bytes);
    }
    MonitorEnvironment environment()
    {
        return {dir.workDir(), notifier, clock, link, hubDirectory(), statuses, settings};
    }
    // Opens a window the way the program does: shown, and owned by its own closing.
    template <typename Window>
    Window& open()
    {
        auto* window = new Window(environment());
        window->show();
        return *window;
    }
    void feed(const std::string& bytes) { link.datagramArrived(bytes, 0); }
    bool sentWord(std::string_view word) const
    {
        return std::any_of(sent.begin(), sent.end(),
                           [&](const std::string& bytes) { return bytes.starts_with(word); });
    }
    void writeBitmap(const std::string& path) const
    {
        QImage plan(640, 480, QImage::Format_RGB32);
        plan.fill(QColor(70, 74, 80));
        QPainter painter(&plan);
        painter.setPen(QPen(QColor(200, 200, 200), 4));
        painter.drawRect(20, 40, 600, 420);
        painter.fillRect(24, 218, 592, 24, QColor(110, 110, 60));
        painter.end();
        ASSERT_TRUE(plan.save(QString::fromStdString(path), "BMP"));
    }

    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    QTemporaryDir hub;
    ScriptedNotifier notifier;
    FixedClock clock{at(9, 30)};
    std::vector<std::string> sent;
    HubLink link{0, ipv4Of(10, 0, 0, 5), clock,
                 [this](std::string_view bytes) { sent.emplace_back(bytes); }};
    StatusTable statuses = StatusTable::defaults();
    MonitorViewSettings settings;
};

TEST_F(GraphTimelineViewsTest, GraphShowsAPieOnceEveryMachineCameIn)
{
    dir.write("MonList.sys", "_MT_Plant 2\nLATHE 3,0,1\nMILL 4,2,5\n");
    auto& view = open<GraphViewWindow>();
    EXPECT_EQ(view.windowTitle(), "Monitoring Display/Graph");
    EXPECT_TRUE(sentWord("REMOTE_VIEW,"));
    ASSERT_EQ(view.content().titles.size(), 1u);

    feed(record({0, 1}, "LATHE 3", "CYCLE ON", 50));
    EXPECT_TRUE(view.content().pies.empty());
    feed(record({2, 5}, "MILL 4", "SETUP", 70));
    ASSERT_EQ(view.content().pies.size(), 2u);
    EXPECT_EQ(view.content().pies[0].seconds[kStatusCycleOn], 1000 + 50);
    EXPECT_EQ(view.content().pies[1].seconds[kStatusSetup], 1002 + 70);

    // The running status grows with the clock on every tick.
    clock.advance(30);
    view.tick();
    EXPECT_EQ(view.content().pies[1].seconds[kStatusSetup], 1002 + 100);

    // Placed by the view, apart from each other.
    const auto first = view.pieRect({0, 1});
    const auto second = view.pieRect({2, 5});
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->right <= second->left || second->right <= first->left ||
                first->bottom <= second->top || second->bottom <= first->top);
}

TEST_F(GraphTimelineViewsTest, GraphPlacesAndLinesComeBackAfterClosing)
{
    dir.write("MonList.sys", "LATHE 3,0,1\nMILL 4,2,5\n");
    {
        auto& view = open<GraphViewWindow>();
        feed(record({0, 1}, "LATHE 3", "CYCLE ON"));
        feed(record({2, 5}, "MILL 4", "ALARM"));
        // Where the view puts its first new pie.
        view.movePie({2, 5}, {30, 90});
        // Dragged past the edge, a pie stops at the canvas.
        view.movePie({0, 1}, {5000, -40});
        EXPECT_TRUE(view.addLine({10, 10, 300, 10}));
        EXPECT_TRUE(view.addLine({10, 20, 10, 400}));
        view.setGeometry(40, 50, 700, 500);
        view.close();
        QApplication::processEvents();
    }
    const GraphPlace saved = readGraphPlace(dir.workDir());
    ASSERT_EQ(saved.pies.size(), 2u);
    EXPECT_EQ(saved.lines.size(), 2u);
    EXPECT_FALSE(link.anyMonitoringViewOpen());

    // A machine new to the list goes where no saved pie stands.
    dir.write("MonList.sys", "LATHE 3,0,1\nMILL 4,2,5\nGRINDER 1,4,0\n");
    auto& again = open<GraphViewWindow>();
    feed(record({0, 1}, "LATHE 3", "CYCLE ON"));
    feed(record({2, 5}, "MILL 4", "ALARM"));
    feed(record({4, 0}, "GRINDER 1", "SETUP"));
    const auto added = again.pieRect({4, 0});
    ASSERT_TRUE(added);
    for (const MachineSlot saved : {MachineSlot{0, 1}, MachineSlot{2, 5}}) {
        const WindowRect other = *again.pieRect(saved);
        EXPECT_TRUE(added->right <= other.left || other.right <= added->left ||
                    added->bottom <= other.top || other.bottom <= added->top)
            << saved.hub;
    }
    EXPECT_EQ(again.pieRect({2, 5})->left, 30);
    EXPECT_EQ(again.pieRect({2, 5})->top, 90);
    EXPECT_EQ(again.pieRect({0, 1})->right, kGraphCanvasWidth);
    EXPECT_EQ(again.pieRect({0, 1})->top, 0);
    EXPECT_EQ(again.currentPlace().lines, saved.lines);
    EXPECT_EQ(again.geometry().topLeft(), QPoint(40, 50));
}

TEST_F(GraphTimelineViewsTest, GraphWindowSavedOffScreenOpensAtTheCorner)
{
    dir.write("mgpos.sys", "MULT:100\n-400\n200\n-30\n470\n");
    auto& view = open<GraphViewWindow>();
    // The window system may keep a frame's width off the very corner.
    EXPECT_GE(view.geometry().left(), 0);
    EXPECT_LT(view.geometry().left(), 10);
    EXPECT_GE(view.geometry().top(), 0);
    EXPECT_LT(view.geometry().top(), 10);
    EXPECT_EQ(view.geometry().size(), QSize(600, 500));
}

TEST_F(GraphTimelineViewsTest, GraphLinesAreCappedAndDeletedUnderTheClick)
{
    auto& view = open<GraphViewWindow>();
    for (int i = 0; i < 32; ++i)
        EXPECT_TRUE(view.addLine({0, i * 20, 500, i * 20})) << i;
    EXPECT_FALSE(view.addLine({0, 700, 500, 700}));
    EXPECT_EQ(view.currentPlace().lines.size(), 32u);

    EXPECT_FALSE(view.deleteLineAt({250, 50}));  // 10 pixels from either neighbour
    EXPECT_TRUE(view.deleteLineAt({250, 43}));
    EXPECT_EQ(view.currentPlace().lines.size(), 31u);
    EXPECT_TRUE(view.addLine({0, 700, 500, 700}));
}

// The mouse works in canvas pixels, which the view's scale halves here.
TEST_F(GraphTimelineViewsTest, MouseMovesPiesDrawsAndDeletesLinesAtTheViewsScale)
{
    dir.write("MonList.sys", "LATHE 3,0,1\n");
    dir.write("mgpos.sys", "MULT:50\n0\n800\n0\n600\n0,1:100,250,200,350\n");
    auto& view = open<GraphViewWindow>();
    feed(record({0, 1}, "LATHE 3", "CYCLE ON"));
    QWidget& canvas = *view.canvas();
    EXPECT_EQ(canvas.size(), QSize(kGraphCanvasWidth / 2, kGraphCanvasHeight / 2));

    const auto mouse = [&canvas](QEvent::Type type, QPoint at, Qt::MouseButton button) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, QPointF(at), canvas.mapToGlobal(QPointF(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&canvas, &event);
    };
    mouse(QEvent::MouseButtonPress, {90, 150}, Qt::LeftButton);
    mouse(QEvent::MouseMove, {140, 170}, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {140, 170}, Qt::LeftButton);
    EXPECT_EQ(view.pieRect({0, 1}), (WindowRect{200, 240, 350, 390}));

    view.lineAction()->setChecked(true);
    mouse(QEvent::MouseButtonPress, {10, 400}, Qt::LeftButton);
    mouse(QEvent::MouseMove, {300, 400}, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {300, 400}, Qt::LeftButton);
    // A click without a drag draws nothing.
    mouse(QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton);
    EXPECT_EQ(view.currentPlace().lines, (std::vector<GraphLine>{{20, 800, 600, 800}}));
    EXPECT_EQ(view.pieRect({0, 1}), (WindowRect{200, 240, 350, 390}));

    mouse(QEvent::MouseButtonPress, {150, 402}, Qt::RightButton);
    EXPECT_TRUE(view.currentPlace().lines.empty());
}

TEST_F(GraphTimelineViewsTest, MissingOrDamagedBackgroundLeavesThePlainFloor)
{
    {
        auto& view = open<GraphViewWindow>();
        EXPECT_FALSE(view.hasBackground());
        view.close();
    }
    test::writeBytes(dir.path("MONBKGND.bmp"), "BM this is no bitmap at all");
    {
        auto& view = open<GraphViewWindow>();
        EXPECT_FALSE(view.hasBackground());
        view.close();
    }
    dir.write("GBKGND.sys", std::string(300, 'z') + "\n");
    {
        auto& view = open<GraphViewWindow>();
        EXPECT_FALSE(view.hasBackground());
        view.close();
    }
    EXPECT_TRUE(notifier.shown().empty());

    writeBitmap(dir.path("MONBKGND.bmp"));
    dir.write("GBKGND.sys", "");
    auto& view = open<GraphViewWindow>();
    EXPECT_TRUE(view.hasBackground());
}

TEST_F(GraphTimelineViewsTest, BackgroundCommandRefusesAndTakesAPicture)
{
    auto& view = open<GraphViewWindow>();
    ScriptedFilePrompter files;
    view.setFilePrompter(files);
    const std::string plan = dir.path("Hall 2.BMP");
    writeBitmap(plan);
    test::writeBytes(dir.path("plan.png"), "png");

    files.script(dir.path("plan.png"));
    files.script(dir.path("gone.bmp"));
    files.script(std::nullopt);
    files.script(plan);
    sent.clear();
    for (int i = 0; i < 3; ++i)
        view.chooseBackground();
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{"Extensiton is nor .bmp", "File does not exist"}));
    EXPECT_FALSE(dir.exists("GBKGND.sys"));
    EXPECT_FALSE(sentWord("REMOTE_VIEW,"));
    ASSERT_EQ(files.prompts().size(), 3u);
    EXPECT_EQ(files.prompts()[0].title, "Select a background file");
    EXPECT_EQ(files.prompts()[0].filter, "BMP files (*.bmp)|*.bmp||");

    view.chooseBackground();
    EXPECT_TRUE(view.hasBackground());
    EXPECT_EQ(readBackgroundPath(dir.workDir()), plan);
    EXPECT_TRUE(sentWord("REMOTE_VIEW,"));
}

TEST_F(GraphTimelineViewsTest, TimelineRowsHeadersAndBars)
{
    dir.write("MonList2.sys", "_MT_Hall\nLATHE 3,0,1\nMILL 4,2,5\n::::10,0,0,0,0\n");
    writeHub("MonitorData01.SYS_", runningShift(at(9, 30), 0));
    auto& view = open<TimelineViewWindow>();
    EXPECT_EQ(view.windowTitle(), "Monitoring Display/TimeLine");
    ASSERT_EQ(view.machines().size(), 2u);
    feed(record({0, 1}, "LATHE 3", "CYCLE ON"));
    EXPECT_FALSE(view.rowsBuilt());
    feed(record({2, 5}, "MILL 4", "LOADING", 20, 1));
    ASSERT_TRUE(view.rowsBuilt());
    ASSERT_EQ(view.bars().size(), 2u);

    // The first machine's shift ends now; the second keeps no file and has an empty bar.
    ASSERT_FALSE(view.bars()[0].intervals.empty());
    EXPECT_EQ(view.bars()[0].intervals.back().end, at(9, 30));
    EXPECT_TRUE(view.bars()[1].intervals.empty());

    EXPECT_TRUE(view.header(0).lead.starts_with("LATHE 3  | Shift: 1  | P-100  | Total cycles: "));
    EXPECT_TRUE(view.header(1).lead.starts_with("MILL 4  | Shift: -  | P-100 / P-200  |"));
}

TEST_F(GraphTimelineViewsTest, TimelineRereadsOnlyUpdatedMachinesEachPeriod)
{
    settings.refreshSeconds = 5;
    dir.write("MonList2.sys", "LATHE 3,0,1\nMILL 4,2,5\n");
    auto& view = open<TimelineViewWindow>();
    feed(record({0, 1}, "LATHE 3", "CYCLE ON"));
    feed(record({2, 5}, "MILL 4", "SETUP"));
    EXPECT_EQ(view.loads(), (std::vector<int>{1, 1}));

    // The start-up records themselves counted as news; the first period takes them.
    for (int i = 0; i < 5; ++i)
        view.tick();
    EXPECT_EQ(view.loads(), (std::vector<int>{2, 2}));

    feed(record({2, 5}, "MILL 4", "ALARM"));
    for (int i = 0; i < 4; ++i)
        view.tick();
    EXPECT_EQ(view.loads(), (std::vector<int>{2, 2}));
    view.tick();
    EXPECT_EQ(view.loads(), (std::vector<int>{2, 3}));

    view.refreshAction()->trigger();
    EXPECT_EQ(view.refreshAction()->text(), "Start &Refresh");
    feed(record({0, 1}, "LATHE 3", "ALARM"));
    for (int i = 0; i < 10; ++i)
        view.tick();
    EXPECT_EQ(view.loads(), (std::vector<int>{2, 3}));
    view.refreshAction()->trigger();
    EXPECT_EQ(view.refreshAction()->text(), "Stop &Refresh");
    for (int i = 0; i < 5; ++i)
        view.tick();
    EXPECT_EQ(view.loads(), (std::vector<int>{3, 3}));
}

TEST_F(GraphTimelineViewsTest, TimelinePlaceRoundTrip)
{
    std::string list;
    for (int i = 0; i < 20; ++i)
        list += "M" + std::to_string(i) + ",1," + std::to_string(i % 8) + "\n";
    dir.write("MonList2.sys", list);
    {
        auto& view = open<TimelineViewWindow>();
        view.setGeometry(30, 40, 800, 400);
        QApplication::processEvents();
        view.scrollArea()->verticalScrollBar()->setValue(120);
        view.close();
        QApplication::processEvents();
    }
    const TimelinePlace saved = readTimelinePlace(dir.workDir());
    ASSERT_TRUE(saved.window);
    EXPECT_EQ(saved.window->left, 30);
    EXPECT_EQ(saved.window->top, 40);
    EXPECT_FALSE(saved.maximized);
    EXPECT_EQ(saved.scroll, 120);

    dir.write("mtpos.sys", "-50\n750\n-5\n395\n0\n80\n");
    auto& again = open<TimelineViewWindow>();
    QApplication::processEvents();
    EXPECT_GE(again.geometry().left(), 0);
    EXPECT_LT(again.geometry().left(), 10);
    EXPECT_GE(again.geometry().top(), 0);
    EXPECT_LT(again.geometry().top(), 10);
    EXPECT_EQ(again.geometry().size(), QSize(800, 400));
    EXPECT_EQ(again.scrollArea()->verticalScrollBar()->value(), 80);
}

// The pictures of the two views for the documentation, when screenshots are asked for.
// A floor of six machines in both views, as the pictures in the docs show it.
TEST_F(GraphTimelineViewsTest, AFloorOfSixMachinesInBothViews)
{
    statuses.names[7] = "TOOL CHANGE";
    const std::vector<std::pair<std::string, std::string>> machines = {
        {"LATHE 1", "CYCLE ON"}, {"LATHE 2", "SETUP"},     {"MILL 3", "CYCLE ON\\SPINDLE ON"},
        {"MILL 4", "ALARM"},     {"GRINDER 5", "LOADING"}, {"5AXIS 6", "CYCLE OFF"}};
    std::string list = "_MT_Plant 2 - Hall B\n_ST_Turning and milling cell\n";
    for (std::size_t i = 0; i < machines.size(); ++i) {
        list += machines[i].first + ",0," + std::to_string(i) + "\n";
        writeHub("MonitorData0" + std::to_string(i) + ".SYS_",
                 runningShift(at(9, 30), static_cast<int>(i)));
    }
    dir.write("MonList.sys", list);
    dir.write("MonList2.sys", list + "::::10,0,0,0,0\n");
    writeBitmap(dir.path("MONBKGND.bmp"));
    dir.write("mgpos.sys",
              "MULT:60\n0\n800\n0\n640\n0,0:110,330,120,360\n0,1:530,750,120,360\n"
              "0,2:950,1170,120,360\n0,3:110,330,560,800\n0,4:530,750,560,800\n"
              "0,5:950,1170,560,800\nLINE;40,460,1240,460\nLINE;440,100,440,900\n"
              "LINE;860,100,860,900\n");

    auto& graph = open<GraphViewWindow>();
    auto& timeline = open<TimelineViewWindow>();
    timeline.resize(1300, 560);
    for (std::size_t i = 0; i < machines.size(); ++i) {
        const int n = static_cast<int>(i);
        feed(record({0, n}, machines[i].first, machines[i].second, 300 + n * 200, 0,
                    {{kStatusCycleOn, 7000 - n * 900},
                     {kStatusCycleOff, 1800 + n * 300},
                     {kStatusSetup, 600 + (n % 3) * 900},
                     {kStatusLoading, 400 + n * 120},
                     {kStatusAlarm, (n % 2) * 700},
                     {7, n == 4 ? 1500 : 0}}));
    }
    ASSERT_EQ(graph.content().pies.size(), machines.size());
    EXPECT_EQ(timeline.machines().size(), machines.size());
    EXPECT_TRUE(graph.hasBackground());
    test::saveScreenshot(graph, "monitor-graph");
    test::saveScreenshot(timeline, "monitor-timeline");
}

}  // namespace
}  // namespace quillon
