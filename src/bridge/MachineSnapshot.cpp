#include "bridge/MachineSnapshot.h"

#include <algorithm>
#include <cstdlib>

namespace quillon {

namespace {

// The hub sends the status start as seconds ago; converted on our clock it may land a
// second or two from where it landed last time without anything having happened.
constexpr std::int64_t kSinceJitterSeconds = 2;

}  // namespace

std::string_view bandName(Band band)
{
    switch (band) {
    case Band::Below:
        return "below";
    case Band::Above:
        return "above";
    case Band::Within:
        break;
    }
    return "within";
}

std::string_view eventKindName(MachineEvent::Kind kind)
{
    switch (kind) {
    case MachineEvent::Kind::PartNumber:
        return "part_number";
    case MachineEvent::Kind::Count:
        return "count";
    case MachineEvent::Kind::Status:
        break;
    }
    return "status";
}

MachineSnapshot snapshotOf(MachineSlot slot, const MachineRecord& record, std::int64_t now)
{
    MachineSnapshot state;
    state.slot = slot;
    state.name = record.name;
    state.number = record.machineNumber + 1;
    state.stationKind = record.stationKind;
    state.status = record.status;
    state.statusSince = record.stations[0].statusStart;
    const std::size_t stations = record.twoStations() ? 2 : 1;
    for (std::size_t i = 0; i < stations; ++i) {
        const StationFigures& figures = record.stations[i];
        StationSnapshot station;
        station.partNumber = figures.partNumber;
        station.goodCount = figures.goodCount;
        station.totalCount = figures.totalCount;
        station.lastCycleSeconds = figures.lastCycleSeconds;
        station.idealCycleSeconds = figures.idealCycleSeconds;
        station.minCycleSeconds = figures.minCycleSeconds;
        station.maxCycleSeconds = figures.maxCycleSeconds;
        station.cycleBand = cycleTimeBand(figures.lastCycleSeconds, figures.minCycleSeconds,
                                          figures.maxCycleSeconds);
        station.feedOverride = figures.feedOverride;
        station.availability = figures.availability;
        station.performance = figures.performance;
        station.quality = figures.quality;
        station.oee = figures.oee;
        state.stations.push_back(std::move(station));
    }
    state.rateMode = record.rateMode;
    if (record.rateMode) {
        const StationFigures& first = record.stations[0];
        state.lastRate = record.lastRate;
        state.nominalRate = first.nominalRate;
        state.rateBand =
            rateBandOf(record.lastRate, rateBand(first.nominalRate, first.rateTolerance));
    }
    state.spindleOverride = record.spindleOverride;
    // A two-station machine is as good as its weaker station, as the live view colours it.
    int oee = record.stations[0].oee;
    if (record.twoStations())
        oee = std::min(oee, record.stations[1].oee);
    state.oeeBand = oeeBandOf(oee, record.oeeLowThreshold, record.oeeHighThreshold);
    state.alert = record.alert;
    state.time = now;
    return state;
}

bool sameState(const MachineSnapshot& a, const MachineSnapshot& b)
{
    MachineSnapshot levelled = b;
    levelled.time = a.time;
    if (std::llabs(a.statusSince - b.statusSince) <= kSinceJitterSeconds)
        levelled.statusSince = a.statusSince;
    return a == levelled;
}

std::vector<MachineEvent> eventsBetween(const MachineSnapshot& before,
                                        const MachineSnapshot& after)
{
    std::vector<MachineEvent> events;
    const auto event = [&](MachineEvent::Kind kind, int station) -> MachineEvent& {
        MachineEvent& made = events.emplace_back();
        made.kind = kind;
        made.slot = after.slot;
        made.name = after.name;
        made.number = after.number;
        made.station = station;
        made.time = after.time;
        return made;
    };
    if (before.status != after.status) {
        MachineEvent& made = event(MachineEvent::Kind::Status, 1);
        made.oldText = before.status;
        made.newText = after.status;
    }
    const std::size_t stations = std::min(before.stations.size(), after.stations.size());
    for (std::size_t i = 0; i < stations; ++i) {
        if (before.stations[i].partNumber != after.stations[i].partNumber) {
            MachineEvent& made = event(MachineEvent::Kind::PartNumber, static_cast<int>(i) + 1);
            made.oldText = before.stations[i].partNumber;
            made.newText = after.stations[i].partNumber;
        }
    }
    for (std::size_t i = 0; i < stations; ++i) {
        const StationSnapshot& old = before.stations[i];
        const StationSnapshot& now = after.stations[i];
        if (old.goodCount != now.goodCount || old.totalCount != now.totalCount) {
            MachineEvent& made = event(MachineEvent::Kind::Count, static_cast<int>(i) + 1);
            made.oldGood = old.goodCount;
            made.newGood = now.goodCount;
            made.oldTotal = old.totalCount;
            made.newTotal = now.totalCount;
        }
    }
    return events;
}

}  // namespace quillon
