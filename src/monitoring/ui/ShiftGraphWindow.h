// The detailed shift graph window: one shift's states as a time bar on a date-time axis,
// the cycle rate of each counted run in a thinner row below, the state, start, end and
// length of the interval under the pointer, and for the shift that runs now a reload on
// a timer.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "monitoring/HubLink.h"
#include "monitoring/MachineSlot.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/StatusTable.h"
#include "platform/WorkDir.h"

class QAction;
class QLabel;

namespace quillon {

class ChartData;
class ChartWidget;
class Clock;
class Notifier;

// What a graph window shows.
struct ShiftGraphSource {
    // Full paths: one record file, or the two station files of a machine shown merged.
    std::vector<std::string> files;
    std::string title;
    // The shift that runs now: the open interval ends at the present time, and the window
    // reloads on its timer and on its machine's refresh.
    bool currentShift = false;
    // The machine, for the error log and for routing its refreshes; none for a file
    // chosen from the archive.
    std::optional<MachineSlot> machine;
};

// What the windows share: where their files go, how the user is told, what time it is.
struct ShiftViewEnvironment {
    WorkDir workDir;
    Notifier& notifier;
    const Clock& clock;
};

// The rows of the time bar, in the units of the graph's Y axis.
inline constexpr double kStateRow = 2;
inline constexpr double kRateRow = 1;

// The graph drawn into chart data: one two-point series per interval on the state row in
// its status colour (a shaded cycle on paler the slower it ran), and one per rated run on
// the rate row, coloured by how the rate compares with its limits. X in serial days.
void fillShiftGraphChart(ChartData& chart, const ShiftGraph& graph, const StatusTable& table);

// "CYCLE ON  10:02:00 - 10:07:00  05:00" and, for a rated run, its rate and its mark.
std::string describeInterval(const ShiftInterval& interval);

// Puts a shift window where its place file says, kept on the screen; where it was
// otherwise.
void restoreWindowPlace(QWidget& window, const std::string& placeFile);

class ShiftGraphWindow : public QMainWindow, public ShiftGraphReceiver {
    Q_OBJECT
public:
    ShiftGraphWindow(ShiftGraphSource source, int number, const StatusTable& table,
                     int refreshSeconds, const ShiftViewEnvironment& environment, QWidget* owner);
    ~ShiftGraphWindow() override;

    int number() const { return m_number; }
    const ShiftGraphSource& source() const { return m_source; }
    const ShiftGraph& graph() const { return m_graph; }
    ChartWidget* chart() const { return m_chart; }
    // The file the "Cycle time" dialog reads: the window's copy of the shift file.
    std::string recordCopy() const;
    bool refreshing() const { return m_refreshing; }
    const QTimer& refreshTimer() const { return m_timer; }
    QAction* refreshAction() const { return m_refreshAction; }
    QAction* cycleTimeAction() const { return m_cycleTimeAction; }

    // The interval under a time (serial days) and a row; nothing between intervals.
    std::optional<std::size_t> intervalAt(double serialDays, double row) const;
    // What the window shows about the interval under the pointer (empty: none).
    QString hoverText() const;

    // The link passes on each record of this window's machine.
    void machineRefreshed(MachineSlot) override { refresh(); }
    void detailedViewClosed() override { close(); }

public slots:
    // The machine has news: a current shift reloads, unless its refresh is stopped.
    void refresh();
    // Reads the file again.
    void reload();
    // "Stop &Refresh" / "Start &Refresh".
    void toggleRefresh();

signals:
    void closing(int number);
    void cycleTimeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAt(QPointF pixel);

    ShiftGraphSource m_source;
    int m_number;
    StatusTable m_table;
    ShiftViewEnvironment m_environment;
    ShiftGraph m_graph;
    ChartWidget* m_chart;
    QLabel* m_hover;
    QAction* m_refreshAction = nullptr;
    QAction* m_cycleTimeAction = nullptr;
    QTimer m_timer;
    bool m_refreshing = false;
};

}  // namespace quillon
