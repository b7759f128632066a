#include "editor/Search.h"

#include <gtest/gtest.h>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"
#include "editor/EditorActions.h"

namespace quillon {
namespace {

SearchOptions find(std::string text, bool wholeWord = false, bool matchCase = false)
{
    return SearchOptions{std::move(text), matchCase, wholeWord};
}

TEST(FindInLineTest, WholeWordTreatsOnlyLettersDigitsAndUnderscoreAsWord)
{
    const auto x1 = find("X1", true);
    EXPECT_EQ(findInLine("G1 X1 Y2", 0, x1), 3u);
    EXPECT_EQ(findInLine("G1 X1.5 Y2", 0, x1), 3u);  // a full stop ends a word
    EXPECT_EQ(findInLine("G1 X10 X1", 0, x1), 7u);   // X10 skipped
    EXPECT_EQ(findInLine("G1 X10 X1_", 0, x1), std::nullopt);
    EXPECT_EQ(findInLine("X1", 0, x1), 0u);  // the line's ends bound a word
    EXPECT_EQ(findInLine("G1 X10", 0, find("X1")), 3u);
}

TEST(FindInLineTest, CaseStartColumnAndEmptyInputs)
{
    EXPECT_EQ(findInLine("g01 x5 X5", 0, find("X5")), 4u);
    EXPECT_EQ(findInLine("g01 x5 X5", 0, find("X5", false, true)), 7u);
    EXPECT_EQ(findInLine("X5 X5", 1, find("x5")), 3u);
    EXPECT_EQ(findInLine("X5 X5", 3, find("x5")), 3u);  // at the column itself
    EXPECT_EQ(findInLine("X5", 5, find("X5")), std::nullopt);
    EXPECT_EQ(findInLine("", 0, find("X")), std::nullopt);
    EXPECT_EQ(findInLine("X5", 0, find("")), std::nullopt);
    EXPECT_EQ(findInLine("X5", 0, find("X5\n")), std::nullopt);
    EXPECT_EQ(findInLine("X5", 0, find("X5 ")), std::nullopt);
    // Bytes above 127 are compared as they are, never folded.
    EXPECT_EQ(findInLine("(\xC4)", 0, find("\xE4")), std::nullopt);
    EXPECT_EQ(findInLine("(\xC4)", 0, find("\xC4")), 1u);
}

TEST(FindInLineTest, BackwardTakesTheLastMatchEndingByTheLimit)
{
    const auto x = find("X1");
    EXPECT_EQ(findInLineBackward("X1 X1 X1", std::nullopt, x), 6u);
    EXPECT_EQ(findInLineBackward("X1 X1 X1", 7, x), 3u);  // 6..8 ends past 7
    EXPECT_EQ(findInLineBackward("X1 X1 X1", 8, x), 6u);
    EXPECT_EQ(findInLineBackward("X1 X1 X1", 1, x), std::nullopt);
    EXPECT_EQ(findInLineBackward("X1 X10", std::nullopt, find("X1", true)), 0u);
    EXPECT_EQ(findInLineBackward("", std::nullopt, x), std::nullopt);
}

class SearchDocTest : public test::EditingTest {};

TEST_F(SearchDocTest, DocumentSearchesWrapAndNeverSpanLines)
{
    load("G0 X1\nY2 X1\nM30");
    const auto x1 = find("X1");
    EXPECT_EQ(FindForward(doc, {0, 4}, x1), (TextPos{1, 3}));
    EXPECT_EQ(FindForward(doc, {1, 4}, x1), std::nullopt);
    EXPECT_EQ(FindForwardWrap(doc, {1, 4}, x1), (TextPos{0, 3}));
    EXPECT_EQ(FindBackwardWrap(doc, {1, 3}, x1), (TextPos{0, 3}));
    EXPECT_EQ(FindBackwardWrap(doc, {0, 3}, x1), (TextPos{1, 3}));  // round the start
    EXPECT_EQ(FindForwardWrap(doc, {0, 0}, find("X1\nY2")), std::nullopt);
    EXPECT_EQ(FindForwardWrap(doc, {0, 0}, find("M31")), std::nullopt);
}

TEST_F(SearchDocTest, SearchNextSelectsTheMatchCaretFirstAndStartsAfterTheSelection)
{
    load("X1 X1\nX1");
    const auto x1 = find("X1");
    state.moveTo({0, 1});
    ASSERT_TRUE(searchNext(doc, state, x1));
    EXPECT_EQ(state.caret, (TextPos{0, 3}));
    EXPECT_EQ(state.anchor, (TextPos{0, 5}));
    ASSERT_TRUE(searchNext(doc, state, x1));  // from the selection's end
    EXPECT_EQ(state.caret, (TextPos{1, 0}));
    ASSERT_TRUE(searchNext(doc, state, x1));  // wraps
    EXPECT_EQ(state.caret, (TextPos{0, 0}));
    ASSERT_TRUE(searchPrevious(doc, state, x1));  // from the selection's start, round
    EXPECT_EQ(state.caret, (TextPos{1, 0}));
    ASSERT_TRUE(searchPrevious(doc, state, x1));
    EXPECT_EQ(state.caret, (TextPos{0, 3}));

    const CaretState before = state;
    EXPECT_FALSE(searchNext(doc, state, find("Z9")));
    EXPECT_EQ(state.caret, before.caret);  // nothing moves
    EXPECT_EQ(state.anchor, before.anchor);

    load("G0 X1");  // the only match is found again from itself
    select({0, 3}, {0, 5});
    ASSERT_TRUE(searchNext(doc, state, x1));
    EXPECT_EQ(state.caret, (TextPos{0, 3}));
}

TEST_F(SearchDocTest, FindTextComesFromASelectionInOneLineOrTheWordAtTheCaret)
{
    load("G01 X10.5  Y2\nM30");
    state.moveTo({0, 6});
    EXPECT_EQ(findTextAtCaret(doc, state), "X10.5");
    state.moveTo({0, 4});  // on the word's first character
    EXPECT_EQ(findTextAtCaret(doc, state), "X10.5");
    state.moveTo({0, 9});  // just after the word: the blanks are a word too
    EXPECT_EQ(findTextAtCaret(doc, state), "  ");
    state.moveTo({0, 10});  // among blanks
    EXPECT_EQ(findTextAtCaret(doc, state), "  ");
    state.moveTo({1, 3});  // at the line end: the last word
    EXPECT_EQ(findTextAtCaret(doc, state), "M30");
    select({0, 1}, {0, 3});
    EXPECT_EQ(findTextAtCaret(doc, state), "01");
    select({0, 1}, {1, 1});
    EXPECT_EQ(selectionInLine(doc, state), std::nullopt);
    EXPECT_EQ(findTextAtCaret(doc, state), "M30");
}

TEST(SearchStateTest, SelectionBecomesFindTextOnlyWhenItDiffers)
{
    SearchState search;
    search.options = find("x1", true, false);
    search.takeSelection(std::string("X1"));  // equal but for case: kept, flags too
    EXPECT_EQ(search.options.text, "x1");
    EXPECT_TRUE(search.options.wholeWord);
    search.options.matchCase = true;
    search.takeSelection(std::string("X1"));
    EXPECT_EQ(search.options.text, "X1");
    EXPECT_FALSE(search.options.wholeWord);
    EXPECT_FALSE(search.options.matchCase);
    search.takeSelection(std::nullopt);
    EXPECT_EQ(search.options.text, "X1");

    search.replaceMode = true;
    search.takeWord("G0");
    EXPECT_FALSE(search.replaceMode);
    EXPECT_EQ(search.options.text, "G0");
}

TEST(SearchStateTest, HistoriesHoldThirtyAndTheReplaceListsOneMore)
{
    SearchState search;
    for (int i = 0; i < 40; ++i) {
        search.findHistory.add("F" + std::to_string(i));
        search.storeReplace("R" + std::to_string(i), "W" + std::to_string(i));
    }
    EXPECT_EQ(search.findHistory.entries().size(), 30u);
    EXPECT_EQ(search.replaceFindHistory.entries().size(), 31u);
    EXPECT_EQ(search.replaceWithHistory.entries().size(), 31u);
    EXPECT_EQ(search.findHistory.entries().front(), "F39");
    EXPECT_EQ(search.findHistory.entries().back(), "F10");

    search.findHistory.add("F20");  // entered again: moved to the top, not doubled
    EXPECT_EQ(search.findHistory.entries().front(), "F20");
    EXPECT_EQ(search.findHistory.entries().size(), 30u);
    EXPECT_EQ(std::count(search.findHistory.entries().begin(), search.findHistory.entries().end(),
                         "F20"),
              1);

    search.storeReplace("X1", "");  // an empty replacement stays out of its list
    EXPECT_EQ(search.replaceWithHistory.entries().front(), "W39");
    EXPECT_EQ(search.replaceText, "");
}

TEST_F(SearchDocTest, ReplaceAllInFileIsPlainSubstitutionInOneGroup)
{
    load("G0 G01\nX0\nG0");
    ASSERT_EQ(replaceAllInFile(doc, state, find("G0"), "G00"), 3u);
    EXPECT_EQ(test::joined(doc), "G00 G001|X0|G00");
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.undoDepth(), 1u);
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "G0 G01|X0|G0");
    EXPECT_FALSE(doc.isModified());
    doc.Redo();
    EXPECT_EQ(test::joined(doc), "G00 G001|X0|G00");

    EXPECT_EQ(replaceAllInFile(doc, state, find("G001", true), ""), 1u);  // deletes
    EXPECT_EQ(test::joined(doc), "G00 |X0|G00");
    EXPECT_EQ(replaceAllInFile(doc, state, find("Q"), "R"), 0u);
    EXPECT_EQ(doc.undoDepth(), 2u);  // nothing replaced, nothing recorded
}

TEST_F(SearchDocTest, ReplaceAllInFileMovesTheCaretToItsLineStart)
{
    load("X1 X1\nY1 X1");
    state.moveTo({1, 4});
    replaceAllInFile(doc, state, find("X1"), "X100");
    EXPECT_EQ(state.caret, (TextPos{1, 0}));
    EXPECT_FALSE(state.hasSelection());
}

TEST_F(SearchDocTest, ReplaceAllInSelectionStaysInsideAndMovesTheSelectionEnd)
{
    load("X1 X1\nX1 X1\nX1 X1");
    select({0, 3}, {2, 4});  // the last X1 runs past the selection's end
    ASSERT_EQ(replaceAllInSelection(doc, state, find("X1"), "X22"), 4u);
    EXPECT_EQ(test::joined(doc), "X1 X22|X22 X22|X22 X1");
    EXPECT_EQ(state.anchor, (TextPos{0, 3}));
    EXPECT_EQ(state.caret, (TextPos{2, 5}));
    EXPECT_EQ(doc.undoDepth(), 1u);

    load("X1 X1\nX1");
    select({0, 0}, {0, 5});  // within one line: nothing
    EXPECT_EQ(replaceAllInSelection(doc, state, find("X1"), "Y"), 0u);
    EXPECT_EQ(test::joined(doc), "X1 X1|X1");

    load("AB\nAB");
    select({1, 1}, {0, 0});  // a selection made upwards counts the same
    EXPECT_EQ(replaceAllInSelection(doc, state, find("AB"), ""), 1u);
    EXPECT_EQ(test::joined(doc), "|AB");
    EXPECT_EQ(state.caret, (TextPos{1, 1}));
}

TEST_F(SearchDocTest, ReplaceSelectionIsOneGroupWithTheCaretAfterIt)
{
    load("G0 X1\nY1");
    select({0, 3}, {1, 1});
    replaceSelection(doc, state, "Z5");
    EXPECT_EQ(test::joined(doc), "G0 Z51");
    EXPECT_EQ(state.caret, (TextPos{0, 5}));
    EXPECT_FALSE(state.hasSelection());
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "G0 X1|Y1");
}

// The bulk rewrite keeps its old texts as references: undo and redo must give back every
// byte, whatever kind of line was rewritten, and keep the line marks.
TEST_F(SearchDocTest, RewrittenLinesSurviveUndoRedoEditsAndSave)
{
    load("G0 X1\r\nG0 Y1\r\nM30");
    {
        EditGroup group(doc);
        doc.InsertChar(1, 0, 'N');  // a line with a text of its own
    }
    doc.ToggleBookmark(0);
    ASSERT_EQ(replaceAllInFile(doc, state, find("G0"), "G00"), 2u);
    EXPECT_EQ(test::joined(doc), "G00 X1|NG00 Y1|M30");
    EXPECT_TRUE(doc.line(0).hasFlag(LineFlag::Bookmark));

    {
        EditGroup group(doc);
        doc.InsertText(0, 0, "(A)");  // an ordinary edit on a rewritten line
    }
    replaceAllInFile(doc, state, find("X1"), std::string(kMaxColouredLine + 1, 'X'));
    EXPECT_TRUE(doc.line(0).hasFlag(LineFlag::TooLong));
    doc.Undo();
    EXPECT_FALSE(doc.line(0).hasFlag(LineFlag::TooLong));
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "G0 X1|NG0 Y1|M30");
    EXPECT_TRUE(doc.line(0).hasFlag(LineFlag::Bookmark));
    doc.Redo();
    doc.Redo();
    EXPECT_EQ(test::joined(doc), "(A)G00 X1|NG00 Y1|M30");

    ScriptedNotifier notifier;
    ASSERT_TRUE(doc.save(dir.path("OUT.NC"), notifier));
    EXPECT_EQ(dir.read("OUT.NC"), "(A)G00 X1\r\nNG00 Y1\r\nM30");
}

TEST_F(SearchDocTest, RewritingManyLinesFillsMoreThanOneArenaBlock)
{
    std::string bytes;
    for (int i = 0; i < 40000; ++i)
        bytes += "N" + std::to_string(i) + " G1 X" + std::to_string(i) + "\n";
    load(bytes);
    ASSERT_EQ(replaceAllInFile(doc, state, find("G1"), "G01 G01 G01 G01"), 40000u);
    EXPECT_EQ(doc.lineText(39999), "N39999 G01 G01 G01 G01 X39999");
    EXPECT_EQ(doc.lineText(0), "N0 G01 G01 G01 G01 X0");
    doc.Undo();
    EXPECT_EQ(doc.lineText(20000), "N20000 G1 X20000");
}

TEST_F(SearchDocTest, BookmarksWrapAroundAndASingleOneIsFoundFromAnywhere)
{
    load("A\nB\nC\nD");
    EXPECT_EQ(nextBookmark(doc, 1), std::nullopt);
    EXPECT_EQ(previousBookmark(doc, 1), std::nullopt);
    doc.ToggleBookmark(2);
    for (std::size_t line = 0; line < 4; ++line) {
        EXPECT_EQ(nextBookmark(doc, line), 2u) << line;
        EXPECT_EQ(previousBookmark(doc, line), 2u) << line;
    }
    doc.ToggleBookmark(0);
    EXPECT_EQ(nextBookmark(doc, 2), 0u);
    EXPECT_EQ(nextBookmark(doc, 0), 2u);
    EXPECT_EQ(previousBookmark(doc, 0), 2u);
    EXPECT_EQ(previousBookmark(doc, 3), 2u);
}

}  // namespace
}  // namespace quillon
