#include "monitoring/ui/RemoteConfigDialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include <map>

#include "gui/GuiTestSupport.h"
#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"

namespace quillon {
namespace {

class RemoteConfigDialogTest : public ::testing::Test {
protected:
    // Answers at once from the table; names not in it do not resolve.
    HostResolver resolver()
    {
        return [this](const std::string& name, QObject*,
                      std::function<void(std::optional<std::int32_t>)> done) {
            asked.push_back(name);
            const auto found = hosts.find(name);
            done(found == hosts.end() ? std::nullopt : std::optional(found->second));
        };
    }

    std::map<std::string, std::int32_t> hosts{{"CAIRNHUB", ipv4Of(192, 168, 1, 10)}};
    std::vector<std::string> asked;
    ScriptedFilePrompter files;
    ScriptedNotifier notifier;
};

TEST_F(RemoteConfigDialogTest, OpensWithTheStoredNameLookedUpAndTakesWhatIsTyped)
{
    const RemoteConfig stored{"/mnt/cairn/", ipv4Of(192, 168, 1, 9), "CAIRNHUB"};
    RemoteConfigDialog dialog(stored, files, notifier, resolver());
    EXPECT_EQ(dialog.windowTitle(), "Quillon remote configuration");
    EXPECT_EQ(dialog.browseButton()->text(), "Full path for _Quillon directory");
    EXPECT_EQ(dialog.resolveButton()->text(), "IP Address of  Quillon Computer");
    // The name was looked up at once: the field and the running address follow it.
    EXPECT_EQ(asked, std::vector<std::string>{"CAIRNHUB"});
    EXPECT_EQ(dialog.addressEdit()->text(), "192.168.1.10");
    EXPECT_EQ(dialog.running().hubAddress, ipv4Of(192, 168, 1, 10));
    EXPECT_EQ(dialog.chosen().hubDirectory, "/mnt/cairn/");
    EXPECT_EQ(dialog.chosen().hubAddress, ipv4Of(192, 168, 1, 10));
    EXPECT_EQ(dialog.chosen().hubName, "CAIRNHUB");
    test::saveScreenshot(dialog, "remote-configuration-dialog");

    // The folder of a file picked in the share; the program's own file is cut off on OK.
    files.script(std::string("/mnt/other/QUILLON.EXE"));
    dialog.browseButton()->click();
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "Select remote _Quillon directory");
    EXPECT_EQ(dialog.directoryEdit()->text(), "/mnt/other/");
    dialog.directoryEdit()->setText("/mnt/Share/Quillon.exe");
    EXPECT_EQ(dialog.chosen().hubDirectory, "/mnt/Share/");

    // A name that does not resolve is said, and the address stays.
    dialog.nameEdit()->setText("nowhere");
    dialog.resolveButton()->click();
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, "Could not find remote computer");
    EXPECT_EQ(dialog.addressEdit()->text(), "192.168.1.10");
    EXPECT_TRUE(dialog.resolveButton()->isEnabled());

    // An address typed by hand; none at all is 0.
    dialog.addressEdit()->setText("10.0.0.5");
    EXPECT_EQ(dialog.chosen().hubAddress, 167772165);
    dialog.addressEdit()->clear();
    EXPECT_EQ(dialog.chosen().hubAddress, 0);
}

TEST_F(RemoteConfigDialogTest, AStoredNameThatDoesNotResolveKeepsTheStoredAddressQuietly)
{
    const RemoteConfig stored{"", ipv4Of(10, 0, 0, 5), "GONE"};
    RemoteConfigDialog dialog(stored, files, notifier, resolver());
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(dialog.addressEdit()->text(), "10.0.0.5");
    EXPECT_EQ(dialog.running().hubAddress, ipv4Of(10, 0, 0, 5));
    EXPECT_EQ(dialog.chosen().hubDirectory, "");
}

}  // namespace
}  // namespace quillon
