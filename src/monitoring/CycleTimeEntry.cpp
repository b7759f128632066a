#include "monitoring/CycleTimeEntry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr int kSecondsPerMinute = 60;
// Large enough for any cycle, small enough that the seconds fit an int.
constexpr std::int64_t kMaxMinutes = std::numeric_limits<int>::max() / kSecondsPerMinute - 1;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::string cycleTimeText(int seconds, bool inMinutes)
{
    if (!inMinutes)
        return std::to_string(seconds);
    const std::int64_t magnitude = std::llabs(std::int64_t{seconds});
    std::string text = seconds < 0 ? "-" : "";
    text += std::to_string(magnitude / kSecondsPerMinute);
    text += '.';
    text += std::to_string(magnitude % kSecondsPerMinute / kSecondsPerTenthMinute);
    return text;
}

int cycleTimeSeconds(std::string_view text, bool inMinutes)
{
    if (!inMinutes)
        return leadingInt32(text);
    const long long minutes = leadingInteger(text);
    const std::size_t point = text.find('.');
    int tenths = 0;
    if (point != std::string_view::npos && point + 1 < text.size() && isDigit(text[point + 1]))
        tenths = text[point + 1] - '0';
    const std::size_t first = text.find_first_not_of(" \t");
    const bool negative = first != std::string_view::npos && text[first] == '-';
    const std::int64_t seconds =
        std::min<std::int64_t>(std::llabs(minutes), kMaxMinutes) * kSecondsPerMinute +
        tenths * kSecondsPerTenthMinute;
    return static_cast<int>(negative ? -seconds : seconds);
}

}  // namespace quillon
