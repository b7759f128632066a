// The 2D and 3D plot windows opened from the Utilities menu: what they show, their menu,
// step mode, Find, clicks on the chart and their place on the screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <string>

#include "app/ui/ProgramPlots.h"
#include "backplot/BackplotFiles.h"
#include "backplot/PlotWindowPlace.h"
#include "backplot/ui/PlotWindow.h"
#include "backplot/ui/PlotWindows.h"
#include "charting/ChartWidget.h"
#include "cli/CliTestSupport.h"
#include "cli/ui/CliPlotImage.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "platform/TextFile.h"

namespace quillon {
namespace {

// Two tools, rapids between them, an arc.
constexpr const char* kMilling =
    "%\n"
    "O1000\n"
    "T1 M06\n"
    "G00 X0 Y0\n"
    "G01 X10. Y0 F100\n"
    "G01 X10. Y10.\n"
    "G02 X20. Y10. R5.\n"
    "G00 X0 Y0\n"
    "T2 M06\n"
    "G01 X-5. Y-5.\n"
    "M30\n"
    "%\n";

class PlotWindowTest : public test::AppWindowTest {
protected:
    PlotWindow* openPlot(CChildFrame& child, const QString& command, PlotKind kind)
    {
        child.activeView()->setFocus();
        test::findByText<QAction>(*frame, command)->trigger();
        return windows(child).window(kind);
    }
    PlotWindows& windows(CChildFrame& child) { return plotWindowsOf(child, *app, frame); }
    static std::vector<QString> labels(const PlotWindow& window)
    {
        std::vector<QString> result;
        const ChartData& data = window.chart().data();
        for (int i = 0; i < data.seriesCount(); ++i)
            result.push_back(data.series(i).label);
        return result;
    }
    static std::size_t cells(const PlotWindow& window)
    {
        std::size_t total = 0;
        const ChartData& data = window.chart().data();
        for (int i = 0; i < data.seriesCount(); ++i)
            total += data.series(i).size();
        return total;
    }
    std::size_t caretLine(CChildFrame& child)
    {
        return child.activeView()->caretState().caret.line;
    }
};

TEST_F(PlotWindowTest, TheTwoDWindowShowsTheToolsAndASecondOpenSaysItIsOn)
{
    CChildFrame* child = open("P.NC", kMilling);
    ASSERT_TRUE(child);
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "2D");
    EXPECT_EQ(labels(*window), (std::vector<QString>{"G00", "T1", "T2"}));
    const ChartData& data = window->chart().data();
    EXPECT_EQ(data.title, "2D back plotting / XY / All tools");
    EXPECT_EQ(data.subtitle, child->documentTitle());
    EXPECT_EQ(data.axisTitle[0], "X Axis");
    EXPECT_EQ(data.axisTitle[1], "Y Axis");
    EXPECT_EQ(data.series(0).lineStyle, LineStyle::Dash);
    // The ranges come from the extents with their margins: X -5 .. 20, Y -5 .. 10.
    ASSERT_TRUE(data.axisRange(Axis::X));
    EXPECT_DOUBLE_EQ(data.axisRange(Axis::X)->min, -5.5);
    EXPECT_DOUBLE_EQ(data.axisRange(Axis::X)->max, 22);
    EXPECT_TRUE(std::find(window->menuBar()->actions().begin(), window->menuBar()->actions().end(),
                          window->action("&Find")) != window->menuBar()->actions().end());
    test::saveScreenshot(*window, "Plot2D");

    notifier.clear();
    EXPECT_EQ(openPlot(*child, "&2D Plotting", PlotKind::TwoD), window);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"2D plot is already on"});

    // The 3D window is a window of its own, with three axes.
    notifier.clear();
    PlotWindow* threeD = openPlot(*child, "&3D Plotting", PlotKind::ThreeD);
    ASSERT_TRUE(threeD);
    EXPECT_NE(threeD, window);
    EXPECT_EQ(threeD->chart().data().title, "3D back plotting / All tools");
    EXPECT_EQ(threeD->chart().data().axisTitle[1], "Z Axis");
    EXPECT_EQ(threeD->chart().data().axisTitle[2], "Y Axis");
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(PlotWindowTest, TheChartDrawsTheWindowsOwnPointsThroughEveryRebuild)
{
    CChildFrame* child = open("P.NC", kMilling);
    ASSERT_TRUE(child);
    PlotWindow* window = openPlot(*child, "&3D Plotting", PlotKind::ThreeD);
    ASSERT_TRUE(window && window->model());
    const ChartData& data = window->chart().data();
    const PlotModel& model = *window->model();
    ASSERT_EQ(static_cast<std::size_t>(data.seriesCount()), model.series().size());
    for (std::size_t s = 0; s < model.series().size(); ++s) {
        const ChartSeries& series = data.series(static_cast<int>(s));
        ASSERT_EQ(series.size(), model.series()[s].size()) << s;
        for (std::size_t i = 0; i < series.size(); ++i) {
            const PlotCell cell = model.cellAt(s, i);
            if (cell.horizontal == kNullValue) {
                EXPECT_TRUE(series.isNull(i)) << s << ", " << i;
                continue;
            }
            EXPECT_EQ(series.x(i), cell.horizontal) << s << ", " << i;
            EXPECT_EQ(series.y(i), cell.vertical) << s << ", " << i;
            EXPECT_EQ(series.z(i), cell.depth) << s << ", " << i;
        }
    }
    // New points replace the old ones; the chart reads them, not what went before.
    PlotBuild build;
    build.tools[1] = "T7";
    build.points = {{0, 0, 1, 1, 2, 3}, {1, 0, 1, 4, 5, 6}};
    window->setPoints(std::move(build), "Q.NC", true);
    ASSERT_EQ(data.seriesCount(), 2);
    EXPECT_EQ(data.series(0).size(), 0u);
    ASSERT_EQ(data.series(1).size(), 2u);
    // 3D mill: X across, Z up, Y in depth.
    EXPECT_EQ(data.series(1).x(1), 4);
    EXPECT_EQ(data.series(1).y(1), 6);
    EXPECT_EQ(data.series(1).z(1), 5);
    EXPECT_FALSE(window->grab().isNull());
}

TEST_F(PlotWindowTest, AProgramWithoutMotionGivesAnEmptyWindow)
{
    CChildFrame* child = open("EMPTY.NC", "%\nO1000 (NOTHING)\nM30\n%\n");
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->chart().data().seriesCount(), 0);
}

TEST_F(PlotWindowTest, ClicksTakeTheEditorToTheLineOrShowOneSeries)
{
    CChildFrame* child = open("P.NC", kMilling);
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window && window->model());
    // The tool T2's move, on line 10 (index 9): the last cell of its series.
    const int last = static_cast<int>(window->chart().data().series(2).size()) - 1;
    ASSERT_GE(last, 0);
    window->chartClicked({ChartHit::Target::Point, 2, last});
    EXPECT_EQ(window->model()->lineAt(2, static_cast<std::size_t>(last)), 9);
    EXPECT_EQ(caretLine(*child), 9u);

    window->chartClicked({ChartHit::Target::Series, 1, -1});
    EXPECT_EQ(window->chart().data().title, "2D back plotting / XY / T1");
    EXPECT_TRUE(window->chart().data().series(0).empty());
    EXPECT_TRUE(window->chart().data().series(2).empty());
    EXPECT_FALSE(window->chart().data().series(1).empty());

    // The background brings every series back.
    window->chartClicked({ChartHit::Target::Nothing, -1, -1});
    EXPECT_EQ(window->chart().data().title, "2D back plotting / XY / All tools");
    EXPECT_FALSE(window->chart().data().series(0).empty());
}

TEST_F(PlotWindowTest, FindHighlightsTheCaretLineUnlessFifteenToolsLeaveNoRoom)
{
    CChildFrame* child = open("P.NC", kMilling);
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    child->activeView()->setCaret({6, 0});  // the arc
    window->requestFind();
    ASSERT_EQ(labels(*window).back(), "Find");
    EXPECT_GT(window->chart().data().series(3).size(), 40u) << "the arc's points";
    // A highlight lasts until the next build.
    window->reset();
    EXPECT_EQ(labels(*window).back(), "T2");

    std::string many = "%\n";
    for (int tool = 1; tool <= 15; ++tool)
        many += "T" + std::to_string(tool) + " M06\nG01 X" + std::to_string(tool) + ". Y1.\n";
    CChildFrame* crowded = open("MANY.NC", many);
    PlotWindow* full = openPlot(*crowded, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(full);
    crowded->activeView()->setCaret({2, 0});
    const auto before = labels(*full);
    full->requestFind();
    EXPECT_EQ(labels(*full), before);
    EXPECT_EQ(before.size(), 16u);
}

TEST_F(PlotWindowTest, ShowG00OffHidesTheRapidsWithoutRunningTheInterpreter)
{
    CChildFrame* child = open("P.NC", "T1 M06\nG00 X0 Y0\nG01 X10. F100\nG00 X0 Y100.\n");
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    const std::string file = app->workDir().tmpFile(kBackplotFile);
    test::writeBytes(file, "left as it was");
    window->action("Show G00")->trigger();
    EXPECT_FALSE(window->action("Show G00")->isChecked());
    EXPECT_TRUE(window->chart().data().series(0).empty());
    EXPECT_EQ(readFile(file), "left as it was");
    // The rapid up to Y100 no longer widens the range: the feed along Y0 is all there is.
    EXPECT_DOUBLE_EQ(window->chart().data().axisRange(Axis::Y)->max, 0.1);
    window->action("Show G00")->trigger();
    EXPECT_DOUBLE_EQ(window->chart().data().axisRange(Axis::Y)->max, 110);
}

TEST_F(PlotWindowTest, SettingsRunTheInterpreterAgainAndLatheShowsXZ)
{
    CChildFrame* child = open("L.NC", "G00 X40. Z2.\nG01 X20. Z0 F0.2\nG01 Z-30.\n");
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->action("LATHE")->text(), "Mill");
    window->action("LATHE")->trigger();
    EXPECT_EQ(window->action("LATHE")->text(), "Lathe");
    EXPECT_TRUE(window->action("XZ")->isChecked());
    const ChartData& data = window->chart().data();
    EXPECT_EQ(data.title, "2D back plotting / XZ / All tools");
    EXPECT_EQ(data.axisTitle[0], "Z Axis");
    EXPECT_EQ(data.axisTitle[1], "X Axis");
    // Z across, X up and halved: the feed ends at Z-30 on radius 10.
    const ChartSeries& feed = data.series(1);
    EXPECT_DOUBLE_EQ(feed.x(feed.size() - 1), -30);
    EXPECT_DOUBLE_EQ(feed.y(feed.size() - 1), 10);
    // The next window starts from the settings chosen last.
    EXPECT_TRUE(app->plotWindows().settings.lathe);

    window->action("Assume Absolute")->trigger();
    EXPECT_EQ(window->action("Assume Absolute")->text(), "Assume Incremental");
    EXPECT_FALSE(window->settings().absolute);
    // Read as increments, the Z moves add up.
    EXPECT_DOUBLE_EQ(
        window->chart().data().series(1).x(window->chart().data().series(1).size() - 1), -28);
}

TEST_F(PlotWindowTest, StepModeTakesSpeedPointsATickAndTheEditorFollows)
{
    std::string program = "T1 M06\n";
    for (int i = 1; i <= 30; ++i)
        program += "G01 X" + std::to_string(i) + ". Y" + std::to_string(i % 3) + ".\n";
    CChildFrame* child = open("S.NC", program);
    PlotWindow* window = openPlot(*child, "2D Step by Step", PlotKind::TwoD);
    ASSERT_TRUE(window);
    EXPECT_EQ(cells(*window), 0u);
    EXPECT_EQ(window->action("speed")->text(), "1");
    for (int i = 0; i < 12; ++i)
        window->action(">>")->trigger();
    EXPECT_EQ(window->action("speed")->text(), "10");
    window->action("&Start")->trigger();
    EXPECT_EQ(window->action("&Start")->text(), "&Stop");
    EXPECT_FALSE(window->action("&Next")->isEnabled());
    window->stepTick();
    EXPECT_EQ(cells(*window), 10u);
    // The editor is at the line of the next point to be drawn (the 11th move, line 12).
    EXPECT_EQ(caretLine(*child), 11u);

    window->action("&Start")->trigger();  // Stop
    window->action("<<")->trigger();
    window->action("&Next")->trigger();
    EXPECT_EQ(cells(*window), 19u);
    EXPECT_FALSE(window->stepper().running());
    window->action("&Start")->trigger();
    for (int i = 0; i < 5; ++i)
        window->stepTick();
    EXPECT_EQ(cells(*window), 30u);
    EXPECT_FALSE(window->action("&Start")->isEnabled());
    EXPECT_FALSE(window->action("&Next")->isEnabled());
    test::saveScreenshot(*window, "Plot2DStep");
}

TEST_F(PlotWindowTest, AStoredPlacePastTheScreenEdgeMovesTheWindowBack)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const WindowRect stored{screen.width() - 100, 50, screen.width() + 200, 350};
    ASSERT_TRUE(writePlotWindowRect(app->workDir(), PlotKind::TwoD, 1, stored).ok);
    CChildFrame* child = open("P.NC", kMilling);
    PlotWindow* window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->number(), 1);
    EXPECT_EQ(window->geometry().right() + 1, screen.width());
    EXPECT_EQ(window->geometry().width(), 300);

    // Closing writes the place back and frees the number.
    window->move(10, 20);
    const int left = window->geometry().left();
    window->close();
    QApplication::processEvents();
    EXPECT_EQ(windows(*child).window(PlotKind::TwoD), nullptr);
    EXPECT_EQ(app->plotWindows().counter(PlotKind::TwoD).open(), 0);
    const auto written = readPlotWindowRect(app->workDir(), PlotKind::TwoD, 1);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->left, left);
}

TEST_F(PlotWindowTest, ClosingTheProgramClosesItsPlots)
{
    CChildFrame* child = open("P.NC", kMilling);
    QPointer<PlotWindow> window = openPlot(*child, "&2D Plotting", PlotKind::TwoD);
    ASSERT_TRUE(window);
    child->close();
    // The program's window goes first; the plot window's own deletion follows it.
    for (int pass = 0; pass < 2; ++pass) {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(app->plotWindows().counter(PlotKind::TwoD).open(), 0);
}

// quillonlt-cli backplot --png/--svg: the window's chart drawn into a file.
TEST_F(PlotWindowTest, TheCommandLineDrawsThePlotIntoPictures)
{
    dir.write("P.NC", kMilling);
    cli::setPlotImageWriter(cli::writePlotImageFile);
    const std::string png = dir.path("plot.png");
    test::CliRun run =
        test::runCli({"backplot", "--png", png, "--size", "800x600", dir.path("P.NC")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(800, 600));

    const std::string svg = dir.path("plot.svg");
    run = test::runCli({"backplot", "--plane", "3d", "--svg", svg, dir.path("P.NC")});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string text = readFile(svg).value_or("");
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("3D back plotting / All tools"), std::string::npos);

    EXPECT_EQ(test::runCli({"backplot", "--size", "800x600", dir.path("P.NC")}).code, 2);
    EXPECT_EQ(test::runCli({"backplot", "--png", png, "--size", "800", dir.path("P.NC")}).code, 2);
    EXPECT_EQ(
        test::runCli({"backplot", "--png", dir.path("no/such/folder.png"), dir.path("P.NC")}).code,
        1);
}

}  // namespace
}  // namespace quillon
