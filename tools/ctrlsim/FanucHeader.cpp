#include "ctrlsim/FanucHeader.h"

#include "ctrlsim/BlockSession.h"

namespace quillon::ctrlsim {

namespace {

// The header's fields, by position in the bytes after SOH.
constexpr std::size_t kTypeAt = 2;
constexpr std::size_t kStxAt = 3;
constexpr std::size_t kNameAt = 4;  // "O" or "S" and the four characters
constexpr std::size_t kNameLength = 5;
constexpr std::size_t kEtxAt = 9;
constexpr std::size_t kCheckAt = 10;

}  // namespace

std::optional<FanucHeader> readFanucHeader(std::string_view bytes, char first, std::string* why)
{
    auto wrong = [why](std::string text) -> std::optional<FanucHeader> {
        if (why)
            *why = std::move(text);
        return std::nullopt;
    };
    if (bytes.size() != kFanucHeaderLength - 1)
        return wrong("a header of " + std::to_string(bytes.size() + 1) + " bytes instead of " +
                     std::to_string(kFanucHeaderLength) + ": " +
                     shownBytes(control::Soh + std::string(bytes)));
    const char type = bytes[kTypeAt];
    const char letter = type == 'P' ? 'O' : 'S';
    if (bytes[0] != first || bytes[1] != 'N' || (type != 'P' && type != 'S') ||
        bytes[kStxAt] != control::Stx || bytes[kNameAt] != letter || bytes[kEtxAt] != control::Etx)
        return wrong("not a header: " + shownBytes(control::Soh + std::string(bytes)));
    const char check = xorOf(bytes.substr(0, kCheckAt));
    if (bytes[kCheckAt] != check)
        return wrong("the header's check byte " + hexByte(bytes[kCheckAt]) + " instead of " +
                     hexByte(check));
    return FanucHeader{type, std::string(bytes.substr(kNameAt, kNameLength))};
}

std::string fanucDle(char digit)
{
    return {control::Dle, digit};
}

}  // namespace quillon::ctrlsim
