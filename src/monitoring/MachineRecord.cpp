#include "monitoring/MachineRecord.h"

namespace quillon {

MachineRecord startupRecord(StationKind kind, std::int64_t now)
{
    MachineRecord record;
    record.stationKind = kind;
    record.receivedStationKind = static_cast<int>(kind);
    for (StationFigures& station : record.stations) {
        station.cycleStart = now;
        station.elapsedStart = now;
    }
    return record;
}

}  // namespace quillon
