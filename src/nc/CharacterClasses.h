// The character classes every reader of NC text shares: digits, blanks, white space,
// address letters and the characters an address value is written with.
#pragma once

namespace quillon {

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The blanks between words: space and TAB.
constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// What the C library's isspace takes in the "C" locale: the blanks, LF, VT, FF and CR.
// Readers that follow the library's conversions skip these; the result must not depend
// on the locale a GUI start-up may have switched to.
constexpr bool isWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Only ASCII capitals are addresses; lower-case letters are left alone everywhere.
constexpr bool isAddressLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

// The characters taken after an address letter as its number.
constexpr bool isNumberCharacter(char c)
{
    return isDigit(c) || c == '.' || c == '+' || c == '-';
}

}  // namespace quillon
