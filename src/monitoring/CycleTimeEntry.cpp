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
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::int64_t minutes = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos)
        minutes = std::min(minutes * 10 + (text[pos] - '0'), kMaxMinutes);
    // The tenths are the digit right after a point that follows the minutes.
    int tenths = 0;
    if (pos + 1 < text.size() && text[pos] == '.' && isDigit(text[pos + 1]))
        tenths = text[pos + 1] - '0';
    const std::int64_t seconds = minutes * kSecondsPerMinute + tenths * kSecondsPerTenthMinute;
    return static_cast<int>(negative ? -seconds : seconds);
}

}  // namespace quillon
