#include "editor/NcLines.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {

std::size_t countLineFeeds(const char* data, std::size_t size)
{
    std::size_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // 16 bytes at a time: each compare gives -1 per LF, summed into byte counters that
    // are emptied every 255 rounds, before they can overflow.
    constexpr std::size_t kRounds = 255;
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 * kRounds <= size) {
        __m128i counters = zero;
        for (std::size_t round = 0; round < kRounds; ++round, i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(block, lineFeed));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    while (i < size) {
        const auto* found = static_cast<const char*>(std::memchr(data + i, '\n', size - i));
        if (!found)
            break;
        ++count;
        i = static_cast<std::size_t>(found - data) + 1;
    }
    return count;
}

}  // namespace

std::size_t countNcLines(std::string_view bytes)
{
    return countLineFeeds(bytes.data(), bytes.size()) + 1;
}

std::vector<std::string> splitNcLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    lines.reserve(countNcLines(bytes));
    forEachNcLine(bytes, [&](std::size_t offset, std::size_t length) {
        lines.emplace_back(bytes.substr(offset, length));
    });
    return lines;
}

}  // namespace quillon
