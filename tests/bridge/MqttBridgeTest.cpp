// The bridge object in process against Debian's broker: what it says it published.
#include "bridge/MqttBridge.h"

#include <gtest/gtest.h>

#include "bridge/MqttLoop.h"
#include "monitoring/HubDatagramSamples.h"
#include "support/MosquittoBroker.h"
#include "support/MqttReader.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;

constexpr auto kWait = 5000ms;

class SilentHub final : public HubRequests {
public:
    void sendWord(std::string_view) override {}
    void sendMachineRequest(std::string_view, MachineSlot) override {}
    void sendStatus(MachineSlot, std::string_view) override {}
    void sendSetup(MachineSlot, const SetupChange&) override {}
};

bool drained(MqttClient& client)
{
    return runMqttLoop(client, kWait, [&] {
        return client.connected() && client.queued() == 0 && client.unacknowledged() == 0;
    });
}

// Every connection tells the known states again; they are not new states. Records that came
// before the broker's first answer was read are the case that counted them twice: their
// queued states were told again by the connection itself.
TEST(MqttBridgeCount, EachStateCountsOnceWhenItsRecordCameBeforeTheBrokerAnsweredAndAfterAReturn)
{
    test::MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.error();
    SilentHub hub;
    FixedClock clock(1'765'000'000);
    ManualSteadyClock steadyClock;
    BridgeOptions options;
    options.mqtt.host = broker.host();
    options.mqtt.port = broker.port();
    options.prefix = "count";
    MqttBridge bridge(options, hub, {}, clock, steadyClock);
    ASSERT_TRUE(bridge.start());
    bridge.receiver().datagramArrived(test::recordDatagram(MachineSlot{0, 1}));
    bridge.receiver().datagramArrived(test::recordDatagram(MachineSlot{0, 2}));
    ASSERT_TRUE(drained(bridge.client())) << bridge.client().lastError();
    {
        test::MqttReader reader(broker.host(), broker.port(), "count/+/state");
        ASSERT_TRUE(reader.waitForCount(2));
    }
    EXPECT_EQ(bridge.statesPublished(), 2u);

    // Back from a restart without its retained messages, the broker hears both again.
    broker.kill();
    ASSERT_TRUE(broker.start()) << broker.error();
    ASSERT_TRUE(runMqttLoop(bridge.client(), kWait, [&] {
        return bridge.client().state() == MqttState::WaitingToReconnect;
    }));
    steadyClock.advance(MqttClient::kFirstRetry);
    ASSERT_TRUE(drained(bridge.client())) << bridge.client().lastError();
    test::MqttReader reader(broker.host(), broker.port(), "count/+/state");
    ASSERT_TRUE(reader.waitForCount(2));
    EXPECT_EQ(bridge.statesPublished(), 2u);
    EXPECT_EQ(bridge.eventsPublished(), 0u);
}

}  // namespace
}  // namespace quillon
