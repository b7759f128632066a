// What both Fanuc DNC controls (the one receiving and the one sending) read and say: the
// PC's header, which announces a file it sends or requests one it wants, and the DLE
// answers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::ctrlsim {

// The most data bytes in one block: what the PC reads from its file at a time.
inline constexpr std::size_t kFanucBlockData = 512;
// SOH, "S" or "R", "N", the type, STX, "O" or "S", four characters, ETX and the check byte.
inline constexpr std::size_t kFanucHeaderLength = 12;

struct FanucHeader {
    char type = 'P';   // "P" a program, "S" a setup file
    std::string name;  // "O1234", "S0001"
};

// Reads the header's bytes after SOH by position: `first` ("S" when the PC sends, "R" when
// it requests), "N", the type, STX, "O" for a program or "S" for a setup file and the
// four characters, ETX, and the check byte, the exclusive-or of the bytes before it.
// Nothing, with the reason in *why, when the bytes are not such a header.
std::optional<FanucHeader> readFanucHeader(std::string_view bytes, char first, std::string* why);

// The control's answers: DLE and a digit.
std::string fanucDle(char digit);

}  // namespace quillon::ctrlsim
