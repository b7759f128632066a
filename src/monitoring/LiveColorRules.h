// The colours the live displays put behind their figures: a machine's status, its last
// cycle against the job's minimum and maximum (or its rate against the nominal rate) and
// its OEE against the hub's thresholds. Colours are 0x00BBGGRR.
#pragma once

#include <cstdint>
#include <string_view>

#include "monitoring/StatusTable.h"

namespace quillon {

inline constexpr std::uint32_t kLiveGreen = 0x00FF00;
inline constexpr std::uint32_t kLiveRed = 0x0000FF;
inline constexpr std::uint32_t kLiveYellow = 0x00FFFF;
inline constexpr std::uint32_t kLiveOrange = 0x0080FF;  // RGB 255,128,0
inline constexpr std::uint32_t kLiveBlue = 0xFF0000;
inline constexpr std::uint32_t kLiveWhite = 0xFFFFFF;
inline constexpr std::uint32_t kLiveBlack = 0x000000;
// A status the table does not know and whose words say nothing either.
inline constexpr std::uint32_t kLiveUnknownStatus = 0xC0C0C0;

inline constexpr std::string_view kLockedStatus = "LOCKED";
inline constexpr std::string_view kCycleOnWords = "CYCLE ON";
inline constexpr std::string_view kCycleOffWords = "CYCLE OFF";
inline constexpr std::string_view kSpindleOnWords = "SPINDLE ON";

struct CellColors {
    std::uint32_t background = kLiveBlack;
    std::uint32_t text = kLiveWhite;
    bool operator==(const CellColors&) const = default;
};

// Black on light colours, white on dark ones, so that any table colour stays readable.
std::uint32_t readableTextOn(std::uint32_t background);
CellColors onBackground(std::uint32_t background);

// A status cell: "NO Ostler" and "LOCKED" red; a name of the table its entry's colour; any
// other text a colour taken from the words in it (a cycle on with the spindle, a cycle on,
// a cycle off, the spindle), else a neutral grey.
std::uint32_t liveStatusColor(const StatusTable& table, std::string_view status);

// Where a figure lies against its limits: a last cycle against the job's minimum and
// maximum, a rate against the nominal band, an OEE against the hub's thresholds.
enum class Band { Below, Within, Above };

Band cycleTimeBand(std::int64_t lastSeconds, int minimumSeconds, int maximumSeconds);

// A last cycle below the minimum is yellow, above the maximum orange (unless the machine
// does not want overruns marked), else green.
CellColors cycleTimeColors(std::int64_t lastSeconds, int minimumSeconds, int maximumSeconds,
                           bool overrunNotHighlighted);

// The rate band: nominal +- nominal * tolerance / 100 in whole numbers, as the hub counts it.
struct RateBand {
    long long low = 0;
    long long high = 0;
};
RateBand rateBand(double nominalRate, int tolerancePercent);
Band rateBandOf(double rate, const RateBand& band);
// A rate below the band is yellow, above it orange, inside it green.
CellColors rateColors(double rate, const RateBand& band);

// At or above the high threshold Above, below the low threshold Below.
Band oeeBandOf(int oee, int lowThreshold, int highThreshold);
// At or above the high threshold green, below the low threshold red with white text, in
// between orange.
CellColors oeeColors(int oee, int lowThreshold, int highThreshold);

}  // namespace quillon
