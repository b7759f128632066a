// The program's bridge runner on the event loop against a real broker: the online topic says
// "true" while it runs and "false" once it stopped, and the status follows the connection.
#include "bridge/ui/BridgeRunner.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "bridge/MqttBridge.h"
#include "monitoring/HubLink.h"
#include "support/MosquittoBroker.h"
#include "support/MqttReader.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class MqttBridgeBrokerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(broker.start()) << broker.error();
        settings.enabled = true;
        settings.broker = broker.host() + ':' + std::to_string(broker.port());
        settings.prefix = "shop/";
    }

    // The payloads that came on the topic, in order.
    static std::vector<std::string> said(const test::MqttReader& reader, const std::string& topic)
    {
        std::vector<std::string> payloads;
        for (const auto& message : reader.messages()) {
            if (message.topic == topic)
                payloads.push_back(message.payload);
        }
        return payloads;
    }

    test::TempWorkDir dir;
    test::MosquittoBroker broker;
    BridgeSettings settings;
    FixedClock clock{1'765'000'000};
    SystemSteadyClock steadyClock;
    HubLink link{0, 0, clock, [](std::string_view) {}};
};

TEST_F(MqttBridgeBrokerTest, OnlineWhileRunningAndGoodbyeOnStop)
{
    test::MqttReader reader(broker.host(), broker.port(), "shop/#");
    ASSERT_TRUE(reader.ready());
    BridgeRunner runner(dir.workDir(), clock, steadyClock);
    QSignalSpy changes(&runner, &BridgeRunner::statusChanged);

    std::string error;
    ASSERT_TRUE(runner.start(settings, link, error)) << error;
    // The reader's thread records; this thread must keep the event loop turning for the
    // runner's socket notifiers, so it waits with Qt rather than on the reader.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return said(reader, "shop/bridge/online") == std::vector<std::string>{"true"}; },
        5000))
        << broker.log();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return runner.status().state == MqttState::Connected; }, 5000));
    EXPECT_FALSE(changes.isEmpty());
    EXPECT_EQ(bridgeStatusText(runner.status()).rfind("Connected to " + settings.broker, 0), 0u)
        << bridgeStatusText(runner.status());

    runner.stop();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return said(reader, "shop/bridge/online") == std::vector<std::string>{"true", "false"};
        },
        5000));
    EXPECT_EQ(runner.status().state, MqttState::Idle);
}

TEST_F(MqttBridgeBrokerTest, BrokerThatGoesAwayIsWaitedForAndGreetedAgain)
{
    BridgeRunner runner(dir.workDir(), clock, steadyClock);
    std::string error;
    ASSERT_TRUE(runner.start(settings, link, error)) << error;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return runner.status().state == MqttState::Connected; }, 5000));

    broker.kill();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return runner.status().state == MqttState::WaitingToReconnect; }, 5000));
    const std::string waiting = bridgeStatusText(runner.status());
    EXPECT_EQ(waiting.rfind("Waiting to reconnect to " + settings.broker + " in ", 0), 0u)
        << waiting;

    // Back on the same port: the next attempts (1 s, then 2 s apart) find it, on a new socket
    // that the runner must watch anew.
    ASSERT_TRUE(broker.start()) << broker.error();
    test::MqttReader reader(broker.host(), broker.port(), "shop/bridge/online");
    ASSERT_TRUE(reader.ready());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return said(reader, "shop/bridge/online") == std::vector<std::string>{"true"}; },
        10000))
        << broker.log();
    EXPECT_EQ(runner.status().state, MqttState::Connected);
}

TEST_F(MqttBridgeBrokerTest, CaFileThatCannotBeReadIsAFailureToStart)
{
    settings.tlsCaFile = "missing-ca.pem";
    BridgeRunner runner(dir.workDir(), clock, steadyClock);
    std::string error;
    EXPECT_FALSE(runner.start(settings, link, error));
    EXPECT_EQ(error.rfind("The MQTT bridge could not start: ", 0), 0u) << error;
    EXPECT_NE(error.find("missing-ca.pem"), std::string::npos) << error;
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(link.monitoringFeedWanted());
}

}  // namespace
}  // namespace quillon
