#include "editor/EditCommands.h"

#include <gtest/gtest.h>

#include <cctype>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"

namespace quillon {
namespace {

TEST(ClipboardText, JoinsWithCrLf)
{
    EXPECT_EQ(joinClipboardText({"G00 X0", ""}), "G00 X0\r\n");  // a whole line
    EXPECT_EQ(joinClipboardText({"X0"}), "X0");
    EXPECT_EQ(joinClipboardText({"A", "B", "C"}), "A\r\nB\r\nC");
}

TEST(ClipboardText, SplitsAtEveryKindOfLineEnd)
{
    struct Case {
        const char* scenario;
        std::string text;
        std::vector<std::string> strings;
    };
    const Case cases[] = {
        {"one line", "G01", {"G01"}},
        {"crlf", "A\r\nB", {"A", "B"}},
        {"lone lf", "A\nB", {"A", "B"}},
        {"lone cr", "A\rB", {"A", "B"}},
        {"lf cr is two ends", "A\n\rB", {"A", "", "B"}},
        {"trailing line end", "A\r\n", {"A", ""}},
        {"up to the first nul", std::string("A\r\nB\0C", 6), {"A", "B"}},
        {"empty", "", {""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitClipboardText(c.text), c.strings) << c.scenario;
}

class EditCommandsTest : public ::testing::Test {
protected:
    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    CLiDoc doc;
};

TEST_F(EditCommandsTest, InsertFileAsTextIsOneGroupReplacingTheSelection)
{
    test::openBytes(doc, dir, "N10 G0 X0\nN20 M30");
    dir.write("PART.NC", "G1 X5\r\nG1 Y5\n");
    const auto end =
        insertFileAsText(doc, dir.path("PART.NC"), Selection{{0, 4}, {0, 9}}, {0, 9}, notifier);
    ASSERT_TRUE(end);
    EXPECT_EQ(*end, (TextPos{2, 0}));
    EXPECT_EQ(test::joined(doc), "N10 G1 X5|G1 Y5||N20 M30");
    EXPECT_EQ(doc.undoDepth(), 1u);
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "N10 G0 X0|N20 M30");

    dir.write("ONE.NC", "(NOTE)");
    EXPECT_EQ(insertFileAsText(doc, dir.path("ONE.NC"), std::nullopt, {1, 4}, notifier),
              (TextPos{1, 10}));
    EXPECT_EQ(doc.lineText(1), "N20 (NOTE)M30");

    EXPECT_FALSE(insertFileAsText(doc, dir.path("NONE.NC"), std::nullopt, {0, 0}, notifier));
    EXPECT_EQ(notifier.texts().back(), "\"" + dir.path("NONE.NC") + "\" was not found.");
    EXPECT_EQ(doc.undoDepth(), 1u);
}

TEST_F(EditCommandsTest, UtilityEditWithUndoIsOneGroup)
{
    test::openBytes(doc, dir, "G0 X1\nG0 X2\nG0 X3");
    {
        UtilityEdit edit(doc, true);
        for (std::size_t line = 0; line < doc.lineCount(); ++line)
            edit.insertText(line, 0, "N" + std::to_string((line + 1) * 10) + " ");
        edit.replaceLine(2, "N30 G1 X3");
        edit.deleteText(0, 0, 4);
    }
    EXPECT_EQ(test::joined(doc), "G0 X1|N20 G0 X2|N30 G1 X3");
    EXPECT_EQ(doc.undoDepth(), 1u);
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "G0 X1|G0 X2|G0 X3");
    EXPECT_FALSE(doc.isModified());
}

TEST_F(EditCommandsTest, UtilityEditWithoutUndoEmptiesBothStacks)
{
    test::openBytes(doc, dir, "G0 X1\nG0 X2");
    {
        EditGroup group(doc);
        doc.InsertChar(0, 0, '(');
    }
    {
        EditGroup group(doc);
        doc.InsertChar(0, 0, '(');
    }
    doc.Undo();
    ASSERT_TRUE(doc.CanUndo());
    ASSERT_TRUE(doc.CanRedo());
    {
        UtilityEdit edit(doc, false);
        edit.replaceLine(1, "N20 G0 X2");
        edit.insertText(0, 0, "N10 ");
        edit.deleteText(0, 4, 1);
    }
    EXPECT_EQ(test::joined(doc), "N10 G0 X1|N20 G0 X2");
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_TRUE(doc.isModified());
}

TEST_F(EditCommandsTest, RewritingLinesSkipsLongOnesAndIsOneStepEitherWay)
{
    const std::string longLine(UtilityEdit::kLineLimit, 'X');
    for (const bool undo : {true, false}) {
        test::openBytes(doc, dir, "g0 x1\n" + longLine + "\ng0 x2\nG0 X3");
        std::vector<std::size_t> seen;
        std::size_t changed = 0;
        {
            UtilityEdit edit(doc, undo);
            edit.rewriteLines(
                0, 99, [&](std::size_t line, std::string_view text, std::string& newText) {
                    seen.push_back(line);
                    for (const char c : text)
                        newText += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                    return true;
                });
            changed = edit.changedLines();
        }
        EXPECT_EQ(seen, (std::vector<std::size_t>{0, 2, 3}));  // the long line is not offered
        EXPECT_EQ(changed, 2u);  // a line given back as it was is no change
        EXPECT_EQ(doc.lineText(0), "G0 X1");
        EXPECT_EQ(doc.lineText(2), "G0 X2");
        EXPECT_TRUE(doc.isModified());
        EXPECT_EQ(doc.CanUndo(), undo);
        if (undo) {
            doc.Undo();
            EXPECT_EQ(doc.lineText(0), "g0 x1");
            EXPECT_EQ(doc.lineText(2), "g0 x2");
            EXPECT_FALSE(doc.isModified());
        }
    }
}

TEST_F(EditCommandsTest, AfterAnUnrecordedUtilityUndoNeverClaimsTheSavedState)
{
    // Opened (saved state at depth 0), changed by a utility without records, then typed
    // into and undone back to depth 0: the utility's change is still unsaved.
    test::openBytes(doc, dir, "G0 X1");
    {
        UtilityEdit edit(doc, false);
        edit.insertText(0, 0, "N10 ");
    }
    {
        EditGroup group(doc);
        doc.InsertChar(0, doc.lineLength(0), ';');
    }
    doc.Undo();
    EXPECT_EQ(doc.lineText(0), "N10 G0 X1");
    EXPECT_TRUE(doc.isModified());
}

}  // namespace
}  // namespace quillon
