// Reading the datagrams the hub sends. Each reader takes exactly the bytes that arrived,
// NULs and all, reads nothing past their end and takes a datagram of any length whole.
// The text forms end at their first NUL, as the hub ends every text with one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineRecord.h"
#include "monitoring/MachineSlot.h"

namespace quillon {

inline constexpr std::string_view kMachineNamesWord = "_MCHINI:";
inline constexpr std::string_view kMachineStatesWord = "_MCHUPDATE:";
inline constexpr std::string_view kStartupWord = "_INI:@";
inline constexpr std::string_view kRecordWord = "_UPDATE:";
inline constexpr std::string_view kStatusListWord = "_MON_LIST:";

// The text of a datagram: its bytes up to the first NUL.
std::string_view datagramText(std::string_view bytes);

// "_MCHINI:": the names of all 128 machines, hub by hub, each cut to what the machine
// display has room for. An absent machine, and one the datagram ends before, has none.
inline constexpr std::size_t kMachineNameLimit = 18;
using MachineNames = std::array<std::string, kMachineSlots>;
std::optional<MachineNames> parseMachineNames(std::string_view datagram);

// "_MCHUPDATE:": a pair of raw bytes per machine, hub by hub. A datagram too short to hold
// all 128 pairs is nothing: half a table would turn the rest of the machines off.
struct MachineState {
    bool monitored = false;
    bool inCycle = false;
    bool operator==(const MachineState&) const = default;
};
using MachineStates = std::array<MachineState, kMachineSlots>;
std::optional<MachineStates> parseMachineStates(std::string_view datagram);

// "_INI:@": whether the hub supplies counts, then one line per machine it monitors.
struct StartupMachine {
    MachineSlot slot;
    int stationKind = 0;  // as sent; see stationKindOf
    bool feedOverride = false;
    bool spindleOverride = false;
};
struct StartupList {
    bool countsSupplied = true;
    std::vector<StartupMachine> machines;

    bool anyFeedOverride() const;
    bool anySpindleOverride() const;
};
std::optional<StartupList> parseStartupList(std::string_view datagram);

std::optional<StationKind> stationKindOf(long long code);

// The machine an "_UPDATE:" record is about, read from the text right after the word:
// hub in hexadecimal, a comma, port in decimal. Nothing when either is missing or out of
// range.
std::optional<MachineSlot> recordSlot(std::string_view afterWord);

// "_UPDATE:" at the start of the datagram: the record is stored field by field into the
// machine's entry of `records`; a field the datagram does not reach keeps what it held.
// Times sent as seconds ago become absolute against `now`.
struct RecordReceipt {
    MachineSlot slot;
    // The record reached its last field: only such a record counts as received.
    bool complete = false;
};
std::optional<RecordReceipt> applyRecord(std::string_view datagram, std::int64_t now,
                                         MachineRecords& records);

// "_MON_LIST:": the statuses that may be set on one machine.
inline constexpr std::size_t kStatusListLimit = 512;
struct StatusList {
    MachineSlot slot;
    std::vector<std::string> statuses;
};
std::optional<StatusList> parseStatusList(std::string_view datagram);

}  // namespace quillon
