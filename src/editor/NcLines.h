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

// Cuts bytes into lines as they arrive in pieces, as a file is read: each line is visited
// while its bytes are still in the processor's cache. Only offsets are kept between pieces,
// so the bytes may move in between.
class NcLineCutter {
public:
    // The bytes [0, end) are in: calls visit(offset, length) for every line an LF among the
    // new ones ends, in order.
    template <typename Visit>
    void take(const char* data, std::size_t end, Visit&& visit)
    {
        auto lineEndsAt = [&](std::size_t lineFeed) {
            std::size_t length = lineFeed - m_start;
            if (length > 0 && data[lineFeed - 1] == '\r')
                --length;
            visit(m_start, length);
            m_start = lineFeed + 1;
        };
        std::size_t at = m_scanned;
#if defined(__SSE2__)
        // NC lines are short, a few dozen bytes: the LFs of 64 bytes are found at once,
        // rather than one call of memchr a line.
        for (; at + 64 <= end; at += 64) {
            for (std::uint64_t mask = detail::lineFeedMask(data + at); mask != 0; mask &= mask - 1)
                lineEndsAt(at + static_cast<std::size_t>(std::countr_zero(mask)));
        }
#endif
        while (const auto* lineFeed =
                   static_cast<const char*>(std::memchr(data + at, '\n', end - at))) {
            at = static_cast<std::size_t>(lineFeed - data);
            lineEndsAt(at);
            ++at;
        }
        m_scanned = end;
    }

    // All `size` bytes are in: visits the last line, the text after the last LF.
    template <typename Visit>
    void finish(std::size_t size, Visit&& visit)
    {
        visit(m_start, size - m_start);
    }

private:
    std::size_t m_start = 0;    // of the line no LF has ended yet
    std::size_t m_scanned = 0;  // bytes looked at for LFs
};

// Calls visit(offset, length) for every line, in order.
template <typename Visit>
void forEachNcLine(std::string_view bytes, Visit&& visit)
{
    NcLineCutter cutter;
    cutter.take(bytes.data(), bytes.size(), visit);
    cutter.finish(bytes.size(), visit);
}

// The number of lines forEachNcLine visits.
std::size_t countNcLines(std::string_view bytes);

std::vector<std::string> splitNcLines(std::string_view bytes);

}  // namespace quillon
