// One of a document's two stacks of inverse records (undo and redo).
//
// Each primitive edit leaves one record saying what it did; undoing a record applies the
// opposite primitive, which records into the other stack, and that is how redo works.
// Records are grouped: an editor command or a utility run is one group, undone as a unit.
//
// Like the original's eight lists, every record keeps only what its kind needs, so a
// utility that edits millions of lines costs a few bytes per edit:
//
//   kind            payload            undone by
//   1 InsertChar    -                  DeleteChar
//   2 DeleteChar    the character      InsertChar, position after it
//   3 InsertText    its length         DeleteText
//   4 DeleteText    the text           InsertText, position after it
//   5 InsertBlock   its end position   DeleteBlock(start, end)
//   6 DeleteBlock   the strings        InsertBlock, position at its end
//   7 SplitLine     -                  JoinLines
//   8 JoinLines     -                  SplitLine
//   9 RewriteLines  the old lines      the old lines put back (see LineStore)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/LineStore.h"
#include "editor/TextPos.h"

namespace quillon {

enum class UndoKind : std::uint8_t {
    InsertChar = 1,
    DeleteChar = 2,
    InsertText = 3,
    DeleteText = 4,
    InsertBlock = 5,
    DeleteBlock = 6,
    SplitLine = 7,
    JoinLines = 8,
    RewriteLines = 9,
};

struct UndoRecord {
    UndoKind kind = UndoKind::InsertChar;
    TextPos position;
    TextPos end;                       // InsertBlock
    char character = 0;                // DeleteChar
    std::size_t length = 0;            // InsertText
    std::string text;                  // DeleteText
    std::vector<std::string> block;    // DeleteBlock
    LineStore::SavedLines savedLines;  // RewriteLines

    static UndoRecord at(UndoKind kind, TextPos position)
    {
        UndoRecord record;
        record.kind = kind;
        record.position = position;
        return record;
    }
};

class UndoStack {
public:
    void push(UndoRecord record);
    UndoRecord pop();

    // Closes a group of the given number of records.
    void pushGroup(std::size_t records) { m_groups.push_back(records); }
    std::size_t popGroup();

    // The number of groups.
    std::size_t depth() const { return m_groups.size(); }
    bool empty() const { return m_groups.empty(); }
    void clear();

private:
    std::vector<std::size_t> m_groups;
    std::vector<UndoKind> m_kinds;
    std::vector<TextPos> m_positions;  // InsertBlock pushes its end, then its start
    std::string m_characters;
    std::vector<std::size_t> m_lengths;
    std::vector<std::string> m_texts;
    std::vector<std::vector<std::string>> m_blocks;
    std::vector<LineStore::SavedLines> m_savedLines;
};

}  // namespace quillon
