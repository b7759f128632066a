// The remote menu's shift commands as the running program offers them: the machine from
// "Display/List", the heads/pallets question and "Other options" taking its "Don't ask
// again" back, the refresh period of the views' settings, the archive's file dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "app/ui/CMainFrame.h"
#include "app/ui/OtherOptionsDialog.h"
#include "app/ui/QuillonApplication.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/ui/DisplayListDialog.h"
#include "monitoring/ui/HeadsPalletsDialog.h"
#include "monitoring/ui/ShiftWindows.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class ShiftCommandsTest : public ::testing::Test {
protected:
    ShiftCommandsTest()
    {
        EXPECT_TRUE(makePath(hub + "/_SETUP"));
        EXPECT_TRUE(makePath(hub + "/_TMP"));
        test::writeBytes(hub + "/_SETUP/CairnConf.sys", "NM:MILL 1\r\nNM:TWIN 2\r\n");
        test::writeBytes(hub + "/_SETUP/MonSetup.sys",
                         "1,1\r\nON:1\r\nTH:0\r\n1,2\r\nON:1\r\nTH:1\r\n");
        const std::string shift = shiftRecordLine(1'796'000'000, "_SH_START") + "\r\n" +
                                  shiftRecordLine(1'796'000'060, "_CON") + "\r\n";
        // TWIN 2 is hub 0, port 1, with two heads.
        test::writeBytes(hub + "/_TMP/MonitorData010.SYS_", shift);
        test::writeBytes(hub + "/_TMP/MonitorData011.SYS_", shift);
        EXPECT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
        app = std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files,
                                                   &clock);
        EXPECT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    }

    void trigger(const QString& text)
    {
        QAction* command = test::findByText<QAction>(*app->mainFrame(), text);
        ASSERT_NE(command, nullptr) << text.toStdString();
        command->trigger();
    }
    // Picks TWIN 2 in "Display/List", then answers the heads question if one comes.
    void chooseTwin(int* asked, StationChoice choice, bool dontAskAgain)
    {
        test::onNextDialog<DisplayListDialog>([=](DisplayListDialog& list) {
            list.machines()->setCurrentRow(1);
            test::onNextDialog<HeadsPalletsDialog>([=](HeadsPalletsDialog& ask) {
                ++*asked;
                ask.option(choice)->setChecked(true);
                ask.dontAskAgain()->setChecked(dontAskAgain);
                ask.accept();
            });
            list.selectButton()->click();
        });
    }
    std::vector<ShiftGraphWindow*> graphs() { return app->mainFrame()->shiftWindows().graphs(); }

    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    FixedClock clock{1'796'000'600};
    std::unique_ptr<QuillonApplication> app;
};

TEST_F(ShiftCommandsTest, ViewCurrentShiftAsksOnceUntilOtherOptionsOpens)
{
    // The views run with the refresh period of MonList2.sys.
    dir.write("MonList2.sys", "TWIN 2,0,1\r\n::::30,0,0,0,0\r\n");
    app->reconcileMachineLists();

    int asked = 0;
    chooseTwin(&asked, StationChoice::Merged, true);
    trigger("View &Current shift");
    ASSERT_EQ(graphs().size(), 1u);
    EXPECT_EQ(graphs()[0]->windowTitle(), "Detailed Shift Graph HEAD 1&2");
    EXPECT_EQ(graphs()[0]->refreshTimer().interval(), 30'000);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(app->settings().headsPalletsDontAsk);

    chooseTwin(&asked, StationChoice::First, false);
    trigger("View &Current shift");
    QApplication::processEvents();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(graphs().size(), 2u);

    test::onNextDialog<OtherOptionsDialog>([](OtherOptionsDialog& options) { options.reject(); });
    trigger("&Other options");
    chooseTwin(&asked, StationChoice::Second, false);
    trigger("View &Current shift");
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(graphs().size(), 3u);
    EXPECT_EQ(graphs()[2]->windowTitle(), "Detailed Shift Graph HEAD 2");
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(ShiftCommandsTest, TheArchiveCommandsStartInTheHubsMonthFolder)
{
    files.script(hub + "/_MONITORING/2026-12/MON08_TWIN 2_SHIFT1_HEAD1.txt");
    trigger("View &Piechart");
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].directory.rfind(hub + "/_MONITORING/", 0), 0u);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"File extension need to be \".MON\""});
    EXPECT_TRUE(app->mainFrame()->shiftWindows().pies().empty());
}

}  // namespace
}  // namespace quillon
