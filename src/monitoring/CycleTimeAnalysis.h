// The shift cycle-time analysis behind the "Cycle time" dialog of a shift graph: every
// cycle of one part number in a shift record file with its start, end and length (or its
// rate in cycles a minute), then the totals, and how many cycles lie within the limits.
//
// The dialog drives one object: open() when it comes up, selectPart() when a part number is
// chosen, recalculate() with what the edits hold. After each, details() and summary() are
// the two lists and minimum(), maximum() and multiplier() what the edits show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// What the shift graph window hands over with the command.
struct CycleTimeInputs {
    std::int64_t minCycleSeconds = 0;
    std::int64_t maxCycleSeconds = 0;
    std::int64_t minRate = 0;  // cycles a minute
    std::int64_t maxRate = 0;
    bool rateMode = false;
};

inline constexpr char kCycleMinTimeLabel[] = "Min. cycle time [sec]";
inline constexpr char kCycleMaxTimeLabel[] = "Max. cycle time [sec]";
inline constexpr char kCycleMinRateLabel[] = "Min.Rate[cyc/min]";
inline constexpr char kCycleMaxRateLabel[] = "Max.Rate[cyc/min]";
inline constexpr char kPartNumberNotKnown[] = "PART NUMBER NOT KNOWN";

// The edits take this many characters; the dialog limits them to it.
inline constexpr std::size_t kCycleLimitChars = 15;
// Part numbers this long are not taken from the combo.
inline constexpr std::size_t kLongestSelectablePart = 249;
// Pieces made by one cycle.
inline constexpr int kFewestPieces = 1;
inline constexpr int kMostPieces = 100;

// "MM:SS", or "HH:MM:SS" above an hour (3600 s is "60:00", 3601 s "01:00:01").
std::string cycleDurationText(std::int64_t seconds);

class CycleTimeAnalysis {
public:
    // Reads the file; one that cannot be read leaves both lists empty but for the part line.
    void open(const std::string& path, const CycleTimeInputs& inputs);
    // The same over bytes already read (nothing: the file could not be read).
    void openBytes(std::optional<std::string> bytes, const CycleTimeInputs& inputs);

    // Analyses the cycles of that part with the limits and pieces of its part record, then
    // recalculates with them. False, and nothing changes, for a name of 250 characters or
    // more.
    bool selectPart(std::string_view partNumber);

    // Analyses again with the limits and the pieces typed in (decimal; each edit read up to
    // 15 characters, pieces clamped to 1..100). The limits serve as cycle times in seconds
    // and as rates alike.
    void recalculate(std::string_view minimumText, std::string_view maximumText,
                     std::string_view multiplierText);

    // The combo: the part numbers in order of first appearance; disabled when empty.
    const std::vector<std::string>& partNumbers() const { return m_partNumbers; }
    bool partChoice() const { return !m_partNumbers.empty(); }
    // The part analysed: empty when none ("PART NUMBER NOT KNOWN", every record counts).
    const std::string& selectedPart() const { return m_selected; }

    // What the edits show.
    std::int64_t minimum() const { return m_minimum; }
    std::int64_t maximum() const { return m_maximum; }
    int multiplier() const { return m_multiplier; }
    bool rateLabels() const { return m_rateLabels; }
    const char* minimumLabel() const;
    const char* maximumLabel() const;

    // The file marks its cycles for printing ("_DPRINT_" after a comma on some line).
    bool printMode() const { return m_printMode; }

    const std::vector<std::string>& details() const { return m_details; }
    const std::vector<std::string>& summary() const { return m_summary; }

private:
    void analyse(bool limitsFromRecords);
    void analyseAndRecalculate();

    std::optional<std::string> m_bytes;
    std::vector<std::string> m_partNumbers;
    std::string m_selected;
    std::int64_t m_minimum = 0;
    std::int64_t m_maximum = 0;
    int m_multiplier = kFewestPieces;
    bool m_rateLabels = false;
    bool m_printMode = false;
    std::vector<std::string> m_details;
    std::vector<std::string> m_summary;
};

}  // namespace quillon
