// The statuses a machine can be in and the colours every monitoring chart paints them in.
// 37 places: a few with fixed names, 3 to 30 free for statuses the hub defines, and 35
// ("FEED HOLD") whose name the hub may change. The hub keeps the names and colours in
// _SETUP\GraphColor.sys; without it the defaults stand.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kGraphColorFile = "_SETUP\\GraphColor.sys";

enum StatusIndex : int {
    kStatusCycleOn = 0,
    kStatusCycleOff = 1,
    kStatusSetup = 2,
    kFirstHubStatus = 3,
    kLastHubStatus = 30,
    kStatusLoading = 31,
    kStatusNoOstler = 32,
    kStatusAlarm = 33,
    kStatusSpindleOn = 34,
    kStatusFeedHold = 35,
    kStatusCycleOnSpindleOn = 36,
    kStatusCount = 37,
};

inline constexpr std::string_view kNoOstler = "NO Ostler";

struct StatusTable {
    std::array<std::string, kStatusCount> names;
    std::array<std::uint32_t, kStatusCount> colors{};  // 0x00BBGGRR
    bool gradient = true;
    std::uint32_t background = 0x000000;
    std::uint32_t foreground = 0xFFFFFF;

    static StatusTable defaults();
    // GraphColor.sys over the defaults: line 1 "gradient,background,foreground", then one
    // "colour,name" line per place from 0 on; a line without a comma leaves its place as
    // it was, and the fixed names stay fixed.
    static StatusTable parse(std::string_view bytes);

    // The first place whose name is this text, among places first..last.
    std::optional<int> find(std::string_view name, int first = 0,
                            int last = kStatusCount - 1) const;
    // The colour of a status text: its place's, "NO Ostler" always place 32's; nothing for a
    // text the table does not know.
    std::optional<std::uint32_t> colorOf(std::string_view name) const;
};

bool isFixedStatusName(int index);

// The hub's GraphColor.sys under its directory; the defaults when there is none.
StatusTable readStatusTable(std::string_view hubDirectory);

}  // namespace quillon
