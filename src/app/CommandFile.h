// COMMAND.TXT read by the running program: files to open and monitoring windows asked for
// by the command lines of its own start and of later ones.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillon {

class OpenFileQueue;
class WorkDir;

inline constexpr std::string_view kShowMonitorWord = "-SHOW_MON_WIN";
inline constexpr std::string_view kShowTimeLineWord = "-SHOW_TIME_WIN";

// The two monitoring windows a command line can ask for. A request counts the main-timer
// ticks since it was found: it is set to 1 on the tick that finds it, raised on every
// tick from then on (that one included), and the window opens on the tick that finds it
// at 4 — the third tick after, when the link to the hub is up.
class MonitorRequests {
public:
    static constexpr int kOpenAt = 4;

    void requestMonitor() { m_monitor = 1; }
    void requestTimeLine() { m_timeLine = 1; }
    bool monitorPending() const { return m_monitor > 0; }
    bool timeLinePending() const { return m_timeLine > 0; }

    struct Due {
        bool monitor = false;
        bool timeLine = false;
    };
    // One main-timer tick: which windows are due now (their requests end).
    Due tick();

private:
    static bool advance(int& counter);

    int m_monitor = 0;
    int m_timeLine = 0;
};

// Reads COMMAND.TXT once: the first seven lines (at most 509 characters each) are looked
// through for the two monitoring words; then, from the start again, each free slot of the
// open-file queue takes the next line, whose file is the text between its first blank and
// quote and the next quote (lines with a monitoring word give none). The file is deleted.
// With rotation of the monitoring displays configured the lines are not read at all.
void processCommandFile(const WorkDir& workDir, OpenFileQueue& files, MonitorRequests& requests,
                        bool rotationConfigured);

}  // namespace quillon
