// The "Shop-floor board" dialog, and Settings > "Shop-floor board..." in the program without
// a hub link.
#include "board/ui/BoardDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ui/BoardCommand.h"
#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"

namespace quillon {
namespace {

class BoardDialogTest : public ::testing::Test {
protected:
    static BoardSettings stored()
    {
        BoardSettings settings;
        settings.enabled = true;
        settings.address = "0.0.0.0";
        settings.port = "8088";
        settings.title = "Halle 2 \xe2\x80\x93 Dreherei";
        return settings;
    }

    ScriptedNotifier notifier;
};

TEST_F(BoardDialogTest, ShowsTheStoredSettingsAndKeepsWhatIsTyped)
{
    BoardDialog dialog(stored(), notifier);
    EXPECT_EQ(dialog.windowTitle(), "Shop-floor board");
    EXPECT_EQ(dialog.enabledBox()->text(), "Serve the shop-floor board to browsers");
    EXPECT_EQ(dialog.titleEdit()->text(), QString::fromUtf8("Halle 2 \u2013 Dreherei"));
    EXPECT_EQ(dialog.chosen(), stored()) << "opened and closed unchanged: the same settings";

    dialog.enabledBox()->setChecked(false);
    dialog.addressEdit()->setText(" ::1 ");
    dialog.portEdit()->setText(" 9000");
    dialog.titleEdit()->setText("  Hall 2  ");
    const BoardSettings chosen = dialog.chosen();
    EXPECT_FALSE(chosen.enabled);
    EXPECT_EQ(chosen.address, "::1");
    EXPECT_EQ(chosen.port, "9000");
    EXPECT_EQ(chosen.title, "Hall 2");
}

TEST_F(BoardDialogTest, TheLinkShowsOnlyWhileABoardRuns)
{
    BoardDialog dialog(stored(), notifier);
    dialog.show();
    EXPECT_FALSE(dialog.linkLabel()->isVisible());

    dialog.setStatus("Serving http://127.0.0.1:8088/ to 2 browsers", "http://127.0.0.1:8088/");
    EXPECT_EQ(dialog.statusLabel()->text(), "Serving http://127.0.0.1:8088/ to 2 browsers");
    EXPECT_TRUE(dialog.linkLabel()->isVisible());
    EXPECT_TRUE(dialog.linkLabel()->openExternalLinks());
    EXPECT_EQ(dialog.linkLabel()->text(),
              "<a href=\"http://127.0.0.1:8088/\">http://127.0.0.1:8088/</a>");

    dialog.setStatus("Not running", {});
    EXPECT_FALSE(dialog.linkLabel()->isVisible());
}

TEST_F(BoardDialogTest, OkOverSettingsThatCannotWorkSaysWhyAndStaysOpen)
{
    struct Case {
        const char* scenario;
        void (*change)(BoardDialog&);
        std::string_view told;  // empty: OK closes the dialog
        const char* focused = nullptr;
    };
    const Case cases[] = {
        {"good settings close", [](BoardDialog&) {}, {}},
        {"host name for an address",
         [](BoardDialog& d) { d.addressEdit()->setText("shopfloor.local"); }, kBadBoardAddressText,
         "address"},
        {"empty address", [](BoardDialog& d) { d.addressEdit()->clear(); }, kBadBoardAddressText,
         "address"},
        {"port past range", [](BoardDialog& d) { d.portEdit()->setText("70000"); },
         kBadBoardPortText, "port"},
        {"port not a number", [](BoardDialog& d) { d.portEdit()->setText("http"); },
         kBadBoardPortText, "port"},
        {"switched off, kept as it is",
         [](BoardDialog& d) {
             d.enabledBox()->setChecked(false);
             d.portEdit()->setText("0");
         },
         {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.scenario);
        notifier.clear();
        BoardDialog dialog(stored(), notifier);
        dialog.show();
        dialog.activateWindow();
        row.change(dialog);
        test::findByText<QPushButton>(dialog, "OK")->click();
        if (row.told.empty()) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(notifier.shown().empty());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(row.told)});
            ASSERT_NE(dialog.focusWidget(), nullptr);
            EXPECT_EQ(dialog.focusWidget()->objectName(), row.focused);
        }
    }
}

class BoardCommandTest : public test::AppWindowTest {};

TEST_F(BoardCommandTest, OkSavesTheFileAndSaysWhyNoBoardRunsWithoutTheHubLink)
{
    ASSERT_EQ(app->hubChannel(), nullptr);
    QString statusShown;
    bool linkShown = true;
    test::onNextDialog<BoardDialog>([&](BoardDialog& dialog) {
        statusShown = dialog.statusLabel()->text();
        linkShown = dialog.linkLabel()->isVisibleTo(&dialog);
        dialog.enabledBox()->setChecked(true);
        dialog.addressEdit()->setText("0.0.0.0");
        dialog.titleEdit()->setText("Hall 2");
        dialog.accept();
    });
    QAction* command = test::findByText<QAction>(*frame, "Shop-floor &board...");
    ASSERT_NE(command, nullptr);
    command->trigger();

    EXPECT_EQ(statusShown, "Not running: No Ethernet communications");
    EXPECT_FALSE(linkShown);
    EXPECT_EQ(readFile(dir.path(kBoardSettingsFile)).value_or("<missing>"),
              "enabled=1\r\naddress=0.0.0.0\r\nport=8080\r\ntitle=Hall 2\r\n");
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{"The shop-floor board was saved but "
                                       "cannot run: No Ethernet communications"});
    EXPECT_FALSE(frame->board().runner().running());

    // Cancel keeps the file as it was.
    test::onNextDialog<BoardDialog>([](BoardDialog& dialog) {
        dialog.titleEdit()->setText("elsewhere");
        dialog.reject();
    });
    command->trigger();
    EXPECT_EQ(readBoardSettings(dir.workDir()).title, "Hall 2");
}

}  // namespace
}  // namespace quillon
