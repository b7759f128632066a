#include "bridge/BridgeStatus.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(BridgeStatus, OneLineSaysTheConnectionWhatWaitsAndWhatWasPublished)
{
    const auto status = [](MqttState state, std::size_t queued, std::uint64_t dropped,
                           std::uint64_t states, std::uint64_t events, std::string error = {}) {
        return BridgeStatus{.state = state,
                            .broker = "mqtt.shop:1883",
                            .lastError = std::move(error),
                            .retryInSeconds = std::nullopt,
                            .queued = queued,
                            .dropped = dropped,
                            .statesPublished = states,
                            .eventsPublished = events};
    };
    const struct {
        const char* scenario;
        BridgeStatus status;
        std::string_view text;
    } cases[] = {
        {"none runs", BridgeStatus{}, "Not running"},
        {"first attempt", status(MqttState::Connecting, 0, 0, 0, 0),
         "Connecting to mqtt.shop:1883; 0 states and 0 events published"},
        {"connected, one of each", status(MqttState::Connected, 0, 0, 1, 1),
         "Connected to mqtt.shop:1883; 1 state and 1 event published"},
        {"broker away with a reason",
         status(MqttState::WaitingToReconnect, 12, 1, 40, 7, "connection refused"),
         "Waiting to reconnect to mqtt.shop:1883 (connection refused); 40 states and 7 events "
         "published; 12 messages queued; 1 message dropped"},
        {"next attempt known",
         [&] {
             BridgeStatus waiting = status(MqttState::WaitingToReconnect, 0, 0, 0, 0);
             waiting.retryInSeconds = 4;
             return waiting;
         }(),
         "Waiting to reconnect to mqtt.shop:1883 in 4 s; 0 states and 0 events published"},
        {"back, with drops to tell", status(MqttState::Connected, 1, 300, 2, 0),
         "Connected to mqtt.shop:1883; 2 states and 0 events published; 1 message queued; "
         "300 messages dropped"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.scenario);
        EXPECT_EQ(bridgeStatusText(row.status), row.text);
    }
}

}  // namespace
}  // namespace quillon
