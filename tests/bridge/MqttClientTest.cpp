// The MQTT client against a real mosquitto broker: connection, order, retained states, the
// will, the queue while the broker is away, the reconnection back-off and refusals.
#include "bridge/MqttClient.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "bridge/MqttLoop.h"
#include "support/MosquittoBroker.h"
#include "support/MqttReader.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::MosquittoBroker;
using test::MqttReader;

constexpr auto kWait = 5000ms;

MqttMessage event(const std::string& topic, const std::string& payload)
{
    return MqttMessage{topic, payload, false, 1};
}

MqttMessage state(const std::string& topic, const std::string& payload)
{
    return MqttMessage{topic, payload, true, 1};
}

TEST(ParseMqttBroker, ReadsHostsPortsAndBracketedAddresses)
{
    struct Row {
        const char* name;
        const char* text;
        std::optional<MqttBroker> expected;
    };
    const Row rows[] = {
        {"host alone takes the default port", "broker", MqttBroker{"broker", 1883}},
        {"host and port", "broker.shop:1884", MqttBroker{"broker.shop", 1884}},
        {"IPv4 address and port", "10.0.0.5:8883", MqttBroker{"10.0.0.5", 8883}},
        {"bracketed IPv6 with port", "[::1]:1884", MqttBroker{"::1", 1884}},
        {"bracketed IPv6 alone", "[fe80::1]", MqttBroker{"fe80::1", 1883}},
        {"bare IPv6 has no room for a port", "::1", MqttBroker{"::1", 1883}},
        {"highest port", "h:65535", MqttBroker{"h", 65535}},
        {"empty", "", std::nullopt},
        {"port without host", ":1883", std::nullopt},
        {"colon without port", "broker:", std::nullopt},
        {"port zero", "broker:0", std::nullopt},
        {"port too large", "broker:65536", std::nullopt},
        {"port with letters", "broker:18a3", std::nullopt},
        {"negative port", "broker:-1", std::nullopt},
        {"unclosed bracket", "[::1:1884", std::nullopt},
        {"empty brackets", "[]:1884", std::nullopt},
        {"junk after bracket", "[::1]1884", std::nullopt},
        {"bracket colon without port", "[::1]:", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto parsed = parseMqttBroker(row.text);
        ASSERT_EQ(parsed.has_value(), row.expected.has_value());
        if (parsed) {
            EXPECT_EQ(parsed->host, row.expected->host);
            EXPECT_EQ(parsed->port, row.expected->port);
        }
    }
}

MqttSettings withCaFile(std::string file)
{
    MqttSettings settings;
    settings.tlsCaFile = std::move(file);
    return settings;
}

MqttSettings withKeepAlive(int seconds)
{
    MqttSettings settings;
    settings.keepAliveSeconds = seconds;
    return settings;
}

TEST(MqttClientSettings, StartRefusesSettingsThatCanNeverWork)
{
    struct Row {
        const char* name;
        MqttSettings settings;
        std::optional<MqttMessage> will;
        const char* said;
    };
    const Row rows[] = {
        {"a CA file that cannot be read", withCaFile("/nonexistent/quillon-ca.pem"), std::nullopt,
         "/nonexistent/quillon-ca.pem"},
        {"a keep-alive the library finds too short", withKeepAlive(4), std::nullopt, "keep-alive"},
        {"a keep-alive longer than MQTT can carry", withKeepAlive(65536), std::nullopt,
         "keep-alive"},
        {"a will on a wildcard topic", MqttSettings{}, state("q/#", "false"), "refuses"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ManualSteadyClock clock;
        MqttClient client(row.settings, clock);
        if (row.will)
            client.setWill(*row.will);
        EXPECT_FALSE(client.start());
        EXPECT_NE(client.lastError().find(row.said), std::string::npos) << client.lastError();
        EXPECT_EQ(client.state(), MqttState::Idle);
    }
}

TEST(MqttClientSettings, DefaultClientIdNamesHostAndProcess)
{
    ManualSteadyClock clock;
    const MqttClient client(MqttSettings{}, clock);
    const auto& id = client.settings().clientId;
    EXPECT_TRUE(id.starts_with("quillonlt-")) << id;
    EXPECT_TRUE(id.ends_with("-" + std::to_string(getpid()))) << id;
}

class MqttClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(broker.start()) << broker.error(); }

    std::unique_ptr<MqttClient> makeClient(std::size_t queueLimit = MqttClient::kDefaultQueueLimit,
                                           MqttSettings settings = {})
    {
        settings.host = broker.host();
        settings.port = broker.port();
        return std::make_unique<MqttClient>(
            settings, clock, queueLimit,
            [this](std::string_view line) { log.emplace_back(line); });
    }

    static bool drained(const MqttClient& client)
    {
        return client.connected() && client.queued() == 0 && client.unacknowledged() == 0 &&
               !client.wantsWrite();
    }
    static bool runUntilDrained(MqttClient& client)
    {
        return runMqttLoop(client, kWait, [&] { return drained(client); });
    }
    static bool runUntilWaiting(MqttClient& client)
    {
        return runMqttLoop(client, kWait,
                           [&] { return client.state() == MqttState::WaitingToReconnect; });
    }
    std::chrono::steady_clock::duration untilNextAttempt(const MqttClient& client) const
    {
        const auto next = client.nextAttempt();
        return next ? *next - clock.now() : std::chrono::steady_clock::duration::min();
    }
    bool logged(std::string_view part) const
    {
        return std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    }
    std::string brokerName() const { return broker.host() + ":" + std::to_string(broker.port()); }

    MosquittoBroker broker;
    ManualSteadyClock clock;
    std::vector<std::string> log;
};

TEST_F(MqttClientTest, GreetingGoesFirstThenWhatWasQueuedThenLiveMessagesInOrder)
{
    MqttReader reader(broker.host(), broker.port(), "t/#");
    ASSERT_TRUE(reader.ready());
    auto client = makeClient();
    client->setGreeting(state("t/online", "true"));
    client->publish(event("t/e", "queued 1"));
    client->publish(event("t/e", "queued 2"));
    EXPECT_EQ(client->queued(), 2u);

    ASSERT_TRUE(client->start());
    ASSERT_TRUE(runUntilDrained(*client)) << client->lastError();
    constexpr int kLive = 50;
    for (int i = 0; i < kLive; ++i)
        client->publish(event("t/e", "live " + std::to_string(i)));
    ASSERT_TRUE(client->flush(kWait));

    ASSERT_TRUE(reader.waitForCount(3 + kLive));
    std::vector<std::string> expected{"t/online=true", "t/e=queued 1", "t/e=queued 2"};
    for (int i = 0; i < kLive; ++i)
        expected.push_back("t/e=live " + std::to_string(i));
    EXPECT_EQ(reader.lines(), expected);
    EXPECT_TRUE(logged("connected to " + brokerName()));
}

TEST_F(MqttClientTest, RetainedStateReachesALateSubscriberWithTheRetainFlag)
{
    auto client = makeClient();
    ASSERT_TRUE(client->start());
    ASSERT_TRUE(runUntilDrained(*client));
    client->publish(state("t/1-3/state", "{\"status\":\"RUN\"}"));
    client->publish(event("t/1-3/event", "gone by"));
    ASSERT_TRUE(client->flush(kWait));

    MqttReader late(broker.host(), broker.port(), "t/#");
    const auto received = late.waitForTopic("t/1-3/state");
    ASSERT_TRUE(received);
    EXPECT_EQ(received->payload, "{\"status\":\"RUN\"}");
    EXPECT_TRUE(received->retain);
    EXPECT_EQ(received->qos, 1);
}

TEST_F(MqttClientTest, TheWillIsSaidWhenTheConnectionDiesWithoutAGoodbye)
{
    MqttReader reader(broker.host(), broker.port(), "t/online");
    ASSERT_TRUE(reader.ready());
    auto client = makeClient();
    client->setWill(state("t/online", "vanished"));
    client->setGreeting(state("t/online", "true"));
    ASSERT_TRUE(client->start());
    ASSERT_TRUE(runUntilDrained(*client));
    ASSERT_TRUE(reader.waitForCount(1));

    // The socket dies under the client, as when the process is killed: no DISCONNECT.
    ASSERT_EQ(shutdown(client->socket(), SHUT_RDWR), 0);
    ASSERT_TRUE(runUntilWaiting(*client));

    ASSERT_TRUE(reader.waitForCount(2));
    EXPECT_EQ(reader.lines().back(), "t/online=vanished");
    EXPECT_NE(client->lastError().find("went away"), std::string::npos) << client->lastError();
    EXPECT_TRUE(logged("broker " + brokerName() + " went away: the connection was lost"));
}

TEST_F(MqttClientTest, ACleanEndSendsNoWill)
{
    MqttReader reader(broker.host(), broker.port(), "t/#");
    ASSERT_TRUE(reader.ready());
    {
        auto client = makeClient();
        client->setWill(state("t/online", "vanished"));
        client->setGreeting(state("t/online", "true"));
        ASSERT_TRUE(client->start());
        ASSERT_TRUE(runUntilDrained(*client));
        client->publish(state("t/online", "false"));
        ASSERT_TRUE(client->flush(kWait));
    }
    // Anything the broker would say for the first client comes before what a second one
    // says after it.
    auto second = makeClient();
    ASSERT_TRUE(second->start());
    second->publish(event("t/marker", "end"));
    ASSERT_TRUE(runUntilDrained(*second));
    ASSERT_TRUE(reader.waitForTopic("t/marker"));
    EXPECT_EQ(reader.lines(),
              (std::vector<std::string>{"t/online=true", "t/online=false", "t/marker=end"}));
}

TEST_F(MqttClientTest, WhatIsPublishedWhileTheBrokerIsAwayArrivesWhenItIsBack)
{
    auto client = makeClient(3);
    client->setGreeting(state("t/online", "true"));
    ASSERT_TRUE(client->start());
    ASSERT_TRUE(runUntilDrained(*client));

    broker.stop();
    ASSERT_TRUE(runUntilWaiting(*client));
    EXPECT_TRUE(logged("broker " + brokerName() + " went away: "));
    // The states of one topic come down to the last; the limit of 3 costs the oldest event.
    client->publish(state("t/state", "1"));
    client->publish(event("t/e", "0"));
    client->publish(event("t/e", "1"));
    client->publish(state("t/state", "2"));
    client->publish(event("t/e", "2"));
    client->publish(state("t/state", "3"));
    EXPECT_EQ(client->queued(), 3u);
    EXPECT_EQ(client->dropped(), 1u);

    ASSERT_TRUE(broker.start()) << broker.error();
    MqttReader reader(broker.host(), broker.port(), "t/#");
    ASSERT_TRUE(reader.ready());
    clock.advance(MqttClient::kFirstRetry);
    ASSERT_TRUE(runUntilDrained(*client)) << client->lastError();

    ASSERT_TRUE(reader.waitForCount(4));
    EXPECT_EQ(reader.lines(),
              (std::vector<std::string>{"t/online=true", "t/e=1", "t/e=2", "t/state=3"}));
    EXPECT_TRUE(logged("back at " + brokerName() + " after 1 s; 1 message dropped while away"));
}

TEST_F(MqttClientTest, MessagesInFlightWhenTheBrokerDiedAreSentAgainInOrder)
{
    auto client = makeClient();
    ASSERT_TRUE(client->start());
    ASSERT_TRUE(runUntilDrained(*client));

    broker.kill();
    // The connection is gone but the client has not read that yet: the library still takes
    // messages (or fails on them) as if connected.
    pollfd entry{client->socket(), POLLIN, 0};
    ASSERT_EQ(poll(&entry, 1, static_cast<int>(kWait.count())), 1);
    client->publish(event("t/e", "a"));
    client->publish(state("t/state", "s"));
    client->publish(event("t/e", "b"));
    client->publish(event("t/e", "c"));
    ASSERT_TRUE(runUntilWaiting(*client));
    EXPECT_EQ(client->queued(), 4u);
    EXPECT_EQ(client->unacknowledged(), 0u);
    // What was put back is a queue like any other: a newer state replaces it.
    client->publish(state("t/state", "s2"));
    EXPECT_EQ(client->queued(), 4u);

    ASSERT_TRUE(broker.start()) << broker.error();
    MqttReader reader(broker.host(), broker.port(), "t/#");
    ASSERT_TRUE(reader.ready());
    clock.advance(MqttClient::kFirstRetry);
    ASSERT_TRUE(runUntilDrained(*client)) << client->lastError();
    ASSERT_TRUE(reader.waitForCount(4));
    EXPECT_EQ(reader.lines(), (std::vector<std::string>{"t/e=a", "t/e=b", "t/e=c", "t/state=s2"}));
}

TEST_F(MqttClientTest, AFullQueueDropsTheOldestEventsFirstAndCounts)
{
    struct Row {
        const char* name;
        std::size_t limit;
        std::vector<MqttMessage> published;
        std::vector<std::string> arrives;
        std::uint64_t dropped;
        std::string told;  // what the first connection's line adds about them
    };
    const std::vector<Row> rows = {
        {"events only: the oldest goes",
         3,
         {event("e", "1"), event("e", "2"), event("e", "3"), event("e", "4")},
         {"e=2", "e=3", "e=4"},
         1,
         "; 1 message dropped before"},
        {"an event goes before an older state",
         3,
         {state("s", "1"), event("e", "1"), event("e", "2"), event("e", "3")},
         {"s=1", "e=2", "e=3"},
         1,
         "; 1 message dropped before"},
        {"states only: the oldest goes",
         3,
         {state("a", "1"), state("b", "1"), state("c", "1"), state("d", "1")},
         {"b=1", "c=1", "d=1"},
         1,
         "; 1 message dropped before"},
        {"an event arriving at a queue full of states costs the oldest state",
         3,
         {state("a", "1"), state("b", "1"), state("c", "1"), event("e", "1")},
         {"b=1", "c=1", "e=1"},
         1,
         "; 1 message dropped before"},
        {"a state replacing its topic takes no room and moves to the end",
         3,
         {state("a", "1"), event("e", "1"), state("a", "2"), event("e", "2")},
         {"e=1", "a=2", "e=2"},
         0,
         ""},
        {"a limit of zero keeps nothing",
         0,
         {event("e", "1"), state("a", "1")},
         {},
         2,
         "; 2 messages dropped before"},
    };
    int rowNumber = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string prefix = "q" + std::to_string(++rowNumber) + "/";
        MqttReader reader(broker.host(), broker.port(), prefix + "#");
        ASSERT_TRUE(reader.ready());
        auto client = makeClient(row.limit);
        client->setGreeting(event(prefix + "end", "greeting"));
        for (auto message : row.published) {
            message.topic = prefix + message.topic;
            client->publish(message);
        }
        EXPECT_EQ(client->queued(), row.arrives.size());
        EXPECT_EQ(client->dropped(), row.dropped);

        ASSERT_TRUE(client->start());
        ASSERT_TRUE(runUntilDrained(*client));
        ASSERT_TRUE(reader.waitForCount(1 + row.arrives.size()));
        std::vector<std::string> expected{prefix + "end=greeting"};
        for (const auto& line : row.arrives)
            expected.push_back(prefix + line);
        EXPECT_EQ(reader.lines(), expected);
        EXPECT_EQ(log.back(), "connected to " + brokerName() + row.told);
    }
}

TEST_F(MqttClientTest, RetriesWaitLongerEachTimeUpToAMinuteAndStartOverAfterAConnection)
{
    broker.stop();
    auto client = makeClient();
    ASSERT_TRUE(client->start());
    ASSERT_TRUE(runUntilWaiting(*client));

    for (const auto wait : {1s, 2s, 4s, 8s, 16s, 32s, 60s, 60s}) {
        SCOPED_TRACE(wait.count());
        ASSERT_EQ(untilNextAttempt(*client), wait);
        clock.advance(wait - 1ms);
        client->tick();
        EXPECT_EQ(client->state(), MqttState::WaitingToReconnect) << "tried too early";
        clock.advance(1ms);
        client->tick();
        ASSERT_TRUE(runUntilWaiting(*client));
    }
    // A broker that stays away is told once, not at every attempt.
    EXPECT_EQ(std::count_if(
                  log.begin(), log.end(),
                  [](const std::string& line) { return line.starts_with("cannot reach broker"); }),
              1);

    ASSERT_TRUE(broker.start()) << broker.error();
    clock.advance(60s);
    ASSERT_TRUE(runUntilDrained(*client)) << client->lastError();
    EXPECT_TRUE(client->lastError().empty());

    broker.stop();
    ASSERT_TRUE(runUntilWaiting(*client));
    EXPECT_EQ(untilNextAttempt(*client), 1s);
}

TEST_F(MqttClientTest, ABrokerThatNeverAnswersIsGivenUpAfterTheConnectTimeout)
{
    // A listening socket nobody accepts on: the TCP connection is made by the system, but
    // no CONNACK ever comes.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 4), 0);
    ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);

    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = ntohs(address.sin_port);
    MqttClient client(settings, clock);
    ASSERT_TRUE(client.start());
    ASSERT_TRUE(runMqttLoop(client, kWait, [&] { return !client.wantsWrite(); }));
    EXPECT_EQ(client.state(), MqttState::Connecting);

    clock.advance(MqttClient::kConnectTimeout - 1s);
    client.tick();
    EXPECT_EQ(client.state(), MqttState::Connecting);
    clock.advance(1s);
    client.tick();
    EXPECT_EQ(client.state(), MqttState::WaitingToReconnect);
    EXPECT_NE(client.lastError().find("did not answer"), std::string::npos) << client.lastError();
    close(silent);
}

TEST_F(MqttClientTest, AMessageToATopicNoOneCanPublishToIsNotQueued)
{
    auto client = makeClient();
    client->publish(event("t/+/state", "x"));
    client->publish(event("", "x"));
    EXPECT_EQ(client->queued(), 0u);
    EXPECT_EQ(client->dropped(), 0u);
    EXPECT_TRUE(logged("not published"));
}

// Brokers of their own kind, started by the test itself.
class MqttClientOwnBrokerTest : public MqttClientTest {
protected:
    void SetUp() override {}
};

TEST_F(MqttClientOwnBrokerTest, ARefusedConnectionIsToldAndTriedAgainLater)
{
    test::BrokerOptions password;
    password.user = "press";
    password.password = "s3cret";
    MosquittoBroker guarded(password);
    ASSERT_TRUE(guarded.start()) << guarded.error();
    struct Row {
        const char* name;
        std::string user;
        std::string password;
        bool accepted;
    };
    const Row rows[] = {
        {"wrong password", "press", "guess", false},
        {"no user name", "", "", false},
        {"unknown user", "lathe", "s3cret", false},
        {"right password", "press", "s3cret", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        log.clear();
        MqttSettings settings;
        settings.host = guarded.host();
        settings.port = guarded.port();
        settings.user = row.user;
        settings.password = row.password;
        MqttClient client(settings, clock, MqttClient::kDefaultQueueLimit,
                          [this](std::string_view line) { log.emplace_back(line); });
        ASSERT_TRUE(client.start());
        ASSERT_TRUE(
            runMqttLoop(client, kWait, [&] { return client.state() != MqttState::Connecting; }));
        if (row.accepted) {
            EXPECT_TRUE(client.connected()) << client.lastError();
            continue;
        }
        EXPECT_EQ(client.state(), MqttState::WaitingToReconnect);
        EXPECT_NE(client.lastError().find("refused the connection: "), std::string::npos)
            << client.lastError();
        EXPECT_TRUE(logged("refused the connection"));
        EXPECT_EQ(untilNextAttempt(client), MqttClient::kFirstRetry);
    }
}

TEST_F(MqttClientOwnBrokerTest, TlsConnectsOnlyToABrokerItsCaVouchesFor)
{
    test::BrokerOptions tls;
    tls.tls = true;
    MosquittoBroker secure(tls);
    ASSERT_TRUE(secure.start()) << secure.error();
    MosquittoBroker stranger(tls);
    ASSERT_TRUE(stranger.start()) << stranger.error();
    MqttReader::Options trustSecure;
    trustSecure.tlsCaFile = secure.caFile();
    MqttReader reader(secure.host(), secure.port(), "t/#", trustSecure);
    ASSERT_TRUE(reader.ready());

    MqttSettings settings;
    settings.host = secure.host();
    settings.port = secure.port();
    settings.tlsCaFile = stranger.caFile();
    MqttClient doubting(settings, clock);
    ASSERT_TRUE(doubting.start());
    ASSERT_TRUE(runUntilWaiting(doubting));
    EXPECT_FALSE(doubting.lastError().empty());

    settings.tlsCaFile = secure.caFile();
    MqttClient trusting(settings, clock);
    ASSERT_TRUE(trusting.start());
    trusting.publish(state("t/state", "over TLS"));
    ASSERT_TRUE(runUntilDrained(trusting)) << trusting.lastError();
    ASSERT_TRUE(reader.waitForCount(1));
    EXPECT_EQ(reader.lines(), std::vector<std::string>{"t/state=over TLS"});
}

}  // namespace
}  // namespace quillon
