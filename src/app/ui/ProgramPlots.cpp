#include "app/ui/ProgramPlots.h"

#include "app/ui/QuillonApplication.h"
#include "backplot/ui/PlotWindows.h"
#include "editor/CLiDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"

namespace quillon {

namespace {

// The editor window as the plot windows see it.
class FrameProgram final : public PlottedProgram {
public:
    explicit FrameProgram(CChildFrame& frame) : m_frame(frame) {}

    ProgramLines lines() const override { return linesOf(m_frame.document()); }
    QString title() const override { return m_frame.documentTitle(); }

    std::optional<std::size_t> caretLine() const override
    {
        const CLiView* view = m_frame.activeView();
        if (!view)
            return std::nullopt;
        return view->caretState().caret.line;
    }

    void goToLine(std::size_t line) override
    {
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 2; ++column) {
                if (CLiView* view = m_frame.pane(row, column)) {
                    view->GoToLine(line);
                    view->viewport()->update();
                }
            }
        }
    }

private:
    CChildFrame& m_frame;
};

}  // namespace

PlotWindows& plotWindowsOf(CChildFrame& frame, QuillonApplication& app, QWidget* owner)
{
    if (auto* existing = frame.findChild<PlotWindows*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new PlotWindows(std::make_unique<FrameProgram>(frame), app.plotWindows(),
                            app.workDir(), app.notifier(), owner, &frame);
}

}  // namespace quillon
