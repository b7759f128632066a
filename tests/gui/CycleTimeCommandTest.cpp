// Utilities > "Cycle time": its dialog, the box with the estimate, and when nothing happens.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/ui/CMainFrame.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/QuillonApplication.h"
#include "backplot/ui/CycleTimeDialog.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class CycleTimeCommandTest : public test::AppWindowTest {
protected:
    // Runs the command; the dialog, when one opens, gets `action`. Whether it opened.
    bool runCommand(std::function<void(CycleTimeDialog&)> action)
    {
        bool opened = false;
        test::onNextDialog<CycleTimeDialog>([&opened, action](CycleTimeDialog& dialog) {
            opened = true;
            action(dialog);
        });
        test::findByText<QAction>(*frame, "C&ycle time")->trigger();
        QApplication::processEvents();  // the dialog's timer, when no dialog came
        return opened;
    }
};

TEST_F(CycleTimeCommandTest, TheDialogRefusesValuesOutOfRangeAndContinueShowsTheTime)
{
    CChildFrame* child = open("P.NC", "T1 M06\nG00 X100.\nG01 X110. F100\n");
    ASSERT_TRUE(child);
    // A selection does not narrow the estimate: every line is read.
    child->activeView()->setCaret({2, 0});
    child->activeView()->setCaret({2, 3}, true);
    const bool opened = runCommand([](CycleTimeDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Cycle time");
        EXPECT_TRUE(test::findByText<QLabel>(dialog, "Average tool change time [sec]:"));
        EXPECT_TRUE(test::findByText<QLabel>(dialog, "G00 feed rate [in/min]:"));
        EXPECT_TRUE(test::findByText<QPushButton>(dialog, "Cancel"));
        EXPECT_EQ(dialog.toolChangeEdit()->text(), "0");
        EXPECT_EQ(dialog.rapidRateEdit()->text(), "1000");
        EXPECT_TRUE(dialog.millButton()->isChecked());
        EXPECT_FALSE(dialog.latheButton()->isChecked());
        test::saveScreenshot(dialog, "CycleTimeDialog");

        const std::pair<QLineEdit*, const char*> refused[] = {
            {dialog.toolChangeEdit(), "100.5"},
            {dialog.toolChangeEdit(), ""},
            {dialog.rapidRateEdit(), "0.5"},
            {dialog.rapidRateEdit(), "nan"},
        };
        for (const auto& [edit, text] : refused) {
            dialog.toolChangeEdit()->setText("30");
            dialog.rapidRateEdit()->setText("500");
            edit->setText(text);
            dialog.accept();
            EXPECT_TRUE(dialog.isVisible()) << text;
        }
        dialog.toolChangeEdit()->setText(" 30 ");
        dialog.rapidRateEdit()->setText("500");
        dialog.latheButton()->setChecked(true);
        test::findByText<QPushButton>(dialog, "Continue")->click();
    });
    EXPECT_TRUE(opened);
    const std::string tool = "Please enter a number between 0 and 100.";
    const std::string rapid = "Please enter a number between 1 and 10000.";
    // Lathe: X100. is 50 away at 500 a minute (6 s), X110. 5 more at F100 (3 s); one tool
    // change of 30 s.
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{tool, tool, rapid, rapid, "Cycle time: 0:0:39"}));
    ASSERT_FALSE(notifier.shown().empty());
    EXPECT_EQ(notifier.shown().back().title, "");
    EXPECT_EQ(notifier.shown().back().buttons, NoticeButtons::Ok);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The settings stay for the next time; Cancel runs nothing.
    notifier.clear();
    EXPECT_TRUE(runCommand([](CycleTimeDialog& dialog) {
        EXPECT_EQ(dialog.toolChangeEdit()->text(), "30");
        EXPECT_EQ(dialog.rapidRateEdit()->text(), "500");
        EXPECT_TRUE(dialog.latheButton()->isChecked());
        dialog.toolChangeEdit()->setText("0");
        test::findByText<QPushButton>(dialog, "Cancel")->click();
    }));
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_TRUE(runCommand([](CycleTimeDialog& dialog) {
        EXPECT_EQ(dialog.toolChangeEdit()->text(), "30");
        dialog.reject();
    }));
}

TEST_F(CycleTimeCommandTest, AnEmptyProgramShowsNothing)
{
    ASSERT_TRUE(open("EMPTY.NC", ""));
    EXPECT_FALSE(runCommand([](CycleTimeDialog& dialog) { dialog.accept(); }));
    EXPECT_TRUE(notifier.shown().empty());

    // A program that moves nothing still has its time.
    ASSERT_TRUE(open("M30.NC", "%\nM30\n%"));
    EXPECT_TRUE(runCommand([](CycleTimeDialog& dialog) { dialog.accept(); }));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Cycle time: 0:0:0"});
}

}  // namespace
}  // namespace quillon
