#include "bridge/BridgeStatus.h"

#include <algorithm>
#include <chrono>

#include "bridge/MqttBridge.h"

namespace quillon {

namespace {

std::string counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::string brokerText(const MqttSettings& settings)
{
    // An IPv6 address is written as it is typed: in brackets before its port.
    const bool bracketed = settings.host.find(':') != std::string::npos;
    return (bracketed ? '[' + settings.host + ']' : settings.host) + ':' +
           std::to_string(settings.port);
}

}  // namespace

BridgeStatus bridgeStatusOf(MqttBridge& bridge, const SteadyClock& clock)
{
    const MqttClient& client = bridge.client();
    std::optional<std::int64_t> retryIn;
    if (const auto next = client.nextAttempt()) {
        const auto left = std::chrono::ceil<std::chrono::seconds>(*next - clock.now());
        retryIn = std::max<std::int64_t>(left.count(), 0);
    }
    return {.state = client.state(),
            .broker = brokerText(client.settings()),
            .lastError = client.lastError(),
            .retryInSeconds = retryIn,
            .queued = client.queued(),
            .dropped = client.dropped(),
            .statesPublished = bridge.statesPublished(),
            .eventsPublished = bridge.eventsPublished()};
}

std::string bridgeStatusText(const BridgeStatus& status)
{
    std::string text;
    switch (status.state) {
    case MqttState::Idle:
        return "Not running";
    case MqttState::Connecting:
        text = "Connecting to " + status.broker;
        break;
    case MqttState::Connected:
        text = "Connected to " + status.broker;
        break;
    case MqttState::WaitingToReconnect:
        text = "Waiting to reconnect to " + status.broker;
        if (status.retryInSeconds)
            text += " in " + std::to_string(*status.retryInSeconds) + " s";
        if (!status.lastError.empty())
            text += " (" + status.lastError + ")";
        break;
    }
    text += "; " + counted(status.statesPublished, "state", "states") + " and " +
            counted(status.eventsPublished, "event", "events") + " published";
    if (status.queued > 0)
        text += "; " + counted(status.queued, "message", "messages") + " queued";
    if (status.dropped > 0)
        text += "; " + counted(status.dropped, "message", "messages") + " dropped";
    return text;
}

}  // namespace quillon
