// The poll loop shape an MqttClient is driven by: what to wait for on its socket, what to
// do with what poll() said, and a whole loop for a client that runs alone (a goodbye, a
// command that only publishes, tests).
#pragma once

#include <poll.h>

#include <chrono>
#include <functional>

#include "bridge/MqttClient.h"

namespace quillon {

// How often a loop that runs alone gives the client its tick().
inline constexpr std::chrono::milliseconds kMqttTickPeriod{1000};

// The poll entry for the client's socket; its fd is -1 (which poll() skips) without one.
pollfd mqttPollEntry(const MqttClient& client);
// Serves what poll() reported for that entry.
void serveMqttPoll(MqttClient& client, const pollfd& entry);

// Waits on the client's socket and serves it, with tick() every kMqttTickPeriod, until
// `until` holds (true) or `timeout` passed (false).
bool runMqttLoop(MqttClient& client, std::chrono::milliseconds timeout,
                 const std::function<bool()>& until);

}  // namespace quillon
