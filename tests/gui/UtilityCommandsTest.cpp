// The line utilities from the Utilities menu: their dialogs, the lines they work on, the
// undo option, the caret afterwards, and the compress question on save.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "app/ui/CMainFrame.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/QuillonApplication.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/UtilityDialogs.h"
#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class UtilityCommandsTest : public test::AppWindowTest {
protected:
    void trigger(const QString& text) { test::findByText<QAction>(*frame, text)->trigger(); }
    static std::string lines(const CLiDoc& doc)
    {
        std::string text;
        for (std::size_t line = 0; line < doc.lineCount(); ++line)
            text += std::string(doc.lineText(line)) + "|";
        return text;
    }
};

TEST_F(UtilityCommandsTest, RenumberTakesItsSettingsAndIsOneUndoStep)
{
    CChildFrame* child = open("R.NC", "G01 X1.\n  N10 G01\n(NOTE)\nM30");
    ASSERT_TRUE(child);
    CLiDoc& doc = child->document();
    child->activeView()->setCaret({2, 3});
    // A value out of range is refused and the dialog stays; then the leading zeroes.
    test::onNextDialog<RenumberDialog>([&](RenumberDialog& dialog) {
        dialog.digitsEdit()->setText("7");
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        dialog.digitsEdit()->setText("3");
        dialog.zeroesBox()->setChecked(true);
        test::saveScreenshot(dialog, "renumber-dialog");
        dialog.accept();
    });
    trigger("&Renumber");
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{"Please enter an integer between 1 and 6."});
    EXPECT_EQ(lines(doc), "N001 G01 X1.|N002 G01|(NOTE)|N003 M30|");
    EXPECT_EQ(child->activeView()->caretState().caret, (TextPos{0, 0}));
    EXPECT_EQ(doc.undoDepth(), 1u);
    child->activeView()->undo();
    EXPECT_EQ(lines(doc), "G01 X1.|  N10 G01|(NOTE)|M30|");
    EXPECT_FALSE(doc.isModified());

    // The settings stay for the next time; Cancel changes nothing.
    bool kept = false;
    test::onNextDialog<RenumberDialog>([&](RenumberDialog& dialog) {
        kept = dialog.settings().leadingZeroes;
        dialog.reject();
    });
    trigger("&Renumber");
    EXPECT_TRUE(kept);
    EXPECT_EQ(lines(doc), "G01 X1.|  N10 G01|(NOTE)|M30|");
}

TEST_F(UtilityCommandsTest, TheSelectedLinesAreTheRangeAndUndoOffEmptiesTheStacks)
{
    CChildFrame* child = open("S.NC", "G00\nG01\nG02\nG03");
    ASSERT_TRUE(child);
    CLiDoc& doc = child->document();
    app->settings().undoForUtilities = false;
    // From line 2 to column 0 of line 3: both lines, whole.
    child->activeView()->setCaret({1, 2});
    child->activeView()->setCaret({2, 0}, true);
    test::onNextDialog<RenumberDialog>([](RenumberDialog& dialog) { dialog.accept(); });
    trigger("&Renumber");
    EXPECT_EQ(lines(doc), "G00|N1 G01|N2 G02|G03|");
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_TRUE(doc.isModified());
    EXPECT_FALSE(child->activeView()->caretState().hasSelection());
}

TEST_F(UtilityCommandsTest, RemovingNumbersAsksAboutCannedCyclesAndIsAlwaysUndoable)
{
    CChildFrame* child = open("C.NC", "N10 G71 P20 Q30\nN20 G01 X1\nN30 G00 Z5");
    ASSERT_TRUE(child);
    CLiDoc& doc = child->document();
    app->settings().undoForUtilities = false;
    notifier.script({NoticeAnswer::No});
    trigger("Remove &Blocknumbers");
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].title, "WARNING");
    EXPECT_EQ(lines(doc), "N10 G71 P20 Q30|N20 G01 X1|N30 G00 Z5|");
    notifier.script({NoticeAnswer::Yes});
    trigger("Remove &Blocknumbers");
    EXPECT_EQ(lines(doc), "G71 P20 Q30|G01 X1|G00 Z5|");
    ASSERT_TRUE(doc.CanUndo());  // recorded although the option is off
    child->activeView()->undo();
    EXPECT_EQ(lines(doc), "N10 G71 P20 Q30|N20 G01 X1|N30 G00 Z5|");
}

TEST_F(UtilityCommandsTest, AnExpandedProgramIsOfferedCompressionWhenSaved)
{
    CChildFrame* child = open("E.NC", "N10G01X1.Y2.\nM30");
    ASSERT_TRUE(child);
    CLiDoc& doc = child->document();
    trigger("&Expand");
    EXPECT_EQ(lines(doc), "N10 G01 X1. Y2.|M30|");
    EXPECT_TRUE(doc.expanded());
    notifier.script({NoticeAnswer::No});
    frame->documents().save(*child);
    EXPECT_EQ(notifier.shown().back().text,
              "This file has been expanded.\nDo you want to compress before saving?");
    EXPECT_EQ(readFile(dir.path("E.NC")).value(), "N10 G01 X1. Y2.\r\nM30");
    notifier.script({NoticeAnswer::Yes});
    frame->documents().save(*child);
    EXPECT_EQ(readFile(dir.path("E.NC")).value(), "N10G01X1.Y2.\r\nM30");
    EXPECT_FALSE(doc.expanded());
    notifier.clear();
    frame->documents().save(*child);
    EXPECT_TRUE(notifier.shown().empty());  // compressed: no question
}

TEST_F(UtilityCommandsTest, ModifyRotateAndMinMaxThroughTheirDialogs)
{
    CChildFrame* child = open("M.NC", "G90 X10. Y1.\nX-0.25 (X10)\nZ-5.");
    ASSERT_TRUE(child);
    CLiDoc& doc = child->document();
    test::onNextDialog<ModifyDialog>([&](ModifyDialog& dialog) {
        // One choice of each row is shown.
        EXPECT_TRUE(dialog.operationButton(ModifySettings::Operation::Add)->isChecked());
        EXPECT_TRUE(dialog.decimalsButton(ModifySettings::Decimals::Four)->isChecked());
        dialog.valueEdit()->setText("2000000");
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        dialog.valueEdit()->setText("1");
        dialog.addressEdit()->setText("X");
        test::saveScreenshot(dialog, "modify-dialog");
        dialog.accept();
    });
    trigger("&Modify (+/*)");
    EXPECT_EQ(notifier.texts().back(), "Please enter a number between -1000000 and 1000000.");
    EXPECT_EQ(lines(doc), "G90 X11.0000 Y1.|X0.7500 (X10)|Z-5.|");

    test::onNextDialog<RotateDialog>([](RotateDialog& dialog) {
        dialog.toEdit(2)->clear();  // Z stays Z
        dialog.accept();
    });
    trigger("R&otate (X->Y->Z)");
    EXPECT_EQ(lines(doc), "G90 Y11.0000 Z1.|Y0.7500 (X10)|Z-5.|");

    notifier.clear();
    trigger("M&in/Max");
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].icon, NoticeIcon::Information);
    EXPECT_EQ(notifier.shown()[0].title, dir.path("M.NC"));
    EXPECT_EQ(notifier.shown()[0].text,
              "Xmin = NOT FOUND    Xmax = NOT FOUND\n"
              "Ymin = 0.7500    Ymax = 11.0000\n"
              "Zmin = -5.    Zmax = 1.");
}

}  // namespace
}  // namespace quillon
