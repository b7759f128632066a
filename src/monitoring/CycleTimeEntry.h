// Cycle times as the "New Part Number" entry shows and reads them: whole seconds, or, for
// a machine whose times are in minutes, "m.t" with one digit of tenths of a minute (a
// tenth being 6 seconds), so 95 s shows as "1.5" and "2.3" means 138 s.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

inline constexpr int kSecondsPerTenthMinute = 6;

std::string cycleTimeText(int seconds, bool inMinutes);

// Minutes mode: whole minutes, then after a point one digit of tenths (a later digit is
// ignored). Seconds mode: a whole number. Both read as atoi does: leading blanks and a
// sign, and no number is 0.
int cycleTimeSeconds(std::string_view text, bool inMinutes);

}  // namespace quillon
