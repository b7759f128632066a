// The plot windows of one program window: at most one 2D and one 3D window, the
// interpreter run that feeds them, and what they ask of the editor (go to a line, the
// caret line for Find, a run with changed settings).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

#include "backplot/BackplotFiles.h"
#include "backplot/PlotModel.h"
#include "backplot/PrePass.h"
#include "backplot/ui/PlotWindow.h"

namespace quillon {

class Notifier;
class WorkDir;

// The program the plot windows draw, as its editor window shows it. Whoever opens the plot
// windows implements it over the editor; the plot windows know no editor widget.
class PlottedProgram {
public:
    virtual ~PlottedProgram() = default;
    // The program's lines as they are now (the interpreter runs over them).
    virtual ProgramLines lines() const = 0;
    // The name the plot windows show in their titles.
    virtual QString title() const = 0;
    // The caret line (from 0) of the pane the user worked in last; none without a pane.
    virtual std::optional<std::size_t> caretLine() const = 0;
    // Puts the carets of every pane on this program line (from 1).
    virtual void goToLine(std::size_t line) = 0;
};

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
    // Lives as long as `parent`, the program's window; its windows close with it. owner: the
    // main frame, which the windows stay in front of.
    PlotWindows(std::unique_ptr<PlottedProgram> program, PlotWindowsShared& shared,
                const WorkDir& workDir, Notifier& notifier, QWidget* owner, QObject* parent);
    ~PlotWindows() override;

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

    std::unique_ptr<PlottedProgram> m_program;
    PlotWindowsShared& m_shared;
    const WorkDir& m_workDir;
    Notifier& m_notifier;
    QWidget* m_owner;
    std::array<QPointer<PlotWindow>, 2> m_windows;
};

}  // namespace quillon
