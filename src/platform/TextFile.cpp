#include "platform/TextFile.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>

#include "platform/Paths.h"

namespace quillon {

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(paths::normalizeSeparators(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    try {
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            return std::nullopt;
        return bytes;
    } catch (const std::ios_base::failure&) {
        // A folder opens as a stream but throws from the first read.
        return std::nullopt;
    }
}

LineReader::LineReader(std::string_view bytes, std::size_t limit) : m_bytes(bytes), m_limit(limit)
{
}

std::optional<std::string_view> LineReader::next()
{
    if (atEnd())
        return std::nullopt;
    const auto end = m_bytes.find('\n', m_pos);
    std::string_view line =
        end == std::string_view::npos ? m_bytes.substr(m_pos) : m_bytes.substr(m_pos, end - m_pos);
    m_pos = end == std::string_view::npos ? m_bytes.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.size() > m_limit)
        line = line.substr(0, m_limit);
    return line;
}

std::optional<std::vector<std::string>> readLines(const std::string& path, std::size_t limit)
{
    const auto bytes = readFile(path);
    if (!bytes)
        return std::nullopt;
    std::vector<std::string> lines;
    LineReader reader(*bytes, limit);
    while (const auto line = reader.next())
        lines.emplace_back(*line);
    return lines;
}

std::string joinLinesCrLf(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

WriteResult writeLinesCrLf(const std::string& path, const std::vector<std::string>& lines)
{
    return replaceFileAtomically(path, joinLinesCrLf(lines));
}

std::vector<std::string_view> splitAtCommas(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const auto comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        text.remove_prefix(comma + 1);
    }
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::optional<long> numberIn(std::string_view text, int base)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

long long leadingInteger(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    constexpr long long kMax = std::numeric_limits<long long>::max() / 10 - 10;
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (value < kMax)
            value = value * 10 + (text[pos] - '0');
    }
    return negative ? -value : value;
}

}  // namespace quillon

namespace quillon {

std::int32_t leadingInt32(std::string_view text)
{
    const long long value = leadingInteger(text);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace quillon
