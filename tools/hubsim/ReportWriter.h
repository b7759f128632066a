// The hub's report files below _REPORTS: every ended shift of a machine becomes its status
// intervals in the month's and the year's status report file (_MACHINE_2026-12.CSV and
// _MACHINE_2026.CSV) and one line of availability, performance, quality and OEE in the
// year's OEE file (_OEE_2026.CSV). Both are worked out from the shift's own record file, so
// that a report and the shift graph of the same shift agree to the second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hubsim/HubModel.h"
#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"
#include "monitoring/StatusReport.h"
#include "monitoring/StatusTable.h"
#include "platform/AtomicFile.h"

namespace quillon::hubsim {

// One station's part of an ended shift.
struct EndedStation {
    std::string records;   // the shift's record file, whole
    ProductionTally made;  // what it made in the shift
};

struct EndedShift {
    std::string machine;
    MachineSlot slot;
    StationKind kind = StationKind::Single;
    std::int64_t start = 0;
    std::int64_t end = 0;
    int shift = 1;                       // 1..3
    std::vector<EndedStation> stations;  // one, or two for two heads or pallets
};

// A shift's efficiency in percent, each value within 0..100.
struct ShiftEfficiency {
    double availability = 0;
    double performance = 0;
    double quality = 0;
    double oee = 0;
};

// The statuses that are planned stops: time the shift was never meant to run, taken off
// its planned time before availability is worked out. Only the booked service: alarms,
// setups, tool changes, a missing operator or missing material are losses of the shift.
bool isPlannedStop(int statusIndex);

// Availability = run time / (shift length - planned stops); performance = the ideal times
// of the cycles made / run time, held at 100 (a cycle run faster than its ideal says the
// ideal is set too long, not that the machine made more than it could); quality = good
// pieces / all pieces; OEE = A x P x Q / 10 000 from the values as written (two
// decimals), so that the file's four columns agree. A value with nothing to measure
// (no planned time, no run, no piece) is 0, as the live displays show it.
ShiftEfficiency shiftEfficiency(const EndedShift& shift, const StatusTable& table);

class ReportWriter {
public:
    explicit ReportWriter(std::string hubDirectory);

    // Takes the shift's lines; they reach the files at the next flush.
    void shiftEnded(const EndedShift& shift);

    // Writes the lines taken since the last flush, each file's in date order, whole lines
    // only. The first time this writer writes a file, the lines a hub run before left of
    // the shifts this run has simulated again are replaced; older ones stay. The result
    // tells the first failure; the writer carries on after one.
    WriteResult flush();

private:
    struct PendingLine {
        std::int64_t time;  // the interval's start, or the shift's start for OEE lines
        int machine;        // slot index: machines in the hub's order at the same time
        int station;
        std::size_t sequence;  // order of taking, the last tie-breaker
        ReportDate date;       // the day it is dated, which picks its files
        std::string text;      // with its line end
    };
    enum class FileKind { StatusReport, Oee };

    void addStatusLine(const EndedShift& shift, int station, std::int64_t start, std::int64_t end,
                       std::string_view status, std::string_view comment);
    WriteResult writeFile(const std::string& relativePath, FileKind kind, std::string_view lines);

    std::string m_hubDirectory;
    StatusTable m_table;
    // The start of the first shift this writer took: lines from there on are this run's.
    std::optional<std::int64_t> m_firstShift;
    std::vector<PendingLine> m_statusLines;
    std::vector<PendingLine> m_oeeLines;
    std::set<std::string> m_written;  // files this writer has written before
    std::size_t m_sequence = 0;
};

}  // namespace quillon::hubsim
