#include "monitoring/ui/ShiftStartDialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTreeWidget>

#include "gui/GuiTestSupport.h"
#include "monitoring/ShiftSamples.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::kShiftStart;
using test::shiftFile;

// Three hours into the day shift.
constexpr std::int64_t kNow = kShiftStart + 3 * 3600;

QStringList rowTexts(const QTreeWidget& list, int row)
{
    QStringList texts;
    for (int column = 0; column < list.columnCount(); ++column)
        texts << list.topLevelItem(row)->text(column);
    return texts;
}

class ShiftStartDialogTest : public ::testing::Test {
protected:
    ShiftStartDialogTest()
    {
        EXPECT_TRUE(makePath(month));
        EXPECT_TRUE(makePath(hub + "/_TMP"));
        test::writeBytes(
            month + "/MON12_LATHE-1_SHIFT1.MON",
            shiftFile({{0, "_SH_START"}, {240, "_PARTNO:A100"}, {690, "_CON"}, {1200, "_COFF"}}));
        test::writeBytes(month + "/MON12_MILL 2_SHIFT1.MON",
                         shiftFile({{5, "_SH_START"}, {1800, "ALARM"}}));
        test::writeBytes(month + "/MON12_OKUMA-5_SHIFT1.MON",
                         shiftFile({{-120, "_SH_START"}, {120, "_CON,SPINDLE_ON"}}));
        test::writeBytes(month + "/MON12_LATHE-1_SHIFT2.MON", shiftFile({{28800, "_SH_START"}}));
    }

    QPushButton* button(const QWidget& dialog, const char* text)
    {
        return test::findByText<QPushButton>(dialog, text);
    }
    // "Start &of previous shift" with the shift-1 file of LATHE-1 chosen; the action runs on
    // the dialog it opens.
    void previousShift(std::function<void(ShiftStartDialog&)> action)
    {
        files.script(month + "/MON12_LATHE-1_SHIFT1.MON");
        test::onNextDialog<ShiftStartDialog>(std::move(action));
        showPreviousShiftStarts(hub, kNow, notifier, files, nullptr);
    }

    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    const std::string month = hub + "/_MONITORING/2016-05";
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
};

TEST_F(ShiftStartDialogTest, PreviousShiftListsEveryMachineOfThatShift)
{
    bool shown = false;
    previousShift([&](ShiftStartDialog& dialog) {
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), "Shift start");
        const QTreeWidget& list = *dialog.list();
        ASSERT_EQ(list.topLevelItemCount(), 3);
        EXPECT_EQ(rowTexts(list, 0),
                  (QStringList{"LATHE-1", "05/12/2016", "06:00:00", "06:11:30"}));
        EXPECT_EQ(rowTexts(list, 1),
                  (QStringList{"MILL 2", "05/12/2016", "06:00:05", "00:00:00"}));
        EXPECT_EQ(rowTexts(list, 2),
                  (QStringList{"OKUMA-5", "05/12/2016", "05:58:00", "06:02:00"}));
        test::saveScreenshot(dialog, "shift-starts");
        dialog.reject();
    });
    EXPECT_TRUE(shown);
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "Select one monitoring file");
    EXPECT_EQ(files.prompts()[0].directory, month);
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(ShiftStartDialogTest, AStationsFileIsRefusedAndNoListOpens)
{
    test::writeBytes(month + "/MON12_TWIN_SHIFT1_HEAD1.MON", shiftFile({{0, "_SH_START"}}));
    files.script(month + "/MON12_TWIN_SHIFT1_HEAD1.MON");
    // A list that opened anyway is closed, and the message stays the only thing shown.
    test::onNextDialog<ShiftStartDialog>([](ShiftStartDialog& dialog) { dialog.reject(); });
    showPreviousShiftStarts(hub, kNow, notifier, files, nullptr);
    QApplication::processEvents();  // the guard above has nothing to close and goes
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"File selected is not valid"});
}

TEST_F(ShiftStartDialogTest, SelectAllClearAndSaveTheSelection)
{
    const std::string saved = dir.path("starts.CSV");
    previousShift([&](ShiftStartDialog& dialog) {
        // Nothing selected: told before any file is asked for.
        button(dialog, "&Clear selection")->click();
        button(dialog, "&Save")->click();
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{"No items are selected"});
        EXPECT_TRUE(files.prompts().size() == 1u);

        button(dialog, "Select &All")->click();
        EXPECT_EQ(dialog.selectedRows().size(), 3u);
        button(dialog, "&Clear selection")->click();
        EXPECT_TRUE(dialog.selectedRows().empty());

        // Two of three, the second name with the wrong extension first.
        dialog.list()->topLevelItem(0)->setSelected(true);
        dialog.list()->topLevelItem(2)->setSelected(true);
        files.script(dir.path("starts.txt"));
        button(dialog, "&Save")->click();
        files.script(saved);
        button(dialog, "&Save")->click();
        dialog.reject();
    });
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{"No items are selected",
                                                          "File extension needs to be \"CSV\""}));
    EXPECT_FALSE(dir.exists("starts.txt"));
    EXPECT_EQ(dir.read("starts.CSV"),
              "MACHINE NAME,SHIFT DATE,SHIFT START,CYCLE START\n"
              "LATHE-1,05/12/2016,06:00:00,06:11:30\n"
              "OKUMA-5,05/12/2016,05:58:00,06:02:00\n");
}

TEST_F(ShiftStartDialogTest, CurrentShiftNeedsTheMonitoredList)
{
    showCurrentShiftStarts(dir.workDir(), hub, notifier, files, nullptr);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"There is no monitored machine list"});

    notifier.clear();
    test::writeBytes(hub + "/_TMP/MonitorData03.SYS_",
                     shiftFile({{28802, "_SH_START"}, {29340, "_CON"}}));
    dir.write("MonList.sys", "_MT_Lathes\r\nLATHE-1,0,3\r\nMILL 2,0,4\r\n");
    bool shown = false;
    test::onNextDialog<ShiftStartDialog>([&](ShiftStartDialog& dialog) {
        shown = true;
        ASSERT_EQ(dialog.list()->topLevelItemCount(), 2);
        EXPECT_EQ(rowTexts(*dialog.list(), 0),
                  (QStringList{"LATHE-1", "05/12/2016", "14:00:02", "14:09:00"}));
        EXPECT_EQ(rowTexts(*dialog.list(), 1),
                  (QStringList{"MILL 2", "00/00/0000", "00:00:00", "00:00:00"}));
        dialog.reject();
    });
    showCurrentShiftStarts(dir.workDir(), hub, notifier, files, nullptr);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(notifier.texts().empty());
}

}  // namespace
}  // namespace quillon
