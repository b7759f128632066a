#include "monitoring/ui/ReportWindows.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "charting/ChartWidget.h"
#include "cli/CliTestSupport.h"
#include "cli/ui/CliReportImage.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/ui/ReportCharts.h"
#include "monitoring/ui/ReportDateDialog.h"
#include "monitoring/ui/ReportGraphWindow.h"
#include "monitoring/ui/SpanCalendar.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/ui/QtColorRef.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quillon {
namespace {

constexpr const char* kStatuses[] = {"CYCLE ON", "CYCLE OFF", "SETUP", "ALARM", "LOADING"};

std::string line(const std::string& machine, ReportDate date, int shift, double seconds,
                 const std::string& status, int station = 0, const std::string& comment = {})
{
    ReportLine report;
    report.machine = machine;
    report.date = date;
    report.shift = shift;
    report.startTime = shift == 3 ? "22:00:00" : "06:00:00";
    report.endTime = shift == 3 ? "23:00:00" : "07:00:00";
    report.elapsedSeconds = seconds;
    report.status = status;
    report.headPallet = station;
    report.comment = comment;
    return formatReportLine(report) + "\r\n";
}

// A shop's month as the hub reports it: three machines, every day of the span, the five
// statuses in a day's shift 1 with times that differ from day to day and machine to
// machine, and the part running.
std::string busyMonth(ReportDate first, int days)
{
    std::string bytes = std::string(kStatusReportHeader) + "\r\n";
    unsigned seed = 7;
    const auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 16) % range);
    };
    for (int day = 0; day < days; ++day) {
        const ReportDate date = first.plusDays(day);
        for (const char* machine : {"LATHE-1", "MILL-2", "MILL-3"}) {
            bytes += line(machine, date, 1, 0, std::string(kPartNumberStatus), 0, "A100");
            bytes += line(machine, date, 1, 12000 + 60 * next(90), "CYCLE ON");
            bytes += line(machine, date, 1, 3000 + 60 * next(40), "CYCLE OFF");
            bytes += line(machine, date, 1, 1200 + 60 * next(30), "SETUP");
            bytes += line(machine, date, 1, 60 * next(25), "ALARM");
            bytes += line(machine, date, 1, 900 + 60 * next(20), "LOADING");
        }
    }
    return bytes;
}

class ReportWindowsTest : public ::testing::Test {
protected:
    ReportWindowsTest()
    {
        windows.setHubDirectory(hubDirectory());
        writeHub("_SETUP\\CairnConf.sys", "NM:LATHE-1\r\nNM:MILL-2\r\nNM:MILL-3\r\nNM:SAW\r\n");
        writeHub("_SETUP\\MonSetup.sys",
                 "1,1\r\nON:1\r\nTH:0\r\n1,2\r\nON:1\r\nTH:0\r\n"
                 "1,3\r\nON:1\r\nTH:0\r\n1,4\r\nON:0\r\nTH:0\r\n");
        writeHub("_REPORTS\\_MACHINE_2026.CSV", busyMonth({2026, 12, 1}, 20));
        windows.showDialog();
        dialog = windows.dialog();
    }
    ~ReportWindowsTest() override
    {
        windows.closeAll();
        QApplication::processEvents();
    }

    std::string hubDirectory() const { return hub.path().toStdString() + "/"; }
    std::string writeHub(std::string relative, std::string_view bytes) const
    {
        return test::writeHubFile(hubDirectory(), std::move(relative), bytes);
    }

    // Presses, drags and releases on the calendar's days, as the mouse would.
    void drag(QDate from, QDate to, Qt::KeyboardModifiers modifiers = {})
    {
        SpanCalendar& calendar = *dialog->calendar();
        const QPoint start = calendar.cellRect(from).center().toPoint();
        const QPoint end = calendar.cellRect(to).center().toPoint();
        QTest::mousePress(&calendar, Qt::LeftButton, modifiers, start);
        QTest::mouseMove(&calendar, end);
        QTest::mouseRelease(&calendar, Qt::LeftButton, modifiers, end);
    }
    void click(QDate day, Qt::KeyboardModifiers modifiers = {}) { drag(day, day, modifiers); }
    void press(const QString& text)
    {
        QPushButton* button = dialog->button(text);
        ASSERT_NE(button, nullptr) << text.toStdString();
        button->click();
    }
    void selectMachines(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            const auto found = dialog->machines()->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name;
            found.front()->setSelected(true);
        }
    }
    // Dec 1 to Dec 10 of the fixture's file, two machines, every shift: a report to show.
    void chooseTenDays()
    {
        dialog->calendar()->showMonth(QDate(2026, 12, 1));
        drag(QDate(2026, 12, 1), QDate(2026, 12, 10));
        selectMachines({"LATHE-1", "MILL-2"});
    }
    std::string tmp(const std::string& name) const { return dir.workDir().tmpFile(name); }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }

    test::ScopedTimeZone zone{"UTC0"};
    test::TempWorkDir dir;
    QTemporaryDir hub;
    FixedClock clock{*localToSeconds({2026, 12, 9, 10, 0, 0})};
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    QWidget owner;
    ReportWindows windows{ShiftViewEnvironment{dir.workDir(), notifier, clock}, files, &owner};
    ReportDateDialog* dialog = nullptr;
};

TEST_F(ReportWindowsTest, TheSpanComesFromADragOrAShiftClickOrTheStartAndEndButtons)
{
    test::saveScreenshot(*dialog, "report-dialog-empty");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->spanLabel()->text(), " - ");
    // Minutes and the bar graph unless chosen otherwise; the pies' grouping waits for
    // "Piechart".
    EXPECT_TRUE(dialog->minutesOption()->isChecked());
    EXPECT_TRUE(dialog->graphOption()->isChecked());
    EXPECT_FALSE(dialog->perDateOption()->isEnabled());
    dialog->pieOption()->setChecked(true);
    EXPECT_TRUE(dialog->minutesOption()->isChecked());
    EXPECT_TRUE(dialog->perDateOption()->isEnabled());

    // A drag from the 3rd to the 12th, dragged backwards too.
    drag(QDate(2026, 12, 3), QDate(2026, 12, 12));
    EXPECT_EQ(dialog->spanLabel()->text(), "12/03/26 - 12/12/26");
    drag(QDate(2026, 12, 20), QDate(2026, 12, 14));
    EXPECT_EQ(dialog->spanLabel()->text(), "12/14/26 - 12/20/26");

    // A click alone chooses nothing yet; a shift-click in the next month makes the span.
    click(QDate(2026, 12, 28));
    EXPECT_EQ(dialog->spanLabel()->text(), "12/14/26 - 12/20/26");
    dialog->calendar()->nextButton()->click();
    EXPECT_EQ(dialog->calendar()->shownMonth(), QDate(2027, 1, 1));
    click(QDate(2027, 1, 4), Qt::ShiftModifier);
    EXPECT_EQ(dialog->spanLabel()->text(), "12/28/26 - 01/04/27");
    // The keys: shift and arrows stretch the span from the day chosen.
    click(QDate(2027, 1, 20));
    QTest::keyClick(dialog->calendar(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(dialog->calendar(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(dialog->spanLabel()->text(), "01/20/27 - 01/28/27");
    dialog->calendar()->select(QDate(2026, 12, 28), QDate(2027, 1, 4));
    emit dialog->calendar()->selectionChanged();

    // Start and End take one day each, and refuse a span.
    press("Start");
    press("End");
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{kOnlyOneStartDate, kOnlyOneEndDate}));
    click(QDate(2027, 1, 7));
    press("End");
    dialog->calendar()->previousButton()->click();
    dialog->calendar()->previousButton()->click();
    click(QDate(2026, 11, 30));
    press("Start");
    EXPECT_EQ(dialog->spanLabel()->text(), "11/30/26 - 01/07/27");
    EXPECT_EQ(dialog->start(), (ReportDate{2026, 11, 30}));
    EXPECT_EQ(dialog->end(), (ReportDate{2027, 1, 7}));
    EXPECT_EQ(notifier.texts().size(), 2u);
}

TEST_F(ReportWindowsTest, ViewSelectionTellsWhatIsMissingInTheDialogsOrder)
{
    // The dialog starts with the machines the hub monitors (SAW is not).
    ASSERT_EQ(dialog->machines()->count(), 3);
    const auto span = [&](QDate start, QDate end) {
        dialog->calendar()->select(start, start);
        press("Start");
        dialog->calendar()->select(end, end);
        press("End");
    };
    const auto view = [&] {
        notifier.clear();
        press("View selection");
        return notifier.texts();
    };
    using Texts = std::vector<std::string>;
    EXPECT_EQ(view(), Texts{std::string(kNoDateSelection)});
    // 1 March to 2 May is 62 days: refused; to 1 May is not.
    span(QDate(2026, 3, 1), QDate(2026, 5, 2));
    EXPECT_EQ(view(), Texts{std::string(kTooManyDaysSelected)});
    span(QDate(2026, 3, 1), QDate(2026, 5, 1));
    EXPECT_EQ(view(), Texts{std::string(kNoMachineSelected)});

    dialog->setMachines({});
    EXPECT_EQ(view(), Texts{std::string(kNoMachinesOnList)});
    std::vector<std::string> many;
    for (int machine = 1; machine <= 33; ++machine)
        many.push_back("CELL-" + std::to_string(machine));
    dialog->setMachines(many);
    dialog->machines()->selectAll();
    EXPECT_EQ(view(), Texts{std::string(kTooManyMachinesSelected)});

    press("MCH from setup");
    ASSERT_EQ(dialog->machines()->count(), 3);
    selectMachines({"MILL-2"});
    for (int shift = 1; shift <= 3; ++shift)
        dialog->shift(shift)->setChecked(false);
    EXPECT_EQ(view(), Texts{std::string(kNoShiftSelected)});
    dialog->shift(2)->setChecked(true);

    span(QDate(2025, 6, 1), QDate(2025, 6, 30));
    EXPECT_EQ(view(), Texts{hubDirectory() + "_REPORTS/_MACHINE_2025.CSV file is not found"});
    span(QDate(2026, 3, 1), QDate(2026, 5, 1));
    dialog->pieOption()->setChecked(true);
    EXPECT_EQ(view(), Texts{std::string(kNoReportKind)});
    dialog->perDateOption()->setChecked(true);
    EXPECT_EQ(view(), Texts{std::string(kRecordsNotFound)});
    EXPECT_TRUE(windows.windows(ReportWindowKind::Pie).empty());

    // The fixture's days, but shift 2 has no lines; shift 1 has.
    span(QDate(2026, 12, 1), QDate(2026, 12, 5));
    EXPECT_EQ(view(), Texts{std::string(kRecordsNotFound)});
    dialog->shift(1)->setChecked(true);
    EXPECT_EQ(view(), Texts{});
    EXPECT_EQ(windows.windows(ReportWindowKind::Pie).size(), 1u);
    // The dialog stays open beside the window.
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ReportWindowsTest, MachinesFromDateAreTheNamesOfTheStartDatesFile)
{
    std::string bytes = std::string(kStatusReportHeader) + "\r\n";
    bytes += line("GRINDER", {2027, 2, 3}, 1, 600, "CYCLE ON");
    bytes += line("LATHE-1", {2027, 2, 3}, 1, 600, "CYCLE ON");
    bytes += line("GRINDER", {2027, 2, 4}, 1, 600, "SETUP");
    writeHub("_REPORTS\\_MACHINE_2027.CSV", bytes);

    press("MCH from date");
    dialog->calendar()->select(QDate(2026, 7, 1), QDate(2026, 7, 1));
    press("Start");
    dialog->setMachines({});
    windows.setMonthly(true);
    press("MCH from date");
    EXPECT_EQ(dialog->machines()->count(), 0);
    windows.setMonthly(false);
    dialog->calendar()->select(QDate(2027, 2, 3), QDate(2027, 2, 3));
    press("Start");
    press("MCH from date");
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{
                  std::string(kNoDateSelection),
                  hubDirectory() + "_REPORTS/_MACHINE_2026-07.CSV file is not found"}));
    ASSERT_EQ(dialog->machines()->count(), 2);
    EXPECT_EQ(dialog->machines()->item(0)->text(), "GRINDER");
    EXPECT_EQ(dialog->machines()->item(1)->text(), "LATHE-1");
}

TEST_F(ReportWindowsTest, TheGraphShowsDatesAcrossAndStatusesInDepthInTheHubsColours)
{
    // The hub paints cycle on in yellow; the others keep their defaults.
    writeHub("_SETUP\\GraphColor.sys", "1,0,16777215\r\n65535,CYCLE ON\r\n");
    windows.setStatusTable(readStatusTable(hubDirectory()));
    chooseTenDays();
    press("View selection");
    ASSERT_TRUE(notifier.texts().empty()) << notifier.texts().front();
    const auto graphs = windows.windows(ReportWindowKind::Graph);
    ASSERT_EQ(graphs.size(), 1u);
    ReportWindow& window = *graphs.front();
    EXPECT_EQ(window.windowTitle(), "Report Graph");
    test::saveScreenshot(window, "report-bars");
    test::saveScreenshot(*dialog, "report-dialog");

    const ChartData& chart = window.chart()->data();
    EXPECT_EQ(chart.kind(), ChartKind::Chart3D);
    EXPECT_EQ(chart.style3D(), Chart3DStyle::Bars);
    EXPECT_EQ(chart.title, "Report Graph");
    EXPECT_EQ(chart.subtitle, "12/01/2026 - 12/10/2026");
    EXPECT_EQ(chart.axisTitle[0], "Date");
    EXPECT_EQ(chart.axisTitle[1], "[min]");
    EXPECT_EQ(chart.axisTitle[2], "Item");
    QStringList dates;
    for (int day = 1; day <= 10; ++day)
        dates << QString("12/%1/2026").arg(day, 2, 10, QChar('0'));
    EXPECT_EQ(chart.pointLabels, dates);
    // Every status a row, in its colour, with each date's minutes from the two machines;
    // the rows with less time stand in front of those with more.
    ASSERT_EQ(chart.seriesCount(), 5);
    const ReportSums& sums = window.sums();
    ASSERT_EQ(sums.statuses, std::vector<std::string>(std::begin(kStatuses), std::end(kStatuses)));
    const StatusTable defaults = StatusTable::defaults();
    double previousTotal = 0;
    for (int row = 0; row < 5; ++row) {
        const ChartSeries& series = chart.series(row);
        const auto status = static_cast<std::size_t>(
            std::ranges::find(kStatuses, series.label.toStdString()) - std::begin(kStatuses));
        ASSERT_LT(status, 5u) << series.label.toStdString();
        SCOPED_TRACE(kStatuses[status]);
        const QColor expected =
            status == 0 ? QColor(255, 255, 0) : toQColor(*defaults.colorOf(kStatuses[status]));
        EXPECT_EQ(chart.seriesColor(row), expected);
        ASSERT_EQ(series.size(), 10u);
        double total = 0;
        for (std::size_t date = 0; date < 10; ++date) {
            const double minutes = sums.minutes[date][status];
            EXPECT_EQ(series.y(date), minutes > 0 ? minutes : kChartNull);
            total += minutes;
        }
        EXPECT_GE(total, previousTotal);
        previousTotal = total;
    }
    // Cycle on has the most time: at the back.
    EXPECT_EQ(chart.series(4).label, "CYCLE ON");
    EXPECT_NEAR(
        sums.total(0) * 60,
        [&] {
            const auto report = *readFile(window.copyPath());
            double seconds = 0;
            LineReader lines(report, report.size());
            while (const auto text = lines.next()) {
                const auto parsed = parseReportLine(*text);
                if (parsed && !parsed->isPartNumber() && parsed->date == ReportDate{2026, 12, 1})
                    seconds += parsed->elapsedSeconds.value_or(0);
            }
            return seconds;
        }(),
        1e-6);

    // The window works on its own copy, the header's DATE padded.
    EXPECT_EQ(window.copyPath(), tmp("0CSV.csv"));
    EXPECT_TRUE(readFile(window.copyPath())->starts_with(kTempReportHeader));

    // A status clicked alone, then all again.
    auto& graph = static_cast<ReportGraphWindow&>(window);
    const int alarmRow = [&] {
        for (int row = 0; row < 5; ++row) {
            if (chart.series(row).label == "ALARM")
                return row;
        }
        return -1;
    }();
    emit graph.chart()->seriesClicked(alarmRow);
    ASSERT_EQ(chart.seriesCount(), 1);
    EXPECT_EQ(chart.series(0).label, "ALARM");
    EXPECT_EQ(chart.subtitle, "ALARM");
    test::saveScreenshot(window, "report-bars-alone");
    emit graph.chart()->nothingClicked();
    EXPECT_EQ(chart.seriesCount(), 5);
}

TEST_F(ReportWindowsTest, PercentBarsShowEachStatussShareOfItsDate)
{
    chooseTenDays();
    dialog->percentOption()->setChecked(true);
    press("View selection");
    ASSERT_EQ(windows.windows(ReportWindowKind::Graph).size(), 1u);
    ReportWindow& window = *windows.windows(ReportWindowKind::Graph).front();
    test::saveScreenshot(window, "report-bars-percent");
    const ChartData& chart = window.chart()->data();
    EXPECT_EQ(chart.axisTitle[1], "[%]");
    ASSERT_EQ(chart.seriesCount(), 5);
    for (std::size_t date = 0; date < 10; ++date) {
        double whole = 0;
        for (int status = 0; status < 5; ++status) {
            const double share = chart.series(status).y(date);
            whole += isChartNull(share) ? 0 : share;
        }
        EXPECT_NEAR(whole, 100, 1e-9) << date;
    }
}

TEST_F(ReportWindowsTest, PiesPerMachineAreLabelledWithTheirTotals)
{
    chooseTenDays();
    selectMachines({"MILL-3"});
    dialog->pieOption()->setChecked(true);
    dialog->perMachineOption()->setChecked(true);
    press("View selection");
    const auto pies = windows.windows(ReportWindowKind::Pie);
    ASSERT_EQ(pies.size(), 1u);
    ReportWindow& window = *pies.front();
    test::saveScreenshot(window, "report-pies");
    EXPECT_EQ(window.windowTitle(), "Pie report");
    EXPECT_EQ(window.copyPath(), tmp("ACSV.csv"));

    const ChartData& chart = window.chart()->data();
    EXPECT_EQ(chart.kind(), ChartKind::Pie);
    EXPECT_EQ(chart.title, "Pie report");
    ASSERT_EQ(chart.seriesCount(), 3);
    const ReportSums& sums = window.sums();
    const char* machines[] = {"LATHE-1", "MILL-2", "MILL-3"};
    for (int pie = 0; pie < 3; ++pie) {
        const auto total = static_cast<long>(sums.total(static_cast<std::size_t>(pie)) + 0.49);
        EXPECT_EQ(chart.series(pie).label,
                  QString("%1 / Total: %2 [min]").arg(machines[pie]).arg(total));
        double slices = 0;
        for (std::size_t slice = 0; slice < chart.series(pie).size(); ++slice)
            slices += chart.series(pie).y(slice);
        EXPECT_NEAR(slices, sums.total(static_cast<std::size_t>(pie)), 1e-9);
    }
    QStringList statuses;
    for (const char* status : kStatuses)
        statuses << status;
    EXPECT_EQ(chart.pointLabels, statuses);
    ASSERT_EQ(chart.pointColors.size(), 5u);
    EXPECT_EQ(chart.pointColors[3], toQColor(*StatusTable::defaults().colorOf("ALARM")));
}

TEST_F(ReportWindowsTest, PieTotalsRoundAsTheyAlwaysHave)
{
    // 10.50 minutes read 10, 10.52 read 11; the part-number line is no slice.
    std::string bytes = std::string(kStatusReportHeader) + "\r\n";
    bytes += line("LATHE-1", {2026, 12, 1}, 1, 0, std::string(kPartNumberStatus), 0, "A100");
    bytes += line("LATHE-1", {2026, 12, 1}, 1, 600, "CYCLE ON");
    bytes += line("LATHE-1", {2026, 12, 1}, 1, 30, "ALARM");
    bytes += line("LATHE-1", {2026, 12, 2}, 1, 631.2, "CYCLE ON");
    const ReportSums sums = *sumsForKind(bytes, ReportKind::PiePerDate);
    ChartData chart;
    fillReportPies(chart, sums, StatusTable::defaults());
    ASSERT_EQ(chart.seriesCount(), 2);
    EXPECT_EQ(chart.series(0).label, "12/01/2026 / Total: 10 [min]");
    EXPECT_EQ(chart.series(1).label, "12/02/2026 / Total: 11 [min]");
    EXPECT_EQ(chart.pointLabels, (QStringList{"CYCLE ON", "ALARM"}));
    EXPECT_EQ(chart.series(1).y(1), 0);

    // A status the hub's table does not know still gets a colour of its own.
    bytes += line("LATHE-1", {2026, 12, 2}, 1, 15, "PROBING");
    fillReportBars(chart, *sumsForKind(bytes, ReportKind::Graph), false, StatusTable::defaults());
    ASSERT_EQ(chart.seriesCount(), 3);
    // The least time: the front row.
    EXPECT_EQ(chart.series(0).label, "PROBING");
    EXPECT_EQ(chart.seriesColor(0), paletteColor(2));

    // What the chart has no room for is said under its title.
    fillReportBars(chart, sumReport(bytes, ReportGrouping::PerDate, 1, 2), false,
                   StatusTable::defaults(), "span");
    EXPECT_EQ(chart.subtitle, "span (1 more date not shown, 1 more status not shown)");
    fillReportPies(chart, sumReport(bytes, ReportGrouping::PerMachine, 61, 1),
                   StatusTable::defaults());
    EXPECT_EQ(chart.subtitle, "2 more statuses not shown");
}

TEST_F(ReportWindowsTest, FourWindowsOfEachKindWithTheirOwnLettersAndCopies)
{
    chooseTenDays();
    for (int graph = 0; graph < 4; ++graph)
        press("View selection");
    dialog->pieOption()->setChecked(true);
    dialog->perDateOption()->setChecked(true);
    for (int pie = 0; pie < 4; ++pie)
        press("View selection");
    EXPECT_TRUE(notifier.texts().empty());
    for (const char* copy : {"0", "1", "2", "3", "A", "B", "C", "D"})
        EXPECT_TRUE(exists(tmp(std::string(copy) + "CSV.csv"))) << copy;

    // A fifth of either kind is refused, before "View saved .CSV" asks for a file.
    press("View selection");
    dialog->graphOption()->setChecked(true);
    press("View selection");
    press("View saved .CSV");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>(3, std::string(kTooManyReportWindows)));
    EXPECT_TRUE(files.prompts().empty());

    // A closed window's copy goes with it, and its letter is the next one's.
    windows.windows(ReportWindowKind::Graph)[1]->close();
    windows.windows(ReportWindowKind::Pie)[2]->close();
    QApplication::processEvents();
    EXPECT_FALSE(exists(tmp("1CSV.csv")));
    EXPECT_FALSE(exists(tmp("CCSV.csv")));
    press("View selection");
    EXPECT_TRUE(exists(tmp("1CSV.csv")));
    EXPECT_EQ(windows.windows(ReportWindowKind::Graph).size(), 4u);
    EXPECT_EQ(windows.lastWindow()->copyPath(), tmp("1CSV.csv"));
    EXPECT_EQ(windows.windows(ReportWindowKind::Pie).size(), 3u);
}

TEST_F(ReportWindowsTest, SaveAsCsvCopiesTheLastWindowsReport)
{
    press("Save as .CSV");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{kNoReportWindowToSave});
    EXPECT_TRUE(files.prompts().empty());
    notifier.clear();

    chooseTenDays();
    press("View selection");
    dialog->pieOption()->setChecked(true);
    dialog->perMachineOption()->setChecked(true);
    press("View selection");
    ReportWindow* graph = windows.windows(ReportWindowKind::Graph).front();
    ReportWindow* pies = windows.windows(ReportWindowKind::Pie).front();
    const std::string folder = dir.base() + "/saved";
    std::filesystem::create_directories(folder);

    const struct {
        const char* scenario;
        std::string answer;
        std::string written;
    } cases[] = {
        {"without an extension", folder + "/december", folder + "/december.CSV"},
        {"with .CSV", folder + "/week.CSV", folder + "/week.CSV"},
        {"with .csv in lower case", folder + "/night.csv", folder + "/night.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        files.script(c.answer);
        press("Save as .CSV");
        EXPECT_EQ(readFile(c.written), readFile(pies->copyPath()));
    }
    const FilePrompt& prompt = files.prompts().front();
    EXPECT_EQ(prompt.title, "Save report as .CSV file");
    EXPECT_EQ(prompt.filter, "Save report (*.CSV)|*.CSV||");
    EXPECT_EQ(prompt.fileName, "2026-12");
    EXPECT_FALSE(exists(folder + "/night.csv.CSV"));

    // The window used last is the one saved.
    emit graph->activated(graph);
    files.script(folder + "/graph");
    press("Save as .CSV");
    EXPECT_EQ(readFile(folder + "/graph.CSV"), readFile(graph->copyPath()));
    EXPECT_TRUE(notifier.texts().empty());

    // Cancelled: nothing; the copy gone: a read error; a folder that is not: a write error.
    press("Save as .CSV");
    std::filesystem::remove(graph->copyPath());
    files.script(folder + "/lost");
    press("Save as .CSV");
    EXPECT_FALSE(exists(folder + "/lost.CSV"));
    emit pies->activated(pies);
    files.script(folder + "/no such folder/pies");
    press("Save as .CSV");
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{kSaveReadOpenError, kSaveWriteOpenError}));
}

TEST_F(ReportWindowsTest, ViewSavedCsvChecksTheFileThenShowsIt)
{
    const std::string folder = dir.base() + "/saved";
    std::filesystem::create_directories(folder);
    const std::string good = folder + "/2026-12.CSV";
    test::writeBytes(good, std::string(kTempReportHeader) +
                               line("LATHE-1", {2026, 12, 1}, 1, 600, "CYCLE ON") +
                               line("MILL-2", {2026, 12, 1}, 1, 300, "SETUP"));
    const std::string text = folder + "/2026-12.TXT";
    test::writeBytes(text, *readFile(good));
    const std::string corrupt = folder + "/broken.CSV";
    test::writeBytes(corrupt, *readFile(good) + "LATHE-1,12/0\r\n");

    files.script(text);
    files.script(corrupt);
    files.script(folder + "/missing.CSV");
    press("View saved .CSV");
    press("View saved .CSV");
    press("View saved .CSV");
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{std::string(kSavedReportExtension),
                                                          std::string(kSavedReportCorrupt),
                                                          std::string(kSavedReportReadError)}));
    EXPECT_EQ(files.prompts().front().title, "View report file");
    EXPECT_EQ(files.prompts().front().filter, "Report file (*.CSV)|*.CSV||");
    notifier.clear();

    // Piechart without a grouping: refused after the file is chosen, as the checks go.
    dialog->pieOption()->setChecked(true);
    files.script(good);
    press("View saved .CSV");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(kNoReportKind)});

    dialog->perMachineOption()->setChecked(true);
    files.script(good);
    press("View saved .CSV");
    ASSERT_EQ(windows.windows(ReportWindowKind::Pie).size(), 1u);
    const ChartData& pies = windows.windows(ReportWindowKind::Pie).front()->chart()->data();
    EXPECT_EQ(pies.subtitle, "2026-12.CSV");
    ASSERT_EQ(pies.seriesCount(), 2);
    EXPECT_EQ(pies.series(0).label, "LATHE-1 / Total: 10 [min]");
    EXPECT_EQ(pies.series(1).label, "MILL-2 / Total: 5 [min]");

    dialog->graphOption()->setChecked(true);
    files.script(good);
    press("View saved .CSV");
    ASSERT_EQ(windows.windows(ReportWindowKind::Graph).size(), 1u);
    EXPECT_EQ(windows.windows(ReportWindowKind::Graph).front()->chart()->data().pointLabels,
              QStringList{"12/01/2026"});
}

TEST_F(ReportWindowsTest, AWindowWithNothingToDrawOrNoCopyIsNotOpened)
{
    // A day with a part number and a line that ends at its end time: taken, but no minutes.
    std::string bytes = std::string(kStatusReportHeader) + "\r\n";
    bytes += line("LATHE-1", {2027, 3, 1}, 1, 0, std::string(kPartNumberStatus), 0, "A100");
    bytes += "LATHE-1,03/01/2027,1,06:00:00,07:00:00\r\n";
    writeHub("_REPORTS\\_MACHINE_2027.CSV", bytes);
    dialog->calendar()->select(QDate(2027, 3, 1), QDate(2027, 3, 2));
    emit dialog->calendar()->selectionChanged();
    selectMachines({"LATHE-1"});
    for (const bool graph : {true, false}) {
        (graph ? dialog->graphOption() : dialog->pieOption())->setChecked(true);
        dialog->perDateOption()->setChecked(true);
        press("View selection");
    }
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{kCouldNotCreateGraph, kCouldNotCreatePies}));
    EXPECT_FALSE(exists(tmp("0CSV.csv")));
    EXPECT_FALSE(exists(tmp("ACSV.csv")));
    notifier.clear();

    chooseTenDays();
    dialog->graphOption()->setChecked(true);
    // _TMP is a file: the copy cannot be written.
    std::filesystem::remove_all(dir.workDir().tmp());
    test::writeBytes(dir.path("_TMP"), "in the way");
    press("View selection");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(kTempReportOpenError)});
    EXPECT_TRUE(windows.windows(ReportWindowKind::Graph).empty());
    // The letter was given back: with the folder mended the first graph is "0" again.
    std::filesystem::remove(dir.path("_TMP"));
    press("View selection");
    ASSERT_NE(windows.lastWindow(), nullptr);
    EXPECT_EQ(windows.lastWindow()->copyPath(), tmp("0CSV.csv"));
}

TEST_F(ReportWindowsTest, TheNightShiftAfterTheEndAndTheNextMonthsFileAreRead)
{
    // Monthly files: the span crosses from November into December, and the night shift
    // of the last day was written on the day after.
    windows.setMonthly(true);
    std::string november = std::string(kStatusReportHeader) + "\r\n";
    november += line("LATHE-1", {2026, 11, 30}, 1, 600, "CYCLE ON");
    writeHub("_REPORTS\\_MACHINE_2026-11.CSV", november);
    std::string december = std::string(kStatusReportHeader) + "\r\n";
    december += line("LATHE-1", {2026, 12, 1}, 1, 1200, "CYCLE ON");
    december += line("LATHE-1", {2026, 12, 2}, 3, 300, "ALARM");
    december += line("LATHE-1", {2026, 12, 2}, 1, 900, "SETUP");
    writeHub("_REPORTS\\_MACHINE_2026-12.CSV", december);

    dialog->calendar()->select(QDate(2026, 11, 30), QDate(2026, 12, 1));
    emit dialog->calendar()->selectionChanged();
    selectMachines({"LATHE-1"});
    press("View selection");
    ASSERT_TRUE(notifier.texts().empty()) << notifier.texts().front();
    const ReportSums& sums = windows.windows(ReportWindowKind::Graph).front()->sums();
    EXPECT_EQ(sums.keys, (std::vector<std::string>{"11/30/2026", "12/01/2026", "12/02/2026"}));
    EXPECT_EQ(sums.statuses, (std::vector<std::string>{"CYCLE ON", "ALARM"}));
}

TEST_F(ReportWindowsTest, StationsAndCompressionReachTheSelection)
{
    std::string bytes = std::string(kStatusReportHeader) + "\r\n";
    bytes += line("TWIN", {2026, 12, 1}, 1, 600, "CYCLE ON", 0);
    bytes += line("TWIN", {2026, 12, 1}, 1, 300, "CYCLE ON", 1);
    bytes += line("TWIN", {2026, 12, 1}, 1, 900, "CYCLE ON", 1);
    bytes += line("TWIN", {2026, 12, 1}, 1, 1200, "SETUP", 2);
    writeHub("_REPORTS\\_MACHINE_2026.CSV", bytes);
    dialog->setMachines({"TWIN"});
    selectMachines({"TWIN"});
    dialog->calendar()->select(QDate(2026, 12, 1), QDate(2026, 12, 2));
    emit dialog->calendar()->selectionChanged();

    // Only station 1: station 2's setup is left out, a single station's line is not.
    dialog->station(2)->setChecked(false);
    press("View selection");
    ReportWindow* plain = windows.lastWindow();
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->sums().statuses, std::vector<std::string>{"CYCLE ON"});
    EXPECT_EQ(plain->sums().total(0), 30);

    // Compressed: station 1's two intervals are one line in the copy, the minutes the same.
    dialog->compressed()->setChecked(true);
    press("View selection");
    ReportWindow* compressed = windows.lastWindow();
    ASSERT_NE(compressed, plain);
    const auto lines = [](const ReportWindow& window) {
        const std::string text = readFile(window.copyPath()).value_or("");
        return std::count(text.begin(), text.end(), '\n');
    };
    EXPECT_EQ(lines(*plain), 4);
    EXPECT_EQ(lines(*compressed), 3);
    EXPECT_EQ(compressed->sums().total(0), 30);
    EXPECT_TRUE(notifier.texts().empty());
}

// quillonlt-cli report --png/--svg: the windows' charts drawn into pictures.
TEST_F(ReportWindowsTest, TheCommandLineDrawsTheReportsIntoPictures)
{
    // Cycle on in the hub's yellow, which no other status of the report has.
    writeHub("_SETUP\\GraphColor.sys", "1,0,16777215\r\n65535,CYCLE ON\r\n");
    cli::setReportImageWriter(cli::writeReportImageFile);
    const std::vector<std::string> selection = {
        "--from",         "12/01/2026", "--to", "12/10/2026", "--machines",
        "LATHE-1,MILL-2", "--shifts",   "1",    "--hub",      hubDirectory()};
    const std::string png = dir.path("bars.png");
    std::vector<std::string> arguments = {"report", "sums", "--kind", "graph", "--png", png};
    arguments.insert(arguments.end(), selection.begin(), selection.end());
    test::CliRun run = test::runCli(arguments);
    ASSERT_EQ(run.code, 0) << run.err;
    const QImage bars(QString::fromStdString(png));
    ASSERT_FALSE(bars.isNull());
    int yellow = 0;
    for (int y = 0; y < bars.height(); ++y) {
        for (int x = 0; x < bars.width(); ++x) {
            const QColor pixel = bars.pixelColor(x, y);
            yellow += pixel.red() > 200 && pixel.green() > 200 && pixel.blue() < 80 ? 1 : 0;
        }
    }
    // The tall cycle-on bars of ten dates, not a stray pixel or two.
    EXPECT_GT(yellow, 5000);

    const std::string saved = dir.path("saved.CSV");
    test::writeBytes(saved, std::string(kTempReportHeader) +
                                line("LATHE-1", {2026, 12, 1}, 1, 630, "CYCLE ON") +
                                line("MILL-2", {2026, 12, 1}, 1, 300, "SETUP"));
    const std::string svg = dir.path("pies.svg");
    run = test::runCli({"report", "view", saved, "--per", "machine", "--svg", svg});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string text = readFile(svg).value_or("");
    EXPECT_NE(text.find("<svg"), std::string::npos);
    for (const char* label :
         {"Pie report", "LATHE-1 / Total: 10 [min]", "MILL-2 / Total: 5 [min]"})
        EXPECT_NE(text.find(label), std::string::npos) << label;

    run = test::runCli({"report", "view", saved, "--per", "machine", "--png",
                        dir.path("no/such/folder/pies.png")});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("could not be written"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quillon
