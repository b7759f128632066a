#include "monitoring/ui/OeeGraphWindow.h"

#include "charting/ChartWidget.h"
#include "monitoring/HubSetup.h"
#include "monitoring/ui/DisplayListDialog.h"
#include "monitoring/ui/OeeCharts.h"
#include "monitoring/ui/YearDialog.h"
#include "platform/Clock.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

QString text(std::string_view bytes)
{
    return fromBytes(std::string(bytes));
}

}  // namespace

OeeGraphWindow::OeeGraphWindow(OeeGraphSource source, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_source(std::move(source)),
      m_chart(new ChartWidget(ChartKind::Graph2D, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(m_source.windowName);
    setWindowTitle(m_source.windowTitle);
    setCentralWidget(m_chart);
    // A click on a line or on its legend entry picks the series; anywhere else, all four.
    connect(m_chart, &ChartWidget::pointClicked, this,
            [this](int series, int) { showAlone(measureAt(series)); });
    connect(m_chart, &ChartWidget::seriesClicked, this,
            [this](int series) { showAlone(measureAt(series)); });
    connect(m_chart, &ChartWidget::nothingClicked, this, &OeeGraphWindow::showAll);
    rebuild();
    resize(900, 560);
}

OeeGraphWindow::~OeeGraphWindow() = default;

OeeMeasure OeeGraphWindow::measureAt(int series) const
{
    return m_alone ? *m_alone : static_cast<OeeMeasure>(series);
}

// A year of a full hub is half a million points: the chart is only built again when what
// it shows changes.
void OeeGraphWindow::showAlone(OeeMeasure measure)
{
    if (m_alone == measure)
        return;
    m_alone = measure;
    rebuild();
}

void OeeGraphWindow::showAll()
{
    if (!m_alone)
        return;
    m_alone.reset();
    rebuild();
}

void OeeGraphWindow::rebuild()
{
    fillOeeChart(m_chart->data(), m_source.series, m_source.chartTitle, m_source.year, m_alone);
    m_chart->reinitialize();
}

OeeWindows::OeeWindows(Notifier& notifier, const Clock& clock, QWidget* owner)
    : QObject(owner), m_notifier(notifier), m_clock(clock), m_owner(owner)
{
}

OeeWindows::~OeeWindows() = default;

std::optional<int> OeeWindows::askYear(std::string_view prompt)
{
    const int thisYear = secondsToLocal(m_clock.now()).year;
    if (m_askYear)
        return m_askYear(prompt, thisYear);
    return quillon::askYear(prompt, thisYear, m_notifier, m_owner);
}

std::optional<std::string> OeeWindows::chooseMachine()
{
    if (m_chooseMachine)
        return m_chooseMachine();
    const auto machine = chooseDisplayedMachine(m_hubDirectory, m_notifier, m_owner);
    if (!machine)
        return std::nullopt;
    // The dialog found the machine's slot by its name, so the slot names it again.
    const auto configuration = readHubConfiguration(m_hubDirectory);
    if (!configuration)
        return std::nullopt;
    return std::string(configuration->nameOf(machine->slot));
}

std::optional<OeeFile> OeeWindows::loadYear(int year, std::string_view windowFailed)
{
    OeeFileLoad load = loadOeeFile(m_hubDirectory, year);
    switch (load.state) {
    case OeeFileLoad::State::Read:
        return std::move(load.file);
    case OeeFileLoad::State::Missing:
        m_notifier.message(oeeFileShownName(m_hubDirectory, year) + std::string(kOeeFileNotFound));
        break;
    case OeeFileLoad::State::Unreadable:
        // The file is there, so "not found" would send the user looking in vain.
        m_notifier.message(std::string(windowFailed));
        break;
    }
    return std::nullopt;
}

void OeeWindows::viewOverall()
{
    const auto year = askYear(kOverallYearPrompt);
    if (!year)
        return;
    const auto file = loadYear(*year, kOverallOeeWindowFailed);
    if (!file)
        return;
    open({overallOeeSeries(*file), text(kOverallOeeWindowTitle), text(kOverallOeeChartTitle),
          text(kOverallOeeWindowTitle), *year});
}

void OeeWindows::viewMachine()
{
    const auto machine = chooseMachine();
    if (!machine)
        return;
    const auto year = askYear(kMachineYearPrompt);
    if (!year)
        return;
    const auto file = loadYear(*year, kMachineOeeWindowFailed);
    if (!file)
        return;
    const QString title = machineOeeTitle(*machine);
    open({machineOeeSeries(*file, *machine), title, title, text(kMachineOeeWindowName), *year});
}

void OeeWindows::open(OeeGraphSource source)
{
    std::erase_if(m_windows, [](const QPointer<OeeGraphWindow>& closed) { return !closed; });
    auto* window = new OeeGraphWindow(std::move(source), m_owner);
    m_windows.emplace_back(window);
    window->show();
}

std::vector<OeeGraphWindow*> OeeWindows::windows() const
{
    std::vector<OeeGraphWindow*> open;
    for (const auto& window : m_windows) {
        if (window)
            open.push_back(window);
    }
    return open;
}

void OeeWindows::closeAll()
{
    for (OeeGraphWindow* window : windows())
        window->close();
}

}  // namespace quillon
