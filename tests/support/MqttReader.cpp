// The test subscriber over libmosquitto's threaded loop.
#include "support/MqttReader.h"

#include <mosquitto.h>

#include <algorithm>

namespace quillon::test {

namespace {

constexpr int kKeepAliveSeconds = 30;

}  // namespace

MqttReader::MqttReader(const std::string& host, int port, std::string topicFilter, Options options)
    : m_filter(std::move(topicFilter))
{
    static const bool initialised = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)initialised;
    m_handle = mosquitto_new(nullptr, true, this);
    if (m_handle == nullptr)
        return;
    mosquitto_int_option(m_handle, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!options.user.empty())
        mosquitto_username_pw_set(m_handle, options.user.c_str(), options.password.c_str());
    if (!options.tlsCaFile.empty())
        mosquitto_tls_set(m_handle, options.tlsCaFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    mosquitto_connect_callback_set(m_handle, &MqttReader::connected);
    mosquitto_subscribe_callback_set(m_handle, &MqttReader::subscribed);
    mosquitto_message_callback_set(m_handle, &MqttReader::arrived);
    // A broker restarted under the reader is found again within a second.
    mosquitto_reconnect_delay_set(m_handle, 1, 1, false);
    if (mosquitto_connect(m_handle, host.c_str(), port, kKeepAliveSeconds) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(m_handle) != MOSQ_ERR_SUCCESS) {
        mosquitto_destroy(m_handle);
        m_handle = nullptr;
        return;
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, kDefaultWait, [this] { return m_subscribed; });
}

MqttReader::~MqttReader()
{
    if (m_handle == nullptr)
        return;
    mosquitto_disconnect(m_handle);
    mosquitto_loop_stop(m_handle, false);
    mosquitto_destroy(m_handle);
}

bool MqttReader::ready() const
{
    std::lock_guard lock(m_mutex);
    return m_subscribed;
}

bool MqttReader::waitUntil(const std::function<bool(const std::vector<ReceivedMessage>&)>& enough,
                           std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, wait, [&] { return enough(m_messages); });
}

bool MqttReader::waitForCount(std::size_t count, std::chrono::milliseconds wait)
{
    return waitUntil([count](const auto& messages) { return messages.size() >= count; }, wait);
}

std::optional<ReceivedMessage> MqttReader::waitForTopic(const std::string& topic,
                                                        std::chrono::milliseconds wait)
{
    const auto onTopic = [&](const ReceivedMessage& m) { return m.topic == topic; };
    if (!waitUntil(
            [&](const auto& messages) {
                return std::any_of(messages.begin(), messages.end(), onTopic);
            },
            wait))
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    return *std::find_if(m_messages.begin(), m_messages.end(), onTopic);
}

std::vector<ReceivedMessage> MqttReader::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<std::string> MqttReader::lines() const
{
    std::vector<std::string> lines;
    for (const auto& message : messages())
        lines.push_back(message.topic + "=" + message.payload);
    return lines;
}

void MqttReader::connected(mosquitto* handle, void* self, int code)
{
    // Also after a reconnection: the session is clean, so the subscription is made again.
    if (code == 0)
        mosquitto_subscribe(handle, nullptr, static_cast<MqttReader*>(self)->m_filter.c_str(), 1);
}

void MqttReader::subscribed(mosquitto*, void* self, int, int, const int*)
{
    auto* reader = static_cast<MqttReader*>(self);
    {
        std::lock_guard lock(reader->m_mutex);
        reader->m_subscribed = true;
    }
    reader->m_changed.notify_all();
}

void MqttReader::arrived(mosquitto*, void* self, const mosquitto_message* message)
{
    const auto now = std::chrono::steady_clock::now();
    auto* reader = static_cast<MqttReader*>(self);
    {
        std::lock_guard lock(reader->m_mutex);
        std::string payload;
        if (message->payloadlen > 0)
            payload.assign(static_cast<const char*>(message->payload),
                           static_cast<std::size_t>(message->payloadlen));
        reader->m_messages.push_back(ReceivedMessage{message->topic, std::move(payload),
                                                     message->retain, message->qos, now});
    }
    reader->m_changed.notify_all();
}

}  // namespace quillon::test
