// What the hub last told about one machine: the fields of its "_UPDATE:" record, kept by
// each monitoring view for the machines it shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"
#include "monitoring/StatusTable.h"

namespace quillon {

// The status a machine has until the hub says otherwise.
inline constexpr char kNoOperatorStatus[] = "NO Ostler";

// Text fields are bounded, whatever the hub sends.
inline constexpr std::size_t kRecordTextLimit = 63;
// The detailed view has room for this much of the operation text.
inline constexpr std::size_t kOperationTextLimit = 19;

// One station's figures; a single-station machine uses the first only.
struct StationFigures {
    int minCycleSeconds = 10;
    int maxCycleSeconds = 100;
    int idealCycleSeconds = 55;  // (minimum + maximum) / 2
    int lastCycleSeconds = 0;
    std::int64_t cycleStart = 0;    // absolute, seconds since 1970
    std::int64_t elapsedStart = 0;  // absolute
    std::int64_t statusStart = 0;   // absolute
    int goodCount = 0;
    int totalCount = 0;
    std::string partNumber;
    int feedOverride = 0;  // percent
    double nominalRate = 0;
    int rateTolerance = 81;  // percent of the nominal rate
    int piecesPerCycle = 1;
    int availability = 0;  // percent
    int performance = 0;
    int quality = 0;  // 0: not reported
    int oee = 0;
};

struct MachineRecord {
    StationKind stationKind = StationKind::Single;
    // The kind as the last record gave it, also one the program does not know. Only for
    // showing: it never picks a station or an entry of any table, stationKind does.
    int receivedStationKind = 0;
    std::array<StationFigures, 2> stations;
    bool alert = false;
    std::string status = kNoOperatorStatus;
    std::string name;
    bool timesInMinutes = false;
    bool rateMode = false;  // cycles per minute against a nominal rate
    double currentRate = 0;
    double lastRate = 0;
    int spindleOverride = 0;  // percent
    int machineNumber = 0;    // zero-based
    std::string operation;
    std::array<int, kStatusCount> statusSeconds{};
    int oeeLowThreshold = 0;  // percent, the same for all machines
    int oeeHighThreshold = 0;
    bool overrunNotHighlighted = false;  // a last cycle over the maximum is not marked

    bool twoStations() const { return stationKind != StationKind::Single; }
};

// The record of a machine named in "_INI:@": the defaults, its cycle and elapsed-time
// clocks started now.
MachineRecord startupRecord(StationKind kind, std::int64_t now);

using MachineRecords = std::array<MachineRecord, kMachineSlots>;

}  // namespace quillon
