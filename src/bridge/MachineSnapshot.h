// A machine's live state as the bridge hands it on: the figures of its last complete record
// that a dashboard wants, with the bands the live displays colour them by, and the changes
// between two such states that count as events.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "monitoring/LiveColorRules.h"
#include "monitoring/MachineRecord.h"
#include "monitoring/MachineSlot.h"

namespace quillon {

// "below", "within", "above".
std::string_view bandName(Band band);

struct StationSnapshot {
    std::string partNumber;
    int goodCount = 0;
    int totalCount = 0;
    int lastCycleSeconds = 0;
    int idealCycleSeconds = 0;
    int minCycleSeconds = 0;
    int maxCycleSeconds = 0;
    Band cycleBand = Band::Within;
    int feedOverride = 0;
    int availability = 0;
    int performance = 0;
    int quality = 0;
    int oee = 0;
    bool operator==(const StationSnapshot&) const = default;
};

struct MachineSnapshot {
    MachineSlot slot;
    std::string name;
    int number = 1;  // as the shop counts machines, from 1
    StationKind stationKind = StationKind::Single;
    std::string status;
    std::int64_t statusSince = 0;           // seconds since 1970
    std::vector<StationSnapshot> stations;  // one, or two for a two-station machine
    bool rateMode = false;
    double lastRate = 0;  // cycles per minute, rate mode only
    double nominalRate = 0;
    Band rateBand = Band::Within;
    int spindleOverride = 0;
    Band oeeBand = Band::Within;
    bool alert = false;
    bool stale = false;
    std::int64_t time = 0;  // when the record that made this state came

    bool operator==(const MachineSnapshot&) const = default;
};

MachineSnapshot snapshotOf(MachineSlot slot, const MachineRecord& record, std::int64_t now);

// The same state for a subscriber: equal but for the time of the record and for a status
// start that moved by a second or two (the hub sends it as seconds ago, which the two
// clocks round apart).
bool sameState(const MachineSnapshot& a, const MachineSnapshot& b);

struct MachineEvent {
    enum class Kind { Status, PartNumber, Count };
    Kind kind = Kind::Status;
    MachineSlot slot;
    std::string name;
    int number = 1;
    int station = 1;      // from 1; a status is the machine's, station 1
    std::string oldText;  // status and part number
    std::string newText;
    int oldGood = 0;  // count steps
    int newGood = 0;
    int oldTotal = 0;
    int newTotal = 0;
    std::int64_t time = 0;
    bool operator==(const MachineEvent&) const = default;
};
std::string_view eventKindName(MachineEvent::Kind kind);

// The events from one state to the next, in this order: the status, then each station's
// part number, then each station's count.
std::vector<MachineEvent> eventsBetween(const MachineSnapshot& before,
                                        const MachineSnapshot& after);

}  // namespace quillon
