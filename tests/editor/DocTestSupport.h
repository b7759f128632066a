// Documents made from bytes for the editor tests.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "editor/CLiDoc.h"
#include "editor/EditorActions.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {

// Positions in failure messages as (line, column).
inline void PrintTo(const TextPos& position, std::ostream* out)
{
    *out << '(' << position.line << ", " << position.column << ')';
}

}  // namespace quillon

namespace quillon::test {

// The lines of a document joined by "|", to compare whole texts at a glance.
inline std::string joined(const CLiDoc& doc)
{
    std::string text;
    for (std::size_t i = 0; i < doc.lineCount(); ++i) {
        if (i > 0)
            text += '|';
        text += doc.lineText(i);
    }
    return text;
}

// The lines of a document, one string each.
inline std::vector<std::string> linesOf(const CLiDoc& doc)
{
    std::vector<std::string> lines;
    lines.reserve(doc.lineCount());
    for (std::size_t i = 0; i < doc.lineCount(); ++i)
        lines.emplace_back(doc.lineText(i));
    return lines;
}

// Opens the bytes as a file in the working directory.
inline void openBytes(CLiDoc& doc, const TempWorkDir& dir, const std::string& bytes,
                      const std::string& name = "PROG.NC")
{
    dir.write(name, bytes);
    ScriptedNotifier notifier;
    doc.open(dir.path(name), notifier);
}

// A document opened from bytes with a caret: the fixture of the editing tests.
class EditingTest : public ::testing::Test {
protected:
    void load(const std::string& bytes) { openBytes(doc, dir, bytes); }
    void select(TextPos anchor, TextPos caret)
    {
        state.moveTo(anchor);
        state.extendTo(caret);
    }

    TempWorkDir dir;
    CLiDoc doc;
    CaretState state;
};

}  // namespace quillon::test
