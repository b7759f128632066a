// The bridge as a shop runs it: quillonlt-cli hub bridge between a hub on 127.0.0.2 (the
// simulated hub, or the test itself playing the hub) and Debian's broker, with the topics
// read back by a subscriber of their own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "monitoring/HubDatagramSamples.h"
#include "platform/UdpSocket.h"
#include "support/MosquittoBroker.h"
#include "support/MqttReader.h"

extern char** environ;

namespace quillon {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::MqttReader;
using test::ReceivedMessage;

constexpr std::int32_t kHubAddress = 0x7F000002;    // 127.0.0.2
constexpr std::int32_t kLocalAddress = 0x7F000001;  // 127.0.0.1
constexpr auto kPatience = 20s;

// A second program of the test, ended (hard) when the test is done with it.
class Child {
public:
    Child(const std::string& program, const std::vector<std::string>& arguments,
          const std::vector<std::string>& environment, const fs::path& output)
    {
        std::vector<std::string> words = {program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<std::string> variables = environment;
        for (char** variable = environ; *variable != nullptr; ++variable)
            variables.emplace_back(*variable);
        std::vector<char*> envp;
        for (std::string& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { end(SIGKILL); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_pid > 0; }
    // The exit code once it ended by itself (-1 for a signal); nothing if it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds patience)
    {
        const auto end = std::chrono::steady_clock::now() + patience;
        while (m_pid > 0 && std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return m_code;
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }
    // The exit code after a signal of ours, -1 when it died of the signal.
    int end(int signal)
    {
        if (m_pid <= 0)
            return m_code;
        ::kill(m_pid, signal);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_code;
    }

private:
    pid_t m_pid = -1;
    int m_code = -1;
};

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::uint16_t freeUdpPort()
{
    UdpSocket::Bound probe = UdpSocket::bind(kHubAddress, 0);
    return probe.socket ? probe.socket->localPort() : 0;
}

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds patience = kPatience)
{
    const auto end = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The messages about machines, in arrival order: the bridge's own topic left out.
std::vector<ReceivedMessage> machineMessages(const std::vector<ReceivedMessage>& messages)
{
    std::vector<ReceivedMessage> kept;
    for (const ReceivedMessage& message : messages)
        if (!message.topic.ends_with("/bridge/online"))
            kept.push_back(message);
    return kept;
}

std::vector<std::string> topicsOf(const std::vector<ReceivedMessage>& messages)
{
    std::vector<std::string> topics;
    for (const ReceivedMessage& message : machineMessages(messages))
        topics.push_back(message.topic);
    return topics;
}

bool machineMessageCount(MqttReader& reader, std::size_t count)
{
    return reader.waitUntil(
        [count](const auto& messages) { return machineMessages(messages).size() >= count; });
}

std::size_t stateTopics(const std::vector<ReceivedMessage>& messages)
{
    std::set<std::string> topics;
    for (const ReceivedMessage& message : messages)
        if (message.topic.ends_with("/state"))
            topics.insert(message.topic);
    return topics.size();
}

// One field of a flat JSON message as its text: "CYCLE ON", 7, {"good":1,"total":2}.
std::string field(const std::string& json, const std::string& name)
{
    const std::string key = "\"" + name + "\":";
    const auto at = json.find(key);
    if (at == std::string::npos)
        return {};
    const auto start = at + key.size();
    if (json[start] == '"')
        return json.substr(start + 1, json.find('"', start + 1) - start - 1);
    if (json[start] == '{')
        return json.substr(start, json.find('}', start) - start + 1);
    return json.substr(start, json.find_first_of(",}", start) - start);
}

class BridgeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(broker.start()) << broker.error();
        port = freeUdpPort();
        ASSERT_NE(port, 0);
        fs::create_directories(home);
        // This computer is 127.0.0.1 (line 11 of Margins.sys), the hub 127.0.0.2.
        std::string margins;
        for (int line = 1; line <= 10; ++line)
            margins += "\r\n";
        writeFile(home / "Margins.sys", margins + "2130706433\r\n");
        writeFile(home / "VoskCONF.SYS", hubDir.string() + "/\r\n2130706434\r\n\r\n");
    }

    std::unique_ptr<Child> startBridge(const std::string& prefix)
    {
        return std::make_unique<Child>(
            QUILLONLT_CLI_BINARY,
            std::vector<std::string>{"hub", "bridge", "--mqtt",
                                     broker.host() + ':' + std::to_string(broker.port()),
                                     "--prefix", prefix, "--client-id", "bridge-under-test"},
            std::vector<std::string>{"QUILLONLT_HOME=" + home.string(),
                                     "QUILLONLT_UDP_PORT=" + std::to_string(port)},
            bridgeLog);
    }

    std::string brokerAddress() const { return broker.host(); }

    test::MosquittoBroker broker;
    std::uint16_t port = 0;
    fs::path base = fs::temp_directory_path() /
                    ("quillon-bridge-" + std::to_string(::getpid()) + '-' +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path home = base / "home";
    fs::path hubDir = base / "hub";
    fs::path bridgeLog = base / "bridge.log";

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(base, ignored);
    }
};

TEST_F(BridgeEndToEnd, TheSimulatedFloorIsPublishedAndSurvivesABrokerRestartAndAKilledBridge)
{
    constexpr int kMachines = 8;
    Child hub(QUILLONLT_HUBSIM_BINARY,
              {"--address", "127.0.0.2", "--port", std::to_string(port), "--machines",
               std::to_string(kMachines), "--seed", "3", "--speed", "60", "--hub-dir",
               hubDir.string(), "--quiet"},
              {}, base / "hubsim.log");
    ASSERT_TRUE(hub.started());
    // It says so once its socket is bound.
    ASSERT_TRUE(waitFor(
        [&] { return fileText(base / "hubsim.log").find("8 machines") != std::string::npos; }));

    MqttReader everything(brokerAddress(), broker.port(), "shop/#");
    ASSERT_TRUE(everything.ready());
    auto bridge = startBridge("shop");
    ASSERT_TRUE(bridge->started());

    // Every machine of the hub's configuration, each in its own retained state.
    ASSERT_TRUE(everything.waitUntil(
        [&](const auto& messages) { return stateTopics(messages) == kMachines; }, kPatience))
        << fileText(bridgeLog);
    {
        MqttReader late(brokerAddress(), broker.port(), "shop/+/state");
        ASSERT_TRUE(late.waitForCount(kMachines));
        for (const ReceivedMessage& message : late.messages()) {
            EXPECT_TRUE(message.retain) << message.topic;
            EXPECT_EQ(field(message.payload, "stale"), "false");
        }
        MqttReader online(brokerAddress(), broker.port(), "shop/bridge/online");
        const auto said = online.waitForTopic("shop/bridge/online");
        ASSERT_TRUE(said);
        EXPECT_EQ(said->payload, "true");
        EXPECT_TRUE(said->retain);
    }

    // An hour of the shop a minute: events come. Each continues where the one before it
    // of the same machine, kind and station left off.
    ASSERT_TRUE(everything.waitUntil(
        [](const auto& messages) {
            return std::count_if(messages.begin(), messages.end(), [](const auto& message) {
                       return message.topic.ends_with("/event");
                   }) >= 6;
        },
        kPatience))
        << fileText(bridgeLog) << fileText(base / "hubsim.log") << everything.messages().size()
        << " messages";
    std::map<std::string, std::string> lastNew;
    for (const ReceivedMessage& message : everything.messages()) {
        if (!message.topic.ends_with("/event"))
            continue;
        EXPECT_FALSE(message.retain);
        const std::string key =
            message.topic + field(message.payload, "event") + field(message.payload, "station");
        if (lastNew.contains(key)) {
            EXPECT_EQ(field(message.payload, "old"), lastNew[key]) << message.payload;
        }
        lastNew[key] = field(message.payload, "new");
    }

    // The broker dies and comes back without its retained messages: the bridge reconnects
    // and tells the whole floor again.
    broker.kill();
    ASSERT_TRUE(broker.start()) << broker.error();
    {
        MqttReader after(brokerAddress(), broker.port(), "shop/#");
        ASSERT_TRUE(after.waitUntil(
            [&](const auto& messages) { return stateTopics(messages) == kMachines; }, kPatience))
            << fileText(bridgeLog);
        EXPECT_NE(fileText(bridgeLog).find("back at"), std::string::npos) << fileText(bridgeLog);
    }

    // Killed without a word: the broker says "false" for it.
    MqttReader watcher(brokerAddress(), broker.port(), "shop/bridge/online");
    ASSERT_TRUE(watcher.waitUntil([](const auto& messages) {
        return !messages.empty() && messages.back().payload == "true";
    }));
    bridge->end(SIGKILL);
    EXPECT_TRUE(watcher.waitUntil(
        [](const auto& messages) { return messages.back().payload == "false"; }, kPatience));
}

// The test plays the hub, so that it decides what reaches the bridge.
class ScriptedHub {
public:
    explicit ScriptedHub(std::uint16_t port) : m_port(port)
    {
        m_socket = UdpSocket::bind(kHubAddress, port).socket;
    }
    bool bound() const { return m_socket != nullptr; }
    // The next datagram from the bridge that starts with `word`.
    bool expect(std::string_view word)
    {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < end) {
            if (!m_socket->waitReadable(100))
                continue;
            while (auto datagram = m_socket->receive()) {
                if (datagram->bytes.starts_with(word))
                    return true;
            }
        }
        return false;
    }
    void send(const std::string& bytes) { m_socket->send(kLocalAddress, m_port, bytes); }

private:
    std::uint16_t m_port;
    std::unique_ptr<UdpSocket> m_socket;
};

TEST_F(BridgeEndToEnd, NothingIsPublishedForARecordThatDidNotComeWhole)
{
    ScriptedHub hub(port);
    ASSERT_TRUE(hub.bound());
    MqttReader reader(brokerAddress(), broker.port(), "cell/+/+");
    ASSERT_TRUE(reader.ready());
    auto bridge = startBridge("cell");

    // No hub folder: the hub's start-up list names the machines.
    ASSERT_TRUE(hub.expect("REMOTE_VIEW,")) << fileText(bridgeLog);
    hub.send(test::withNul("_INI:@00,1,0,1,1\n0,2,0,1,1\n"));
    std::vector<std::string> first = test::fullRecordFields();
    first[0] = "0";
    first[1] = "1";
    first[2] = "0";
    std::vector<std::string> second = first;
    second[1] = "2";
    second[19] = "SAW 2";
    ASSERT_TRUE(hub.expect("_UPDATE,"));
    hub.send(test::recordDatagram(first, first.size()));
    ASSERT_TRUE(hub.expect("_UPDATE,"));
    hub.send(test::recordDatagram(second, second.size()));
    ASSERT_TRUE(machineMessageCount(reader, 2)) << fileText(bridgeLog);
    EXPECT_EQ(topicsOf(reader.messages()),
              (std::vector<std::string>{"cell/1-2/state", "cell/1-3/state"}));

    // The first machine's alarm arrives cut short; the second machine's count step after
    // it shows that the bridge went on without publishing anything for the first.
    first[18] = "ALARM";
    hub.send(test::recordDatagram(first, 40));
    second[13] = "8";
    second[86] = "31";
    hub.send(test::recordDatagram(second, second.size()));
    ASSERT_TRUE(machineMessageCount(reader, 4));
    EXPECT_EQ(topicsOf(reader.messages()),
              (std::vector<std::string>{"cell/1-2/state", "cell/1-3/state", "cell/1-3/state",
                                        "cell/1-3/event"}));

    // Whole, it counts.
    hub.send(test::recordDatagram(first, first.size()));
    ASSERT_TRUE(machineMessageCount(reader, 6));
    const auto messages = machineMessages(reader.messages());
    EXPECT_EQ(messages[4].topic, "cell/1-2/state");
    EXPECT_EQ(field(messages[4].payload, "status"), "ALARM");
    EXPECT_EQ(messages[5].topic, "cell/1-2/event");
    EXPECT_EQ(field(messages[5].payload, "old"), "CYCLE ON");
    EXPECT_EQ(field(messages[5].payload, "new"), "ALARM");

    // Asked to end, it says goodbye itself.
    MqttReader online(brokerAddress(), broker.port(), "cell/bridge/online");
    ASSERT_TRUE(online.waitForTopic("cell/bridge/online"));
    EXPECT_EQ(bridge->end(SIGTERM), 0);
    EXPECT_TRUE(online.waitUntil([](const auto& m) { return m.back().payload == "false"; }));
    EXPECT_NE(fileText(bridgeLog).find("4 states and 2 events published"), std::string::npos)
        << fileText(bridgeLog);
}

TEST_F(BridgeEndToEnd, ASecondBridgeOnTheSameWorkingDirectoryIsRefused)
{
    ScriptedHub hub(port);
    ASSERT_TRUE(hub.bound());
    auto first = startBridge("one");
    ASSERT_TRUE(hub.expect("REMOTE_VIEW,")) << fileText(bridgeLog);
    const fs::path secondLog = base / "second.log";
    Child second(QUILLONLT_CLI_BINARY,
                 {"hub", "bridge", "--mqtt", broker.host() + ':' + std::to_string(broker.port()),
                  "--prefix", "two"},
                 {"QUILLONLT_HOME=" + home.string(), "QUILLONLT_UDP_PORT=" + std::to_string(port)},
                 secondLog);
    const auto code = second.waitForExit(kPatience);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 1);
    EXPECT_NE(fileText(secondLog).find("An MQTT bridge already runs for this working directory"),
              std::string::npos)
        << fileText(secondLog);
}

}  // namespace
}  // namespace quillon
