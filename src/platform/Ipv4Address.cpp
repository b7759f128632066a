#include "platform/Ipv4Address.h"

#include <charconv>

namespace quillon {

std::string ipv4ToDottedText(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!text.empty())
            text += '.';
        text += std::to_string((bits >> shift) & 0xFFu);
    }
    return text;
}

std::optional<std::int32_t> ipv4FromDottedText(std::string_view text)
{
    std::uint32_t bits = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        unsigned octet = 0;
        int digits = 0;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9' && digits < 4) {
            octet = octet * 10 + static_cast<unsigned>(text.front() - '0');
            text.remove_prefix(1);
            ++digits;
        }
        if (digits == 0 || octet > 255)
            return std::nullopt;
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        bits = (bits << 8) | octet;
    }
    if (!text.empty())
        return std::nullopt;
    return static_cast<std::int32_t>(bits);
}

std::string ipv4ToSignedDecimal(std::int32_t value)
{
    return std::to_string(value);
}

std::optional<std::int32_t> ipv4FromSignedDecimal(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    long long value = 0;
    const char* const end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end)
        return std::nullopt;
    if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX))
        return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace quillon
