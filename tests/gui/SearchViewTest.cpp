// The view's find, replace and bookmark commands with their dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "editor/DocTestSupport.h"
#include "editor/ui/SearchDialogs.h"
#include "gui/GuiTestSupport.h"
#include "gui/ViewHarness.h"

namespace quillon {
namespace {

using test::ViewHarness;

// A selection from anchor to caret; none when they are the same.
void select(ViewHarness& h, TextPos anchor, TextPos caret)
{
    h.view->setCaret(anchor);
    if (caret != anchor)
        h.view->setCaret(caret, true);
}

TEST(SearchViewTest, FindDialogPresetsEnableRuleAndDirection)
{
    ViewHarness h("G0 X10.5\nG1 X10.5\nX10.5 M30");
    h.view->setCaret({1, 5});
    bool shown = false;
    test::onNextDialog<FindDialog>([&](FindDialog& dialog) {
        shown = true;
        test::saveScreenshot(dialog, "find-dialog");
        EXPECT_EQ(dialog.windowTitle(), "Find");
        EXPECT_EQ(dialog.findField()->currentText(), "X10.5");  // the word at the caret
        EXPECT_TRUE(dialog.findNextButton()->isEnabled());
        dialog.findField()->setEditText("");
        EXPECT_FALSE(dialog.findNextButton()->isEnabled());
        dialog.findField()->setEditText("x10.5");
        dialog.upButton()->setChecked(true);
        dialog.findNextButton()->click();
    });
    h.key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(shown);
    // Up from the caret inside line 1's X10.5: the one on line 0, caret at its start.
    EXPECT_EQ(h.view->caretState().caret, (TextPos{0, 3}));
    EXPECT_EQ(h.view->caretState().anchor, (TextPos{0, 8}));
    SearchState& search = h.environment->search();
    EXPECT_TRUE(search.findUp);
    EXPECT_EQ(search.findHistory.entries().front(), "x10.5");

    // The choices come back the next time, with the history in the drop-down.
    test::onNextDialog<FindDialog>([&](FindDialog& dialog) {
        EXPECT_TRUE(dialog.upButton()->isChecked());
        EXPECT_EQ(dialog.findField()->count(), 1);
        EXPECT_EQ(dialog.findField()->currentText(), "X10.5");  // the selection now
        dialog.reject();
    });
    h.view->find();
}

TEST(SearchViewTest, FindNextTakesADifferentSelectionAndReportsNoMatch)
{
    ViewHarness h("G0 X1\nG1 Y2\nG0 Y2");
    SearchState& search = h.environment->search();
    search.options = {"X1", true, true};
    select(h, {1, 3}, {1, 5});  // "Y2"
    h.key(Qt::Key_F3);
    EXPECT_EQ(search.options.text, "Y2");
    EXPECT_FALSE(search.options.wholeWord);
    EXPECT_EQ(h.caret(), (TextPos{2, 3}));
    h.key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(h.caret(), (TextPos{1, 3}));

    search.options.text = "Z9";
    h.view->setCaret({0, 0});
    h.key(Qt::Key_F3);
    EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"String 'Z9' is not founf."}));
    EXPECT_EQ(h.caret(), (TextPos{0, 0}));
}

TEST(SearchViewTest, MatchingTextSearchesTakeTheWordAtTheCaret)
{
    ViewHarness h("G0 X1\nG1 X1\nG0 X1");
    h.environment->search().replaceMode = true;
    h.view->setCaret({1, 1});
    h.key(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(h.environment->search().options.text, "G1");
    EXPECT_FALSE(h.environment->search().replaceMode);
    EXPECT_EQ(h.caret(), (TextPos{1, 0}));  // the only one: found again
    h.view->setCaret({0, 4});
    h.key(Qt::Key_F3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(h.caret(), (TextPos{2, 3}));
}

TEST(SearchViewTest, FindNextAndPrevSearchAtOnceEvenWithNothingToFind)
{
    ViewHarness h("G0 X1\nG1 X2");
    h.view->setCaret({1, 1});
    for (const auto mods :
         {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        h.messages.clear();
        bool dialogOpened = false;
        test::onNextDialog<QDialog>([&](QDialog& dialog) {
            dialogOpened = true;
            dialog.reject();
        });
        h.key(Qt::Key_F3, mods);
        QCoreApplication::processEvents();
        EXPECT_FALSE(dialogOpened) << "F3 opens no dialog";
        EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"String '' is not founf."}));
        EXPECT_EQ(h.caret(), (TextPos{1, 1}));
    }
}

struct WordSearchCase {
    const char* name;
    const char* text;
    TextPos anchor;  // equal to the caret: no selection
    TextPos caret;
    const char* findText;
    TextPos found;  // the caret after Ctrl+F3
};

void PrintTo(const WordSearchCase& c, std::ostream* out)
{
    *out << c.name;
}

class MatchingTextTest : public testing::TestWithParam<WordSearchCase> {};

TEST_P(MatchingTextTest, CtrlF3TakesTheEditorsWordAtTheCaret)
{
    const WordSearchCase& c = GetParam();
    ViewHarness h(c.text);
    select(h, c.anchor, c.caret);
    h.key(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(h.environment->search().options.text, c.findText);
    EXPECT_EQ(h.caret(), c.found);
    EXPECT_TRUE(h.messages.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Words, MatchingTextTest,
    testing::Values(
        WordSearchCase{
            "InsideAWordTheWholeWord", "G1 X10.5 Y1\nG0 X10.5", {0, 6}, {0, 6}, "X10.5", {1, 3}},
        WordSearchCase{
            "AmongBlanksTheRunOfBlanks", "G1 X1   Y1\nG2   Z3", {0, 6}, {0, 6}, "   ", {1, 2}},
        // The search starts at the caret, so the blanks themselves are the first match.
        WordSearchCase{
            "JustAfterAWordTheBlanksThatFollow", "X1  Y1\nY1  X1", {0, 2}, {0, 2}, "  ", {0, 2}},
        WordSearchCase{"AtTheLineEndTheLastWord", "G0 X1\nX1 M30", {0, 5}, {0, 5}, "X1", {1, 0}},
        WordSearchCase{"ASelectionInOneLine", "G0 X1\nG1 X2", {0, 3}, {0, 4}, "X", {1, 3}}),
    [](const testing::TestParamInfo<WordSearchCase>& info) {
        return std::string(info.param.name);
    });

TEST(SearchViewTest, CtrlF3OnAnEmptyLineSaysNothingWasFound)
{
    ViewHarness h("G0 X1\n\nG1 X2");
    h.view->setCaret({1, 0});
    h.key(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"String '' is not founf."}));
    EXPECT_EQ(h.caret(), (TextPos{1, 0}));
}

struct PresetCase {
    const char* name;
    TextPos anchor;
    TextPos caret;
    const char* preset;
};

void PrintTo(const PresetCase& c, std::ostream* out)
{
    *out << c.name;
}

class FindPresetTest : public testing::TestWithParam<PresetCase> {};

TEST_P(FindPresetTest, TheFindFieldStartsWithTheWordAtTheCaretOrTheSelection)
{
    const PresetCase& c = GetParam();
    ViewHarness h("G1 X10.5  Y2\n\nM30");
    h.environment->search().options.text = "LAST";
    select(h, c.anchor, c.caret);
    QString preset;
    test::onNextDialog<FindDialog>([&](FindDialog& dialog) {
        preset = dialog.findField()->currentText();
        dialog.reject();
    });
    h.key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(preset, c.preset);
}

INSTANTIATE_TEST_SUITE_P(
    Presets, FindPresetTest,
    testing::Values(PresetCase{"OnAWordsFirstCharacter", {0, 3}, {0, 3}, "X10.5"},
                    PresetCase{"AmongBlanks", {0, 9}, {0, 9}, "  "},
                    PresetCase{"AtTheLineEnd", {2, 3}, {2, 3}, "M30"},
                    PresetCase{"ASelectionInOneLine", {0, 4}, {0, 7}, "10."},
                    PresetCase{"ASelectionOverTwoLinesCountsAsNone", {0, 0}, {2, 1}, "M30"},
                    PresetCase{"AnEmptyLineKeepsTheLastText", {1, 0}, {1, 0}, "LAST"}),
    [](const testing::TestParamInfo<PresetCase>& info) { return std::string(info.param.name); });

TEST(SearchViewTest, ReplaceAllInTheSelectionReportsTheCountAndUndoesAtOnce)
{
    ViewHarness h("G0 X0\nG0 X1\nG0 X2\nG0 X3");
    select(h, {1, 0}, {2, 5});
    test::onNextDialog<ReplaceDialog>([&](ReplaceDialog& dialog) {
        test::saveScreenshot(dialog, "replace-dialog");
        EXPECT_EQ(dialog.windowTitle(), "Replace");
        EXPECT_TRUE(dialog.selectionButton()->isChecked());  // several lines selected
        EXPECT_FALSE(dialog.replaceButton()->isEnabled());   // nothing found yet
        dialog.findField()->setEditText("G0");
        dialog.replaceField()->setEditText("G00");
        dialog.replaceAllButton()->click();
    });
    h.key(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(test::joined(h.doc), "G0 X0|G00 X1|G00 X2|G0 X3");
    EXPECT_EQ(h.messages.texts(),
              (std::vector<std::string>{"2 occurrence(s) have been replaced."}));
    h.view->undo();
    EXPECT_EQ(test::joined(h.doc), "G0 X0|G0 X1|G0 X2|G0 X3");

    h.messages.clear();
    h.view->setCaret({3, 2});
    test::onNextDialog<ReplaceDialog>([&](ReplaceDialog& dialog) {
        EXPECT_TRUE(dialog.wholeFileButton()->isChecked());
        EXPECT_EQ(dialog.findField()->currentText(), "G0");  // the last find text
        dialog.findField()->setEditText("Q");
        dialog.replaceAllButton()->click();
    });
    h.view->replace();
    EXPECT_EQ(h.messages.texts(), (std::vector<std::string>{"String 'Q' is not founf."}));
}

// Find Next in the Replace dialog asks at each match: Replace, Find Next, then Cancel.
TEST(SearchViewTest, TheAskStepStandsBelowEachMatch)
{
    ViewHarness h("N1 G0 X1\nN2 G0 X2\nN3 G0 X3");
    std::vector<QPoint> places;
    std::vector<QPoint> expected;
    auto step = [&](std::function<void(ReplaceDialog&)> then) {
        return [&, then](ReplaceDialog& dialog) {
            places.push_back(dialog.pos());
            expected.push_back(h.view->askPosition());
            EXPECT_TRUE(dialog.replaceButton()->isEnabled());
            EXPECT_FALSE(dialog.selectionButton()->isEnabled());
            then(dialog);
        };
    };
    test::onNextDialog<ReplaceDialog>([&](ReplaceDialog& dialog) {
        dialog.findField()->setEditText("G0");
        dialog.replaceField()->setEditText("G00");
        test::onNextDialog<ReplaceDialog>(step([&](ReplaceDialog& ask) {
            EXPECT_EQ(h.caret(), (TextPos{0, 3}));
            test::saveScreenshot(ask, "replace-ask");
            test::onNextDialog<ReplaceDialog>(step([&](ReplaceDialog& second) {
                EXPECT_EQ(h.caret(), (TextPos{1, 3}));
                test::onNextDialog<ReplaceDialog>(step([&](ReplaceDialog& third) {
                    EXPECT_EQ(h.caret(), (TextPos{2, 3}));
                    third.reject();
                }));
                second.findNextButton()->click();
            }));
            ask.replaceButton()->click();
        }));
        dialog.findNextButton()->click();
    });
    h.view->replace();
    EXPECT_EQ(test::joined(h.doc), "N1 G00 X1|N2 G0 X2|N3 G0 X3");
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places, expected);
    const QPoint matchStart = h.view->viewport()->mapToGlobal(h.view->pointOf({2, 3}));
    EXPECT_GT(expected[2].x(), matchStart.x());
    EXPECT_EQ(expected[2].y(), matchStart.y() + h.view->rowRect(2).height() + 1);
    EXPECT_TRUE(h.environment->search().replaceMode);
}

TEST(SearchViewTest, BookmarkKeysToggleAndWalkRound)
{
    ViewHarness h("A\nB\nC\nD\nE");
    h.view->setCaret({3, 1});
    h.key(Qt::Key_F2, Qt::ControlModifier);
    EXPECT_TRUE(h.doc.line(3).hasFlag(LineFlag::Bookmark));
    h.view->setCaret({1, 0});
    h.key(Qt::Key_F2, Qt::ControlModifier);
    select(h, {4, 0}, {4, 1});
    h.key(Qt::Key_F2);  // round the end
    EXPECT_EQ(h.caret(), (TextPos{1, 0}));
    EXPECT_FALSE(h.view->caretState().hasSelection());
    h.key(Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(h.caret(), (TextPos{3, 0}));
    h.key(Qt::Key_F2, Qt::ControlModifier);
    h.key(Qt::Key_F2, Qt::ControlModifier);  // off and on again
    h.view->setCaret({1, 0});
    h.key(Qt::Key_F2, Qt::ControlModifier);  // the only one left is on line 3
    h.view->setCaret({3, 0});
    h.key(Qt::Key_F2);
    EXPECT_EQ(h.caret(), (TextPos{3, 0}));
}

}  // namespace
}  // namespace quillon
