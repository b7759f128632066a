#include "monitoring/Ipv4.h"

#include <charconv>

namespace quillon {

std::string dottedText(Ipv4 address)
{
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xff) + '.' +
           std::to_string((address >> 8) & 0xff) + '.' + std::to_string(address & 0xff);
}

std::optional<Ipv4> parseDotted(std::string_view text)
{
    Ipv4 address = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (at == end || *at != '.')
                return std::nullopt;
            ++at;
        }
        unsigned value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || next == at || next - at > 3 || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
        at = next;
    }
    if (at != end)
        return std::nullopt;
    return address;
}

std::string signedDecimalText(Ipv4 address)
{
    return std::to_string(static_cast<std::int32_t>(address));
}

std::optional<Ipv4> parseSignedDecimal(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    long long value = 0;
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || next != text.data() + text.size() || text.empty())
        return std::nullopt;
    if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX))
        return std::nullopt;
    return static_cast<Ipv4>(static_cast<std::uint32_t>(value));
}

}  // namespace quillon
