// How the backplot, the cycle-time estimate and the word utilities read a program line:
// its words, the numbers after their letters, and the coordinate text they write back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// The value of a number text as the C library's decimal conversion reads it: an optional
// sign, then digits with an optional point; whatever follows is ignored and a text
// without digits is 0 ("1-2" is 1, "." is 0). Never the locale's decimal point.
double decimalValue(std::string_view text);

// The number after an address letter: the characters right after it are taken while they
// are "+", "-", "." or digits, at most 14 of them, and read by decimalValue (so X.5 is
// 0.5, "X " is 0 and X1-2 is 1). `afterLetter` is the text that follows the letter.
double addressValue(std::string_view afterLetter);
// How many characters addressValue takes.
std::size_t addressValueLength(std::string_view afterLetter);

// A G, T, M or line number: C's atoi, saturated to int.
int integerValue(std::string_view text);

// Every word of a line, left to right: a "(" skips to the next ")" or the line end, and
// each upper-case letter outside comments is handed to `visit` with the text after it.
// Everything else (lower-case letters, ";", digits not read by a word) is stepped over.
// `visit(char letter, std::string_view afterLetter)` returns false to stop the scan.
template <typename Visit>
void forEachWord(std::string_view line, Visit&& visit)
{
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '(') {
            const std::size_t close = line.find(')', at + 1);
            if (close == std::string_view::npos)
                return;
            at = close;
        } else if (c >= 'A' && c <= 'Z') {
            if (!visit(c, line.substr(at + 1)))
                return;
        }
    }
}

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
