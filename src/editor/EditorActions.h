// The editing commands of the editor view as functions over a document and a caret: what
// a key, the clipboard or a drop does to the text. Each is one edit group (see
// EditGroup), so Undo takes back exactly one command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "editor/EditCommands.h"
#include "editor/Search.h"
#include "editor/TextPos.h"

namespace quillon {

class CLiDoc;

// The caret and selection of one view. The selection runs between anchor and caret,
// whichever comes first, while `selecting` is set.
struct CaretState {
    TextPos caret;
    TextPos anchor;
    bool selecting = false;

    // The selection when one is active and not empty.
    std::optional<Selection> selection() const;
    bool hasSelection() const { return selection().has_value(); }
    // Caret there, no selection.
    void moveTo(TextPos position);
    // Caret there, the anchor staying where the selection started.
    void extendTo(TextPos position);
    void drop() { selecting = false; }
};

// A typed character: replaces a selection; in overwrite mode replaces the character under
// the caret (before the line end); the caret moves past it.
void typeCharacter(CLiDoc& doc, CaretState& state, char ch, bool overwrite);

// Enter: replaces a selection; splits the line in insert mode. In overwrite mode the text
// is kept, except on the last line, which is split. The caret goes to the next line's
// start.
void enterKey(CLiDoc& doc, CaretState& state, bool overwrite);

// Backspace and Delete: remove a selection, else one character, joining lines at the
// line boundaries. At the start (end) of the document nothing changes.
void backspaceKey(CLiDoc& doc, CaretState& state);
void deleteKey(CLiDoc& doc, CaretState& state);

// Tab: a selection over several lines is indented; otherwise a TAB replaces the selection.
void tabKey(CLiDoc& doc, CaretState& state);
// Shift+Tab: a selection over several lines is unindented by up to tabWidth spaces or one
// TAB; otherwise the caret goes back to the previous tab stop without changing the text.
void shiftTabKey(CLiDoc& doc, CaretState& state, int tabWidth);

// The text a copy puts on the clipboard: the selection, or the caret's line and a line end.
std::string copyText(const CLiDoc& doc, const CaretState& state);
// Cut: copies (the returned text) and removes the selection or the caret's whole line.
std::string cutText(CLiDoc& doc, CaretState& state);
// Paste: the clipboard text replaces the selection; the caret ends after it. An empty
// clipboard still removes the selection.
void pasteText(CLiDoc& doc, CaretState& state, std::string_view text);
// Caret at the start, anchor at the end of the document.
void selectAll(const CLiDoc& doc, CaretState& state);

// Removes the selection inside an edit group already open (no group of its own).
void removeSelection(CLiDoc& doc, CaretState& state);

// Dropping text dragged from this view's own selection: a move deletes the source and
// inserts at the drop position (shifted for what was removed before it) as one group;
// a drop inside the source selection changes nothing and only moves the caret.
void dropMoveWithinView(CLiDoc& doc, CaretState& state, TextPos drop);
// Dropping text from elsewhere (or a copy): inserted at the drop position as one group.
void dropText(CLiDoc& doc, CaretState& state, TextPos drop, std::string_view text);

// Replacing found text. Each is one edit group.
// The selection (a match) becomes the replacement; the caret goes after it.
void replaceSelection(CLiDoc& doc, CaretState& state, std::string_view replacement);
// Every match lying wholly inside a selection over several lines; the selection then
// covers the changed text. Returns the number replaced (0 without such a selection).
std::size_t replaceAllInSelection(CLiDoc& doc, CaretState& state, const SearchOptions& options,
                                  std::string_view replacement);
// Every match in the document; the caret goes to the start of its line.
std::size_t replaceAllInFile(CLiDoc& doc, CaretState& state, const SearchOptions& options,
                             std::string_view replacement);

// Searching from a view. Search next starts at the end of the selection (else at the
// caret) and searches forward with wrap; search previous starts at the start of the
// selection and searches backward with wrap. A match becomes the selection with the caret
// at its start and the anchor at its end; without one nothing moves.
bool searchNext(const CLiDoc& doc, CaretState& state, const SearchOptions& options);
bool searchPrevious(const CLiDoc& doc, CaretState& state, const SearchOptions& options);
// The text of a selection within one line; nothing without one.
std::optional<std::string> selectionInLine(const CLiDoc& doc, const CaretState& state);
// The selection within one line, else the word at the caret as a double click takes it: the
// run of non-blank characters or of blanks under the caret (the last run at the line end);
// empty on an empty line.
std::string findTextAtCaret(const CLiDoc& doc, const CaretState& state);

// Word boundaries: a word is a run of non-blank characters or a run of blanks.
std::size_t nextWordStart(std::string_view text, std::size_t column);
std::size_t previousWordStart(std::string_view text, std::size_t column);
// The word (or run of blanks) around the column, as [first, last).
std::pair<std::size_t, std::size_t> wordAt(std::string_view text, std::size_t column);

// The screen column of a byte column with TABs to every tabWidth columns, and back
// (the nearest byte column at or before the screen column).
std::size_t screenColumn(std::string_view text, std::size_t column, int tabWidth);
std::size_t byteColumnAtScreen(std::string_view text, std::size_t screen, int tabWidth);

}  // namespace quillon
