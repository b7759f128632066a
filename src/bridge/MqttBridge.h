// The hub bridge: follows the hub for every monitored machine and publishes each one's state
// and events to an MQTT broker.
//
//   PREFIX/HUB-PORT/state   retained, QoS 1: the machine's state as JSON, when it changed
//   PREFIX/HUB-PORT/event   QoS 1: a status change, part number change or count step
//   PREFIX/bridge/online    retained "true" while the bridge runs; "false" when it stops,
//                           and as the broker's last will when it vanishes
//
// It is widget-free: the command line runs it from its poll loop, the program from socket
// notifiers and its one-second timer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/HubFollower.h"
#include "bridge/MqttClient.h"

namespace quillon {

inline constexpr char kDefaultTopicPrefix[] = "quillon";

struct BridgeOptions {
    MqttSettings mqtt;
    std::string prefix = kDefaultTopicPrefix;
};

// "PREFIX/1-3/state" for hub 1 port 3, as the shop counts them from 1.
std::string machineTopic(const std::string& prefix, MachineSlot slot, std::string_view leaf);

class MqttBridge final : private FollowerListener {
public:
    // machines: those the hub configuration monitors; the hub's own start-up list adds any
    // it names beyond them.
    MqttBridge(BridgeOptions options, HubRequests& hub, std::vector<MachineSlot> machines,
               const Clock& clock, const SteadyClock& steadyClock, MqttClient::Log log = {});
    ~MqttBridge() override;

    // Connects to the broker and asks the hub for every machine. False when the MQTT
    // settings cannot work at all (lastError() says why).
    bool start();
    // Says "false" on the online topic and waits up to `timeout` for it to go out.
    void stop(std::chrono::milliseconds timeout);

    // What the link forwards to the bridge's place.
    DatagramReceiver& receiver() { return m_follower; }
    // The one-second tick: stale machines, the broker's keep-alive and reconnection.
    void tick();

    MqttClient& client() { return m_client; }
    const HubFollower& follower() const { return m_follower; }
    // Each state as it changed, once: the states told again on a new connection repeat
    // one counted already, or take the place of its queued message when the broker answered
    // only after records came.
    std::uint64_t statesPublished() const { return m_statesPublished; }
    std::uint64_t eventsPublished() const { return m_eventsPublished; }

private:
    void stateChanged(const MachineSnapshot& state) override;
    void eventHappened(const MachineEvent& event) override;
    void publishState(const MachineSnapshot& state);

    BridgeOptions m_options;
    MqttClient m_client;
    HubFollower m_follower;
    std::uint64_t m_statesPublished = 0;
    std::uint64_t m_eventsPublished = 0;
};

}  // namespace quillon
