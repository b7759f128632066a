#include "cli/CliHub.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string_view>

#include "app/MarginsSettings.h"
#include "cli/CliPort.h"
#include "monitoring/HubLink.h"
#include "monitoring/HubSetup.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/MachineLists.h"
#include "monitoring/MonitoringStartup.h"
#include "monitoring/RemoteConfig.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "platform/UdpSocket.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

constexpr int kDefaultSeconds = 10;
constexpr int kTickMs = 1000;

// What the windows would hold: the socket, bound, and the link on it.
struct OpenLink {
    std::unique_ptr<UdpSocket> socket;
    std::int32_t hub = 0;
    std::int32_t local = 0;
    std::uint16_t port = kHubLinkPort;
    SystemClock clock;
    std::unique_ptr<HubLink> link;
};

std::unique_ptr<OpenLink> openLink(const WorkDir& workDir, std::ostream& err)
{
    auto made = std::make_unique<OpenLink>();
    OpenLink& open = *made;
    const RemoteConfig remote = readRemoteConfig(workDir);
    open.hub = remote.hubAddress;
    if (open.hub == 0) {
        err << "No hub address: give it in Settings > Quillon remote (" << kRemoteConfigFile
            << ")\n";
        return nullptr;
    }
    // The address chosen in the program, else the computer's first.
    open.local = readMarginsFile(workDir).localIpAddress;
    if (open.local == 0) {
        const auto addresses = localIpv4Addresses();
        if (!addresses.empty())
            open.local = addresses.front();
    }
    if (open.local == 0) {
        err << "Could not determine IP address\n";
        return nullptr;
    }
    open.port = hubLinkPort();
    UdpSocket::Bound bound = UdpSocket::bind(open.local, open.port);
    if (!bound.socket) {
        err << bindFailureText(bound, open.port) << '\n';
        return nullptr;
    }
    open.socket = std::move(bound.socket);
    open.link = std::make_unique<HubLink>(
        open.hub, open.local, open.clock,
        [&open](std::string_view bytes) { open.socket->send(open.hub, open.port, bytes); });
    open.link->timerTick();
    return made;
}

// Runs the link until the time is up or `done` says so: datagrams as they come, a timer
// tick every second.
void runLink(OpenLink& open, int seconds, const std::function<bool()>& done)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    auto nextTick = Clock::now() + std::chrono::milliseconds(kTickMs);
    while (!done()) {
        const auto now = Clock::now();
        if (now >= end)
            break;
        if (now >= nextTick) {
            open.link->timerTick();
            nextTick += std::chrono::milliseconds(kTickMs);
        }
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::min(end, nextTick) - now);
        if (!open.socket->waitReadable(static_cast<int>(wait.count()) + 1))
            continue;
        while (auto datagram = open.socket->receive())
            open.link->datagramArrived(datagram->bytes, datagram->sourceAddress);
    }
}

class Printer : public DatagramReceiver {
public:
    explicit Printer(std::function<void(std::string_view)> take) : m_take(std::move(take)) {}
    void datagramArrived(std::string_view bytes) override { m_take(bytes); }

private:
    std::function<void(std::string_view)> m_take;
};

std::string recordLine(MachineSlot slot, const MachineRecord& record)
{
    const StationFigures& first = record.stations[0];
    const StationFigures& second = record.stations[1];
    return std::to_string(slot.hub + 1) + ',' + std::to_string(slot.port + 1) + ',' + record.name +
           ',' + record.status + ',' + first.partNumber + ',' + second.partNumber + ',' +
           std::to_string(first.goodCount) + ',' + std::to_string(second.goodCount) + ',' +
           std::to_string(first.availability) + ',' + std::to_string(first.performance) + ',' +
           std::to_string(first.quality) + ',' + std::to_string(first.oee);
}

int watch(const WorkDir& workDir, int seconds, std::ostream& out, std::ostream& err)
{
    auto open = openLink(workDir, err);
    if (!open)
        return 1;
    HubLink& link = *open->link;
    std::vector<MachineSlot> listed;
    for (const ListEntry& entry : readMonitorList(workDir)) {
        if (entry.kind == ListEntryKind::Machine && entry.slot)
            listed.push_back(*entry.slot);
    }
    // Without a list every machine the hub monitors is asked for, so that each shows once
    // even when it does not change while the shell watches.
    if (listed.empty()) {
        if (const auto setup = readMonitorSetup(readRemoteConfig(workDir).hubDirectory)) {
            for (int index = 0; index < kMachineSlots; ++index)
                if (setup->isMonitored(MachineSlot::ofIndex(index)))
                    listed.push_back(MachineSlot::ofIndex(index));
        }
    }
    MonitoringStartup startup(listed, link, [&] { return link.now(); });
    auto records = std::make_unique<MachineRecords>();
    int printed = 0;
    Printer printer([&](std::string_view bytes) {
        startup.datagramArrived(bytes);
        const auto receipt = applyRecord(bytes, link.now(), *records);
        // The hub pushes every machine's changes; the view shows its list's.
        const bool shown =
            listed.empty() || std::find(listed.begin(), listed.end(),
                                        receipt ? receipt->slot : MachineSlot{}) != listed.end();
        if (receipt && receipt->complete && shown) {
            out << recordLine(receipt->slot, (*records)[receipt->slot.index()]) << '\n'
                << std::flush;
            ++printed;
        }
    });
    link.monitoringViewOpened(MonitoringView::Detailed, printer);
    startup.start();
    runLink(*open, seconds, [] { return false; });
    link.monitoringViewClosed(MonitoringView::Detailed);
    // No next datagram will come to end the feed lazily: it is ended now, once.
    link.sendWord(kRemoteDisconnectWord);
    if (printed == 0) {
        err << "No record came from the hub at " << ipv4ToDottedText(open->hub) << '\n';
        return 1;
    }
    return 0;
}

int machines(const WorkDir& workDir, int seconds, std::ostream& out, std::ostream& err)
{
    auto open = openLink(workDir, err);
    if (!open)
        return 1;
    HubLink& link = *open->link;
    MachineNames names;
    std::optional<MachineStates> states;
    Printer display([&](std::string_view bytes) {
        if (const auto named = parseMachineNames(bytes)) {
            names = *named;
            link.sendWord(kMachineUpdateWord);
        } else if (!states) {
            states = parseMachineStates(bytes);
        }
    });
    link.machineDisplayOpened(display);
    // A shell does not wait for the window's third tick.
    link.sendWord(kMachineViewWord);
    runLink(*open, seconds, [&] { return states.has_value(); });
    link.machineDisplayClosed();
    link.sendWord(kMachineDisconnectWord);
    if (!states) {
        err << "No machine table came from the hub at " << ipv4ToDottedText(open->hub) << '\n';
        return 1;
    }
    for (int index = 0; index < kMachineSlots; ++index) {
        const MachineSlot slot = MachineSlot::ofIndex(index);
        const MachineState& state = (*states)[static_cast<std::size_t>(index)];
        out << slot.hub + 1 << ',' << slot.port + 1 << ','
            << names[static_cast<std::size_t>(index)] << ',' << (state.monitored ? 1 : 0) << ','
            << (state.inCycle ? 1 : 0) << '\n';
    }
    return 0;
}

// The statuses the hub lets a user set on a machine ("_GETMON_LIST," answered by
// "_MON_LIST:"), one a line; with a status, that status set ("_SETMON_STATUS,").
int status(const WorkDir& workDir, MachineSlot slot, const std::optional<std::string>& chosen,
           int seconds, std::ostream& out, std::ostream& err)
{
    auto open = openLink(workDir, err);
    if (!open)
        return 1;
    HubLink& link = *open->link;
    std::optional<StatusList> offered;
    Printer view([&](std::string_view bytes) {
        if (const auto list = parseStatusList(bytes); list && list->slot == slot)
            offered = list;
    });
    link.monitoringViewOpened(MonitoringView::Detailed, view);
    link.sendMachineRequest(kStatusListRequestWord, slot);
    runLink(*open, seconds, [&] { return offered.has_value(); });
    link.monitoringViewClosed(MonitoringView::Detailed);
    link.sendWord(kRemoteDisconnectWord);
    if (!offered) {
        err << "No status list came from the hub at " << ipv4ToDottedText(open->hub) << '\n';
        return 1;
    }
    if (!chosen) {
        for (const std::string& name : offered->statuses)
            out << name << '\n';
        return 0;
    }
    if (std::find(offered->statuses.begin(), offered->statuses.end(), *chosen) ==
            offered->statuses.end() ||
        *chosen == kSetupStatus) {
        err << *chosen << ": not a status the hub lets this machine be set to"
            << (*chosen == kSetupStatus ? " from here (a SETUP asks for the new job)" : "")
            << '\n';
        return 1;
    }
    link.sendStatus(slot, *chosen);
    return 0;
}

int lists(const WorkDir& workDir, std::ostream& out, std::ostream& err)
{
    const RemoteConfig remote = readRemoteConfig(workDir);
    if (!remote.hasHub()) {
        err << "No hub directory: give it in Settings > Quillon remote (" << kRemoteConfigFile
            << ")\n";
        return 1;
    }
    SystemClock clock;
    reconcileMachineLists(workDir, remote.hubDirectory, clock);
    for (const std::string_view name : {kMonitorListFile, kTimelineListFile}) {
        out << name << '\n';
        if (const auto bytes = readFile(workDir.file(name)))
            out << *bytes;
    }
    return 0;
}

}  // namespace

int runHub(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto usage = [&] {
        err << "usage: quillonlt-cli " << kHubUsage << '\n';
        return 2;
    };
    if (arguments.empty())
        return usage();
    const std::string& command = arguments[0];
    int seconds = kDefaultSeconds;
    std::vector<std::string> rest;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--seconds" && i + 1 < arguments.size() && command != "lists") {
            const auto value = wholeNumber(arguments[++i]);
            if (!value || *value < 1 || *value > 24 * 3600)
                return usage();
            seconds = static_cast<int>(*value);
            continue;
        }
        if (command != "status")
            return usage();
        rest.push_back(arguments[i]);
    }
    const WorkDir workDir = WorkDir::fromEnvironment();
    if (command == "watch")
        return watch(workDir, seconds, out, err);
    if (command == "machines")
        return machines(workDir, seconds, out, err);
    if (command == "lists")
        return lists(workDir, out, err);
    if (command == "status" && (rest.size() == 2 || rest.size() == 3)) {
        // Hub and port as the user counts them, from 1.
        const auto hub = wholeNumber(rest[0]);
        const auto port = wholeNumber(rest[1]);
        const auto slot = hub && port ? MachineSlot::checked(*hub - 1, *port - 1) : std::nullopt;
        if (!slot)
            return usage();
        const auto chosen = rest.size() == 3 ? std::optional(rest[2]) : std::nullopt;
        return status(workDir, *slot, chosen, seconds, out, err);
    }
    return usage();
}

}  // namespace quillon::cli
