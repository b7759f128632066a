// The plot windows of one program window: at most one 2D and one 3D window, the
// interpreter run that feeds them, and what they ask of the editor (go to a line, the
// caret line for Find, a run with changed settings).
#pragma once

#include <QObject>
#include <QPointer>

#include <array>

#include "backplot/BackplotFiles.h"
#include "backplot/PlotModel.h"
#include "backplot/ui/PlotWindow.h"

namespace quillon {

class CChildFrame;
class Notifier;
class WorkDir;

// What all plot windows share while the program runs: the plot settings a new window
// starts from (the last ones chosen in any window) and the count of open windows of each
// kind, which numbers their position files.
struct PlotWindowsShared {
    BackplotSettings settings;
    std::array<PlotWindowCounter, 2> counters;

    PlotWindowCounter& counter(PlotKind kind) { return counters[kind == PlotKind::TwoD ? 0 : 1]; }
};

class PlotWindows : public QObject {
    Q_OBJECT
public:
    // Lives as long as `frame` (its child); its windows close with it. owner: the main
    // frame, which the windows stay in front of.
    PlotWindows(CChildFrame& frame, PlotWindowsShared& shared, const WorkDir& workDir,
                Notifier& notifier, QWidget* owner);
    ~PlotWindows() override;

    // The frame's plot windows, made on first use.
    static PlotWindows& of(CChildFrame& frame, PlotWindowsShared& shared, const WorkDir& workDir,
                           Notifier& notifier, QWidget* owner);

    // "&2D Plotting", "2D Step by Step", "&3D Plotting", "3D Step by Step".
    void open(PlotKind kind, bool stepMode);
    PlotWindow* window(PlotKind kind) const;

private:
    // The interpreter over the program into a fresh point list, with the wait cursor; its
    // messages go to the user. The 3D window's run reads every axis (mask 7), so that
    // arcs are drawn only once the program selects a plane.
    PlotBuild runChain(PlotKind kind, const BackplotSettings& settings);
    void goToLine(int line);
    void find(PlotWindow& window);
    void rerun(PlotWindow& window, const BackplotSettings& settings);
    void forget(PlotWindow& window);

    CChildFrame& m_frame;
    PlotWindowsShared& m_shared;
    const WorkDir& m_workDir;
    Notifier& m_notifier;
    QWidget* m_owner;
    std::array<QPointer<PlotWindow>, 2> m_windows;
};

}  // namespace quillon
