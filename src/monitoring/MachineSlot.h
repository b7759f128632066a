// A machine of the hub: hub 0..15 and port 0..7 (the user sees both plus one), or its flat
// index hub * 8 + port, 0..127. The hub files, the datagrams and the views all count so.
#pragma once

#include <optional>

namespace quillon {

inline constexpr int kHubCount = 16;
inline constexpr int kPortsPerHub = 8;
inline constexpr int kMachineSlots = kHubCount * kPortsPerHub;

struct MachineSlot {
    int hub = 0;
    int port = 0;

    int index() const { return hub * kPortsPerHub + port; }
    static MachineSlot ofIndex(int index) { return {index / kPortsPerHub, index % kPortsPerHub}; }
    // Nothing when hub or port lies outside the hub's range.
    static std::optional<MachineSlot> checked(long hub, long port)
    {
        if (hub < 0 || hub >= kHubCount || port < 0 || port >= kPortsPerHub)
            return std::nullopt;
        return MachineSlot{static_cast<int>(hub), static_cast<int>(port)};
    }
    bool operator==(const MachineSlot&) const = default;
};

}  // namespace quillon
