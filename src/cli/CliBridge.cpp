#include "cli/CliBridge.h"

#include <poll.h>
#include <signal.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <optional>
#include <ostream>

#include "bridge/BridgeSettings.h"
#include "bridge/MqttBridge.h"
#include "cli/CliHubLink.h"
#include "cli/CliPort.h"
#include "monitoring/Datagrams.h"
#include "platform/Ipv4Address.h"
#include "platform/ProcessLock.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

constexpr std::chrono::seconds kGoodbyeTimeout{3};

volatile std::sig_atomic_t g_stopRequested = 0;

void stopRequested(int)
{
    g_stopRequested = 1;
}

// A kill, Ctrl+C or a logout ends the bridge as its time running out would: with the
// goodbye on the online topic. The handler is installed without SA_RESTART so that the
// wait in poll() returns at once.
class StopSignals {
public:
    StopSignals()
    {
        g_stopRequested = 0;
        struct sigaction action {};
        action.sa_handler = stopRequested;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            ::sigaction(kSignals[i], &action, &m_previous[i]);
    }
    ~StopSignals()
    {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    std::array<struct sigaction, 3> m_previous{};
};

struct BridgeRequest {
    BridgeOptions options;
    std::string passwordFile;
    std::optional<int> seconds;
};

std::optional<BridgeRequest> parseRequest(const std::vector<std::string>& arguments)
{
    BridgeRequest request;
    bool broker = false;
    for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        const std::string& value = arguments[i + 1];
        if (option == "--mqtt") {
            const auto parsed = parseMqttBroker(value);
            if (!parsed)
                return std::nullopt;
            request.options.mqtt.host = parsed->host;
            request.options.mqtt.port = parsed->port;
            broker = true;
        } else if (option == "--prefix") {
            TopicPrefix prefix = checkedTopicPrefix(value);
            if (!prefix.error.empty())
                return std::nullopt;
            request.options.prefix = std::move(prefix.prefix);
        } else if (option == "--client-id") {
            request.options.mqtt.clientId = value;
        } else if (option == "--user") {
            request.options.mqtt.user = value;
        } else if (option == "--password-file") {
            request.passwordFile = value;
        } else if (option == "--tls-ca") {
            request.options.mqtt.tlsCaFile = value;
        } else if (option == "--seconds") {
            request.seconds = runningSeconds(value);
            if (!request.seconds)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    // Options come in pairs; a password without a user has nobody to go with.
    if (arguments.size() % 2 != 0 || !broker ||
        (!request.passwordFile.empty() && request.options.mqtt.user.empty()))
        return std::nullopt;
    return request;
}

// Waits for the hub's socket, the broker's socket or the next tick; runs what is ready.
void runOnce(OpenLink& open, MqttBridge& bridge, std::chrono::steady_clock::time_point& nextTick)
{
    MqttClient& client = bridge.client();
    std::array<pollfd, 2> waits{};
    waits[0] = {open.socket->descriptor(), POLLIN, 0};
    const int broker = client.socket();
    waits[1] = {broker, static_cast<short>(POLLIN | (client.wantsWrite() ? POLLOUT : 0)), 0};
    const auto untilTick = std::chrono::duration_cast<std::chrono::milliseconds>(
        nextTick - std::chrono::steady_clock::now());
    const int timeout = static_cast<int>(std::max<std::int64_t>(untilTick.count(), 0)) + 1;
    const int ready = ::poll(waits.data(), broker >= 0 ? 2 : 1, timeout);
    if (ready > 0) {
        if (waits[0].revents & POLLIN) {
            while (auto datagram = open.socket->receive())
                open.link->datagramArrived(datagram->bytes, datagram->sourceAddress);
        }
        // The datagrams may have reconnected nothing, but a publish may have dropped the
        // connection: the socket is looked at only if it is still the one waited on.
        if (broker >= 0 && client.socket() == broker) {
            if (waits[1].revents & (POLLIN | POLLERR | POLLHUP))
                client.readable();
            if ((waits[1].revents & POLLOUT) && client.socket() == broker)
                client.writable();
        }
    }
    if (std::chrono::steady_clock::now() >= nextTick) {
        open.link->timerTick();
        bridge.tick();
        nextTick += std::chrono::milliseconds(kTickMs);
    }
}

}  // namespace

int runBridge(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    auto request = parseRequest(arguments);
    if (!request) {
        err << "usage: quillonlt-cli " << kBridgeUsage << '\n';
        return 2;
    }
    if (!request->passwordFile.empty()) {
        std::string why;
        auto password = readBridgePassword(request->passwordFile, why);
        if (!password) {
            err << why << '\n';
            return 1;
        }
        request->options.mqtt.password = std::move(*password);
    }
    const WorkDir workDir = WorkDir::fromEnvironment();
    std::string why;
    const auto lock = acquireBridgeLock(workDir, why);
    if (!lock) {
        err << why << '\n';
        return 1;
    }
    auto open = openLink(workDir, err);
    if (!open)
        return 1;

    SystemSteadyClock steadyClock;
    const auto log = [&err](std::string_view line) { err << line << '\n' << std::flush; };
    MqttBridge bridge(std::move(request->options), *open->link, bridgeMachines(workDir),
                      open->clock, steadyClock, log);
    if (!bridge.start()) {
        err << bridge.client().lastError() << '\n';
        return 1;
    }
    open->link->followerOpened(bridge.receiver());
    err << "Following the hub at " << ipv4ToDottedText(open->hub) << " for "
        << bridge.follower().followedCount() << " configured machines\n"
        << std::flush;

    const StopSignals signals;
    using Steady = std::chrono::steady_clock;
    const auto end = request->seconds
                         ? std::optional(Steady::now() + std::chrono::seconds(*request->seconds))
                         : std::nullopt;
    auto nextTick = Steady::now() + std::chrono::milliseconds(kTickMs);
    while (!g_stopRequested && (!end || Steady::now() < *end))
        runOnce(*open, bridge, nextTick);

    open->link->followerClosed(bridge.receiver());
    open->link->sendWord(kRemoteDisconnectWord);
    bridge.stop(kGoodbyeTimeout);
    out << bridge.statesPublished() << " states and " << bridge.eventsPublished()
        << " events published, " << bridge.client().dropped() << " dropped\n";
    return 0;
}

}  // namespace quillon::cli
