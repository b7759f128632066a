#include "editor/EditorActions.h"

#include <gtest/gtest.h>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"

namespace quillon {
namespace {

class EditorActionsTest : public test::EditingTest {};

TEST_F(EditorActionsTest, TypingInsertsReplacesAndOverwrites)
{
    load("G0 X1");
    state.moveTo({0, 3});
    typeCharacter(doc, state, 'Z', false);
    EXPECT_EQ(doc.lineText(0), "G0 ZX1");
    EXPECT_EQ(state.caret, (TextPos{0, 4}));

    typeCharacter(doc, state, 'Y', true);  // overwrite: the X goes
    EXPECT_EQ(doc.lineText(0), "G0 ZY1");
    state.moveTo({0, 6});
    typeCharacter(doc, state, ';', true);  // at the line end overwrite appends
    EXPECT_EQ(doc.lineText(0), "G0 ZY1;");

    select({0, 0}, {0, 2});
    typeCharacter(doc, state, 'M', true);  // a selection is replaced, nothing more
    EXPECT_EQ(doc.lineText(0), "M ZY1;");
    EXPECT_EQ(doc.undoDepth(), 4u);
    typeCharacter(doc, state, '\x02', false);  // control characters are text too
    EXPECT_EQ(doc.lineText(0), std::string("M\x02 ZY1;"));
}

TEST_F(EditorActionsTest, EnterSplitsExceptInOverwriteBeforeTheLastLine)
{
    load("AB\nCD");
    state.moveTo({0, 1});
    enterKey(doc, state, true);
    EXPECT_EQ(test::joined(doc), "AB|CD");
    EXPECT_EQ(state.caret, (TextPos{1, 0}));
    EXPECT_EQ(doc.undoDepth(), 0u);  // nothing changed, no group
    state.moveTo({1, 1});
    enterKey(doc, state, true);  // the last line splits even in overwrite mode
    EXPECT_EQ(test::joined(doc), "AB|C|D");
    state.moveTo({0, 1});
    enterKey(doc, state, false);
    EXPECT_EQ(test::joined(doc), "A|B|C|D");
    EXPECT_EQ(state.caret, (TextPos{1, 0}));
}

TEST_F(EditorActionsTest, BackspaceAndDeleteAtLineBoundaries)
{
    load("AB\nCD");
    state.moveTo({1, 0});
    backspaceKey(doc, state);
    EXPECT_EQ(test::joined(doc), "ABCD");
    EXPECT_EQ(state.caret, (TextPos{0, 2}));
    state.moveTo({0, 0});
    backspaceKey(doc, state);  // start of the document
    EXPECT_EQ(test::joined(doc), "ABCD");
    state.moveTo({0, 4});
    deleteKey(doc, state);  // end of the document
    EXPECT_EQ(test::joined(doc), "ABCD");
    EXPECT_FALSE(doc.CanRedo());

    load("AB\nCD");
    state.moveTo({0, 2});
    deleteKey(doc, state);
    EXPECT_EQ(test::joined(doc), "ABCD");
    state.moveTo({0, 1});
    deleteKey(doc, state);
    EXPECT_EQ(test::joined(doc), "ACD");
    state.moveTo({0, 2});
    backspaceKey(doc, state);
    EXPECT_EQ(test::joined(doc), "AD");
    EXPECT_EQ(state.caret, (TextPos{0, 1}));
}

TEST_F(EditorActionsTest, TabAndShiftTab)
{
    load("N10\nN20\nN30");
    select({0, 1}, {1, 2});
    tabKey(doc, state);
    EXPECT_EQ(test::joined(doc), "\tN10|\tN20|N30");
    EXPECT_EQ(state.selection()->start, (TextPos{0, 0}));
    EXPECT_EQ(state.selection()->end, (TextPos{2, 0}));
    EXPECT_EQ(state.caret, (TextPos{0, 0}));
    shiftTabKey(doc, state, 8);
    EXPECT_EQ(test::joined(doc), "N10|N20|N30");

    select({2, 0}, {2, 2});  // within one line: replaced by a TAB
    tabKey(doc, state);
    EXPECT_EQ(doc.lineText(2), "\t0");

    load("AB\tCDEFGHIJKL");
    state.moveTo({0, 12});  // screen column 17
    shiftTabKey(doc, state, 8);
    EXPECT_EQ(state.caret, (TextPos{0, 11}));  // screen column 16
    shiftTabKey(doc, state, 8);
    EXPECT_EQ(state.caret, (TextPos{0, 3}));  // after the TAB, screen column 8
    shiftTabKey(doc, state, 8);
    EXPECT_EQ(state.caret, (TextPos{0, 0}));
    EXPECT_EQ(doc.undoDepth(), 0u);
}

TEST_F(EditorActionsTest, CutCopyAndPaste)
{
    load("G00 X0\nG01 Y1\nM30");
    state.moveTo({0, 2});
    EXPECT_EQ(copyText(doc, state), "G00 X0\r\n");
    select({0, 4}, {1, 3});
    EXPECT_EQ(copyText(doc, state), "X0\r\nG01");

    state.moveTo({1, 1});
    EXPECT_EQ(cutText(doc, state), "G01 Y1\r\n");
    EXPECT_EQ(test::joined(doc), "G00 X0|M30");
    state.moveTo({1, 0});
    EXPECT_EQ(cutText(doc, state), "M30\r\n");  // the last line is emptied
    EXPECT_EQ(test::joined(doc), "G00 X0|");

    pasteText(doc, state, "N1\r\nN2\nN3\r");
    EXPECT_EQ(test::joined(doc), "G00 X0|N1|N2|N3|");
    EXPECT_EQ(state.caret, (TextPos{4, 0}));
    select({0, 0}, {0, 3});
    pasteText(doc, state, "");
    EXPECT_EQ(doc.lineText(0), " X0");
    pasteText(doc, state, "G1");
    EXPECT_EQ(doc.lineText(0), "G1 X0");
    EXPECT_EQ(state.caret, (TextPos{0, 2}));
}

TEST_F(EditorActionsTest, SelectAll)
{
    load("");
    selectAll(doc, state);
    EXPECT_FALSE(state.hasSelection());
    load("A\nBC");
    selectAll(doc, state);
    EXPECT_EQ(state.selection()->start, (TextPos{0, 0}));
    EXPECT_EQ(state.selection()->end, (TextPos{1, 2}));
}

TEST_F(EditorActionsTest, DragMoveWithinAViewIsOneUndoStep)
{
    struct Case {
        const char* scenario;
        TextPos from;
        TextPos to;
        TextPos drop;
        std::string after;
    };
    const Case cases[] = {
        {"later on the same line", {0, 0}, {0, 4}, {0, 7}, "X1 N10 Y2|M30"},
        {"earlier on the same line", {0, 7}, {0, 9}, {0, 0}, "Y2N10 X1 |M30"},
        {"to a later line", {0, 4}, {0, 7}, {1, 3}, "N10 Y2|M30X1 "},
        {"a line end to a later line", {0, 9}, {1, 1}, {1, 2}, "N10 X1 Y23|M0"},
        {"inside the source", {0, 0}, {0, 4}, {0, 2}, "N10 X1 Y2|M30"},
    };
    for (const auto& c : cases) {
        load("N10 X1 Y2\nM30");
        select(c.from, c.to);
        dropMoveWithinView(doc, state, c.drop);
        EXPECT_EQ(test::joined(doc), c.after) << c.scenario;
        if (c.after == "N10 X1 Y2|M30") {
            EXPECT_FALSE(doc.CanUndo()) << c.scenario;
            EXPECT_EQ(state.caret, c.drop) << c.scenario;
            continue;
        }
        EXPECT_EQ(doc.undoDepth(), 1u) << c.scenario;
        doc.Undo();
        EXPECT_EQ(test::joined(doc), "N10 X1 Y2|M30") << c.scenario;
    }

    load("N10\nN20");
    dropText(doc, state, {1, 3}, "(A)\r\n(B)");
    EXPECT_EQ(test::joined(doc), "N10|N20(A)|(B)");
    EXPECT_EQ(state.selection()->end, (TextPos{2, 3}));
}

TEST(Words, MovesAndDoubleClicks)
{
    const std::string_view text = "G01  X10.5 Y2";
    EXPECT_EQ(nextWordStart(text, 0), 5u);
    EXPECT_EQ(nextWordStart(text, 3), 5u);
    EXPECT_EQ(nextWordStart(text, 11), 13u);
    EXPECT_EQ(previousWordStart(text, 13), 11u);
    EXPECT_EQ(previousWordStart(text, 11), 5u);
    EXPECT_EQ(previousWordStart(text, 7), 5u);
    EXPECT_EQ(previousWordStart(text, 2), 0u);
    EXPECT_EQ(wordAt(text, 7), (std::pair<std::size_t, std::size_t>{5, 10}));
    EXPECT_EQ(wordAt(text, 3), (std::pair<std::size_t, std::size_t>{3, 5}));  // the blanks
    EXPECT_EQ(wordAt(text, 99), (std::pair<std::size_t, std::size_t>{11, 13}));
    EXPECT_EQ(screenColumn("a\tb", 2, 8), 8u);
    EXPECT_EQ(byteColumnAtScreen("a\tb", 8, 8), 2u);
    EXPECT_EQ(byteColumnAtScreen("a\tb", 5, 8), 1u);
}

}  // namespace
}  // namespace quillon
