// The OEE commands as a user meets them: the year entry that refuses anything but four
// digits, the machine from "Display/List", the year's file missing, and the graphs
// themselves (four series over dates, one shown alone by a click and all four back).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "app/ui/CMainFrame.h"
#include "app/ui/QuillonApplication.h"
#include "charting/ChartWidget.h"
#include "cli/CliTestSupport.h"
#include "cli/ui/CliOeeImage.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ui/DisplayListDialog.h"
#include "monitoring/ui/OeeCharts.h"
#include "monitoring/ui/OeeGraphWindow.h"
#include "monitoring/ui/YearDialog.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/OeeSamples.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// 15 June 2026, noon in the shop.
constexpr std::int64_t kJune2026 = 1'781'546'400;

class OeeGraphWindowTest : public ::testing::Test {
protected:
    OeeGraphWindowTest()
    {
        std::filesystem::create_directories(hub + "_REPORTS");
        std::filesystem::create_directories(hub + "_SETUP");
        // A month of eight machines, as a screenshot wants it.
        test::writeBytes(hub + "_REPORTS/_OEE_2026.CSV", sample);
        std::string names;
        std::string setup;
        for (int machine = 0; machine < 8; ++machine) {
            names += "NM:" + test::oeeSampleMachine(machine) + "\r\n";
            setup += "1," + std::to_string(machine + 1) + "\r\nON:1\r\nTH:0\r\n";
        }
        // A machine the hub monitors that has no line in the year's file.
        names += "NM:PRESS-9\r\n";
        setup += "2,1\r\nON:1\r\nTH:0\r\n";
        test::writeBytes(hub + "_SETUP/CairnConf.sys", names);
        test::writeBytes(hub + "_SETUP/MonSetup.sys", setup);
        windows.setHubDirectory(hub);
    }
    ~OeeGraphWindowTest() override { windows.closeAll(); }

    // Answers the next year dialog with these entries in turn, pressing OK after each.
    void typeYears(std::vector<QString> entries, QString* proposed = nullptr)
    {
        test::onNextDialog<YearDialog>([this, entries, proposed](YearDialog& dialog) {
            if (proposed) {
                *proposed = dialog.yearEdit()->text();
                test::saveScreenshot(dialog, "oee-year-dialog");
            }
            for (const QString& entry : entries) {
                dialog.yearEdit()->setText(entry);
                dialog.accept();
                if (!dialog.isVisible())
                    return;
                refusedWhileOpen.push_back(notifier.texts().back());
            }
            dialog.reject();
        });
    }
    void chooseMachine(const QString& name)
    {
        test::onNextDialog<DisplayListDialog>([this, name](DisplayListDialog& list) {
            const auto found = list.machines()->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            list.machines()->setCurrentItem(found.front());
            typeYears({"2026"});
            list.selectButton()->click();
        });
    }
    OeeGraphWindow* onlyWindow()
    {
        const auto open = windows.windows();
        EXPECT_EQ(open.size(), 1u);
        return open.empty() ? nullptr : open.front();
    }

    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub/";
    const std::string sample = test::oeeSampleFile(8, 31);
    ScriptedNotifier notifier;
    FixedClock clock{kJune2026};
    QWidget owner;
    OeeWindows windows{notifier, clock, &owner};
    std::vector<std::string> refusedWhileOpen;
};

// Where a chart draws a point of a series, in widget pixels.
QPoint pixelOf(ChartWidget& chart, int series, std::size_t point)
{
    const ChartLayout layout =
        chart.renderer().layout(chart.data(), std::as_const(chart).view(), chart.size());
    const ChartSeries& shown = chart.data().series(series);
    return layout.projection2D.map(shown.x(point), shown.y(point)).toPoint();
}

TEST_F(OeeGraphWindowTest, OverallProposesThisYearAndRefusesAnythingButFourDigits)
{
    QString proposed;
    typeYears({"20a6", "26", "2026"}, &proposed);
    windows.viewOverall();
    EXPECT_EQ(proposed, "2026");
    EXPECT_EQ(refusedWhileOpen,
              (std::vector<std::string>{"Specify only numbers", "Specify four digits"}));
    OeeGraphWindow* window = onlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Graph OEE-All");
    const ChartData& chart = window->chart()->data();
    EXPECT_EQ(chart.title, "Overall OEE");
    EXPECT_EQ(chart.subtitle, "");
    EXPECT_EQ(chart.xAxisKind(), XAxisKind::DateTime);
    EXPECT_EQ(chart.axisTitle[0], "Time");
    EXPECT_EQ(chart.axisTitle[1], "OEE %");
    ASSERT_EQ(chart.seriesCount(), 4);
    const OeeSeries expected = overallOeeSeries(parseOeeFile(sample));
    for (int series = 0; series < 4; ++series) {
        const auto measure = static_cast<OeeMeasure>(series);
        EXPECT_EQ(chart.series(series).label.toStdString(), kOeeMeasureNames[series]);
        EXPECT_EQ(chart.series(series).color, oeeMeasureColor(measure));
        EXPECT_EQ(chart.series(series).yValues(), expected.of(measure));
    }
    // Every line of the month is a point, on the day and at the hour it was written.
    ASSERT_EQ(chart.series(0).size(), 8u * 3 * 31);
    const QDateTime first = fromSerialDays(chart.series(0).x(0));
    const QDateTime last = fromSerialDays(chart.series(0).x(8u * 3 * 31 - 1));
    EXPECT_EQ(first.date(), QDate(2026, 1, 1));
    EXPECT_EQ(first.time(), QTime(6, 0));
    EXPECT_EQ(last.date(), QDate(2026, 1, 31));
    EXPECT_EQ(last.time(), QTime(22, 0));
    window->resize(1000, 620);
    test::saveScreenshot(*window, "oee-overall");
}

TEST_F(OeeGraphWindowTest, AClickShowsASeriesAloneAndTheBackgroundAllFour)
{
    typeYears({"2026"});
    windows.viewOverall();
    OeeGraphWindow* window = onlyWindow();
    ASSERT_NE(window, nullptr);
    window->resize(900, 560);
    QApplication::processEvents();
    ChartWidget& chart = *window->chart();

    // Quality runs well above the other three, so its line is alone where it is clicked.
    QTest::mouseClick(&chart, Qt::LeftButton, {}, pixelOf(chart, 2, 300));
    EXPECT_EQ(window->alone(), OeeMeasure::Quality);
    ASSERT_EQ(chart.data().seriesCount(), 1);
    EXPECT_EQ(chart.data().series(0).label, "Quality");
    EXPECT_EQ(chart.data().series(0).color, oeeMeasureColor(OeeMeasure::Quality));
    EXPECT_EQ(chart.data().subtitle, "Quality");
    test::saveScreenshot(*window, "oee-overall-quality");

    // The plot's bottom corner, far below the one line drawn.
    const ChartLayout layout =
        chart.renderer().layout(chart.data(), std::as_const(chart).view(), chart.size());
    QTest::mouseClick(&chart, Qt::LeftButton, {},
                      (layout.plot.bottomLeft() + QPointF(20, -10)).toPoint());
    EXPECT_EQ(window->alone(), std::nullopt);
    EXPECT_EQ(chart.data().seriesCount(), 4);
    EXPECT_EQ(chart.data().subtitle, "");

    // A legend entry picks its series as well.
    const ChartLayout all =
        chart.renderer().layout(chart.data(), std::as_const(chart).view(), chart.size());
    ASSERT_EQ(all.legendEntries.size(), 4u);
    QTest::mouseClick(&chart, Qt::LeftButton, {}, all.legendEntries[3].rect.center().toPoint());
    EXPECT_EQ(window->alone(), OeeMeasure::Oee);
    EXPECT_EQ(chart.data().subtitle, "OEE");
}

TEST_F(OeeGraphWindowTest, MachineGraphShowsThatMachinesOwnValues)
{
    chooseMachine("MILL-1");
    windows.viewMachine();
    EXPECT_TRUE(notifier.texts().empty());
    OeeGraphWindow* window = onlyWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "MILL-1 - OEE");
    EXPECT_EQ(window->objectName(), "Graph-OEE");
    const ChartData& chart = window->chart()->data();
    EXPECT_EQ(chart.title, "MILL-1 - OEE");
    ASSERT_EQ(chart.seriesCount(), 4);
    const OeeSeries own = machineOeeSeries(parseOeeFile(sample), "MILL-1");
    ASSERT_EQ(own.size(), 3u * 31);
    for (int series = 0; series < 4; ++series)
        EXPECT_EQ(chart.series(series).yValues(), own.of(static_cast<OeeMeasure>(series)));
    window->resize(1000, 620);
    test::saveScreenshot(*window, "oee-machine");

    // A machine without lines gets axes over the year and the whole percent scale.
    chooseMachine("PRESS-9");
    windows.viewMachine();
    ASSERT_EQ(windows.windows().size(), 2u);
    const ChartData& empty = windows.windows()[1]->chart()->data();
    EXPECT_EQ(empty.title, "PRESS-9 - OEE");
    EXPECT_EQ(empty.maxPointCount(), 0u);
    EXPECT_EQ(empty.axisRange(Axis::X),
              (AxisRange{toSerialDays(QDate(2026, 1, 1)), toSerialDays(QDate(2027, 1, 1))}));
    EXPECT_EQ(empty.axisRange(Axis::Y), (AxisRange{0, 100}));
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OeeGraphWindowTest, AYearWithoutAFileIsToldAndOpensNothing)
{
    typeYears({"2025"});
    windows.viewOverall();
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{hub + "_REPORTS/_OEE_2025.CSV file is not found"});

    std::filesystem::remove(hub + "_REPORTS/_OEE_2026.CSV");
    notifier.clear();
    chooseMachine("HMC-1");
    windows.viewMachine();
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{hub + "_REPORTS/_OEE_2026.CSV file is not found"});
    EXPECT_TRUE(windows.windows().empty());
}

TEST_F(OeeGraphWindowTest, CancelledYearOpensNothingAndWindowsCloseWithTheProgram)
{
    typeYears({});
    windows.viewOverall();
    EXPECT_TRUE(windows.windows().empty());
    EXPECT_TRUE(notifier.texts().empty());

    typeYears({"2026"});
    windows.viewOverall();
    chooseMachine("SWISS-1");
    windows.viewMachine();
    ASSERT_EQ(windows.windows().size(), 2u);
    windows.closeAll();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows.windows().empty());
}

// The remote menu's two commands in the running program, with the hub of its remote
// configuration; the graphs go when the program ends.
TEST_F(OeeGraphWindowTest, TheRemoteMenuOpensBothGraphsOnTheConfiguredHub)
{
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub, 0, ""}).ok);
    ScriptedFilePrompter files;
    QuillonApplication app(dir.workDir(), "quillonlt", &notifier, &files, &clock);
    ASSERT_EQ(app.start({"quillonlt"}), QuillonApplication::StartResult::Run);
    CMainFrame& frame = *app.mainFrame();
    const auto trigger = [&frame](const QString& text) {
        QAction* command = test::findByText<QAction>(frame, text);
        ASSERT_NE(command, nullptr) << text.toStdString();
        EXPECT_TRUE(command->isEnabled()) << text.toStdString();
        command->trigger();
    };
    typeYears({"2026"});
    trigger("OEE - &Overall");
    chooseMachine("LATHE-2");
    trigger("OEE/&Machine");
    std::vector<QString> titles;
    for (OeeGraphWindow* window : frame.oeeWindows().windows())
        titles.push_back(window->windowTitle());
    EXPECT_EQ(titles, (std::vector<QString>{"Graph OEE-All", "LATHE-2 - OEE"}));
    EXPECT_TRUE(notifier.texts().empty());

    frame.closeWithoutQuestions();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.oeeWindows().windows().empty());
}

// quillonlt-cli oee --png/--svg: the window's graph drawn into a file.
TEST_F(OeeGraphWindowTest, TheCommandLineDrawsTheGraphsIntoPictures)
{
    cli::setOeeImageWriter(cli::writeOeeImageFile);
    const std::string png = dir.path("overall.png");
    test::CliRun run = test::runCli({"oee", "--year", "2026", "--hub", hub, "--png", png});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(1280, 800));

    const std::string svg = dir.path("mill.svg");
    run =
        test::runCli({"oee", "--year", "2026", "--hub", hub, "--machine", "MILL-1", "--svg", svg});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string text = readFile(svg).value_or("");
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("MILL-1 - OEE"), std::string::npos);
    EXPECT_NE(text.find("Performance"), std::string::npos);

    run = test::runCli(
        {"oee", "--year", "2026", "--hub", hub, "--png", dir.path("no/such/folder.png")});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("could not be written"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quillon
