#include "monitoring/ui/ShiftGraphWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QToolTip>

#include <algorithm>
#include <cmath>

#include "app/ErrorLog.h"
#include "backplot/PlotWindowPlace.h"
#include "charting/AxisTicks.h"
#include "charting/ChartWidget.h"
#include "monitoring/CycleTimeAnalysis.h"
#include "monitoring/ShiftMerge.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/ShiftViews.h"
#include "platform/Clock.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/WindowRectFile.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtColorRef.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {

namespace {

constexpr char kStopRefresh[] = "Stop &Refresh";
constexpr char kStartRefresh[] = "Start &Refresh";
// Thick enough to read as a bar; the rate row is a thinner band under it.
constexpr double kStateBarWidth = 34;
constexpr double kRateBarWidth = 12;
// A shaded cycle on is paler the slower it ran: each shade below full speed lightens the
// cycle-on colour by this many percent.
constexpr int kLighterPerShade = 4;
// The rows sit inside this Y range, with room above and below for the bars' thickness.
constexpr double kRowsLow = 0;
constexpr double kRowsHigh = 3;
// "No machine" for the error log: it shows hub and port as -1.
constexpr int kNoMachine = -2;

double serialDays(std::int64_t seconds)
{
    const LocalDateTime local = secondsToLocal(seconds);
    return toSerialDays(QDate(local.year, local.month, local.day),
                        QTime(local.hour, local.minute, local.second));
}

QColor stateColor(const ShiftInterval& interval, const StatusTable& table)
{
    const QColor color = toQColor(table.colors[static_cast<std::size_t>(interval.colorIndex)]);
    if (interval.shade < 0)
        return color;
    return color.lighter(100 + (kLastShade - interval.shade) * kLighterPerShade);
}

// A run below its permitted rate shows in the alarm colour, one above it in the feed-hold
// colour (the operator slowed a run that went too fast), one within in the cycle-on colour.
QColor rateColor(RateClass rate, const StatusTable& table)
{
    const int index = rate == RateClass::Below   ? kStatusAlarm
                      : rate == RateClass::Above ? kStatusFeedHold
                                                 : kStatusCycleOn;
    return toQColor(table.colors[static_cast<std::size_t>(index)]);
}

const char* rateWord(RateClass rate)
{
    switch (rate) {
    case RateClass::Below:
        return "below limit";
    case RateClass::Above:
        return "above limit";
    case RateClass::Within:
        return "within limits";
    case RateClass::None:
        break;
    }
    return "";
}

}  // namespace

void fillShiftGraphChart(ChartData& chart, const ShiftGraph& graph, const StatusTable& table)
{
    chart.clearSeries();
    chart.setXAxisKind(XAxisKind::DateTime);
    chart.showLegend = true;
    chart.background = toQColor(table.background);
    chart.textColor = toQColor(table.foreground);
    chart.gradientBackground = table.gradient;
    // The legend names each look once: a state, its slower runs together, a rate mark.
    std::vector<QString> named;
    const auto bar = [&](const ShiftInterval& interval, double row, const QString& label,
                         const QColor& color, double width) {
        ChartSeries& series = chart.addSeries(label, color);
        series.lineWidth = width;
        series.inLegend = std::ranges::find(named, label) == named.end();
        if (series.inLegend)
            named.push_back(label);
        series.append(serialDays(interval.start), row);
        series.append(serialDays(interval.end), row);
    };
    for (const ShiftInterval& interval : graph.intervals) {
        QString label = fromBytes(interval.stateText);
        if (interval.shade >= 0)
            label += ", slower";
        bar(interval, kStateRow, label, stateColor(interval, table), kStateBarWidth);
    }
    for (const ShiftInterval& interval : graph.intervals) {
        if (interval.rateClass != RateClass::None)
            bar(interval, kRateRow, QString("Rate ") + rateWord(interval.rateClass),
                rateColor(interval.rateClass, table), kRateBarWidth);
    }
    if (graph.spanEnd > graph.spanStart)
        chart.setAxisRange(Axis::X, serialDays(graph.spanStart), serialDays(graph.spanEnd));
    else
        chart.clearAxisRange(Axis::X);
    chart.setAxisRange(Axis::Y, kRowsLow, kRowsHigh);
    chart.yLabels = {{kRateRow, "Rate"}, {kStateRow, "State"}};
}

std::string describeInterval(const ShiftInterval& interval)
{
    std::string text = interval.stateText + "  " + formatLocal(interval.start, "%H:%M:%S") +
                       " - " + formatLocal(interval.end, "%H:%M:%S") + "  " +
                       cycleDurationText(interval.end - interval.start);
    if (interval.shade >= 0 && interval.feedOverride >= 0)
        text += "  feed " + std::to_string(interval.feedOverride) + "%";
    if (interval.shade >= 0 && interval.spindleOverride >= 0)
        text += "  spindle " + std::to_string(interval.spindleOverride) + "%";
    if (interval.rateClass != RateClass::None)
        text += "  rate " + std::to_string(interval.rate) + " cycle/min, " +
                rateWord(interval.rateClass);
    return text;
}

void restoreWindowPlace(QWidget& window, const std::string& placeFile)
{
    const auto stored = readWindowRect(placeFile);
    if (!stored || !stored->hasArea())
        return;
    const QRect screen = window.screen() ? window.screen()->geometry() : QRect(0, 0, 1920, 1080);
    if (const auto placed = keepOnScreen(*stored, screen.width(), screen.height()))
        window.setGeometry(toQRect(*placed));
}

ShiftGraphWindow::ShiftGraphWindow(ShiftGraphSource source, int number, const StatusTable& table,
                                   int refreshSeconds, const ShiftViewEnvironment& environment,
                                   QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_source(std::move(source)),
      m_number(number),
      m_table(table),
      m_environment(environment),
      m_chart(new ChartWidget(ChartKind::Graph2D, this)),
      m_hover(new QLabel(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(fromBytes(m_source.title));
    setCentralWidget(m_chart);
    m_chart->setMouseTracking(true);
    m_chart->installEventFilter(this);
    statusBar()->addWidget(m_hover, 1);

    m_cycleTimeAction = menuBar()->addAction("&Cycle time");
    connect(m_cycleTimeAction, &QAction::triggered, this, &ShiftGraphWindow::cycleTimeRequested);
    if (m_source.currentShift) {
        m_refreshAction = menuBar()->addAction(kStopRefresh);
        connect(m_refreshAction, &QAction::triggered, this, &ShiftGraphWindow::toggleRefresh);
        m_timer.setInterval(refreshSeconds * 1000);
        connect(&m_timer, &QTimer::timeout, this, &ShiftGraphWindow::reload);
        m_refreshing = true;
        m_timer.start();
    }
    resize(900, 260);
    restoreWindowPlace(*this, m_environment.workDir.tmpFile(graphPlaceName(m_number)));
    reload();
}

ShiftGraphWindow::~ShiftGraphWindow() = default;

std::string ShiftGraphWindow::recordCopy() const
{
    return m_environment.workDir.tmpFile(shiftViewCopyName(m_number));
}

void ShiftGraphWindow::reload()
{
    if (m_source.files.empty())
        return;
    const std::optional<std::int64_t> closeAt =
        m_source.currentShift ? std::optional(m_environment.clock.now()) : std::nullopt;
    std::string file = m_source.files.front();
    std::string error;
    if (m_source.files.size() > 1) {
        // Both stations as one: merged into a file of the window's own, which is then
        // read like any record file.
        file = m_environment.workDir.tmpFile("ViewMerge" + std::to_string(m_number) + ".TXT");
        if (const auto failed =
                mergeStationFiles(m_source.files[0], m_source.files[1], file, closeAt))
            error = *failed;
    }
    ShiftGraphLoad load;
    if (error.empty()) {
        load = loadShiftGraphFile(file, m_environment.workDir.tmp(), m_number, m_table, closeAt);
        error = load.errorText;
    }
    if (!error.empty()) {
        const MachineSlot slot = m_source.machine.value_or(MachineSlot{kNoMachine, kNoMachine});
        appendErrorLog(m_environment.workDir, m_environment.clock, error, slot.hub, slot.port);
        // A timer's reload says it once: the stopped refresh waits for the user.
        if (m_refreshing) {
            m_timer.stop();
            m_refreshing = false;
            if (m_refreshAction)
                m_refreshAction->setText(kStartRefresh);
        }
        m_environment.notifier.message(error);
        return;
    }
    m_graph = std::move(load.graph);
    ChartData& data = m_chart->data();
    fillShiftGraphChart(data, m_graph, m_table);
    data.title = fromBytes(m_source.title);
    data.subtitle = fromBytes(std::string(paths::fileName(m_source.files.front())));
    m_chart->reinitialize();
}

void ShiftGraphWindow::refresh()
{
    if (m_source.currentShift && m_refreshing)
        reload();
}

void ShiftGraphWindow::toggleRefresh()
{
    if (!m_source.currentShift)
        return;
    if (m_refreshing) {
        m_timer.stop();
        m_refreshing = false;
        m_refreshAction->setText(kStartRefresh);
        return;
    }
    m_refreshing = true;
    m_refreshAction->setText(kStopRefresh);
    m_timer.start();
    reload();
}

std::optional<std::size_t> ShiftGraphWindow::intervalAt(double days, double row) const
{
    const bool rateRow = std::abs(row - kRateRow) < 0.5;
    if (!rateRow && std::abs(row - kStateRow) >= 0.5)
        return std::nullopt;
    for (std::size_t index = 0; index < m_graph.intervals.size(); ++index) {
        const ShiftInterval& interval = m_graph.intervals[index];
        if (rateRow && interval.rateClass == RateClass::None)
            continue;
        if (days >= serialDays(interval.start) && days < serialDays(interval.end))
            return index;
    }
    return std::nullopt;
}

QString ShiftGraphWindow::hoverText() const
{
    return m_hover->text();
}

void ShiftGraphWindow::showAt(QPointF pixel)
{
    const ChartLayout layout =
        m_chart->renderer().layout(m_chart->data(), m_chart->view(), m_chart->size());
    QString text;
    if (layout.plot.contains(pixel)) {
        const QPointF at = layout.projection2D.unmap(pixel);
        if (const auto index = intervalAt(at.x(), at.y()))
            text = fromBytes(describeInterval(m_graph.intervals[*index]));
    }
    m_hover->setText(text);
}

bool ShiftGraphWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_chart &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        showAt(mouse->position());
        if (event->type() == QEvent::MouseButtonRelease && !m_hover->text().isEmpty())
            QToolTip::showText(mouse->globalPosition().toPoint(), m_hover->text(), m_chart);
    }
    return QMainWindow::eventFilter(watched, event);
}

void ShiftGraphWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    writeWindowRect(m_environment.workDir.tmpFile(graphPlaceName(m_number)),
                    fromQRect(geometry()));
    emit closing(m_number);
    QMainWindow::closeEvent(event);
}

}  // namespace quillon
