// Editing rules that sit between a view and the document: the clipboard text form, the
// lines Tab works on, inserting a file, and the bracket of an editor command or utility.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/TextPos.h"

namespace quillon {

class CLiDoc;
class Notifier;

// The clipboard holds the strings of a copied range joined by CR LF. A whole line copied
// without a selection is the line and an empty string, so it ends with CR LF.
std::string joinClipboardText(const std::vector<std::string>& strings);
// Cut at CR LF, a lone CR or a lone LF, up to the first NUL; text that ends with a line
// end gives a last, empty string.
std::vector<std::string> splitClipboardText(std::string_view text);

struct Selection {
    TextPos start;  // the earlier end
    TextPos end;
};

// The lines Tab and Shift+Tab indent or unindent for a selection over several lines: from
// the start line; the end line only when the selection ends inside it (on the last line
// the selection runs to its end).
struct LineSpan {
    std::size_t first = 0;
    std::size_t last = 0;
    bool includeLast = false;
    Selection after;  // the selection over the processed lines
};
LineSpan tabLineSpan(const CLiDoc& doc, const Selection& selection);

// One editor command as one undo group: the group opens on construction and, on
// destruction, closes, empties the redo stack (whether anything changed or not) and
// settles the saved state.
class EditGroup {
public:
    explicit EditGroup(CLiDoc& doc);
    ~EditGroup();
    EditGroup(const EditGroup&) = delete;
    EditGroup& operator=(const EditGroup&) = delete;

private:
    CLiDoc& m_doc;
};

// "Insert File as text": the file's lines (cut as a file is loaded) replace the selection
// or go in at the caret, as one edit group. Returns the end of the inserted text, or
// nothing (after telling the user) when the file cannot be read.
std::optional<TextPos> insertFileAsText(CLiDoc& doc, const std::string& path,
                                        const std::optional<Selection>& selection, TextPos caret,
                                        Notifier& notifier);

// A utility's run over a document. With undo for utilities on, it is one edit group of
// primitive edits; with it off, lines change without records and both stacks are
// emptied at the end.
class UtilityEdit {
public:
    UtilityEdit(CLiDoc& doc, bool undoForUtilities);
    ~UtilityEdit();
    UtilityEdit(const UtilityEdit&) = delete;
    UtilityEdit& operator=(const UtilityEdit&) = delete;

    // Lines of this many characters or more are left as they are by the line utilities.
    static constexpr std::size_t kLineLimit = 4096;

    void insertText(std::size_t line, std::size_t column, std::string_view text);
    void deleteText(std::size_t line, std::size_t column, std::size_t count);
    // The whole text of a line, as the utilities rebuild lines.
    void replaceLine(std::size_t line, std::string text);

    // New texts for lines first..last, in order: `rewrite` is given each line shorter than
    // kLineLimit and returns true when it put the line's new text in `newText` (given
    // empty). Recorded as one compact step, however many lines change.
    using LineRewriter =
        std::function<bool(std::size_t line, std::string_view text, std::string& newText)>;
    void rewriteLines(std::size_t first, std::size_t last, const LineRewriter& rewrite);
    // Lines changed so far.
    std::size_t changedLines() const { return m_changed; }

private:
    CLiDoc& m_doc;
    bool m_recording;
    std::size_t m_changed = 0;
};

}  // namespace quillon
