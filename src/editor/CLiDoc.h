// The editor's document: one NC program as lines, with its file, marks and undo history.
//
// Every change of program text, by the editor or by a utility, goes through the
// primitive edits here; each leaves its inverse on the undo (or, while undoing, the redo)
// stack. Views observe the document; the document never shows a window itself but
// reports through a Notifier.
//
// Names: the operations that the editor's own vocabulary names (the primitive edits
// InsertChar .. UnindentLines, GetText, GetBlock, the undo bracket BeginEditGroup ..
// CanRedo, Undo, Redo, ToggleBookmark, SetBookmark) keep those names, so that the record
// kinds of the undo stack, the commands and the code read alike; every other method is
// lowerCamelCase, as everywhere in the program.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditLine.h"
#include "editor/LineStore.h"
#include "editor/TextPos.h"
#include "editor/UndoStack.h"
#include "platform/FileBytes.h"

namespace quillon {

class Notifier;

// What the views of a document hear about its changes.
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // The text of lines first..last changed in place.
    virtual void linesChanged(std::size_t first, std::size_t last) = 0;
    virtual void linesInserted(std::size_t at, std::size_t count) = 0;
    virtual void linesRemoved(std::size_t at, std::size_t count) = 0;
    // The whole text was replaced (new, open, reload).
    virtual void documentReset() = 0;
    virtual void modifiedChanged(bool modified) = 0;
    // A line's marks changed.
    virtual void flagsChanged(std::size_t line) = 0;
};

inline constexpr char kRefusedExtensionText[] = ".EXE  .COM and .DLL files can not be edited";
inline constexpr char kChangedOnDiskQuestion[] =
    "%s\n\nThis file has been modified by another program. Do you want to reload it?";

enum class DiskCheck { Unchanged, Reloaded, Kept };

// True for a name whose extension (after the last "." of the name part, any case) is
// .COM, .EXE or .DLL.
bool hasRefusedExtension(std::string_view path);

// "Too long line!..." with the column limit, as shown after opening a file holding one.
std::string tooLongLineText();

class CLiDoc {
public:
    CLiDoc();

    // ---- Life cycle ------------------------------------------------------------------

    // An untitled document of one empty line.
    void newDocument();
    // Loads the file; tells the user and leaves the document as it was when it cannot.
    bool open(const std::string& path, Notifier& notifier);
    // Writes the document to the path: the attribute checks and messages of the editor,
    // then an atomic replace. On success the path becomes the document's.
    bool save(const std::string& path, Notifier& notifier);
    // Whether Ctrl+S may write in place: there is a path and its file is not read-only.
    // Otherwise the Save As dialog is wanted.
    bool canSaveInPlace() const;

    // The file changed on disk since it was last read or saved (a missing file has not).
    bool changedOnDisk() const;
    std::string changedOnDiskQuestion() const;
    // When the file changed on disk: asks whether to reload it; Yes reloads (and warns of
    // a too long line), No keeps the document and takes the new date so that the same
    // change is not asked about again.
    DiskCheck checkDiskVersion(Notifier& notifier);
    // Takes the file's current date, so that the same change is not reported again.
    void acceptDiskVersion();
    // Reads the file again; the undo history is cleared.
    bool reload(Notifier& notifier);
    // After open or reload: the "Too long line!" information when a line is too long.
    void warnIfTooLong(Notifier& notifier) const;

    const std::string& pathName() const { return m_path; }
    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    bool expanded() const { return m_expanded; }
    void setExpanded(bool expanded) { m_expanded = expanded; }

    // ---- Reading ---------------------------------------------------------------------

    std::size_t lineCount() const { return m_lines.size(); }
    EditLine line(std::size_t index) const { return m_lines.line(index); }
    std::string_view lineText(std::size_t index) const { return m_lines.text(index); }
    std::size_t lineLength(std::size_t index) const { return m_lines.text(index).size(); }
    std::size_t longestLine() const { return m_lines.longestLine(); }
    bool anyLineTooLong() const { return m_lines.anyTooLong(); }
    // No text: no line, or the one empty line an empty file loads as.
    bool isEmpty() const { return lineCount() == 0 || (lineCount() == 1 && lineLength(0) == 0); }
    // The end of the last line.
    TextPos endPosition() const;

    // At most count characters of the line from the column.
    std::string_view GetText(std::size_t line, std::size_t column, std::size_t count) const;
    // The range as strings: the tail of line1 from col1, the lines between, the head of
    // line2 up to col2 (one string when both are on one line).
    std::vector<std::string> GetBlock(std::size_t line1, std::size_t col1, std::size_t line2,
                                      std::size_t col2) const;

    // Writes the text as a file is saved: CR LF between lines, none after the last.
    template <typename Sink>
    bool writeText(Sink&& sink) const
    {
        return m_lines.write(sink);
    }

    // ---- Primitive edits: each records its inverse and sets the modified flag --------

    void InsertChar(std::size_t line, std::size_t column, char ch);
    void DeleteChar(std::size_t line, std::size_t column);
    void InsertText(std::size_t line, std::size_t column, std::string_view text);
    void DeleteText(std::size_t line, std::size_t column, std::size_t count);
    // Returns the end of the inserted text.
    TextPos InsertBlock(std::size_t line, std::size_t column,
                        const std::vector<std::string>& strings);
    void DeleteBlock(std::size_t line1, std::size_t col1, std::size_t line2, std::size_t col2);
    void SplitLine(std::size_t line, std::size_t column);
    void JoinLines(std::size_t line, std::size_t column);
    void IndentLines(std::size_t first, std::size_t last, bool includeLast);
    void UnindentLines(std::size_t first, std::size_t last, bool includeLast, std::size_t width);

    // New texts for many lines at once (replace all, the utilities): one record, kept
    // compact however many lines change. The rewriter sees each line from first to last
    // and returns true when it has put the line's new text in `newText` (given empty).
    using LineRewriter =
        std::function<bool(std::size_t line, std::string_view text, std::string& newText)>;
    void rewriteLines(std::size_t first, std::size_t last, const LineRewriter& rewrite);

    // A utility's change of a whole line when undo for utilities is off: no record.
    // The saved state can no longer be reached by undo afterwards.
    void setLineTextDirect(std::size_t line, std::string text);

    // ---- Marks -----------------------------------------------------------------------

    std::size_t ToggleBookmark(std::size_t line);
    std::size_t SetBookmark(std::size_t line);
    std::size_t setLineFlag(std::size_t line, std::uint16_t flag, bool on);

    // ---- Groups, undo and redo -------------------------------------------------------

    void BeginEditGroup(bool intoUndo);
    void EndEditGroup();
    void ClearUndo() { undoStack.clear(); }
    void ClearRedo() { redoStack.clear(); }
    // After a group was recorded on the undo stack: the saved state is out of reach when
    // the group was pushed below it.
    void SettleCleanDepth();
    bool CanUndo() const { return !undoStack.empty(); }
    bool CanRedo() const { return !redoStack.empty(); }

    // Undoes (redoes) the last group; returns the last position reached, for the caret.
    std::optional<TextPos> Undo();
    std::optional<TextPos> Redo();

    std::size_t undoDepth() const { return undoStack.depth(); }
    std::size_t redoDepth() const { return redoStack.depth(); }
    // The undo depth of the saved state, or nothing once it cannot be reached.
    std::optional<std::size_t> cleanDepth() const;

    // ---- Views -----------------------------------------------------------------------

    void addObserver(DocumentObserver* observer);
    void removeObserver(DocumentObserver* observer);

private:
    void record(UndoRecord record);
    void touched();
    void resetHistory();
    bool loadFile(const std::string& path, Notifier& notifier);
    std::optional<TextPos> replay(UndoStack& from, bool intoUndo);
    void notifyChanged(std::size_t first, std::size_t last);
    void notifyRewritten(const LineStore::SavedLines& lines);
    void notifyInserted(std::size_t at, std::size_t count);
    void notifyRemoved(std::size_t at, std::size_t count);
    void notifyReset();

    LineStore m_lines;
    std::string m_path;
    std::optional<FileStamp> m_fileStamp;
    bool m_modified = false;

    // -1 when the saved state can no longer be reached by undo.
    std::int64_t cleanUndoDepth = 0;
    UndoStack undoStack;
    UndoStack redoStack;
    bool recordIntoUndo = true;
    std::size_t groupOpCount = 0;
    std::size_t m_depthAtGroupStart = 0;
    bool m_expanded = false;

    std::vector<DocumentObserver*> m_observers;
};

}  // namespace quillon
