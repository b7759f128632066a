// A monitoring view's side of the monitoring feed, without the view: the records of its
// machines and the start-up exchange that fetches them one by one before the rows are
// built. The view hands it every datagram the link forwards and draws what it reports.
//
//   created        every listed machine pending, "REMOTE_VIEW," sent
//   "_INI:@"       the named machines' records reset, "_UPDATE," for the first pending
//   "_UPDATE:"     stored; a complete one marks its machine received and asks for the
//                  next pending; when none is left the rows are built
//   rows built     "_INI:@" is ignored, records only refresh rows
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "monitoring/HubLink.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/MachineRecord.h"
#include "monitoring/MachineSlot.h"

namespace quillon {

// What one datagram changed for the view.
struct StartupReport {
    // A record was stored for this machine: its row (once built) shows it anew.
    std::optional<MachineSlot> refreshed;
    // The start-up list arrived: the columns follow its count and override flags.
    bool startupApplied = false;
    // The last pending machine came in with this datagram: build the rows now.
    bool rowsReady = false;
};

class MonitoringStartup {
public:
    // listedMachines: the machines of the view's list. `now` gives the link's time.
    MonitoringStartup(const std::vector<MachineSlot>& listedMachines, HubRequests& hub,
                      std::function<std::int64_t()> now);

    // The view was created.
    void start();
    StartupReport datagramArrived(std::string_view bytes);

    bool rowsBuilt() const { return m_rowsBuilt; }
    bool isPending(MachineSlot slot) const;
    // A default record for a slot outside the hub's range.
    const MachineRecord& record(MachineSlot slot) const;
    // The last start-up list; counts shown and override columns follow it.
    const StartupList& startupList() const { return m_startup; }
    // A new job was set up on the machine: its counts start from 0 until the hub says more.
    void restartCounts(MachineSlot slot);

private:
    void requestFirstPending();

    HubRequests& m_hub;
    std::function<std::int64_t()> m_now;
    std::bitset<kMachineSlots> m_pending;
    bool m_rowsBuilt = false;
    StartupList m_startup;
    MachineRecords m_records;
};

}  // namespace quillon
