#include "app/ui/PasswordDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "app/SettingsLock.h"
#include "gui/GuiTestSupport.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(PasswordDialog, ChecksTheEntryAndStaysOpenOnAWrongOne)
{
    test::TempWorkDir dir;
    dir.write(kPasswordFile, "Rgno0\r\n");  // "Shop1"
    ScriptedNotifier notifier;
    PasswordDialog dialog(dir.workDir(), notifier);
    dialog.show();
    test::saveScreenshot(dialog, "password-dialog");
    EXPECT_EQ(dialog.windowTitle(), "Password");
    EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);

    dialog.accept();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"No password is entered"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.passwordEdit()->setText("shop1");
    dialog.accept();
    EXPECT_EQ(notifier.texts().back(), "Bad password entered");
    EXPECT_TRUE(dialog.isVisible());

    dialog.passwordEdit()->setText("Shop1");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(notifier.shown().size(), 2u);
}

TEST(PasswordDialog, TheLockGuardsOnlyWhilePswSysExists)
{
    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    EXPECT_TRUE(passSettingsLock(dir.workDir(), notifier, nullptr));

    dir.write(kPasswordFile, "Rgno0\n");
    test::onNextDialog<PasswordDialog>([](PasswordDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(passSettingsLock(dir.workDir(), notifier, nullptr));

    test::onNextDialog<PasswordDialog>([](PasswordDialog& dialog) {
        dialog.passwordEdit()->setText("Shop1");
        dialog.accept();
    });
    EXPECT_TRUE(passSettingsLock(dir.workDir(), notifier, nullptr));

    // An empty psw.sys lets any entry through OK.
    dir.write(kPasswordFile, "");
    test::onNextDialog<PasswordDialog>([](PasswordDialog& dialog) { dialog.accept(); });
    EXPECT_TRUE(passSettingsLock(dir.workDir(), notifier, nullptr));
    EXPECT_TRUE(notifier.shown().empty());
}

}  // namespace
}  // namespace quillon
