// The program's own MQTT bridge over a real hub link on loopback: started by itself from the
// saved settings once the link is bound, refused while another bridge holds the working
// directory, and ended with the program.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "app/ui/CMainFrame.h"
#include "app/ui/MqttBridgeCommand.h"
#include "bridge/BridgeSettings.h"
#include "bridge/ui/MqttBridgeDialog.h"
#include "gui/GuiTestSupport.h"
#include "gui/LoopbackHubAppTest.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/ProcessLock.h"

namespace quillon {
namespace {

class MqttBridgeStartTest : public test::LoopbackHubAppTest {
protected:
    void SetUp() override
    {
        LoopbackHubAppTest::SetUp();
        if (HasFatalFailure())
            return;
        BridgeSettings settings;
        settings.enabled = true;
        // Nothing listens there: a broker that is not up yet is retried, not refused.
        settings.broker = "127.0.0.1:1";
        ASSERT_TRUE(writeBridgeSettings(dir.workDir(), settings).ok);
    }
};

TEST_F(MqttBridgeStartTest, SavedBridgeStartsOnceTheLinkIsUpAndEndsWithTheProgram)
{
    auto app = start();
    MqttBridgeCommand& command = app->mainFrame()->mqttBridge();
    ASSERT_TRUE(QTest::qWaitFor([&] { return command.runner().running(); }, 5000));
    EXPECT_TRUE(app->hubChannel()->link().monitoringFeedWanted()) << "the bridge is on the link";
    EXPECT_TRUE(notifier.shown().empty());

    // The working directory is taken: the command line's bridge would be refused.
    std::string why;
    EXPECT_FALSE(acquireBridgeLock(dir.workDir(), why));
    EXPECT_EQ(why, kBridgeAlreadyRuns);

    EXPECT_TRUE(app->mainFrame()->close());
    EXPECT_FALSE(command.runner().running());
    EXPECT_FALSE(app->hubChannel()->link().monitoringFeedWanted());
    EXPECT_TRUE(acquireBridgeLock(dir.workDir(), why)) << why;
}

TEST_F(MqttBridgeStartTest, OkSwitchesTheBridgeOnAndOffOverTheLink)
{
    BridgeSettings saved = readBridgeSettings(dir.workDir());
    saved.enabled = false;
    ASSERT_TRUE(writeBridgeSettings(dir.workDir(), saved).ok);
    auto app = start();
    MqttBridgeCommand& command = app->mainFrame()->mqttBridge();
    const auto okWith = [&](bool enabled) {
        test::onNextDialog<MqttBridgeDialog>([enabled](MqttBridgeDialog& dialog) {
            dialog.enabledBox()->setChecked(enabled);
            dialog.accept();
        });
        command.configure();
    };
    command.tick();
    EXPECT_FALSE(command.runner().running()) << "saved as switched off";

    okWith(true);
    EXPECT_TRUE(command.runner().running());
    EXPECT_TRUE(readBridgeSettings(dir.workDir()).enabled);
    const MqttBridge* first = command.runner().bridge();
    okWith(true);
    EXPECT_EQ(command.runner().bridge(), first) << "the same settings leave it running as it was";

    okWith(false);
    EXPECT_FALSE(command.runner().running());
    EXPECT_FALSE(readBridgeSettings(dir.workDir()).enabled);
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_TRUE(app->mainFrame()->close());
}

TEST_F(MqttBridgeStartTest, SavedBridgeWhoseWorkingDirectoryIsTakenIsToldOnce)
{
    std::string why;
    const auto other = acquireBridgeLock(dir.workDir(), why);
    ASSERT_TRUE(other) << why;

    auto app = start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notifier.shown().empty(); }, 5000));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(kBridgeAlreadyRuns)});
    EXPECT_FALSE(app->mainFrame()->mqttBridge().runner().running());
    EXPECT_FALSE(app->hubChannel()->link().monitoringFeedWanted());

    // Not at every tick.
    app->mainFrame()->mqttBridge().tick();
    app->mainFrame()->mqttBridge().tick();
    EXPECT_EQ(notifier.shown().size(), 1u);
    EXPECT_TRUE(app->mainFrame()->close());
}

}  // namespace
}  // namespace quillon
