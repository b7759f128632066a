// A publishing MQTT client over libmosquitto, run from the caller's own event loop: the
// caller waits on socket() (for writing too while wantsWrite()), calls readable()/writable()
// when the socket is ready and tick() about once a second. Nothing blocks and no thread is
// started, so the command line's poll loop and the program's socket notifiers drive the same
// object.
//
// The broker may go away at any time. The client then reconnects by itself, waiting 1, 2,
// 4 ... up to 60 seconds between attempts, and keeps what is published meanwhile in a
// bounded queue: a retained message replaces a queued one of the same topic (only the last
// state of a topic matters) and takes its place at the end, so that a state never overtakes
// the events that led to it; once the queue is full the oldest non-retained message makes
// room (the oldest retained one only when nothing else is left), and the count of dropped
// messages is kept and told when the broker is back.
//
// What was handed to the library with QoS 1 and not yet acknowledged when the connection
// broke is put back at the head of the queue, and every attempt starts on a fresh library
// handle, so the library never resends on its own: our queue alone decides the order and
// what is kept. QoS 0 messages are done once written.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

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
    // A broker that accepts the TCP connection but never answers, or a SYN lost on the way,
    // would otherwise hold an attempt open for minutes.
    static constexpr std::chrono::seconds kConnectTimeout{30};

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
    // Runs on every connection before anything goes out: what it publishes joins the queue
    // (a retained message in place of its queued version) and follows the greeting. A
    // broker that lost its retained messages while away gets them again this way.
    void setConnectHandler(std::function<void()> handler);

    // Starts the first connection attempt. False (with the reason in lastError()) when the
    // settings cannot work at all (a TLS file that cannot be read, a keep-alive or a will the
    // library refuses); a broker that does not answer is not such a failure: it is retried.
    bool start();

    // Sent at once when connected, else queued. A topic no one may publish to (empty, with
    // a wildcard) is refused with a log line.
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
    // acknowledged, or `timeout` passed; for a clean goodbye. True when all went out. While
    // waiting to reconnect it gives up at once: a goodbye does not wait for a broker that is
    // away (the will speaks for us there).
    bool flush(std::chrono::milliseconds timeout);

    MqttState state() const { return m_state; }
    bool connected() const { return m_state == MqttState::Connected; }
    std::size_t queued() const { return m_queue.size(); }
    // Messages dropped from a full queue since the client was made.
    std::uint64_t dropped() const { return m_dropped; }
    // QoS 1 messages handed to the library and not yet acknowledged by the broker.
    std::size_t unacknowledged() const;
    // When tick() tries the broker again; nothing unless waiting to reconnect.
    std::optional<std::chrono::steady_clock::time_point> nextAttempt() const;
    // Why the last attempt failed or the connection ended; empty while connected.
    const std::string& lastError() const { return m_lastError; }
    const MqttSettings& settings() const { return m_settings; }

private:
    struct Sent {
        int mid = 0;
        MqttMessage message;
        bool greeting = false;  // said again on the next connection, never queued
    };

    static void connectCallback(mosquitto*, void* self, int code);
    static void disconnectCallback(mosquitto*, void* self, int code);
    static void publishCallback(mosquitto*, void* self, int mid);
    void noteConnectionEnd(int code);

    bool makeHandle();
    void dropHandle();
    void attemptConnection();
    // What the library's callbacks noted during a call into it, acted on once it returned.
    void settle();
    void connectionMade();
    void connectionEnded(const std::string& reason);
    void attemptFailed(const std::string& why);
    void waitBeforeRetry();
    // Hands a message to the library; false (and the connection taken as lost) when it
    // could not take it.
    bool handOver(const MqttMessage& message, bool greeting);
    void enqueue(MqttMessage message);
    // False when nothing can be queued at all (a limit of 0).
    bool makeRoom();
    void dropOne();
    void putBackUnacknowledged();
    void say(const std::string& line) const;
    std::string brokerName() const;

    MqttSettings m_settings;
    const SteadyClock& m_clock;
    std::size_t m_queueLimit;
    Log m_log;
    mosquitto* m_handle = nullptr;
    MqttState m_state = MqttState::Idle;
    std::optional<MqttMessage> m_will;
    std::optional<MqttMessage> m_greeting;
    std::function<void()> m_connectHandler;

    // Oldest first. Retained messages are also found by topic, to be replaced.
    std::list<MqttMessage> m_queue;
    std::unordered_map<std::string, std::list<MqttMessage>::iterator> m_retainedQueued;
    std::deque<Sent> m_sent;  // in the order handed to the library

    std::uint64_t m_dropped = 0;
    std::uint64_t m_droppedTold = 0;  // the count the last connection line told of
    std::string m_lastError;
    std::string m_lastFailureSaid;

    // Reconnection: the wait doubles after each failed attempt and starts again at
    // kFirstRetry once a connection was accepted.
    std::chrono::seconds m_retryDelay = kFirstRetry;
    std::chrono::steady_clock::time_point m_attemptStarted{};
    std::chrono::steady_clock::time_point m_nextAttempt{};
    std::optional<std::chrono::steady_clock::time_point> m_lostAt;
    bool m_everConnected = false;

    // Noted by the callbacks.
    std::optional<int> m_connackCode;
    std::optional<int> m_disconnectCode;
    int m_disconnectErrno = 0;
};

}  // namespace quillon
