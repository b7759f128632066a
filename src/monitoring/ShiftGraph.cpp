#include "monitoring/ShiftGraph.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "monitoring/ShiftRecord.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// Record lines are read whole: nothing in them is worth cutting a field in half for.
constexpr std::size_t kWholeLine = std::string_view::npos;

// ---------------------------------------------------------------------------------------
// The reference time
// ---------------------------------------------------------------------------------------

// The time the file's records are taken to lie around. It starts as the first record's;
// a record a day or more away replaces it, and the first record that lies within a day of
// it settles it. A file that begins with a stray stamp so still finds its shift.
std::optional<std::int64_t> referenceTime(std::string_view bytes)
{
    std::optional<std::int64_t> reference;
    LineReader lines(bytes, kWholeLine);
    while (const auto line = lines.next()) {
        const std::int64_t time = recordTime(*line);
        if (time == 0)
            continue;
        if (!reference) {
            reference = time;
            continue;
        }
        const std::int64_t distance = time > *reference ? time - *reference : *reference - time;
        if (distance < kShiftGraphWindow)
            break;
        reference = time;
    }
    return reference;
}

// ---------------------------------------------------------------------------------------
// States: what an interval is painted as
// ---------------------------------------------------------------------------------------

constexpr std::string_view kCycleOnText = "CYCLE ON";
constexpr std::string_view kCycleSpindleOnText = "CYCLE/SPINDLE ON";
constexpr std::string_view kCycleOffText = "CYCLE OFF";
constexpr std::string_view kSetupText = "SETUP";
constexpr std::string_view kSpindleOnStatus = "SPINDLE ON";

// The place of a status text in the table. A status the table does not know is painted
// as "NO Ostler", as the status displays paint it; a status reported with the spindle
// running as "SPINDLE ON".
int statusPlace(const StatusTable& table, const ShiftRecord& record)
{
    if (record.spindleOn || record.text == kSpindleOnStatus)
        return kStatusSpindleOn;
    if (record.text == table.names[kStatusFeedHold])
        return kStatusFeedHold;
    return table.find(record.text).value_or(kStatusNoOstler);
}

ShiftInterval intervalOf(const StatusTable& table, const ShiftRecord& record)
{
    ShiftInterval interval;
    interval.start = record.time;
    interval.end = record.time;
    switch (record.event) {
    case ShiftEvent::CycleOn:
        interval.colorIndex = kStatusCycleOn;
        interval.stateText = kCycleOnText;
        break;
    case ShiftEvent::CycleOnSpindle:
        interval.colorIndex = kStatusCycleOnSpindleOn;
        interval.stateText = kCycleSpindleOnText;
        break;
    case ShiftEvent::CycleOnShaded:
        interval.colorIndex = kStatusCycleOn;
        interval.stateText = kCycleOnText;
        interval.shade = std::clamp(record.shade, 0, kLastShade);
        interval.feedOverride = record.feedOverride;
        interval.spindleOverride = record.spindleOverride;
        break;
    case ShiftEvent::CycleOff:
        interval.colorIndex = kStatusCycleOff;
        interval.stateText = kCycleOffText;
        break;
    case ShiftEvent::NoOstler:
        interval.colorIndex = kStatusNoOstler;
        interval.stateText = kNoOstler;
        break;
    case ShiftEvent::Setup:
        interval.colorIndex = kStatusSetup;
        interval.stateText = kSetupText;
        break;
    default:
        interval.colorIndex = statusPlace(table, record);
        interval.stateText = record.text;
        break;
    }
    return interval;
}

// The limits of a part record, when they are not negative.
void readPartLimits(ShiftGraph& graph, const ShiftRecord& record)
{
    const PartRecordFields fields = partRecordFields(record);
    const auto limit = [](std::optional<std::int64_t> value) -> std::optional<long> {
        if (!value || *value < 0)
            return std::nullopt;
        return static_cast<long>(*value);
    };
    graph.minCycleSeconds = limit(fields.minimum);
    graph.maxCycleSeconds = limit(fields.maximum);
}

// ---------------------------------------------------------------------------------------
// The pass over the records
// ---------------------------------------------------------------------------------------

class GraphBuilder {
public:
    GraphBuilder(const StatusTable& table, std::optional<std::int64_t> reference)
        : m_table(table), m_reference(reference)
    {
    }

    void add(ShiftRecord record)
    {
        if (!m_reference || distance(record.time, *m_reference) > kShiftGraphWindow)
            return;
        // A control whose clock went back a little would draw backwards; its record is
        // drawn where the previous one ended instead.
        record.time = std::max(record.time, m_previous);
        m_previous = record.time;
        if (m_graph.firstTime == 0)
            m_graph.firstTime = record.time;
        m_graph.lastTime = record.time;
        m_lastWasCount = record.event == ShiftEvent::CycleCount;

        switch (record.event) {
        case ShiftEvent::ShiftStart:
        case ShiftEvent::Operator:
        case ShiftEvent::Employee:
        case ShiftEvent::OperationSequence:
            return;
        case ShiftEvent::PartNumber:
            readPartLimits(m_graph, record);
            return;
        case ShiftEvent::CycleCount:
            count(record);
            return;
        case ShiftEvent::ShiftEnd:
            closeOpen(record.time);
            return;
        case ShiftEvent::CycleOff:
        case ShiftEvent::NoOstler:
            rateUpTo(record.time);
            break;
        default:
            break;
        }
        closeOpen(record.time);
        m_open = intervalOf(m_table, record);
        m_openIsCycle = isCycleOn(record.event);
    }

    // The current shift has not ended: it is closed at the present time as if the hub had
    // written the cycle off and the shift end then.
    void close(std::int64_t now)
    {
        ShiftRecord record;
        record.time = now;
        if ((m_open && m_openIsCycle) || m_lastWasCount) {
            record.event = ShiftEvent::CycleOff;
            add(record);
        }
        record.event = ShiftEvent::ShiftEnd;
        add(record);
    }

    ShiftGraph finish()
    {
        closeOpen(m_graph.lastTime);
        if (m_graph.firstTime != 0) {
            m_graph.spanStart = m_graph.firstTime - floorMod(m_graph.firstTime, kShiftGraphStep);
            const std::int64_t past = floorMod(m_graph.lastTime, kShiftGraphStep);
            m_graph.spanEnd = m_graph.lastTime - past;
            if (past > kShiftGraphStepSlack)
                m_graph.spanEnd += kShiftGraphStep;
        }
        return std::move(m_graph);
    }

private:
    static std::int64_t distance(std::int64_t a, std::int64_t b) { return a > b ? a - b : b - a; }
    static std::int64_t floorMod(std::int64_t value, std::int64_t step)
    {
        const std::int64_t mod = value % step;
        return mod < 0 ? mod + step : mod;
    }

    void count(const ShiftRecord& record)
    {
        if (!m_counting) {
            m_counting = true;
            m_firstCountTime = record.time;
        }
        m_countSum += record.cycles;
        m_minRate = record.minRate;
        m_maxRate = record.maxRate;
        m_graph.rateMode = true;
        m_graph.minRate = record.minRate;
        m_graph.maxRate = record.maxRate;
    }

    // The run's rate from its first count to this cycle off, on the interval it ends.
    void rateUpTo(std::int64_t time)
    {
        if (m_counting && m_open && m_firstCountTime > kLatestNoRecordTime &&
            m_firstCountTime < time) {
            const long rate = static_cast<long>(m_countSum * 60 / (time - m_firstCountTime));
            m_open->rate = rate;
            m_open->rateClass = rate < m_minRate   ? RateClass::Below
                                : rate > m_maxRate ? RateClass::Above
                                                   : RateClass::Within;
        }
        m_counting = false;
        m_countSum = 0;
    }

    void closeOpen(std::int64_t time)
    {
        if (!m_open)
            return;
        m_open->end = time;
        m_graph.intervals.push_back(std::move(*m_open));
        m_open.reset();
        m_openIsCycle = false;
    }

    const StatusTable& m_table;
    const std::optional<std::int64_t> m_reference;
    ShiftGraph m_graph;
    std::optional<ShiftInterval> m_open;
    bool m_openIsCycle = false;
    bool m_lastWasCount = false;
    std::int64_t m_previous = 0;
    // The counts of the run since the last cycle off. A count is bounded by the record
    // reader, so a shift's sum stays far from overflowing.
    bool m_counting = false;
    std::int64_t m_firstCountTime = 0;
    std::int64_t m_countSum = 0;
    long m_minRate = 0;
    long m_maxRate = 0;
};

// The window's own copy, rewritten at every refresh: not worth a flush to the disk, and a
// copy cut short by a crash is simply made again.
bool writeScratchCopy(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace

ShiftGraph loadShiftGraph(std::string_view bytes, const StatusTable& table,
                          std::optional<std::int64_t> closeAt)
{
    GraphBuilder builder(table, referenceTime(bytes));
    LineReader lines(bytes, kWholeLine);
    while (const auto line = lines.next()) {
        if (auto record = parseShiftRecord(*line))
            builder.add(*record);
    }
    if (closeAt)
        builder.close(*closeAt);
    return builder.finish();
}

std::string shiftViewCopyName(int windowNumber)
{
    return "ViewTemp" + std::to_string(windowNumber) + ".TXT";
}

ShiftGraphLoad loadShiftGraphFile(const std::string& path, const std::string& copyFolder,
                                  int windowNumber, const StatusTable& table,
                                  std::optional<std::int64_t> closeAt)
{
    ShiftGraphLoad load;
    const auto bytes = readFile(path);
    if (!bytes) {
        load.errorText = path + std::string(kShiftReadOpenError);
        return load;
    }
    const std::string copy =
        (std::filesystem::path(copyFolder) / shiftViewCopyName(windowNumber)).string();
    if (!writeScratchCopy(copy, *bytes)) {
        load.errorText = kShiftCopyDenied;
        return load;
    }
    const auto copied = readFile(copy);
    if (!copied) {
        load.errorText = copy + std::string(kShiftReadOpenError);
        return load;
    }
    load.graph = loadShiftGraph(*copied, table, closeAt);
    return load;
}

}  // namespace quillon
