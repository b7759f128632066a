// IPv4 addresses as the hub and its files hold them: a 32-bit value whose most significant
// byte is the first octet (a.b.c.d is a * 2^24 + b * 2^16 + c * 2^8 + d), written in the
// files and in every datagram as the signed decimal of that value, so that an address whose
// first octet is 128 or more reads negative (192.168.1.10 is -1062731510).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

using Ipv4 = std::uint32_t;

constexpr Ipv4 ipv4Of(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return (Ipv4{a & 0xff} << 24) | (Ipv4{b & 0xff} << 16) | (Ipv4{c & 0xff} << 8) | (d & 0xff);
}

// "a.b.c.d".
std::string dottedText(Ipv4 address);
// Four decimal numbers 0..255 between three points, nothing else; nothing otherwise.
std::optional<Ipv4> parseDotted(std::string_view text);

// The signed decimal form: the client's identity in every datagram, and line 2 of the
// remote configuration file.
std::string signedDecimalText(Ipv4 address);
// A signed decimal of 32 bits (leading blanks and a trailing line end allowed); values from
// -2^31 to 2^32 - 1 are taken, as files written by other tools may hold either form.
// Nothing for anything else.
std::optional<Ipv4> parseSignedDecimal(std::string_view text);

}  // namespace quillon
