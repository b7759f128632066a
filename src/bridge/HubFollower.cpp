#include "bridge/HubFollower.h"

#include "monitoring/Datagrams.h"
#include "monitoring/IncomingDatagrams.h"

namespace quillon {

namespace {

std::size_t at(MachineSlot slot)
{
    return static_cast<std::size_t>(slot.index());
}

bool inRange(MachineSlot slot)
{
    return MachineSlot::checked(slot.hub, slot.port).has_value();
}

}  // namespace

HubFollower::HubFollower(HubRequests& hub, const std::vector<MachineSlot>& machines,
                         const Clock& clock, FollowerListener& listener)
    : m_hub(hub),
      m_clock(clock),
      m_listener(listener),
      m_records(std::make_unique<MachineRecords>()),
      m_machines(std::make_unique<std::array<Machine, kMachineSlots>>())
{
    for (const MachineSlot slot : machines) {
        if (inRange(slot)) {
            m_followed.set(at(slot));
            m_pending.set(at(slot));
        }
    }
}

HubFollower::~HubFollower() = default;

void HubFollower::start()
{
    const std::int64_t now = m_clock.now();
    for (Machine& machine : *m_machines)
        machine.lastRecord = now;
    m_hub.sendWord(kRemoteViewWord);
    m_lastRequest = now;
}

bool HubFollower::follows(MachineSlot slot) const
{
    return inRange(slot) && m_followed.test(at(slot));
}

const MachineSnapshot* HubFollower::lastState(MachineSlot slot) const
{
    if (!inRange(slot))
        return nullptr;
    const auto& told = (*m_machines)[at(slot)].told;
    return told ? &*told : nullptr;
}

void HubFollower::follow(MachineSlot slot)
{
    if (m_followed.test(at(slot)))
        return;
    m_followed.set(at(slot));
    (*m_machines)[at(slot)].lastRecord = m_clock.now();
}

void HubFollower::datagramArrived(std::string_view bytes)
{
    const std::int64_t now = m_clock.now();
    if (const auto startup = parseStartupList(bytes)) {
        for (const StartupMachine& machine : startup->machines) {
            follow(machine.slot);
            Machine& followed = (*m_machines)[at(machine.slot)];
            // A machine already heard of keeps its record: the list only names it again.
            if (followed.told)
                continue;
            const StationKind kind =
                stationKindOf(machine.stationKind).value_or(StationKind::Unknown);
            MachineRecord& record = (*m_records)[at(machine.slot)];
            record = startupRecord(kind == StationKind::Unknown ? StationKind::Single : kind, now);
            record.receivedStationKind = machine.stationKind;
            m_pending.set(at(machine.slot));
        }
        requestNextPending();
        return;
    }
    const auto receipt = applyRecord(bytes, now, *m_records);
    if (receipt && receipt->complete)
        recordReceived(receipt->slot);
}

void HubFollower::recordReceived(MachineSlot slot)
{
    follow(slot);
    const std::int64_t now = m_clock.now();
    Machine& machine = (*m_machines)[at(slot)];
    machine.lastRecord = now;
    MachineSnapshot state = snapshotOf(slot, (*m_records)[at(slot)], now);
    if (!machine.told) {
        machine.told = state;
        m_listener.stateChanged(state);
    } else if (!sameState(*machine.told, state)) {
        const MachineSnapshot before = *machine.told;
        machine.told = state;
        m_listener.stateChanged(state);
        for (const MachineEvent& event : eventsBetween(before, state))
            m_listener.eventHappened(event);
    }
    if (m_pending.test(at(slot))) {
        m_pending.reset(at(slot));
        requestNextPending();
    }
}

void HubFollower::requestNextPending()
{
    // One request at a time, hub-then-port order, as the views fetch their machines: the
    // hub answers each with one datagram and a burst of 128 could be lost on the way. The
    // search goes on from the machine last asked for, so one that never answers is passed
    // over and asked again on the next round instead of holding up the rest.
    for (int step = 1; step <= kMachineSlots; ++step) {
        const int index = (m_lastAsked + step) % kMachineSlots;
        if (m_pending.test(static_cast<std::size_t>(index))) {
            m_hub.sendMachineRequest(kRecordRequestWord, MachineSlot::ofIndex(index));
            m_lastAsked = index;
            m_lastRequest = m_clock.now();
            return;
        }
    }
}

void HubFollower::tick()
{
    const std::int64_t now = m_clock.now();
    if (m_pending.any() && now - m_lastRequest >= kRequestRetrySeconds)
        requestNextPending();
    for (int index = 0; index < kMachineSlots; ++index) {
        if (!m_followed.test(static_cast<std::size_t>(index)))
            continue;
        Machine& machine = (*m_machines)[static_cast<std::size_t>(index)];
        const std::int64_t silent = now - machine.lastRecord;
        const MachineSlot slot = MachineSlot::ofIndex(index);
        constexpr std::int64_t kAskAfter = kStaleAfterSeconds / 2;
        if (silent >= kAskAfter && now - machine.lastAsked >= kAskAfter &&
            !m_pending.test(static_cast<std::size_t>(index))) {
            // The answers to these requests keep the link from ever noticing a silent feed,
            // so the subscription is renewed with them: a hub that restarted and forgot
            // us pushes again.
            if (now - m_lastRenewal >= kAskAfter) {
                m_lastRenewal = now;
                m_hub.sendWord(kRemoteViewWord);
            }
            machine.lastAsked = now;
            m_hub.sendMachineRequest(kRecordRequestWord, slot);
        }
        if (machine.told && !machine.told->stale && silent >= kStaleAfterSeconds) {
            machine.told->stale = true;
            m_listener.stateChanged(*machine.told);
        }
    }
}

}  // namespace quillon
