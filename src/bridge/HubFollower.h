// Follows the hub's monitoring feed for every machine it monitors, as the detailed view
// follows its list, and says what changed: a machine's new state when a complete record
// changed it, the events between its last state and the new one, and the state marked
// stale when the machine fell silent for the hub's re-subscribe period. A record that did
// not come whole says nothing.
//
// The hub pushes a record only when a machine changes, so a machine may be silent because
// nothing happens. Halfway through the period the follower asks the hub for the machine's
// record; a machine that answers is not stale, one that does not answer by the end of the
// period is.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bridge/MachineSnapshot.h"
#include "monitoring/HubLink.h"
#include "monitoring/MachineRecord.h"

namespace quillon {

class FollowerListener {
public:
    virtual ~FollowerListener() = default;
    virtual void stateChanged(const MachineSnapshot& state) = 0;
    virtual void eventHappened(const MachineEvent& event) = 0;
};

class HubFollower final : public DatagramReceiver {
public:
    // A machine silent this long is stale.
    static constexpr std::int64_t kStaleAfterSeconds = HubLink::kResubscribeAfterSeconds;
    // A record asked for and not come in this long is asked for again.
    static constexpr std::int64_t kRequestRetrySeconds = 10;

    // machines: those the hub configuration monitors. The hub's start-up list, and any
    // machine whose record comes, add to them.
    HubFollower(HubRequests& hub, const std::vector<MachineSlot>& machines, const Clock& clock,
                FollowerListener& listener);
    ~HubFollower() override;

    // Asks the hub for the start-up list, then for every machine's record in turn.
    void start();
    void datagramArrived(std::string_view bytes) override;
    // The one-second tick.
    void tick();

    // The last state told of a machine, if any.
    const MachineSnapshot* lastState(MachineSlot slot) const;
    std::size_t followedCount() const { return m_followed.count(); }
    bool follows(MachineSlot slot) const;
    // Machines asked for at start-up whose record has not come yet.
    std::size_t pendingCount() const { return m_pending.count(); }

private:
    struct Machine {
        std::optional<MachineSnapshot> told;
        std::int64_t lastRecord = 0;  // when its last complete record came
        std::int64_t lastAsked = 0;   // when its record was last asked for
    };

    void follow(MachineSlot slot);
    void recordReceived(MachineSlot slot);
    void requestNextPending();

    HubRequests& m_hub;
    const Clock& m_clock;
    FollowerListener& m_listener;
    std::bitset<kMachineSlots> m_followed;
    std::bitset<kMachineSlots> m_pending;
    std::int64_t m_lastRequest = 0;
    std::int64_t m_lastRenewal = 0;       // when the subscription was last renewed
    int m_lastAsked = kMachineSlots - 1;  // the start-up fetch's last machine asked for
    std::unique_ptr<MachineRecords> m_records;
    std::unique_ptr<std::array<Machine, kMachineSlots>> m_machines;
};

}  // namespace quillon
