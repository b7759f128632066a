#include "monitoring/ShiftMerge.h"

#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftRecord.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// One station's file as the merge walks it: its current record and what the merge has
// learnt about the station so far.
class StationInput {
public:
    StationInput(std::string_view bytes, std::optional<std::int64_t> closeAt)
        : m_lines(bytes, std::string_view::npos)
    {
        if (closeAt) {
            m_substitute = shiftRecordLine(*closeAt, "_COFF");
            m_substituteLeft = true;
        }
        advance();
    }

    bool atEnd() const { return !m_line; }
    std::string_view line() const { return *m_line; }
    std::int64_t time() const { return m_time; }

    // The next record; once the file ends, its closing substitute, once.
    void advance()
    {
        while (const auto line = m_lines.next()) {
            m_time = recordTime(*line);
            if (m_time != 0) {
                m_line = *line;
                return;
            }
        }
        m_line.reset();
        if (m_substituteLeft) {
            m_substituteLeft = false;
            m_line = m_substitute;
            m_time = recordTime(m_substitute);
        }
    }

    bool inCycle = false;
    // The station reported a status: its cycle-off records that follow say nothing new.
    bool afterStatus = false;

private:
    LineReader m_lines;
    std::optional<std::string_view> m_line;
    std::int64_t m_time = 0;
    std::string m_substitute;
    bool m_substituteLeft = false;
};

// Events that carry no state: they neither end a cycle nor make a following cycle off
// redundant. The employee and the operation sequence are of that kind as much as the
// operator; counting them as a status would swallow the cycle off that follows them.
bool isInformation(ShiftEvent event)
{
    switch (event) {
    case ShiftEvent::ShiftStart:
    case ShiftEvent::ShiftEnd:
    case ShiftEvent::PartNumber:
    case ShiftEvent::CycleCount:
    case ShiftEvent::Operator:
    case ShiftEvent::Employee:
    case ShiftEvent::OperationSequence:
        return true;
    default:
        return false;
    }
}

// Whether the station's record goes into the merged file, and what it tells of the station.
bool takeRecord(StationInput& station, const StationInput& other, ShiftEvent event)
{
    if (event == ShiftEvent::CycleOff || event == ShiftEvent::NoOstler) {
        const bool redundant = station.afterStatus;
        station.inCycle = false;
        // The merged machine stays in cycle while the other station cycles.
        return !redundant && !other.inCycle;
    }
    if (isCycleOn(event)) {
        station.inCycle = true;
        station.afterStatus = false;
    } else if (isInformation(event)) {
        station.afterStatus = false;
    } else {
        station.inCycle = false;
        station.afterStatus = true;
    }
    return true;
}

}  // namespace

std::string mergeStationRecords(std::string_view station1, std::string_view station2,
                                std::optional<std::int64_t> closeAt)
{
    StationInput first(station1, closeAt);
    StationInput second(station2, closeAt);
    std::string merged;
    merged.reserve(station1.size() + station2.size());
    while (!first.atEnd() || !second.atEnd()) {
        const bool takeFirst = second.atEnd() || (!first.atEnd() && first.time() < second.time());
        StationInput& station = takeFirst ? first : second;
        const StationInput& other = takeFirst ? second : first;
        const auto record = parseShiftRecord(station.line());
        if (record && takeRecord(station, other, record->event)) {
            merged += station.line();
            merged += "\r\n";
        }
        station.advance();
    }
    return merged;
}

std::optional<std::string> mergeStationFiles(const std::string& station1File,
                                             const std::string& station2File,
                                             const std::string& output,
                                             std::optional<std::int64_t> closeAt)
{
    const auto station1 = readFile(station1File);
    if (!station1)
        return station1File + std::string(kShiftReadOpenError);
    const auto station2 = readFile(station2File);
    if (!station2)
        return station2File + std::string(kShiftReadOpenError);
    if (!replaceFileAtomically(output, mergeStationRecords(*station1, *station2, closeAt)).ok)
        return output + std::string(kMergeOutputError);
    return std::nullopt;
}

}  // namespace quillon
