// How the editor cuts a file into lines, in one place for loading and inserting files.
//
// A line ends at LF. One LF, and then one CR just before it, are removed, so LF and CR LF
// both end a line while a lone CR is part of the text. The text after the last LF is the
// last line (empty when the file ends with LF), so there is always one line more than
// there are LFs. Every other byte, NUL included, is text.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace detail {

#if defined(__SSE2__)
// One bit for each LF among the 64 bytes at data, the first byte in the lowest bit.
inline std::uint64_t lineFeedMask(const char* data)
{
    const __m128i lineFeed = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * part));
        const auto found =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)));
        mask |= static_cast<std::uint64_t>(found) << (16 * part);
    }
    return mask;
}
#endif

}  // namespace detail

// Calls visit(offset, length) for every line, in order.
template <typename Visit>
void forEachNcLine(std::string_view bytes, Visit&& visit)
{
    const char* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t start = 0;
    auto lineEndsAt = [&](std::size_t lineFeed) {
        std::size_t length = lineFeed - start;
        if (length > 0 && data[lineFeed - 1] == '\r')
            --length;
        visit(start, length);
        start = lineFeed + 1;
    };
    std::size_t at = 0;
#if defined(__SSE2__)
    // NC lines are short, a few dozen bytes: the LFs of 64 bytes are found at once, rather
    // than one call of memchr a line.
    for (; at + 64 <= size; at += 64) {
        for (std::uint64_t mask = detail::lineFeedMask(data + at); mask != 0; mask &= mask - 1)
            lineEndsAt(at + static_cast<std::size_t>(std::countr_zero(mask)));
    }
#endif
    while (const auto* lineFeed =
               static_cast<const char*>(std::memchr(data + at, '\n', size - at))) {
        at = static_cast<std::size_t>(lineFeed - data);
        lineEndsAt(at);
        ++at;
    }
    visit(start, size - start);
}

// The number of lines forEachNcLine visits.
std::size_t countNcLines(std::string_view bytes);

std::vector<std::string> splitNcLines(std::string_view bytes);

}  // namespace quillon
