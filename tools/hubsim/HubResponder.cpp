#include "hubsim/HubResponder.h"

#include <algorithm>
#include <charconv>

#include "hubsim/HubDatagrams.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"

namespace quillon::hubsim {

namespace {

// The fields of the long SETUP form after the word SETUP: part 1, min 1, max 1, min 2,
// max 2, part 2, pieces 1, pieces 2.
constexpr std::size_t kSetupFields = 8;

std::string describe(Endpoint endpoint)
{
    return ipv4ToDottedText(endpoint.address) + ":" + std::to_string(endpoint.port);
}

}  // namespace

HubResponder::HubResponder(HubModel& model, const SimulatedTime& time, const Clock& realClock,
                           std::optional<std::uint16_t> clientPort)
    : m_model(model), m_time(time), m_realClock(realClock), m_clientPort(clientPort)
{
    m_handlers = {
        {"MCH_VIEW", &HubResponder::subscribeMachines},
        {"_MCHUPDATE", &HubResponder::machineStates},
        {"MCH_DISCONNECT", &HubResponder::unsubscribeMachines},
        {"REMOTE_VIEW", &HubResponder::subscribeMonitoring},
        {"_UPDATE", &HubResponder::record},
        {"REMOTE_DISCONNECT", &HubResponder::unsubscribeMonitoring},
        {"_GETMON_LIST", &HubResponder::statusList},
        {"_SETMON_STATUS", &HubResponder::setStatus},
    };
    for (const Machine& machine : m_model.machines())
        m_pushedVersions.push_back(machine.version);
    m_pushedStates = machineStatesDatagram(m_model);
}

Answer HubResponder::handle(std::string_view bytes, Endpoint from)
{
    // The text ends at its NUL; a sender that left it out is heard all the same.
    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    auto fields = splitAtCommas(text);
    if (fields.size() < 2 || fields[1].empty())
        return {};
    const auto handler = m_handlers.find(fields[0]);
    if (handler == m_handlers.end())
        return {};
    m_model.advanceTo(m_time.now());
    Request request{fields[0],
                    fields[1],
                    {fields.begin() + 2, fields.end()},
                    from,
                    Endpoint{from.address, m_clientPort.value_or(from.port)}};
    renew(request);
    Answer answer = (this->*handler->second)(request);
    if (!answer.summary.empty())
        answer.summary = std::string(request.word) + " from " + describe(from) + " (" +
                         std::string(request.identity) + "): " + answer.summary;
    return answer;
}

std::vector<HubResponder::Subscriber>& HubResponder::subscribers(Feed feed)
{
    return feed == Feed::Machines ? m_machineFeed : m_monitoringFeed;
}

std::size_t HubResponder::subscriberCount(Feed feed) const
{
    return feed == Feed::Machines ? m_machineFeed.size() : m_monitoringFeed.size();
}

void HubResponder::subscribe(Feed feed, const Request& request)
{
    auto& list = subscribers(feed);
    const auto same = [&](const Subscriber& s) {
        return s.identity == request.identity && s.address == request.from.address;
    };
    auto found = std::find_if(list.begin(), list.end(), same);
    if (found == list.end()) {
        if (list.size() >= kMostSubscribers)
            list.erase(std::min_element(
                list.begin(), list.end(),
                [](const auto& a, const auto& b) { return a.lastHeard < b.lastHeard; }));
        found = list.insert(
            list.end(), Subscriber{std::string(request.identity), request.from.address, 0, 0, 0});
    }
    // A client that moved to another port is followed there.
    found->replyPort = request.replyTo.port;
    found->lastHeard = m_realClock.now();
}

void HubResponder::renew(const Request& request)
{
    for (auto* list : {&m_machineFeed, &m_monitoringFeed})
        for (Subscriber& s : *list)
            if (s.identity == request.identity && s.address == request.from.address)
                s.lastHeard = m_realClock.now();
}

Answer HubResponder::unsubscribe(const Request& request, Feed feed)
{
    auto& list = subscribers(feed);
    const auto before = list.size();
    std::erase_if(list, [&](const Subscriber& s) {
        return s.identity == request.identity && s.address == request.from.address;
    });
    return {{}, before == list.size() ? "not subscribed" : "feed stopped"};
}

Answer HubResponder::unsubscribeMachines(const Request& request)
{
    return unsubscribe(request, Feed::Machines);
}

Answer HubResponder::unsubscribeMonitoring(const Request& request)
{
    return unsubscribe(request, Feed::Monitoring);
}

Answer HubResponder::subscribeMachines(const Request& request)
{
    subscribe(Feed::Machines, request);
    return {{{request.replyTo, machineNamesDatagram(m_model)}}, "machine names"};
}

Answer HubResponder::machineStates(const Request& request)
{
    return {{{request.replyTo, machineStatesDatagram(m_model)}}, "machine states"};
}

Answer HubResponder::subscribeMonitoring(const Request& request)
{
    subscribe(Feed::Monitoring, request);
    return {{{request.replyTo, monitorStartDatagram(m_model)}},
            std::to_string(m_model.machines().size()) + " machines"};
}

const Machine* HubResponder::requestedMachine(const Request& request) const
{
    if (request.fields.size() < 2)
        return nullptr;
    const auto hub = numberIn(trimmed(request.fields[0]), 16);
    const auto port = numberIn(trimmed(request.fields[1]));
    if (!hub || !port)
        return nullptr;
    const auto slot = MachineSlot::checked(*hub, *port);
    return slot ? m_model.machine(*slot) : nullptr;
}

Answer HubResponder::record(const Request& request)
{
    const Machine* machine = requestedMachine(request);
    if (!machine)
        return {{}, "no such machine"};
    return {{{request.replyTo, recordDatagram(*machine, m_model.now())}},
            "record of " + machine->name};
}

Answer HubResponder::statusList(const Request& request)
{
    const Machine* machine = requestedMachine(request);
    if (!machine)
        return {{}, "no such machine"};
    return {{{request.replyTo, statusListDatagram(*machine)}}, "statuses of " + machine->name};
}

Answer HubResponder::setStatus(const Request& request)
{
    const Machine* machine = requestedMachine(request);
    if (!machine || request.fields.size() < 3)
        return {{}, "no such machine"};
    const std::string_view status = request.fields[2];
    const MachineSlot slot = machine->slot;
    bool changed = false;
    if (status == statusName(kSetup) && request.fields.size() >= 3 + kSetupFields) {
        const auto& f = request.fields;
        SetupOrder order;
        order.partNumbers = {std::string(trimmed(f[3])), std::string(trimmed(f[8]))};
        // A single-station machine gets one blank as its second part number.
        if (order.partNumbers[1].empty())
            order.partNumbers[1] = order.partNumbers[0];
        const std::size_t numbers[] = {4, 5, 6, 7, 9, 10};
        std::array<long, 6> values{};
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto value = numberIn(trimmed(f[numbers[i]]));
            if (!value)
                return {{}, "refused: " + std::string(f[numbers[i]]) + " is not a number"};
            values[i] = std::clamp<long>(*value, -1, 1'000'000);
        }
        order.minCycles = {static_cast<int>(values[0]), static_cast<int>(values[2])};
        order.maxCycles = {static_cast<int>(values[1]), static_cast<int>(values[3])};
        order.piecesPerCycle = {static_cast<int>(values[4]), static_cast<int>(values[5])};
        changed = m_model.setup(slot, order);
    } else {
        changed = m_model.setStatus(slot, status);
    }
    if (!changed)
        return {{}, "refused status " + std::string(status) + " for " + machine->name};
    // Every display shows the change at once rather than at the next tick.
    Answer answer{{}, std::string(status) + " set on " + machine->name};
    pushRecord(*m_model.machine(slot), answer.datagrams);
    return answer;
}

void HubResponder::pushRecord(const Machine& machine, std::vector<Datagram>& out)
{
    m_pushedVersions[static_cast<std::size_t>(machine.slot.index())] = machine.version;
    push(m_monitoringFeed, recordDatagram(machine, m_model.now()), out);
}

void HubResponder::push(std::vector<Subscriber>& feed, const std::string& bytes,
                        std::vector<Datagram>& out)
{
    const std::int64_t now = m_realClock.now();
    for (Subscriber& s : feed) {
        out.push_back({{s.address, s.replyPort}, bytes});
        s.lastPushed = now;
    }
}

std::vector<Datagram> HubResponder::tick()
{
    m_model.advanceTo(m_time.now());
    const std::int64_t now = m_realClock.now();
    for (auto* list : {&m_machineFeed, &m_monitoringFeed})
        std::erase_if(*list, [&](const Subscriber& s) {
            return now - std::max(s.lastHeard, s.lastPushed) >= kSubscriberTimeout;
        });

    std::vector<Datagram> out;
    for (const Machine& machine : m_model.machines())
        if (machine.version != m_pushedVersions[static_cast<std::size_t>(machine.slot.index())])
            pushRecord(machine, out);
    std::string states = machineStatesDatagram(m_model);
    if (states != m_pushedStates) {
        push(m_machineFeed, states, out);
        m_pushedStates = std::move(states);
    }
    return out;
}

}  // namespace quillon::hubsim
