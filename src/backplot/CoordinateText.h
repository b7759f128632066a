// The coordinate text the backplot passes write into their records, and the value each
// text reads back as.
#pragma once

#include <cstddef>
#include <string>

namespace quillon {

// A coordinate as the backplot files write it: at most 8 characters, a "-" for negative
// values, digits cut (not rounded), no digit before the point below 1, and 4 decimals
// (5 below 1) as far as the 8 characters allow: 2.5 is "2.5000", -12.3456 "-12.3456",
// 1234.5678 "1234.567", 0.25 ".25000", 0 ".00000", -0.5 "-.50000".
std::string coordinateText(double value);
// The same into `out`, which has room for kCoordinateTextRoom characters (the ones past
// the text may be overwritten); returns its length, at most kCoordinateTextLimit.
inline constexpr std::size_t kCoordinateTextLimit = 8;
inline constexpr std::size_t kCoordinateTextRoom = 16;
std::size_t writeCoordinateText(double value, char* out);
// ...and `readBack` set to what decimalValue reads from the text written.
std::size_t writeCoordinateText(double value, char* out, double& readBack);

}  // namespace quillon
