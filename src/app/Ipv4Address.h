// An IPv4 address as the program stores it: 32 bits, the first octet the most
// significant byte, written to files and datagrams as a signed decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

std::string ipv4ToDottedText(std::int32_t value);

// "a.b.c.d" with four decimal octets of 0 to 255 (blanks around the parts allowed).
std::optional<std::int32_t> ipv4FromDottedText(std::string_view text);

}  // namespace quillon
