// The shop-floor board without its server: a tile per machine of the monitoring list
// (MonList.sys) in its order, with its title rows, fed by a HubFollower of its own, and
// the hub's connection state. Widget-free, with an injectable clock. The JSON it writes is
// what the board's page reads; docs/board.md describes it field by field.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/BoardFeed.h"
#include "bridge/BridgeJson.h"
#include "bridge/HubFollower.h"
#include "monitoring/MachineLists.h"
#include "monitoring/StatusTable.h"

namespace quillon {

struct BoardOptions {
    std::string title = "QuillonLT";  // the header of the page, UTF-8
};

// "#rrggbb" of a colour held as 0x00BBGGRR: the red byte is the lowest.
std::string webColor(std::uint32_t color);
// A stale tile's colour: a quarter of the live colour over the grey of its brightness, so
// the status can still be guessed but nobody takes the tile for live.
std::uint32_t staleColor(std::uint32_t color);

class BoardModel final : public BoardFeed, private FollowerListener {
public:
    // A hub heard within this long is connected. A live hub is never silent this long: the
    // follower asks for a quiet machine's record halfway through it.
    static constexpr std::int64_t kHubSilentAfterSeconds = HubLink::kResubscribeAfterSeconds;

    // list: MonList.sys (an empty list shows every followed machine in hub-then-port
    // order); statuses: the hub's status table, for the tiles' colours; configured: the
    // machines the hub configuration monitors (the follower adds the hub's own list).
    BoardModel(std::vector<ListEntry> list, StatusTable statuses,
               std::vector<MachineSlot> configured, HubRequests& hub, const Clock& clock,
               BoardOptions options);
    ~BoardModel() override;

    void start();
    // Where the hub's monitoring datagrams go (HubLink::followerOpened): the follower's,
    // with the time each came noted for the connection state.
    DatagramReceiver& receiver();
    // The one-second tick: stale machines, the hub's connection state.
    void tick();
    bool hubConnected() const { return m_connected; }

    std::string snapshotJson() const override;
    std::string machinesJson() const override;
    void setPush(Push push) override;

private:
    // Notes that the hub was heard, then hands the datagram to the follower.
    class Receiver final : public DatagramReceiver {
    public:
        explicit Receiver(BoardModel& model) : m_model(model) {}
        void datagramArrived(std::string_view bytes) override;

    private:
        BoardModel& m_model;
    };

    void stateChanged(const MachineSnapshot& state) override;
    void eventHappened(const MachineEvent& event) override;
    void hubHeard();
    void hubFlipped(std::int64_t now);
    void push(const std::string& message) const;

    // A tile's fields without its closing brace: a push adds the server's time to them.
    JsonObject tileObject(MachineSlot slot, std::string_view listName) const;
    JsonObject unknownTileObject(std::string id, std::string_view listName) const;
    std::string rowsJson() const;
    bool listed(MachineSlot slot) const;

    std::vector<ListEntry> m_list;
    StatusTable m_statuses;
    const Clock& m_clock;
    BoardOptions m_options;
    HubFollower m_follower;
    Receiver m_receiver{*this};
    Push m_push;
    // Without a list: the machines with a tile, those whose first state came.
    std::bitset<kMachineSlots> m_onBoard;
    std::optional<std::int64_t> m_lastHeard;
    bool m_connected = false;
};

}  // namespace quillon
