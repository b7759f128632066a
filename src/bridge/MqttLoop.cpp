// The poll loop for an MqttClient.
#include "bridge/MqttLoop.h"

#include <algorithm>

namespace quillon {

pollfd mqttPollEntry(const MqttClient& client)
{
    pollfd entry{client.socket(), POLLIN, 0};
    if (entry.fd >= 0 && client.wantsWrite())
        entry.events |= POLLOUT;
    return entry;
}

void serveMqttPoll(MqttClient& client, const pollfd& entry)
{
    if (entry.fd < 0 || entry.fd != client.socket())
        return;
    // A hang-up or an error is read like data: the read is what tells the client why.
    if ((entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0)
        client.readable();
    if ((entry.revents & POLLOUT) != 0 && entry.fd == client.socket())
        client.writable();
}

bool runMqttLoop(MqttClient& client, std::chrono::milliseconds timeout,
                 const std::function<bool()>& until)
{
    using std::chrono::steady_clock;
    const auto deadline = steady_clock::now() + timeout;
    auto nextTick = steady_clock::now();
    while (!until()) {
        auto now = steady_clock::now();
        if (now >= nextTick) {
            client.tick();
            nextTick = now + kMqttTickPeriod;
            continue;
        }
        if (now >= deadline)
            return false;
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(std::min(deadline, nextTick) - now);
        pollfd entry = mqttPollEntry(client);
        if (poll(&entry, 1, static_cast<int>(wait.count())) > 0)
            serveMqttPoll(client, entry);
    }
    return true;
}

}  // namespace quillon
