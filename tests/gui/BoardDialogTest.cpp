// The "Shop-floor board" dialog.
#include "board/ui/BoardDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/GuiTestSupport.h"
#include "platform/Notifier.h"

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

}  // namespace
}  // namespace quillon
