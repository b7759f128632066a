#include "app/ui/UtilityCommands.h"

#include <QApplication>
#include <QDialog>

#include "app/ui/QuillonApplication.h"
#include "backplot/ui/CycleTimeDialog.h"
#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/UtilityDialogs.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

UtilityCommands::UtilityCommands(QuillonApplication& app, QWidget* dialogParent)
    : m_app(app), m_dialogParent(dialogParent)
{
}

UtilityCommands::Range UtilityCommands::range(CChildFrame& frame)
{
    const std::size_t count = frame.document().lineCount();
    Range lines{0, count == 0 ? 0 : count - 1};
    if (const CLiView* view = frame.activeView()) {
        // Whole lines, whatever the columns: a selection ending at column 0 still takes
        // that line.
        if (const auto selection = view->caretState().selection())
            lines = {selection->start.line, std::min(selection->end.line, lines.last)};
    }
    return lines;
}

template <typename Work>
void UtilityCommands::run(CChildFrame& frame, bool recorded, Caret caret, Work&& work)
{
    CLiDoc& doc = frame.document();
    if (doc.lineCount() == 0)
        return;
    const Range lines = range(frame);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        UtilityEdit edit(doc, recorded || m_app.settings().undoForUtilities);
        work(edit, lines.first, lines.last);
    }
    QApplication::restoreOverrideCursor();
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            CLiView* pane = frame.pane(row, column);
            if (!pane)
                continue;
            if (caret == Caret::ToFirstLine)
                pane->setCaret({0, 0});
            pane->viewport()->update();
        }
    }
}

void UtilityCommands::renumber(CChildFrame& frame)
{
    RenumberDialog dialog(m_renumber, m_app.notifier(), m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_renumber = dialog.settings();
    std::optional<std::string> message;
    run(frame, false, Caret::ToFirstLine,
        [&](UtilityEdit& edit, std::size_t first, std::size_t last) {
            message = renumberLines(frame.document(), edit, first, last, m_renumber);
        });
    if (message)
        m_app.notifier().message(*message);
}

void UtilityCommands::removeBlockNumbers(CChildFrame& frame)
{
    const CLiDoc& doc = frame.document();
    if (doc.lineCount() == 0)
        return;
    const Range lines = range(frame);
    // A removal the user agreed to in spite of the cycles can always be undone.
    bool recorded = false;
    if (rangeHoldsCannedCycle(doc, lines.first, lines.last)) {
        if (!m_app.notifier().askYesNo(kRemoveNumbersWarningText, kRemoveNumbersWarningTitle,
                                       NoticeIcon::Exclamation))
            return;
        recorded = true;
    }
    run(frame, recorded, Caret::ToFirstLine,
        [&](UtilityEdit& edit, std::size_t first, std::size_t last) {
            quillon::removeBlockNumbers(frame.document(), edit, first, last);
        });
}

void UtilityCommands::compress(CChildFrame& frame)
{
    run(frame, false, Caret::Stays, [&](UtilityEdit& edit, std::size_t first, std::size_t last) {
        compressLines(frame.document(), edit, first, last);
    });
}

void UtilityCommands::expand(CChildFrame& frame)
{
    run(frame, false, Caret::Stays, [&](UtilityEdit& edit, std::size_t first, std::size_t last) {
        expandLines(frame.document(), edit, first, last);
    });
}

void UtilityCommands::modify(CChildFrame& frame)
{
    ModifyDialog dialog(m_modify, m_app.notifier(), m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_modify = dialog.settings();
    run(frame, false, Caret::ToFirstLine,
        [&](UtilityEdit& edit, std::size_t first, std::size_t last) {
            modifyLines(frame.document(), edit, first, last, m_modify);
        });
}

void UtilityCommands::rotate(CChildFrame& frame)
{
    RotateDialog dialog(m_rotate, m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_rotate = dialog.settings();
    run(frame, false, Caret::ToFirstLine,
        [&](UtilityEdit& edit, std::size_t first, std::size_t last) {
            rotateLines(frame.document(), edit, first, last, m_rotate);
        });
}

void UtilityCommands::minMax(CChildFrame& frame)
{
    const CLiDoc& doc = frame.document();
    if (doc.lineCount() == 0)
        return;
    const Range lines = range(frame);
    m_app.notifier().information(minMaxText(doc, lines.first, lines.last),
                                 toBytes(frame.documentTitle()));
}

void UtilityCommands::cycleTime(CChildFrame& frame)
{
    // Nothing to time: no dialog either.
    const CLiDoc& doc = frame.document();
    if (doc.isEmpty())
        return;
    CycleTimeDialog dialog(m_cycleTime, m_app.notifier(), m_dialogParent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_cycleTime = dialog.settings();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<double> seconds = estimateCycleTime(doc, m_cycleTime);
    QApplication::restoreOverrideCursor();
    if (seconds)
        m_app.notifier().message(cycleTimeText(*seconds));
}

}  // namespace quillon
