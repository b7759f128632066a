// Follows the hub's monitoring feed for a set of machines, as the detailed view does, and
// says what changed: a machine's new state when a complete record changed it, the events
// between its last state and the new one, and the state marked stale when the machine fell
// silent for the hub's re-subscribe period. Records that did not come whole say nothing.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "bridge/MachineSnapshot.h"
#include "monitoring/HubLink.h"
#include "monitoring/MonitoringStartup.h"

namespace quillon {

class FollowerListener {
public:
    virtual ~FollowerListener() = default;
    virtual void stateChanged(const MachineSnapshot& state) = 0;
    virtual void eventHappened(const MachineEvent& event) = 0;
};

class HubFollower final : public DatagramReceiver {
public:
    HubFollower(HubRequests& hub, std::vector<MachineSlot> machines, const Clock& clock,
                FollowerListener& listener);

    // Asks the hub for the start-up list and then for every machine's record.
    void start();
    void datagramArrived(std::string_view bytes) override;
    // The one-second tick.
    void tick();

    // The last state told of a machine, if any.
    const MachineSnapshot* lastState(MachineSlot slot) const;
    std::size_t followedCount() const { return m_followed.count(); }
    bool follows(MachineSlot slot) const
    {
        return m_followed.test(static_cast<std::size_t>(slot.index()));
    }

private:
    // ...
    HubRequests& m_hub;
    const Clock& m_clock;
    FollowerListener& m_listener;
    std::bitset<kMachineSlots> m_followed;
};

}  // namespace quillon
