// An IPv4 address as the program and the hub store it: 32 bits, the first octet the most
// significant byte (a.b.c.d is a * 2^24 + b * 2^16 + c * 2^8 + d), written to files and
// datagrams as the signed decimal of that value, so that an address whose first octet is
// 128 or more reads negative (192.168.1.10 is -1062731510).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

constexpr std::int32_t ipv4Of(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return static_cast<std::int32_t>((std::uint32_t{a & 0xFFu} << 24) |
                                     (std::uint32_t{b & 0xFFu} << 16) |
                                     (std::uint32_t{c & 0xFFu} << 8) | (d & 0xFFu));
}

std::string ipv4ToDottedText(std::int32_t value);

// "a.b.c.d" with four decimal octets of 0 to 255 (blanks around the parts allowed).
std::optional<std::int32_t> ipv4FromDottedText(std::string_view text);

// The signed decimal form: the client's identity in every datagram, and the hub's address
// in the remote configuration file.
std::string ipv4ToSignedDecimal(std::int32_t value);
// A decimal of 32 bits (blanks before it and a line end after it allowed); values from
// -2^31 to 2^32 - 1 are taken, as a file written by another tool may hold the unsigned
// form. Nothing for anything else.
std::optional<std::int32_t> ipv4FromSignedDecimal(std::string_view text);

}  // namespace quillon
