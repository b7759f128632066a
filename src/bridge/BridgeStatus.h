// What a running bridge tells the user about itself: the broker connection, what waits to
// go out and what it has published, in one line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "bridge/MqttClient.h"

namespace quillon {

class MqttBridge;

struct BridgeStatus {
    MqttState state = MqttState::Idle;
    std::string broker;     // "HOST:PORT"
    std::string lastError;  // the client's last complaint, shown while it waits
    // Whole seconds, rounded up, until the next attempt while waiting to reconnect.
    std::optional<std::int64_t> retryInSeconds;
    std::size_t queued = 0;
    std::uint64_t dropped = 0;
    std::uint64_t statesPublished = 0;
    std::uint64_t eventsPublished = 0;

    bool operator==(const BridgeStatus&) const = default;
};

BridgeStatus bridgeStatusOf(MqttBridge& bridge, const SteadyClock& clock);

// "Connected to mqtt.shop:1883; 12 states and 30 events published", with the queued and
// dropped messages when there are any; "Waiting to reconnect to mqtt.shop:1883 in 4 s
// (cannot reach broker ...)" while the broker is away.
std::string bridgeStatusText(const BridgeStatus& status);

}  // namespace quillon
