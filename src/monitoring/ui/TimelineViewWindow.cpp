#include "monitoring/ui/TimelineViewWindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

#include "platform/Clock.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtColorRef.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {
namespace {

constexpr int kRowHeight = 84;
constexpr int kHeaderHeight = 20;
constexpr int kBarTop = 34;
constexpr int kBarHeight = 26;
constexpr int kMargin = 8;
constexpr int kMinimumCanvasWidth = 600;
constexpr int kOeeBox = 14;

std::vector<MachineSlot> slotsOf(const std::vector<TimelineMachine>& machines)
{
    std::vector<MachineSlot> listed;
    for (const auto& machine : machines)
        listed.push_back(machine.slot);
    return listed;
}

// A cycle run slower than full speed is painted paler, the slower the paler.
QColor segmentColor(const ShiftInterval& interval, const StatusTable& table)
{
    const QColor color = toQColor(table.colors[interval.colorIndex]);
    if (interval.shade < 0)
        return color;
    return color.lighter(100 + (15 - std::clamp(interval.shade, 0, 15)) * 5);
}

}  // namespace

class TimelineCanvas final : public QWidget {
public:
    explicit TimelineCanvas(TimelineViewWindow& view) : QWidget(&view), m_view(view) {}

    void resizeToRows()
    {
        // As wide as the window shows it, so that a bar spans its whole shift on screen; as
        // tall as its rows, scrolled when they do not fit.
        setMinimumSize(
            kMinimumCanvasWidth,
            std::max<int>(kRowHeight, static_cast<int>(m_view.m_machines.size()) * kRowHeight));
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const StatusTable& table = m_view.m_env.statuses;
        painter.fillRect(rect(), toQColor(table.background));
        if (!m_view.rowsBuilt())
            return;
        for (std::size_t row = 0; row < m_view.m_machines.size(); ++row) {
            const int top = static_cast<int>(row) * kRowHeight;
            if (!event->rect().intersects(QRect(0, top, width(), kRowHeight)))
                continue;
            paintHeader(painter, m_view.header(row), top);
            if (row < m_view.m_bars.size())
                paintBar(painter, m_view.m_bars[row], top + kBarTop, table);
        }
    }

private:
    void paintHeader(QPainter& painter, const TimelineHeader& header, int top)
    {
        const QColor foreground = toQColor(m_view.m_env.statuses.foreground);
        QFont font = painter.font();
        font.setPointSize(9);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(foreground);
        const QString lead = fromBytes(header.lead);
        const QFontMetrics metrics(font);
        int x = kMargin;
        painter.drawText(QRect(x, top + 4, width(), kHeaderHeight), Qt::AlignLeft, lead);
        x += metrics.horizontalAdvance(lead);
        const QRect box(x, top + 6, kOeeBox, kOeeBox);
        painter.fillRect(box, toQColor(header.band.fill));
        painter.setPen(Qt::black);
        painter.drawRect(box);
        painter.setPen(foreground);
        x += kOeeBox;
        painter.drawText(QRect(x, top + 4, width(), kHeaderHeight), Qt::AlignLeft,
                         fromBytes(header.tail));
    }

    void paintBar(QPainter& painter, const ShiftGraph& bar, int top, const StatusTable& table)
    {
        const QColor foreground = toQColor(table.foreground);
        const QRect frame(kMargin, top, width() - 2 * kMargin, kBarHeight);
        painter.setPen(foreground);
        painter.drawRect(frame);
        const std::int64_t span = bar.spanEnd - bar.spanStart;
        QFont small = painter.font();
        small.setPointSize(7);
        small.setBold(false);
        painter.setFont(small);
        const QFontMetrics metrics(small);
        if (span <= 0) {
            painter.drawText(frame, Qt::AlignCenter, "No record");
            return;
        }
        const auto xOf = [&](std::int64_t time) {
            return frame.left() + static_cast<int>(static_cast<double>(time - bar.spanStart) /
                                                   static_cast<double>(span) * frame.width());
        };
        for (const auto& interval : bar.intervals) {
            const QRect segment(QPoint(xOf(interval.start), frame.top() + 1),
                                QPoint(xOf(interval.end), frame.bottom()));
            painter.fillRect(segment, segmentColor(interval, table));
            const QString length = fromBytes(segmentLength(interval.end - interval.start));
            if (length.isEmpty() || metrics.horizontalAdvance(length) + 4 > segment.width())
                continue;
            const QColor fill = segmentColor(interval, table);
            // Dark fills (blue, dark red) take white figures.
            const double luminance =
                0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue();
            painter.setPen(luminance < 110 ? Qt::white : Qt::black);
            painter.drawText(segment, Qt::AlignCenter, length);
            const QString overrides = fromBytes(segmentOverrides(interval));
            if (!overrides.isEmpty() &&
                metrics.horizontalAdvance(overrides) + 4 <= segment.width()) {
                painter.setPen(foreground);
                painter.drawText(QRect(segment.left(), top - 12, segment.width(), 12),
                                 Qt::AlignCenter, overrides);
            }
        }
        painter.setPen(foreground);
        const QRect below(frame.left(), frame.bottom() + 2, frame.width(), 14);
        painter.drawText(
            below, Qt::AlignLeft,
            fromBytes(timelineDate(bar.spanStart) + "  " + timelineTime(bar.spanStart)));
        painter.drawText(below, Qt::AlignRight, fromBytes(timelineTime(bar.spanEnd)));
    }

    TimelineViewWindow& m_view;
};

TimelineViewWindow::TimelineViewWindow(const MonitorEnvironment& env, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_env(env),
      m_machines(timelineMachines(readTimelineList(env.workDir).entries)),
      m_startup(slotsOf(m_machines), env.link, [&link = env.link] { return link.now(); }),
      m_reloads(env.viewSettings.refreshSeconds),
      m_loads(m_machines.size(), 0)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kTimelineViewTitle);
    m_refreshAction = menuBar()->addAction(kTimelineStopRefresh);
    connect(m_refreshAction, &QAction::triggered, this, &TimelineViewWindow::toggleRefresh);

    m_canvas = new TimelineCanvas(*this);
    m_canvas->resizeToRows();
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_canvas);
    setCentralWidget(m_scroll);

    // Without a saved place the window is left unplaced, for its owner to put it.
    const TimelinePlace place = readTimelinePlace(env.workDir);
    if (place.window && place.window->hasArea())
        setGeometry(toQRect(withoutNegativeCorner(*place.window)));
    if (place.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    m_savedScroll = place.scroll;

    m_env.link.monitoringViewOpened(MonitoringView::TimeLine, *this);
    m_startup.start();

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TimelineViewWindow::tick);
    m_timer.start();
}

TimelineViewWindow::~TimelineViewWindow() = default;

QWidget* TimelineViewWindow::canvas() const
{
    return m_canvas;
}

TimelineHeader TimelineViewWindow::header(std::size_t row) const
{
    const MachineRecord& record = m_startup.record(m_machines[row].slot);
    std::optional<int> shift;
    if (row < m_bars.size() && m_bars[row].firstTime != 0)
        shift = shiftNumberOf(m_bars[row].firstTime);
    return timelineHeader(record, shift, m_env.viewSettings.pieces);
}

void TimelineViewWindow::datagramArrived(std::string_view bytes)
{
    const StartupReport report = m_startup.datagramArrived(bytes);
    if (report.refreshed)
        m_reloads.updated(*report.refreshed);
    if (report.rowsReady) {
        m_bars.assign(m_machines.size(), ShiftGraph{});
        for (std::size_t row = 0; row < m_machines.size(); ++row)
            loadBar(row);
    }
    if (report.rowsReady || report.refreshed)
        m_canvas->update();
}

void TimelineViewWindow::loadBar(std::size_t row)
{
    const MachineSlot slot = m_machines[row].slot;
    m_bars[row] = loadTimelineBar(m_env.hubDirectory, slot, m_startup.record(slot).twoStations(),
                                  m_env.statuses, m_env.clock.now());
    ++m_loads[row];
}

void TimelineViewWindow::tick()
{
    const auto due = m_reloads.tick();
    if (!m_startup.rowsBuilt())
        return;
    for (const MachineSlot slot : due)
        for (std::size_t row = 0; row < m_machines.size(); ++row)
            if (m_machines[row].slot == slot)
                loadBar(row);
    m_canvas->update();
}

void TimelineViewWindow::toggleRefresh()
{
    m_reloads.setRunning(!m_reloads.running());
    m_refreshAction->setText(m_reloads.running() ? kTimelineStopRefresh : kTimelineStartRefresh);
}

void TimelineViewWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_savedScroll > 0) {
        m_scroll->verticalScrollBar()->setValue(m_savedScroll);
        m_savedScroll = 0;
    }
}

void TimelineViewWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    if (!isMinimized()) {
        TimelinePlace place;
        place.window = fromQRect(isMaximized() ? normalGeometry() : geometry());
        place.maximized = isMaximized();
        place.scroll = m_scroll->verticalScrollBar()->value();
        writeTimelinePlace(m_env.workDir, place);
    }
    m_env.link.monitoringViewClosed(MonitoringView::TimeLine, isMinimized());
    QMainWindow::closeEvent(event);
}

}  // namespace quillon
