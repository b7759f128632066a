// One line of an NC program as the document hands it out: its bytes and its marks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon {

// The 16-bit marks of a line.
namespace LineFlag {
inline constexpr std::uint16_t Bookmark = 0x01;
inline constexpr std::uint16_t TooLong = 0x04;  // longer than kMaxColouredLine
// The compare marks: "+" for a line only in this file, "?" for a changed line.
inline constexpr std::uint16_t CompareOnlyHere = 0x08;
inline constexpr std::uint16_t CompareChanged = 0x10;
}  // namespace LineFlag

// Colouring stops at this column, and longer lines are marked TooLong: column numbers of
// the Windows program were 16-bit.
inline constexpr std::size_t kMaxColouredLine = 32766;

// Digits the line-number margin is made for: 2 up to 9 lines, 3 up to 99, 4 up to 999,
// 5 from 1000 on; programs of 100 000 lines and more get room for all their digits.
inline std::size_t lineNumberDigits(std::size_t lineCount)
{
    std::size_t digits = 1;
    for (std::size_t n = lineCount; n >= 10; n /= 10)
        ++digits;
    return std::max<std::size_t>(std::min<std::size_t>(digits + 1, 5), digits);
}

// A line without its line end; tabs, lone CRs, NULs and every other byte are kept. The
// text stays valid until the document changes.
struct EditLine {
    std::string_view text;
    std::uint16_t flags = 0;

    bool hasFlag(std::uint16_t flag) const { return (flags & flag) != 0; }
};

}  // namespace quillon
