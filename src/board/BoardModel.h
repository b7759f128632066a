// The shop-floor board without its server: a tile per machine of the monitoring list
// (MonList.sys) in its order, with its title rows, fed by a HubFollower of its own, and
// the hub's connection state. Widget-free, with an injectable clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "board/BoardFeed.h"
#include "bridge/HubFollower.h"
#include "monitoring/MachineLists.h"
#include "monitoring/StatusTable.h"

namespace quillon {

struct BoardOptions {
    std::string title = "QuillonLT";  // the header of the page
};

class BoardModel final : public BoardFeed, private FollowerListener {
public:
    // list: MonList.sys (an empty list shows every followed machine in hub-then-port
    // order); statuses: the hub's status table, for the tiles' colours; configured: the
    // machines the hub configuration monitors (the follower adds the hub's own list).
    BoardModel(std::vector<ListEntry> list, StatusTable statuses,
               std::vector<MachineSlot> configured, HubRequests& hub, const Clock& clock,
               BoardOptions options);
    ~BoardModel() override;

    void start();
    DatagramReceiver& receiver();
    // The one-second tick: stale machines, the hub's connection state.
    void tick();

    std::string snapshotJson() const override;
    std::string machinesJson() const override;
    void setPush(Push push) override;

private:
    void stateChanged(const MachineSnapshot& state) override;
    void eventHappened(const MachineEvent& event) override;
    // ...
};

}  // namespace quillon
