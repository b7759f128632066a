#include "monitoring/SetupEntry.h"

namespace quillon {

namespace {

struct CycleRange {
    int minimum;
    int maximum;
};

// The typed range replaces what `range` holds where it makes sense on its own.
void takeTyped(CycleRange& range, int typedMinimum, int typedMaximum)
{
    if (typedMinimum >= 0 && typedMinimum <= typedMaximum)
        range.minimum = typedMinimum;
    if (typedMaximum >= typedMinimum)
        range.maximum = typedMaximum;
}

}  // namespace

std::optional<ConfirmedSetup> confirmSetup(const MachineRecord& record, const SetupChange& typed)
{
    const bool twoStations = record.twoStations();
    if (typed.partNumber1.empty() || (twoStations && typed.partNumber2.empty()))
        return std::nullopt;

    CycleRange first{record.stations[0].minCycleSeconds, record.stations[0].maxCycleSeconds};
    CycleRange second{record.stations[1].minCycleSeconds, record.stations[1].maxCycleSeconds};
    takeTyped(first, typed.minCycle1, typed.maxCycle1);
    takeTyped(second, typed.minCycle1, typed.maxCycle1);
    if (twoStations)
        takeTyped(second, typed.minCycle2, typed.maxCycle2);

    ConfirmedSetup confirmed;
    SetupChange& change = confirmed.change;
    change.twoStations = twoStations;
    change.partNumber1 = typed.partNumber1;
    change.partNumber2 = twoStations ? typed.partNumber2 : std::string();
    change.minCycle1 = first.minimum;
    change.maxCycle1 = first.maximum;
    change.minCycle2 = second.minimum;
    change.maxCycle2 = second.maximum;
    change.pieces1 = limitPiecesPerCycle(typed.pieces1);
    change.pieces2 = limitPiecesPerCycle(typed.pieces2);
    confirmed.partNumberChanged =
        typed.partNumber1 != record.stations[0].partNumber ||
        (twoStations && typed.partNumber2 != record.stations[1].partNumber);
    return confirmed;
}

}  // namespace quillon
