// A publishing MQTT client over libmosquitto, run from the caller's own event loop: the
// caller waits on socket() (for writing too while wantsWrite()), calls readable()/writable()
// when the socket is ready and tick() about once a second. Nothing blocks and no thread is
// started, so the command line's poll loop and the program's socket notifiers drive the same
// object.
//
// The broker may go away at any time. The client then reconnects by itself, waiting 1, 2,
// 4 ... up to 60 seconds between attempts, and keeps what is published meanwhile in a
// bounded queue: a retained message replaces a queued one of the same topic (only the last
// state of a topic matters), other messages are dropped oldest first once the queue is full,
// and the count of dropped messages is kept and told when the broker is back.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

struct mosquitto;

namespace quillon {

struct MqttSettings {
    std::string host = "localhost";
    int port = 1883;
    std::string clientId;  // empty: "quillonlt-" and the host name and process id
    std::string user;      // empty: no user name is sent
    std::string password;
    std::string tlsCaFile;  // not empty: TLS, the broker's certificate checked against it
    int keepAliveSeconds = 30;
};

// "HOST", "HOST:PORT", "[V6ADDRESS]:PORT". Nothing for an empty host or a bad port.
struct MqttBroker {
    std::string host;
    int port = 1883;
};
std::optional<MqttBroker> parseMqttBroker(std::string_view text);

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = false;
    int qos = 1;
    bool operator==(const MqttMessage&) const = default;
};

enum class MqttState { Idle, Connecting, Connected, WaitingToReconnect };

class MqttClient {
public:
    static constexpr std::size_t kDefaultQueueLimit = 10000;
    static constexpr std::chrono::seconds kFirstRetry{1};
    static constexpr std::chrono::seconds kLongestRetry{60};

    // What the client has to say about its connection, one line at a time ("connected to
    // broker:1883", "broker broker:1883 went away: ...", "back at broker:1883 after 12 s; 3
    // messages dropped while away").
    using Log = std::function<void(std::string_view line)>;

    MqttClient(MqttSettings settings, const SteadyClock& clock,
               std::size_t queueLimit = kDefaultQueueLimit, Log log = {});
    // Disconnects cleanly when connected (the will is not sent then: say goodbye with
    // publish() and flush() first).
    ~MqttClient();
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // The message the broker publishes for us when we vanish without a word. Before start().
    void setWill(MqttMessage will);
    // Published first on every connection, before anything queued ("online": true).
    void setGreeting(MqttMessage greeting);

    // Starts the first connection attempt. False (with the reason in lastError()) when the
    // settings cannot work at all (a TLS file that cannot be read, a client the library
    // refuses); a broker that does not answer is not such a failure: it is retried.
    bool start();

    // Sent at once when connected, else queued.
    void publish(MqttMessage message);

    // The event loop's side. socket() is -1 while there is no connection; it may change
    // after any call below.
    int socket() const;
    bool wantsWrite() const;
    void readable();
    void writable();
    // Keep-alive, and the next connection attempt when its time has come.
    void tick();
    // Runs the connection until everything handed to the library has gone out and been
    // acknowledged, or `timeout` passed; for a clean goodbye. True when all went out.
    bool flush(std::chrono::milliseconds timeout);

    MqttState state() const { return m_state; }
    bool connected() const { return m_state == MqttState::Connected; }
    std::size_t queued() const { return m_queue.size(); }
    // Messages dropped from a full queue since the client was made.
    std::uint64_t dropped() const { return m_dropped; }
    // QoS 1 messages handed to the library and not yet acknowledged by the broker.
    std::size_t unacknowledged() const;
    const std::string& lastError() const { return m_lastError; }
    const MqttSettings& settings() const { return m_settings; }

private:
    // ... implementation state (libmosquitto handle, back-off, queue) ...
    MqttSettings m_settings;
    const SteadyClock& m_clock;
    std::size_t m_queueLimit;
    Log m_log;
    mosquitto* m_handle = nullptr;
    MqttState m_state = MqttState::Idle;
    std::deque<MqttMessage> m_queue;
    std::uint64_t m_dropped = 0;
    std::string m_lastError;
};

}  // namespace quillon
