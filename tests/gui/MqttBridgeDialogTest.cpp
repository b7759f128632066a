// The "MQTT bridge" dialog, and Settings > "MQTT bridge..." in the program without a hub link.
#include "bridge/ui/MqttBridgeDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ui/MqttBridgeCommand.h"
#include "bridge/ui/BridgeRunner.h"
#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/HubLink.h"
#include "monitoring/LinkSetup.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ProcessLock.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class MqttBridgeDialogTest : public ::testing::Test {
protected:
    static BridgeSettings stored()
    {
        BridgeSettings settings;
        settings.enabled = true;
        settings.broker = "mqtt.shop:1884";
        settings.prefix = "hall2";
        settings.clientId = "cell-4";
        settings.user = "quillon";
        settings.passwordFile = "/etc/quillon/mqtt.pw";
        return settings;
    }

    test::TempWorkDir dir;
    ScriptedFilePrompter files;
    ScriptedNotifier notifier;
};

TEST_F(MqttBridgeDialogTest, ShowsTheStoredSettingsAndKeepsWhatIsTyped)
{
    MqttBridgeDialog dialog(stored(), dir.workDir(), files, notifier);
    EXPECT_EQ(dialog.windowTitle(), "MQTT bridge");
    EXPECT_EQ(dialog.enabledBox()->text(), "Publish machine states to an MQTT broker");
    EXPECT_EQ(dialog.chosen(), stored()) << "opened and closed unchanged: the same settings";

    dialog.setStatus("Connected to mqtt.shop:1884; 3 states and 5 events published");
    EXPECT_EQ(dialog.statusLabel()->text(),
              "Connected to mqtt.shop:1884; 3 states and 5 events published");
    test::saveScreenshot(dialog, "mqtt-bridge");

    dialog.enabledBox()->setChecked(false);
    dialog.brokerEdit()->setText(" [::1]:1883 ");
    dialog.prefixEdit()->setText("shop/hall 2/");
    dialog.clientIdEdit()->setText("");
    dialog.tlsCaFileEdit()->setText("certs/ca.pem");
    const BridgeSettings chosen = dialog.chosen();
    EXPECT_FALSE(chosen.enabled);
    EXPECT_EQ(chosen.broker, "[::1]:1883");
    EXPECT_EQ(chosen.prefix, "shop/hall 2") << "kept as topics are built from it";
    EXPECT_EQ(chosen.clientId, "");
    EXPECT_EQ(chosen.tlsCaFile, "certs/ca.pem");
}

TEST_F(MqttBridgeDialogTest, OkOverSettingsThatCannotWorkSaysWhyAndStaysOpen)
{
    struct Case {
        const char* scenario;
        void (*change)(MqttBridgeDialog&);
        std::string_view told;  // empty: OK closes the dialog
    };
    const Case cases[] = {
        {"good settings close", [](MqttBridgeDialog&) {}, {}},
        {"broker without host", [](MqttBridgeDialog& d) { d.brokerEdit()->setText(":1883"); },
         kBadBrokerText},
        {"broker port past range",
         [](MqttBridgeDialog& d) { d.brokerEdit()->setText("mqtt.shop:70000"); }, kBadBrokerText},
        {"prefix with a wildcard", [](MqttBridgeDialog& d) { d.prefixEdit()->setText("hall/+"); },
         kWildcardPrefixText},
        {"empty prefix", [](MqttBridgeDialog& d) { d.prefixEdit()->setText(" / "); },
         kEmptyPrefixText},
        {"password file without user", [](MqttBridgeDialog& d) { d.userEdit()->clear(); },
         kPasswordWithoutUserText},
        {"switched off, kept as it is",
         [](MqttBridgeDialog& d) {
             d.enabledBox()->setChecked(false);
             d.brokerEdit()->setText(":1883");
         },
         {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.scenario);
        notifier.clear();
        MqttBridgeDialog dialog(stored(), dir.workDir(), files, notifier);
        dialog.show();
        row.change(dialog);
        test::findByText<QPushButton>(dialog, "OK")->click();
        if (row.told.empty()) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(notifier.shown().empty());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(row.told)});
        }
    }
}

TEST_F(MqttBridgeDialogTest, BrowseStartsBesideTheCurrentFileOrInTheWorkingDirectory)
{
    MqttBridgeDialog dialog(stored(), dir.workDir(), files, notifier);
    files.script(std::string("/srv/secrets/bridge.pw"));
    dialog.passwordBrowseButton()->click();
    files.script(std::nullopt);  // cancelled: the field keeps its text
    dialog.tlsCaBrowseButton()->click();
    dialog.tlsCaFileEdit()->setText("certs/ca.pem");
    files.script(std::nullopt);
    dialog.tlsCaBrowseButton()->click();

    ASSERT_EQ(files.prompts().size(), 3u);
    EXPECT_EQ(files.prompts()[0].title, "Password file");
    EXPECT_EQ(files.prompts()[0].directory, "/etc/quillon/");
    EXPECT_EQ(dialog.passwordFileEdit()->text(), "/srv/secrets/bridge.pw");
    EXPECT_EQ(files.prompts()[1].title, "TLS CA file");
    EXPECT_EQ(files.prompts()[1].directory, dir.workDir().root());
    EXPECT_EQ(dialog.tlsCaFileEdit()->text(), "certs/ca.pem");
    EXPECT_EQ(files.prompts()[2].directory, dir.workDir().root() + "certs/");
}

// The runner's refusals come before any broker is reached.
class BridgeRunnerRefusalTest : public MqttBridgeDialogTest {
protected:
    FixedClock clock{1'765'000'000};
    ManualSteadyClock steady;
    HubLink link{0, 0, clock, [](std::string_view) {}};
};

TEST_F(BridgeRunnerRefusalTest, HeldLockAndUnreadablePasswordAreToldAndNothingRuns)
{
    BridgeRunner runner(dir.workDir(), clock, steady);
    std::string error;
    {
        std::string why;
        const auto other = acquireBridgeLock(dir.workDir(), why);
        ASSERT_TRUE(other) << why;
        EXPECT_FALSE(runner.start(BridgeSettings{}, link, error));
        EXPECT_EQ(error, kBridgeAlreadyRuns);
    }
    BridgeSettings settings;
    settings.user = "quillon";
    settings.passwordFile = "missing.pw";
    EXPECT_FALSE(runner.start(settings, link, error));
    EXPECT_EQ(error, "The MQTT password could not be read: \"" + dir.path("missing.pw") +
                         "\" was not found.");
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(link.monitoringFeedWanted()) << "a bridge that did not start is not on the link";

    // A failed start lets the lock go.
    std::string why;
    EXPECT_TRUE(acquireBridgeLock(dir.workDir(), why)) << why;
}

class MqttBridgeCommandTest : public test::AppWindowTest {};

TEST_F(MqttBridgeCommandTest, OkSavesTheFileAndSaysWhyNoBridgeRunsWithoutTheHubLink)
{
    ASSERT_EQ(app->hubChannel(), nullptr);
    QString statusShown;
    test::onNextDialog<MqttBridgeDialog>([&](MqttBridgeDialog& dialog) {
        statusShown = dialog.statusLabel()->text();
        dialog.enabledBox()->setChecked(true);
        dialog.brokerEdit()->setText("mqtt.shop");
        dialog.prefixEdit()->setText("hall2/");
        dialog.accept();
    });
    QAction* command = test::findByText<QAction>(*frame, "&MQTT bridge...");
    ASSERT_NE(command, nullptr);
    command->trigger();

    EXPECT_EQ(statusShown, "Not running: No Ethernet communications");
    EXPECT_EQ(readFile(dir.path(kBridgeSettingsFile)).value_or("<missing>"),
              "enabled=1\r\nbroker=mqtt.shop\r\nprefix=hall2\r\nclient_id=\r\nuser=\r\n"
              "password_file=\r\ntls_ca_file=\r\n");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"The MQTT bridge was saved but cannot "
                                                         "run: No Ethernet communications"});
    EXPECT_FALSE(frame->mqttBridge().runner().running());

    // Cancel keeps the file as it was.
    test::onNextDialog<MqttBridgeDialog>([](MqttBridgeDialog& dialog) {
        dialog.brokerEdit()->setText("elsewhere");
        dialog.reject();
    });
    command->trigger();
    EXPECT_EQ(readBridgeSettings(dir.workDir()).broker, "mqtt.shop");
}

}  // namespace
}  // namespace quillon
