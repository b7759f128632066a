// How every reader of an NC program takes a line apart: its words, the number after each
// address letter, and the decimal conversion all of them share.
#pragma once

#include <cstddef>
#include <string_view>

#include "nc/CharacterClasses.h"

namespace quillon {

// ---- Numbers ----------------------------------------------------------------------------

// The value of a number text as the C library's decimal conversion reads it: an optional
// sign, then digits with an optional point; whatever follows is ignored and a text
// without digits is 0 ("1-2" is 1, "." is 0). Never the locale's decimal point. A number
// beyond the range of a double is HUGE_VAL (with its sign), one too small for it 0.
double decimalValue(std::string_view text);

// What the C library's atof reads: white space first, then decimalValue's number with an
// optional exponent that counts only when it has digits ("1E3" is 1000, "1E" is 1). Only
// decimal numbers: "0x1F", "inf" and "nan" mean nothing in a program and read as 0.
double atofValue(std::string_view text);

// The number after an address letter: the characters right after it are taken while they
// are "+", "-", "." or digits, at most 14 of them, and read by decimalValue (so X.5 is
// 0.5, "X " is 0 and X1-2 is 1). `afterLetter` is the text that follows the letter.
double addressValue(std::string_view afterLetter);
// How many characters addressValue takes.
std::size_t addressValueLength(std::string_view afterLetter);

// A G, T, M or line number: C's atoi, saturated to int.
int integerValue(std::string_view text);

// ---- Words ------------------------------------------------------------------------------

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
        } else if (isAddressLetter(c)) {
            if (!visit(c, line.substr(at + 1)))
                return;
        }
    }
}

}  // namespace quillon
