// A subscriber for tests: connects to a broker, subscribes to a topic filter and records
// every message in the order it arrived, for a test to wait on (with a deadline) and look
// at. It runs the library's own network thread, so the test's thread stays free to drive
// the client under test.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace quillon::test {

struct ReceivedMessage {
    std::string topic;
    std::string payload;
    bool retain = false;  // set for a retained message the broker had before we subscribed
    int qos = 0;
    // When the reader's thread took it from the socket, for measuring how long it travelled.
    std::chrono::steady_clock::time_point arrived{};
};

class MqttReader {
public:
    static constexpr std::chrono::milliseconds kDefaultWait{5000};

    struct Options {
        std::string user;
        std::string password;
        std::string tlsCaFile;  // not empty: TLS, the broker checked against this CA
    };

    // Connects and subscribes; ready() says whether the subscription was confirmed in time.
    MqttReader(const std::string& host, int port, std::string topicFilter, Options options = {});
    ~MqttReader();
    MqttReader(const MqttReader&) = delete;
    MqttReader& operator=(const MqttReader&) = delete;

    bool ready() const;

    // True once `enough` holds for what arrived, false when `wait` passed first.
    bool waitUntil(const std::function<bool(const std::vector<ReceivedMessage>&)>& enough,
                   std::chrono::milliseconds wait = kDefaultWait);
    bool waitForCount(std::size_t count, std::chrono::milliseconds wait = kDefaultWait);
    // The first message on the topic, waiting for it if it has not come yet.
    std::optional<ReceivedMessage> waitForTopic(const std::string& topic,
                                                std::chrono::milliseconds wait = kDefaultWait);

    std::vector<ReceivedMessage> messages() const;
    // Topic and payload of each message, "topic=payload", for comparing sequences.
    std::vector<std::string> lines() const;

private:
    static void connected(mosquitto*, void* self, int code);
    static void subscribed(mosquitto*, void* self, int mid, int count, const int* granted);
    static void arrived(mosquitto*, void* self, const mosquitto_message* message);

    std::string m_filter;
    mosquitto* m_handle = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_subscribed = false;
    std::vector<ReceivedMessage> m_messages;
};

}  // namespace quillon::test
