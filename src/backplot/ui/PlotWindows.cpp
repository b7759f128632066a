#include "backplot/ui/PlotWindows.h"

#include <QApplication>
#include <QMainWindow>

#include "backplot/BackplotChain.h"
#include "backplot/PrePass.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
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

PlotWindows::PlotWindows(CChildFrame& frame, PlotWindowsShared& shared, const WorkDir& workDir,
                         Notifier& notifier, QWidget* owner)
    : QObject(&frame),
      m_frame(frame),
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

PlotWindows& PlotWindows::of(CChildFrame& frame, PlotWindowsShared& shared, const WorkDir& workDir,
                             Notifier& notifier, QWidget* owner)
{
    if (auto* existing = frame.findChild<PlotWindows*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new PlotWindows(frame, shared, workDir, notifier, owner);
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
    window->setPoints(runChain(kind, window->settings()), m_frame.documentTitle(), true);
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
        runBackplotChain(linesOf(m_frame.document()), run, m_workDir.tmp(), build, m_notifier);
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
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            if (CLiView* view = m_frame.pane(row, column)) {
                view->GoToLine(static_cast<std::size_t>(line));
                view->viewport()->update();
            }
        }
    }
}

void PlotWindows::find(PlotWindow& window)
{
    const CLiView* view = m_frame.activeView();
    if (!view)
        return;
    const std::size_t line = view->caretState().caret.line;
    const std::string text(m_frame.document().lineText(line));
    window.find(findRequestGCode(text), static_cast<int>(line));
}

void PlotWindows::rerun(PlotWindow& window, const BackplotSettings& settings)
{
    // The next window opens with what was chosen last.
    m_shared.settings = settings;
    window.setPoints(runChain(window.kind(), settings), m_frame.documentTitle(), true);
}

void PlotWindows::forget(PlotWindow& window)
{
    m_shared.counter(window.kind()).closed();
    m_windows[slotOf(window.kind())] = nullptr;
}

}  // namespace quillon
