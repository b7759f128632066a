#include "backplot/ui/PlotWindows.h"

#include <QApplication>
#include <QMainWindow>

#include "backplot/BackplotChain.h"
#include "platform/Notifier.h"
#include "platform/WorkDir.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {

namespace {

// The 3D window reads all three axes: no arc plane until the program selects one.
constexpr int kAllAxes = 7;

std::size_t slotOf(PlotKind kind)
{
    return kind == PlotKind::TwoD ? 0 : 1;
}

QString kindName(PlotKind kind)
{
    return kind == PlotKind::TwoD ? "2D" : "3D";
}

}  // namespace

PlotWindows::PlotWindows(std::unique_ptr<PlottedProgram> program, PlotWindowsShared& shared,
                         const WorkDir& workDir, Notifier& notifier, QWidget* owner,
                         QObject* parent)
    : QObject(parent),
      m_program(std::move(program)),
      m_shared(shared),
      m_workDir(workDir),
      m_notifier(notifier),
      m_owner(owner)
{
}

PlotWindows::~PlotWindows()
{
    // The program's window goes: its plot windows go with it.
    for (const QPointer<PlotWindow>& window : m_windows) {
        if (window) {
            window->detachEditor();
            window->close();
        }
    }
}

PlotWindow* PlotWindows::window(PlotKind kind) const
{
    return m_windows[slotOf(kind)];
}

void PlotWindows::open(PlotKind kind, bool stepMode)
{
    if (window(kind)) {
        m_notifier.message((kindName(kind) + " plot is already on").toStdString());
        return;
    }
    PlotWindowCounter& counter = m_shared.counter(kind);
    auto* window =
        new PlotWindow(kind, stepMode, m_shared.settings, m_workDir, counter.opened(), m_owner);
    m_windows[slotOf(kind)] = window;
    connect(window, &PlotWindow::goToLine, this, &PlotWindows::goToLine);
    connect(window, &PlotWindow::findRequested, this, [this, window] { find(*window); });
    connect(window, &PlotWindow::rerunRequested, this,
            [this, window](const BackplotSettings& settings) { rerun(*window, settings); });
    connect(window, &PlotWindow::closing, this, [this, window] { forget(*window); });

    // The top-left corner of the screen, half the main frame's working area; a stored
    // place replaces it at the first build.
    const auto* main = qobject_cast<QMainWindow*>(m_owner);
    const QWidget* area = main && main->centralWidget() ? main->centralWidget() : m_owner;
    const QSize client = area ? area->size() : QSize(1280, 960);
    window->setGeometry(toQRect(firstPlotWindowRect(client.width(), client.height())));
    window->setPoints(runChain(kind, window->settings()), m_program->title(), true);
    window->show();
}

PlotBuild PlotWindows::runChain(PlotKind kind, const BackplotSettings& settings)
{
    BackplotSettings run = settings;
    if (kind == PlotKind::ThreeD)
        run.plane = kAllAxes;
    PlotBuild build;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written =
        runBackplotChain(m_program->lines(), run, m_workDir.tmp(), build, m_notifier);
    QApplication::restoreOverrideCursor();
    if (!written) {
        m_notifier.error("The backplot files could not be written in " + m_workDir.tmp() + ".");
    }
    return build;
}

void PlotWindows::goToLine(int line)
{
    if (line < 0)
        return;
    m_program->goToLine(static_cast<std::size_t>(line));
}

void PlotWindows::find(PlotWindow& window)
{
    const std::optional<std::size_t> line = m_program->caretLine();
    if (!line)
        return;
    const ProgramLines lines = m_program->lines();
    if (*line >= lines.count)
        return;
    const std::string text(lines.text(*line));
    window.find(findRequestGCode(text), static_cast<int>(*line));
}

void PlotWindows::rerun(PlotWindow& window, const BackplotSettings& settings)
{
    // The next window opens with what was chosen last.
    m_shared.settings = settings;
    window.setPoints(runChain(window.kind(), settings), m_program->title(), true);
}

void PlotWindows::forget(PlotWindow& window)
{
    m_shared.counter(window.kind()).closed();
    m_windows[slotOf(window.kind())] = nullptr;
}

}  // namespace quillon
