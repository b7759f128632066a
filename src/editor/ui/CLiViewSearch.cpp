// The view's search, replace and bookmark commands.
#include <QApplication>
#include <QScreen>
#include <QScrollBar>

#include <cmath>

#include "editor/Search.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/EditorEnvironment.h"
#include "editor/ui/SearchDialogs.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

void CLiView::find()
{
    SearchState& search = m_environment.search();
    std::string preset = findTextAtCaret(m_doc, m_state);
    if (preset.empty())
        preset = search.options.text;  // an empty line has no word: the last text instead
    FindDialog dialog(search, fromBytes(preset), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    this->search(!search.findUp);
}

void CLiView::replace()
{
    SearchState& search = m_environment.search();
    const auto selection = m_state.selection();
    const bool severalLines = selection && selection->start.line != selection->end.line;
    const std::string preset = selectionInLine(m_doc, m_state).value_or(search.options.text);
    ReplaceDialog dialog(search, ReplaceDialog::Step::Start, fromBytes(preset), severalLines,
                         this);
    dialog.exec();
    switch (dialog.choice()) {
    case ReplaceDialog::Choice::FindNext:
        search.replaceMode = true;
        this->search(true);
        break;
    case ReplaceDialog::Choice::ReplaceAll:
        replaceAll(dialog.inSelection());
        break;
    case ReplaceDialog::Choice::Replace:
    case ReplaceDialog::Choice::Cancel:
        break;
    }
}

void CLiView::findNext()
{
    searchAgain(true);
}

void CLiView::findPrevious()
{
    searchAgain(false);
}

void CLiView::findWordNext()
{
    searchWordAtCaret(true);
}

void CLiView::findWordPrevious()
{
    searchWordAtCaret(false);
}

// F3 and Shift+F3 search at once, without a dialog; with nothing to search for the search
// fails like any other and says so.
void CLiView::searchAgain(bool forward)
{
    m_environment.search().takeSelection(selectionInLine(m_doc, m_state));
    search(forward);
}

void CLiView::searchWordAtCaret(bool forward)
{
    m_environment.search().takeWord(findTextAtCaret(m_doc, m_state));
    search(forward);
}

void CLiView::search(bool forward)
{
    SearchState& search = m_environment.search();
    const bool found = forward ? searchNext(m_doc, m_state, search.options)
                               : searchPrevious(m_doc, m_state, search.options);
    if (!found) {
        m_environment.notifier().message(notFoundText(search.options.text));
        return;
    }
    showMatch();
    if (search.replaceMode && selectionInLine(m_doc, m_state))
        askReplace();
}

void CLiView::showMatch()
{
    const std::size_t line = m_state.caret.line;
    const std::size_t top = topLine();
    const std::size_t visible = visibleLines();
    if (line < top || line >= top + visible)
        verticalScrollBar()->setValue(static_cast<int>(line - std::min(line, (visible - 1) / 2)));
    ensureCaretVisible();
    caretChanged();
    // The status bar follows even while a dialog holds the focus.
    emit m_environment.caretMoved(m_state.caret.line + 1, m_state.caret.column + 1);
    viewport()->update();
}

QPoint CLiView::askPosition() const
{
    const QPoint start = pointOf(m_state.caret);
    const int cell = static_cast<int>(std::ceil(metrics().averageCharWidth));
    const QPoint below(start.x() + 3 * cell,
                       start.y() + static_cast<int>(metrics().lineHeight) + 1);
    return viewport()->mapToGlobal(below);
}

void CLiView::askReplace()
{
    SearchState& search = m_environment.search();
    for (;;) {
        ReplaceDialog dialog(search, ReplaceDialog::Step::Ask, fromBytes(search.options.text),
                             false, this);
        QPoint place = askPosition();
        // Kept on the screen: a match near the bottom puts the dialog as low as it fits.
        if (const QScreen* screen = QApplication::screenAt(place)) {
            const QRect room = screen->availableGeometry();
            place.setX(std::clamp(place.x(), room.left(),
                                  std::max(room.left(), room.right() - dialog.width())));
            place.setY(std::clamp(place.y(), room.top(),
                                  std::max(room.top(), room.bottom() - dialog.height())));
        }
        dialog.move(place);
        dialog.exec();
        switch (dialog.choice()) {
        case ReplaceDialog::Choice::Replace:
            replaceSelection(m_doc, m_state, search.replaceText);
            showMatch();
            break;
        case ReplaceDialog::Choice::FindNext:
            break;
        case ReplaceDialog::Choice::ReplaceAll:
            replaceAll(false);
            return;
        case ReplaceDialog::Choice::Cancel:
            return;
        }
        if (!searchNext(m_doc, m_state, search.options)) {
            m_environment.notifier().message(notFoundText(search.options.text));
            return;
        }
        showMatch();
    }
}

void CLiView::replaceAll(bool inSelection)
{
    SearchState& search = m_environment.search();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::size_t count =
        inSelection ? replaceAllInSelection(m_doc, m_state, search.options, search.replaceText)
                    : replaceAllInFile(m_doc, m_state, search.options, search.replaceText);
    QApplication::restoreOverrideCursor();
    ensureCaretVisible();
    caretChanged();
    viewport()->update();
    m_environment.notifier().message(count > 0 ? replacedText(count)
                                               : notFoundText(search.options.text));
}

void CLiView::toggleBookmark()
{
    m_doc.ToggleBookmark(m_state.caret.line);
}

void CLiView::goToNextBookmark()
{
    if (const auto line = nextBookmark(m_doc, m_state.caret.line)) {
        moveCaret({*line, 0}, false);
        viewport()->update();
    }
}

void CLiView::goToPreviousBookmark()
{
    if (const auto line = previousBookmark(m_doc, m_state.caret.line)) {
        moveCaret({*line, 0}, false);
        viewport()->update();
    }
}

}  // namespace quillon
