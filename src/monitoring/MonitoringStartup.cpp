#include "monitoring/MonitoringStartup.h"

#include <utility>

#include "monitoring/Datagrams.h"

namespace quillon {

MonitoringStartup::MonitoringStartup(const std::vector<MachineSlot>& listedMachines,
                                     HubRequests& hub, std::function<std::int64_t()> now)
    : m_hub(hub), m_now(std::move(now))
{
    for (const MachineSlot slot : listedMachines) {
        if (MachineSlot::checked(slot.hub, slot.port))
            m_pending.set(static_cast<std::size_t>(slot.index()));
    }
}

void MonitoringStartup::start()
{
    m_hub.sendWord(kRemoteViewWord);
}

StartupReport MonitoringStartup::datagramArrived(std::string_view bytes)
{
    StartupReport report;
    if (auto startup = parseStartupList(bytes)) {
        if (m_rowsBuilt)
            return report;
        const std::int64_t now = m_now();
        for (const StartupMachine& machine : startup->machines) {
            const StationKind kind =
                stationKindOf(machine.stationKind).value_or(StationKind::Single);
            MachineRecord& record = m_records[static_cast<std::size_t>(machine.slot.index())];
            record = startupRecord(kind, now);
            record.receivedStationKind = machine.stationKind;
        }
        m_startup = std::move(*startup);
        report.startupApplied = true;
        requestFirstPending();
        report.rowsReady = m_rowsBuilt;
        return report;
    }

    const auto receipt = applyRecord(bytes, m_now(), m_records);
    if (!receipt)
        return report;
    report.refreshed = receipt->slot;
    if (m_rowsBuilt || !receipt->complete)
        return report;
    m_pending.reset(static_cast<std::size_t>(receipt->slot.index()));
    requestFirstPending();
    report.rowsReady = m_rowsBuilt;
    return report;
}

void MonitoringStartup::requestFirstPending()
{
    // Flat index order is hub-then-port order.
    for (int index = 0; index < kMachineSlots; ++index) {
        if (m_pending.test(static_cast<std::size_t>(index))) {
            m_hub.sendMachineRequest(kRecordRequestWord, MachineSlot::ofIndex(index));
            return;
        }
    }
    m_rowsBuilt = true;
}

bool MonitoringStartup::isPending(MachineSlot slot) const
{
    return MachineSlot::checked(slot.hub, slot.port) &&
           m_pending.test(static_cast<std::size_t>(slot.index()));
}

const MachineRecord& MonitoringStartup::record(MachineSlot slot) const
{
    static const MachineRecord kNoMachine;
    if (!MachineSlot::checked(slot.hub, slot.port))
        return kNoMachine;
    return m_records[static_cast<std::size_t>(slot.index())];
}

void MonitoringStartup::restartCounts(MachineSlot slot)
{
    if (!MachineSlot::checked(slot.hub, slot.port))
        return;
    for (StationFigures& station : m_records[static_cast<std::size_t>(slot.index())].stations) {
        station.goodCount = 0;
        station.totalCount = 0;
    }
}

}  // namespace quillon
