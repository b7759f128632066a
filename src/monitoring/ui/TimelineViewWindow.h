// "Monitoring Display/TimeLine": a row per machine of MonList2.sys, its figures on a header
// line and the running shift as a bar of state segments below. The bars are read again
// every refresh period for the machines the hub has news of; "Stop &Refresh" holds them.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <string_view>
#include <vector>

#include "monitoring/HubLink.h"
#include "monitoring/MonitoringStartup.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/TimelineViewModel.h"
#include "monitoring/ui/MonitorEnvironment.h"

class QAction;
class QScrollArea;

namespace quillon {

class TimelineCanvas;

inline constexpr char kTimelineViewTitle[] = "Monitoring Display/TimeLine";
inline constexpr char kTimelineStopRefresh[] = "Stop &Refresh";
inline constexpr char kTimelineStartRefresh[] = "Start &Refresh";

class TimelineViewWindow : public QMainWindow, public DatagramReceiver {
    Q_OBJECT
public:
    explicit TimelineViewWindow(const MonitorEnvironment& env, QWidget* owner = nullptr);
    ~TimelineViewWindow() override;

    void datagramArrived(std::string_view bytes) override;

    const std::vector<TimelineMachine>& machines() const { return m_machines; }
    // Empty until every machine came in.
    const std::vector<ShiftGraph>& bars() const { return m_bars; }
    TimelineHeader header(std::size_t row) const;
    bool rowsBuilt() const { return m_startup.rowsBuilt(); }
    QAction* refreshAction() const { return m_refreshAction; }
    QWidget* canvas() const;
    QScrollArea* scrollArea() const { return m_scroll; }
    // How often each machine's bar was read, in row order: what a refresh touched.
    const std::vector<int>& loads() const { return m_loads; }

public slots:
    // The 1000 ms tick: the headers' times move on, due bars are read again.
    void tick();
    void toggleRefresh();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class TimelineCanvas;

    void loadBar(std::size_t row);

    MonitorEnvironment m_env;
    std::vector<TimelineMachine> m_machines;
    MonitoringStartup m_startup;
    TimelineReloads m_reloads;
    std::vector<ShiftGraph> m_bars;
    std::vector<int> m_loads;
    TimelineCanvas* m_canvas = nullptr;
    QScrollArea* m_scroll = nullptr;
    QAction* m_refreshAction = nullptr;
    QTimer m_timer;
    int m_savedScroll = 0;
};

}  // namespace quillon
