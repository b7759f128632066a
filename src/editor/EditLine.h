// One line of an NC program as the document hands it out: its bytes and its marks.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

// The 16-bit marks of a line.
namespace LineFlag {
inline constexpr std::uint16_t Bookmark = 0x01;
inline constexpr std::uint16_t TooLong = 0x04;  // longer than kMaxColouredLine
inline constexpr std::uint16_t CompareChanged = 0x08;
inline constexpr std::uint16_t CompareAdded = 0x10;
}  // namespace LineFlag

// Colouring stops at this column, and longer lines are marked TooLong: column numbers of
// the Windows program were 16-bit.
inline constexpr std::size_t kMaxColouredLine = 32766;

// A line without its line end; tabs, lone CRs, NULs and every other byte are kept. The
// text stays valid until the document changes.
struct EditLine {
    std::string_view text;
    std::uint16_t flags = 0;

    bool hasFlag(std::uint16_t flag) const { return (flags & flag) != 0; }
};

}  // namespace quillon
