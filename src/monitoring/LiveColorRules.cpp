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

Band cycleTimeBand(std::int64_t lastSeconds, int minimumSeconds, int maximumSeconds)
{
    if (lastSeconds < minimumSeconds)
        return Band::Below;
    if (lastSeconds > maximumSeconds)
        return Band::Above;
    return Band::Within;
}

CellColors cycleTimeColors(std::int64_t lastSeconds, int minimumSeconds, int maximumSeconds,
                           bool overrunNotHighlighted)
{
    switch (cycleTimeBand(lastSeconds, minimumSeconds, maximumSeconds)) {
    case Band::Below:
        return onBackground(kLiveYellow);
    case Band::Above:
        return onBackground(overrunNotHighlighted ? kLiveGreen : kLiveOrange);
    case Band::Within:
        break;
    }
    return onBackground(kLiveGreen);
}

RateBand rateBand(double nominalRate, int tolerancePercent)
{
    const long long nominal = wholeRate(nominalRate);
    const long long margin = nominal * std::clamp(tolerancePercent, 0, 1000) / 100;
    return {nominal - margin, nominal + margin};
}

Band rateBandOf(double rate, const RateBand& band)
{
    if (rate < static_cast<double>(band.low))
        return Band::Below;
    if (rate > static_cast<double>(band.high))
        return Band::Above;
    return Band::Within;
}

CellColors rateColors(double rate, const RateBand& band)
{
    switch (rateBandOf(rate, band)) {
    case Band::Below:
        return onBackground(kLiveYellow);
    case Band::Above:
        return onBackground(kLiveOrange);
    case Band::Within:
        break;
    }
    return onBackground(kLiveGreen);
}

// The high threshold is tested first: with thresholds set the wrong way round an OEE at or
// over the high one still counts as good.
Band oeeBandOf(int oee, int lowThreshold, int highThreshold)
{
    if (oee >= highThreshold)
        return Band::Above;
    if (oee < lowThreshold)
        return Band::Below;
    return Band::Within;
}

CellColors oeeColors(int oee, int lowThreshold, int highThreshold)
{
    switch (oeeBandOf(oee, lowThreshold, highThreshold)) {
    case Band::Above:
        return onBackground(kLiveGreen);
    case Band::Below:
        return {kLiveRed, kLiveWhite};
    case Band::Within:
        break;
    }
    return onBackground(kLiveOrange);
}

}  // namespace quillon
