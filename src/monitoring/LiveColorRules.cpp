#include "monitoring/LiveColorRules.h"

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

bool contains(std::string_view text, std::string_view words)
{
    return text.find(words) != std::string_view::npos;
}

// Rates far outside any machine's reach are held here so the band arithmetic cannot
// overflow.
constexpr double kRateLimit = 1e12;

long long wholeRate(double rate)
{
    if (!std::isfinite(rate))
        return 0;
    return static_cast<long long>(std::clamp(rate, -kRateLimit, kRateLimit));
}

}  // namespace

std::uint32_t readableTextOn(std::uint32_t background)
{
    const std::uint32_t red = background & 0xFF;
    const std::uint32_t green = (background >> 8) & 0xFF;
    const std::uint32_t blue = (background >> 16) & 0xFF;
    // Perceived brightness, weighted as the eye sees the three primaries.
    const std::uint32_t brightness = (299 * red + 587 * green + 114 * blue) / 1000;
    return brightness >= 128 ? kLiveBlack : kLiveWhite;
}

CellColors onBackground(std::uint32_t background)
{
    return {background, readableTextOn(background)};
}

std::uint32_t liveStatusColor(const StatusTable& table, std::string_view status)
{
    if (status == kNoOstler || status == kLockedStatus)
        return kLiveRed;
    // The free places of the table have empty names: an empty status is not one of them.
    if (!status.empty()) {
        if (const auto color = table.colorOf(status))
            return *color;
    }
    if (contains(status, kCycleOnWords))
        return contains(status, kSpindleOnWords) ? table.colors[kStatusCycleOnSpindleOn]
                                                 : table.colors[kStatusCycleOn];
    if (contains(status, kCycleOffWords))
        return table.colors[kStatusCycleOff];
    if (contains(status, kLockedStatus))
        return kLiveRed;
    if (contains(status, kSpindleOnWords))
        return table.colors[kStatusSpindleOn];
    return kLiveUnknownStatus;
}

CellColors cycleTimeColors(std::int64_t lastSeconds, int minimumSeconds, int maximumSeconds,
                           bool overrunNotHighlighted)
{
    if (lastSeconds < minimumSeconds)
        return onBackground(kLiveYellow);
    if (lastSeconds > maximumSeconds && !overrunNotHighlighted)
        return onBackground(kLiveOrange);
    return onBackground(kLiveGreen);
}

RateBand rateBand(double nominalRate, int tolerancePercent)
{
    const long long nominal = wholeRate(nominalRate);
    const long long margin = nominal * std::clamp(tolerancePercent, 0, 1000) / 100;
    return {nominal - margin, nominal + margin};
}

CellColors rateColors(double rate, const RateBand& band)
{
    if (rate < static_cast<double>(band.low))
        return onBackground(kLiveYellow);
    if (rate > static_cast<double>(band.high))
        return onBackground(kLiveOrange);
    return onBackground(kLiveGreen);
}

CellColors oeeColors(int oee, int lowThreshold, int highThreshold)
{
    if (oee >= highThreshold)
        return onBackground(kLiveGreen);
    if (oee < lowThreshold)
        return {kLiveRed, kLiveWhite};
    return onBackground(kLiveOrange);
}

}  // namespace quillon
