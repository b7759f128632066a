#include "cli/CliHub.h"

#include "cli/CliBridge.h"
#include "cli/CliHubLink.h"
#include "cli/CliServe.h"

#include <algorithm>
#include <chrono>
#include <map>
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
#include "monitoring/StatusChange.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "platform/UdpSocket.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

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

namespace {

constexpr int kDefaultSeconds = 10;

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

// What "set-status" was asked: the machine, the status, and for a SETUP the new job's
// fields by option name.
struct SetStatusRequest {
    MachineSlot slot;
    std::string status;
    int seconds = kDefaultSeconds;
    std::map<std::string, std::string, std::less<>> job;
};

constexpr std::string_view kJobOptions[] = {"--part", "--part2", "--min",    "--max",
                                            "--min2", "--max2",  "--pieces", "--pieces2"};

std::optional<SetStatusRequest> parseSetStatus(const std::vector<std::string>& arguments)
{
    SetStatusRequest request;
    std::optional<long> hub;
    std::optional<long> port;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--")) {
            if (!request.status.empty())
                return std::nullopt;
            request.status = argument;
            continue;
        }
        if (i + 1 >= arguments.size())
            return std::nullopt;
        const std::string& value = arguments[++i];
        if (argument == "--hub") {
            hub = wholeNumber(value);
        } else if (argument == "--port") {
            port = wholeNumber(value);
        } else if (argument == "--seconds") {
            const auto seconds = wholeNumber(value);
            if (!seconds || *seconds < 1 || *seconds > 24 * 3600)
                return std::nullopt;
            request.seconds = static_cast<int>(*seconds);
        } else if (std::find(std::begin(kJobOptions), std::end(kJobOptions), argument) !=
                   std::end(kJobOptions)) {
            request.job[argument] = value;
        } else {
            return std::nullopt;
        }
    }
    const auto slot = hub && port ? MachineSlot::checked(*hub - 1, *port - 1) : std::nullopt;
    const bool setup = request.status == kSetupStatus;
    if (!slot || request.status.empty() || (setup && !request.job.contains("--part")) ||
        (!setup && !request.job.empty()))
        return std::nullopt;
    request.slot = *slot;
    return request;
}

// The "New Part Number" entry as the options fill it over the record's values.
PartNumberForm typedJob(const MachineRecord& record, const SetStatusRequest& request)
{
    PartNumberForm form = partNumberForm(record);
    const auto given = [&](std::string_view option) -> const std::string* {
        const auto found = request.job.find(option);
        return found == request.job.end() ? nullptr : &found->second;
    };
    const auto take = [&](std::string_view option, std::string& into) {
        if (const std::string* value = given(option))
            into = *value;
    };
    take("--part", form.partNumber1);
    take("--part2", form.partNumber2);
    take("--min", form.minCycle1);
    take("--max", form.maxCycle1);
    form.minCycle2 = form.minCycle1;
    form.maxCycle2 = form.maxCycle1;
    take("--min2", form.minCycle2);
    take("--max2", form.maxCycle2);
    if (const std::string* pieces = given("--pieces"))
        form.pieces1 = form.pieces2 = limitPiecesPerCycle(leadingInteger(*pieces));
    if (const std::string* pieces = given("--pieces2"))
        form.pieces2 = limitPiecesPerCycle(leadingInteger(*pieces));
    return form;
}

// The detailed view's status change from a shell: the record first, for the refusals and
// for what a SETUP does not change, then the status or the new job.
int setStatus(const WorkDir& workDir, const SetStatusRequest& request, std::ostream& out,
              std::ostream& err)
{
    auto open = openLink(workDir, err);
    if (!open)
        return 1;
    HubLink& link = *open->link;
    auto records = std::make_unique<MachineRecords>();
    bool received = false;
    Printer view([&](std::string_view bytes) {
        const auto receipt = applyRecord(bytes, link.now(), *records);
        if (receipt && receipt->complete && receipt->slot == request.slot)
            received = true;
    });
    link.monitoringViewOpened(MonitoringView::Detailed, view);
    link.sendMachineRequest(kRecordRequestWord, request.slot);
    runLink(*open, request.seconds, [&] { return received; });
    link.monitoringViewClosed(MonitoringView::Detailed);
    const auto finish = [&](int code) {
        link.sendWord(kRemoteDisconnectWord);
        return code;
    };
    if (!received) {
        err << "No record came from the hub at " << ipv4ToDottedText(open->hub) << '\n';
        return finish(1);
    }
    const MachineRecord& record = (*records)[static_cast<std::size_t>(request.slot.index())];
    if (!statusChangeAllowed(record.status)) {
        err << record.name << " is " << record.status << ": its status cannot be set now\n";
        return finish(1);
    }
    if (request.status != kSetupStatus) {
        link.sendStatus(request.slot, request.status);
        out << record.name << ": " << request.status << '\n';
        return finish(0);
    }
    const SetupVerdict verdict = checkPartNumberForm(record, typedJob(record, request));
    if (!verdict.setup) {
        err << verdict.problem << '\n';
        return finish(1);
    }
    link.sendSetup(request.slot, verdict.setup->change);
    out << record.name << ": " << kSetupStatus << ' ' << verdict.setup->change.partNumber1 << '\n';
    return finish(0);
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
    std::vector<std::string> failures;
    reconcileMachineLists(workDir, remote.hubDirectory, clock, &failures);
    for (const std::string_view name : {kMonitorListFile, kTimelineListFile}) {
        out << name << '\n';
        if (const auto bytes = readFile(workDir.file(name)))
            out << *bytes;
    }
    for (const std::string& failure : failures)
        err << failure << '\n';
    return failures.empty() ? 0 : 1;
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
    if (command == "bridge")
        return runBridge({arguments.begin() + 1, arguments.end()}, out, err);
    if (command == "serve")
        return runServe({arguments.begin() + 1, arguments.end()}, out, err);
    if (command == "set-status") {
        const auto request = parseSetStatus(arguments);
        if (!request)
            return usage();
        return setStatus(WorkDir::fromEnvironment(), *request, out, err);
    }
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
