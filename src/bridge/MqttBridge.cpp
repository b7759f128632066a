#include "bridge/MqttBridge.h"

#include "bridge/BridgeJson.h"

namespace quillon {

namespace {

constexpr char kOnlineLeaf[] = "bridge/online";

MqttMessage onlineMessage(const std::string& prefix, bool online)
{
    return {prefix + '/' + kOnlineLeaf, online ? "true" : "false", true, 1};
}

}  // namespace

std::string machineTopic(const std::string& prefix, MachineSlot slot, std::string_view leaf)
{
    std::string topic = prefix;
    topic += '/';
    topic += std::to_string(slot.hub + 1);
    topic += '-';
    topic += std::to_string(slot.port + 1);
    topic += '/';
    topic += leaf;
    return topic;
}

MqttBridge::MqttBridge(BridgeOptions options, HubRequests& hub, std::vector<MachineSlot> machines,
                       const Clock& clock, const SteadyClock& steadyClock, MqttClient::Log log)
    : m_options(std::move(options)),
      m_client(m_options.mqtt, steadyClock, MqttClient::kDefaultQueueLimit, std::move(log)),
      m_follower(hub, machines, clock, *this)
{
    m_client.setWill(onlineMessage(m_options.prefix, false));
    m_client.setGreeting(onlineMessage(m_options.prefix, true));
    // A broker that restarted without keeping its retained messages would know no machine
    // until each changed: every connection tells all states again.
    m_client.setConnectHandler([this] {
        for (int index = 0; index < kMachineSlots; ++index) {
            if (const MachineSnapshot* state = m_follower.lastState(MachineSlot::ofIndex(index)))
                publishState(*state);
        }
    });
}

MqttBridge::~MqttBridge() = default;

bool MqttBridge::start()
{
    if (!m_client.start())
        return false;
    m_follower.start();
    return true;
}

void MqttBridge::stop(std::chrono::milliseconds timeout)
{
    if (!m_client.connected())
        return;
    m_client.publish(onlineMessage(m_options.prefix, false));
    m_client.flush(timeout);
}

void MqttBridge::tick()
{
    m_follower.tick();
    m_client.tick();
}

void MqttBridge::stateChanged(const MachineSnapshot& state)
{
    publishState(state);
    ++m_statesPublished;
}

void MqttBridge::publishState(const MachineSnapshot& state)
{
    m_client.publish(
        {machineTopic(m_options.prefix, state.slot, "state"), stateJson(state), true, 1});
}

void MqttBridge::eventHappened(const MachineEvent& event)
{
    m_client.publish(
        {machineTopic(m_options.prefix, event.slot, "event"), eventJson(event), false, 1});
    ++m_eventsPublished;
}

}  // namespace quillon
