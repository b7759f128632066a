#include "monitoring/CycleTimeAnalysis.h"

#include <algorithm>
#include <cstdio>

#include "monitoring/ShiftRecord.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// The hub's lines fit the 260 characters the dialog always read; a longer one is read whole
// and cut there, so its tail never passes for a record of its own.
constexpr std::size_t kAnalysisLineLimit = 260;
// The running minimum starts above any cycle of a shift (100 hours and more), the minimum
// rate above any rate a machine counts.
constexpr std::int64_t kNoMinimumCycle = 362439;
constexpr std::int64_t kNoMinimumRate = 32000;
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr std::size_t kTimeFieldLength = 8;  // HH:MM:SS

constexpr std::string_view kPrintMarker = ",_DPRINT_";
constexpr std::string_view kCycleOnMark = ",_CON";
constexpr std::string_view kPrintedCycleOff = ",_COFF,_DPRINT_";

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::string_view timeField(std::string_view line)
{
    return line.substr(line.find(',') + 1, kTimeFieldLength);
}

int clampedPieces(long long pieces)
{
    return static_cast<int>(std::clamp<long long>(pieces, kFewestPieces, kMostPieces));
}

// A number typed into one of the edits: its first 15 characters read as atoi reads them.
std::int64_t editNumber(std::string_view text)
{
    return leadingInteger(text.substr(0, kCycleLimitChars));
}

// What a part record brings: "_PARTNO:" part ["," minimum "," maximum] ... [";" pieces],
// "_MIN_ONLY" anywhere.
struct PartRecord {
    std::string_view part;
    std::optional<std::int64_t> minimum;
    std::optional<std::int64_t> maximum;
    int pieces = kFewestPieces;
    bool minimumOnly = false;
};

PartRecord readPartRecord(const ShiftRecord& record)
{
    const PartRecordFields fields = partRecordFields(record);
    PartRecord part;
    part.part = record.text;
    part.minimum = fields.minimum;
    part.maximum = fields.maximum;
    part.pieces = clampedPieces(fields.pieces.value_or(kFewestPieces));
    part.minimumOnly = fields.minimumOnly;
    return part;
}

// The working values of one pass over the file.
struct Pass {
    std::int64_t minimum = 0;  // cycle seconds or cycles a minute, as the cycles are
    std::int64_t maximum = 0;
    std::int64_t minRate = 0;
    std::int64_t maxRate = 0;
    int pieces = kFewestPieces;
    bool minimumOnly = false;

    bool active = false;
    bool rateMode = false;
    bool cycleOpen = false;
    bool loadingSeen = false;
    std::int64_t start = 0;     // S: the open cycle's start
    std::int64_t last = 0;      // L: the last event taken
    std::int64_t previous = 0;  // P: records at or before it are out of order
    std::string_view startTime;
    std::int64_t counted = 0;  // n: cycles counted in the open cycle

    std::int64_t cycles = 0;  // N
    std::int64_t totalSeconds = 0;
    std::int64_t good = 0;
    std::int64_t goodSeconds = 0;
    std::int64_t shortest = kNoMinimumCycle;
    std::int64_t longest = 0;
    std::int64_t lowestRate = kNoMinimumRate;
    std::int64_t highestRate = 0;

    // Closes the open cycle at `end`, with its Details line.
    std::string close(std::string_view endTime, std::int64_t end)
    {
        std::string line = "From " + std::string(startTime) + " to " + std::string(endTime);
        const std::int64_t seconds = end - start;
        if (rateMode) {
            std::int64_t rate = 0;
            if (seconds >= 1) {
                rate = counted * kSecondsPerMinute / seconds;
                line += " cycle rate: " + std::to_string(rate);
            }
            totalSeconds += seconds;
            cycles += counted;
            lowestRate = std::min(lowestRate, rate);
            highestRate = std::max(highestRate, rate);
            if (rate >= minRate && rate <= maxRate) {
                good += counted * pieces;
                goodSeconds += seconds;
            }
            counted = 0;
        } else {
            line += " TOTAL cycle time: " + cycleDurationText(seconds);
            cycles += pieces;
            shortest = std::min(shortest, seconds);
            longest = std::max(longest, seconds);
            totalSeconds += seconds;
            if (seconds >= minimum && (minimumOnly || seconds <= maximum)) {
                good += pieces;
                goodSeconds += seconds;
            }
        }
        cycleOpen = false;
        loadingSeen = false;
        return line;
    }

    // A record at `time` is taken when it lies after P and, to close a cycle, not before
    // the cycle's start (an earlier one would make a negative cycle).
    bool takes(std::int64_t time) const { return time > previous && time >= start; }

    void advance(std::int64_t time)
    {
        previous = last;
        last = time;
    }

    std::vector<std::string> summary() const
    {
        std::vector<std::string> lines;
        if (cycles == 0)
            return lines;
        const auto number = [](std::int64_t value) { return std::to_string(value); };
        if (!rateMode) {
            lines.push_back("Number of Total cycles: " + number(cycles));
            lines.push_back("Average cycle time: " + cycleDurationText(totalSeconds / cycles));
            lines.push_back("Minimum cycle time: " + cycleDurationText(shortest / pieces));
            lines.push_back("Maximum cycle time: " + cycleDurationText(longest / pieces));
            lines.push_back(" ");
            lines.push_back("Number of 'Good' cycles: " + number(good));
            if (good > 0)
                lines.push_back("Average 'Good' cycle time: " +
                                cycleDurationText(goodSeconds / good));
        } else if (totalSeconds > 0) {
            lines.push_back("Number of Total cycles: " + number(cycles));
            lines.push_back("Average cycle rate: " +
                            number(cycles * kSecondsPerMinute / totalSeconds));
            lines.push_back("Minimum cycle rate: " + number(lowestRate) + " cycle/min");
            lines.push_back("Maximum cycle rate: " + number(highestRate) + " cycle/min");
            lines.push_back("");
            lines.push_back("Number of 'Good' cycles: " + number(good));
            if (goodSeconds > 0)
                lines.push_back("Average 'Good' cycle rate: " +
                                number(good * kSecondsPerMinute / goodSeconds));
        }
        return lines;
    }
};

}  // namespace

std::string cycleDurationText(std::int64_t seconds)
{
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[64];
    const auto minutes = static_cast<long long>(seconds / kSecondsPerMinute);
    const auto rest = static_cast<long long>(seconds % kSecondsPerMinute);
    if (seconds > kSecondsPerHour)
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", minutes / 60, minutes % 60, rest);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", minutes, rest);
    return text;
}

void CycleTimeAnalysis::open(const std::string& path, const CycleTimeInputs& inputs)
{
    openBytes(readFile(path), inputs);
}

void CycleTimeAnalysis::openBytes(std::optional<std::string> bytes, const CycleTimeInputs& inputs)
{
    *this = CycleTimeAnalysis();
    m_bytes = std::move(bytes);
    m_rateLabels = inputs.rateMode;
    m_minimum = inputs.rateMode ? inputs.minRate : inputs.minCycleSeconds;
    m_maximum = inputs.rateMode ? inputs.maxRate : inputs.maxCycleSeconds;

    // The part numbers for the combo, and limits wide enough for every one of them.
    const std::string_view bytesRead = m_bytes ? std::string_view(*m_bytes) : "";
    LineReader lines(bytesRead, kAnalysisLineLimit);
    while (const auto line = lines.next()) {
        if (contains(*line, kPrintMarker))
            m_printMode = true;
        const auto record = parseShiftRecord(*line);
        if (!record || record->event != ShiftEvent::PartNumber)
            continue;
        const PartRecord part = readPartRecord(*record);
        if (!part.part.empty() &&
            std::ranges::find(m_partNumbers, part.part) == m_partNumbers.end())
            m_partNumbers.emplace_back(part.part);
        if (part.minimum && *part.minimum > 0 && *part.minimum < m_minimum)
            m_minimum = *part.minimum;
        if (part.maximum && *part.maximum > m_maximum)
            m_maximum = *part.maximum;
        m_multiplier = part.pieces;
    }
    // With part numbers nothing is analysed until one is chosen.
    if (m_partNumbers.empty())
        analyseAndRecalculate();
}

bool CycleTimeAnalysis::selectPart(std::string_view partNumber)
{
    if (partNumber.size() > kLongestSelectablePart)
        return false;
    m_selected = partNumber;
    analyseAndRecalculate();
    return true;
}

void CycleTimeAnalysis::recalculate(std::string_view minimumText, std::string_view maximumText,
                                    std::string_view multiplierText)
{
    m_minimum = editNumber(minimumText);
    m_maximum = editNumber(maximumText);
    m_multiplier = clampedPieces(editNumber(multiplierText));
    analyse(false);
}

// A pass that takes the limits and pieces from the records puts them into the edits; the
// lists then show what "Recalculate" makes of the edits.
void CycleTimeAnalysis::analyseAndRecalculate()
{
    analyse(true);
    analyse(false);
}

const char* CycleTimeAnalysis::minimumLabel() const
{
    return m_rateLabels ? kCycleMinRateLabel : kCycleMinTimeLabel;
}

const char* CycleTimeAnalysis::maximumLabel() const
{
    return m_rateLabels ? kCycleMaxRateLabel : kCycleMaxTimeLabel;
}

void CycleTimeAnalysis::analyse(bool limitsFromRecords)
{
    Pass pass;
    pass.minimum = pass.minRate = m_minimum;
    pass.maximum = pass.maxRate = m_maximum;
    pass.pieces = m_multiplier;

    m_details = {m_selected.empty() ? std::string(kPartNumberNotKnown) : m_selected};
    m_summary.clear();
    if (!m_bytes)
        return;

    LineReader lines(*m_bytes, kAnalysisLineLimit);
    while (const auto line = lines.next()) {
        const auto record = parseShiftRecord(*line);
        if (!record)
            continue;
        const std::int64_t time = record->time;

        if (record->event == ShiftEvent::PartNumber) {
            const PartRecord part = readPartRecord(*record);
            pass.active = part.part == m_selected;
            if (pass.active) {
                pass.minimumOnly = part.minimumOnly;
                if (limitsFromRecords) {
                    m_minimum = pass.minimum = part.minimum.value_or(m_minimum);
                    m_maximum = pass.maximum = part.maximum.value_or(m_maximum);
                    m_multiplier = pass.pieces = part.pieces;
                }
            }
            continue;
        }
        if (!pass.active && !m_selected.empty())
            continue;

        const bool cycleOnLine = contains(*line, kCycleOnMark);
        const bool startsCycle = cycleOnLine && (!m_printMode || contains(*line, kPrintMarker));
        if (startsCycle && (!pass.cycleOpen || pass.loadingSeen)) {
            pass.rateMode = contains(*line, "_CYCOUNT");
            if (pass.cycleOpen) {
                // Loading ended the cycle: it closes where the next one starts (in the
                // form this line set, so as a cycle time unless the line counts cycles).
                if (!pass.takes(time))
                    continue;
                pass.advance(time);
                m_details.push_back(pass.close(timeField(*line), time));
            }
            if (time > pass.previous) {
                pass.previous = pass.start;
                pass.start = time;
                pass.startTime = timeField(*line);
                pass.cycleOpen = true;
                // Counts left by a cycle that closed as a cycle time are not this one's.
                pass.counted = 0;
            }
            continue;
        }
        if (!pass.cycleOpen)
            continue;

        if (record->event == ShiftEvent::CycleCount) {
            if (time > pass.previous) {
                pass.rateMode = true;
                pass.advance(time);
                pass.counted += record->cycles;
                if (limitsFromRecords) {
                    m_minimum = pass.minRate = record->minRate;
                    m_maximum = pass.maxRate = record->maxRate;
                }
            }
        } else if (record->event == ShiftEvent::Status && record->text == "LOADING") {
            pass.loadingSeen = true;
        } else if (m_printMode ? contains(*line, kPrintedCycleOff) : !cycleOnLine) {
            if (pass.takes(time)) {
                pass.advance(time);
                m_details.push_back(pass.close(timeField(*line), time));
            }
        }
    }
    m_summary = pass.summary();
    if (pass.rateMode)
        m_rateLabels = true;
}

}  // namespace quillon
