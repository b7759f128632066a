// The program's own MQTT bridge over a real hub link on loopback: started by itself from the
// saved settings once the link is bound, refused while another bridge holds the working
// directory, and ended with the program.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "app/ui/CMainFrame.h"
#include "app/ui/MqttBridgeCommand.h"
#include "app/ui/QuillonApplication.h"
#include "bridge/BridgeSettings.h"
#include "bridge/ui/MqttBridgeDialog.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "platform/ProcessLock.h"
#include "platform/UdpSocket.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class MqttBridgeStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A hub on 127.0.0.2 and this computer on 127.0.0.1, on one free port.
        hub = UdpSocket::bind(ipv4Of(127, 0, 0, 2), 0).socket;
        ASSERT_TRUE(hub);
        ::setenv("QUILLONLT_UDP_PORT", std::to_string(hub->localPort()).c_str(), 1);
        ASSERT_TRUE(
            writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""}).ok);
        BridgeSettings settings;
        settings.enabled = true;
        // Nothing listens there: a broker that is not up yet is retried, not refused.
        settings.broker = "127.0.0.1:1";
        ASSERT_TRUE(writeBridgeSettings(dir.workDir(), settings).ok);
    }
    void TearDown() override { ::unsetenv("QUILLONLT_UDP_PORT"); }

    std::unique_ptr<QuillonApplication> start()
    {
        auto app =
            std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files);
        app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
        EXPECT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
        EXPECT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000));
        return app;
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    std::unique_ptr<UdpSocket> hub;
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
