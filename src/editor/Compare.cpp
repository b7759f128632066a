#include "editor/Compare.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "editor/CLiDoc.h"
#include "editor/EditLine.h"
#include "editor/NcLines.h"
#include "nc/Words.h"

namespace quillon {

namespace {

// ---- Normalizing ----------------------------------------------------------------------

// 0 for the blanks a compare ignores (space, TAB, LF), 1 for every other byte.
constexpr std::array<std::uint8_t, 256> kKept = [] {
    std::array<std::uint8_t, 256> kept{};
    kept.fill(1);
    kept[' '] = kept['\t'] = kept['\n'] = 0;
    return kept;
}();

// Copies the line without blanks to out, which must hold line.size() bytes; returns the
// length written.
std::size_t copyWithoutBlanks(std::string_view line, char* out)
{
    char* end = out;
    for (const char c : line) {
        *end = c;
        end += kKept[static_cast<unsigned char>(c)];
    }
    return static_cast<std::size_t>(end - out);
}

// The decimal text of a value, exact: DBL_MAX has 309 integer digits.
constexpr std::size_t kFixedTextSize = std::numeric_limits<double>::max_exponent10 + 16;

void appendCanonicalNumber(std::string& out, double value)
{
    // A value typed as 0.12345 may be stored a hair below it; nudged away from zero it is
    // rounded the way it was written.
    constexpr double kNudge = 1e-7;
    constexpr int kRoundedDecimals = 5;
    value = value < 0 ? value - kNudge : value + kNudge;
    double magnitude = std::fabs(value);
    if (!(magnitude <= std::numeric_limits<double>::max()))
        magnitude = std::numeric_limits<double>::max();
    char fixed[kFixedTextSize];
    const auto result = std::to_chars(fixed, fixed + sizeof fixed, magnitude,
                                      std::chars_format::fixed, kRoundedDecimals);
    // Rounded to five decimals, then the fifth is dropped.
    const std::size_t length = static_cast<std::size_t>(result.ptr - fixed) - 1;
    char text[kMaxNumberText];
    std::size_t size = 0;
    if (value < 0)
        text[size++] = '-';
    const std::size_t kept = std::min(length, kMaxNumberText - size);
    std::memcpy(text + size, fixed, kept);
    out.append(text, size + kept);
}

// Lines that program their control (variables, conditions, jumps) keep their words in
// order: reordering "IF[#1GT0]GOTO10" would make nonsense of it.
bool isProgramLogic(std::string_view text)
{
    // One pass over the text rather than five: every line of a smart compare comes here.
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::string_view rest = text.substr(at);
        switch (text[at]) {
        case '[':
        case '#':
        case '=':
            return true;
        case 'G':
            if (rest.starts_with("GOTO"))
                return true;
            break;
        case 'I':
            if (rest.starts_with("IF"))
                return true;
            break;
        case 'T':
            if (rest.starts_with("THEN"))
                return true;
            break;
        case 'E':
            if (rest.starts_with("ELSE"))
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

// Removes every "(" up to and including the next ")", or to the end when there is none.
void removeComments(std::string& text)
{
    std::size_t write = 0;
    for (std::size_t read = 0; read < text.size();) {
        if (text[read] != '(') {
            text[write++] = text[read++];
            continue;
        }
        const std::size_t close = text.find(')', read + 1);
        if (close == std::string::npos)
            break;
        read = close + 1;
    }
    text.resize(write);
}

// Takes the words of one letter out of the text: their values, in order, at most
// kMaxValuesPerLetter; the words beyond that stay in the text.
std::size_t takeWords(std::string& text, char letter,
                      std::array<double, kMaxValuesPerLetter>& values)
{
    std::size_t count = 0;
    std::size_t at = 0;
    while (count < kMaxValuesPerLetter && (at = text.find(letter, at)) != std::string::npos) {
        values[count++] = atofValue(std::string_view(text).substr(at + 1));
        // A sign that atof read as "+" stays; "-" goes with the digits and points.
        std::size_t end = at + 1;
        while (end < text.size() && (isDigit(text[end]) || text[end] == '.' || text[end] == '-'))
            ++end;
        text.erase(at, end - at);
    }
    return count;
}

// A block read as an NC block: block number and comments out, the words of each letter
// from Z down to A with their values sorted and written the same way, anything else out.
void normalizeSmart(std::string_view line, std::string& out, std::string& work)
{
    work.resize(line.size());
    work.resize(copyWithoutBlanks(line, work.data()));
    const bool skipped = !work.empty() && work.front() == '/';
    std::size_t start = skipped ? 1 : 0;
    if (start < work.size() && work[start] == 'N') {
        ++start;
        while (start < work.size() && isDigit(work[start]))
            ++start;
    }
    work.erase(0, start);
    removeComments(work);
    if (isProgramLogic(work)) {
        out = work;
        return;
    }
    out.clear();
    if (skipped)
        out += '/';
    std::uint32_t letters = 0;
    for (const char c : work) {
        if (c >= 'A' && c <= 'Z')
            letters |= 1u << (c - 'A');
    }
    std::array<double, kMaxValuesPerLetter> values;
    for (char letter = 'Z'; letter >= 'A'; --letter) {
        if ((letters & (1u << (letter - 'A'))) == 0)
            continue;
        const std::size_t count = takeWords(work, letter, values);
        std::sort(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            out += letter;
            appendCanonicalNumber(out, values[i]);
        }
    }
}

// ---- lookup3 --------------------------------------------------------------------------
//
// Bob Jenkins' lookup3.c (public domain), hashlittle only: three 32-bit lanes, mixed after
// every 12 bytes, with a final avalanche over the last block.

std::uint32_t littleWord(const unsigned char* bytes)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    } else {
        return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
               std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    }
}

// The rounds laid out as lookup3.c has them, to be checked line by line.
// clang-format off
[[gnu::always_inline]] inline void mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c)
{
    a -= c;  a ^= std::rotl(c, 4);   c += b;
    b -= a;  b ^= std::rotl(a, 6);   a += c;
    c -= b;  c ^= std::rotl(b, 8);   b += a;
    a -= c;  a ^= std::rotl(c, 16);  c += b;
    b -= a;  b ^= std::rotl(a, 19);  a += c;
    c -= b;  c ^= std::rotl(b, 4);   b += a;
}

[[gnu::always_inline]] inline void finalMix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c)
{
    c ^= b;  c -= std::rotl(b, 14);
    a ^= c;  a -= std::rotl(c, 11);
    b ^= a;  b -= std::rotl(a, 25);
    c ^= b;  c -= std::rotl(b, 16);
    a ^= c;  a -= std::rotl(c, 4);
    b ^= a;  b -= std::rotl(a, 14);
    c ^= b;  c -= std::rotl(b, 24);
}
// clang-format on

// Where hashWords finds the last 1..12 bytes.
enum class Tail {
    Copied,  // copied out: nothing may be read beyond the key
    InPlace  // read where they are: 11 bytes beyond the key are readable
};

// hashlittle over the bytes.
template <Tail tail>
[[gnu::always_inline]] inline std::uint32_t hashWords(const unsigned char* bytes,
                                                      std::size_t length, std::uint32_t initval)
{
    std::uint32_t a = 0xdeadbeef + static_cast<std::uint32_t>(length) + initval;
    std::uint32_t b = a;
    std::uint32_t c = a;
    while (length > 12) {
        a += littleWord(bytes);
        b += littleWord(bytes + 4);
        c += littleWord(bytes + 8);
        mix(a, b, c);
        length -= 12;
        bytes += 12;
    }
    if (length == 0)
        return c;
    // The last bytes count as if zero-padded to 12: lookup3's switch over them, or its
    // masked reads of whole words.
    if constexpr (tail == Tail::InPlace && std::endian::native == std::endian::little) {
        std::uint64_t low;
        std::uint64_t high = 0;
        std::memcpy(&low, bytes, sizeof low);
        std::memcpy(&high, bytes + 8, 4);
        // Without branches: line lengths vary too much to predict.
        const std::size_t lowBits = 8 * std::min<std::size_t>(length, 8);
        const std::size_t highBits = 8 * (std::max<std::size_t>(length, 8) - 8);
        low &= ~std::uint64_t{0} >> (64 - lowBits);
        high &= (std::uint64_t{1} << highBits) - 1;
        a += static_cast<std::uint32_t>(low);
        b += static_cast<std::uint32_t>(low >> 32);
        c += static_cast<std::uint32_t>(high);
    } else {
        unsigned char copy[12] = {};
        std::memcpy(copy, bytes, length);
        a += littleWord(copy);
        b += littleWord(copy + 4);
        c += littleWord(copy + 8);
    }
    finalMix(a, b, c);
    return c;
}

// The seed the compare always used.
constexpr std::uint32_t kLineSeed = 13;
// What Tail::InPlace may read beyond a key.
constexpr std::size_t kTailSlack = 11;

[[gnu::always_inline]] inline std::uint32_t hashKeptLine(const unsigned char* text,
                                                         std::size_t length)
{
    return length == 0 ? 0 : hashWords<Tail::InPlace>(text, length, kLineSeed);
}

#if defined(__x86_64__) && defined(__GNUC__)
#define QUILLON_COMPARE_SSSE3 1

// ---- Raw lines, 16 bytes at a time ---------------------------------------------------------
//
// A raw compare keeps a line's bytes but its blanks, so the whole file can be read as one
// stream: every byte that is a blank, a line feed, or the CR before a line feed is dropped,
// the rest is packed together, and each line is hashed where its bytes landed. Per block:
//
//   bytes    G 0 1 _ X 1 . _ Y 2 \r \n G 0 _ Z      (_ a space)
//   kept     1 1 1 0 1 1 1 0 1 1  0  0 1 1 0 1
//   packed   G01X1.Y2 | G0Z...                   one shuffle per 8 bytes, by a table
//   line end at the LF: the line is the packed bytes before it

// For each pattern of 8 kept bits, where the kept bytes come from.
constexpr auto kPackShuffles = [] {
    std::array<std::array<std::uint8_t, 8>, 256> shuffles{};
    for (unsigned kept = 0; kept < 256; ++kept) {
        unsigned to = 0;
        for (unsigned from = 0; from < 8; ++from) {
            if (kept & (1u << from))
                shuffles[kept][to++] = static_cast<std::uint8_t>(from);
        }
    }
    return shuffles;
}();

class RawStreamHasher {
public:
    explicit RawStreamHasher(std::vector<std::uint32_t>& hashes) : m_hashes(hashes) {}

    // Hashes every line of the bytes. Without lastLine, the empty text after a final LF
    // is not a line: the bytes are a part of a file that goes on.
    [[gnu::target("ssse3,popcnt")]] void run(std::string_view bytes, bool lastLine)
    {
        const char* at = bytes.data();
        const char* const end = at + bytes.size();
        for (; end - at >= 16; at += 16) {
            const bool lineFeedNext = end - at > 16 && at[16] == '\n';
            addBlock(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), 0xffff, lineFeedNext);
        }
        if (at < end) {
            char block[16] = {};
            std::memcpy(block, at, static_cast<std::size_t>(end - at));
            addBlock(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block)),
                     (1u << (end - at)) - 1, false);
        }
        hashLines();
        if (lastLine)
            m_hashes.push_back(hashKeptLine(&m_kept[m_lineStart], m_end - m_lineStart));
    }

private:
    [[gnu::target("ssse3,popcnt"), gnu::always_inline]] inline void addBlock(__m128i block,
                                                                             unsigned valid,
                                                                             bool lineFeedNext)
    {
        if (m_end + 16 + kTailSlack > m_kept.size() || m_endCount + 16 > m_ends.size())
            makeRoom();
        const __m128i isLineFeed = _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'));
        const __m128i isBlank =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(' ')),
                                      _mm_cmpeq_epi8(block, _mm_set1_epi8('\t'))),
                         isLineFeed);
        unsigned lineFeeds = static_cast<unsigned>(_mm_movemask_epi8(isLineFeed)) & valid;
        const unsigned returns =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r'))));
        // A CR before a line feed, the feed perhaps the first byte of the next block.
        const unsigned lineEnds = lineFeeds | (lineFeedNext ? 0x10000u : 0);
        const unsigned lineEndReturns = returns & (lineEnds >> 1);
        const unsigned kept =
            ~(static_cast<unsigned>(_mm_movemask_epi8(isBlank)) | lineEndReturns) & valid;

        unsigned char* out = m_kept.data() + m_end;
        const unsigned keptLow = kept & 0xff;
        const unsigned keptHigh = kept >> 8;
        const __m128i low = _mm_shuffle_epi8(block, loadShuffle(keptLow, 0));
        const __m128i high = _mm_shuffle_epi8(block, loadShuffle(keptHigh, 8));
        const auto lowCount = static_cast<std::size_t>(std::popcount(keptLow));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + lowCount), high);

        // Line ends are gathered and the lines hashed later in one tight loop, where the
        // hashes of neighbouring lines can overlap.
        for (; lineFeeds != 0; lineFeeds &= lineFeeds - 1) {
            const unsigned before = kept & ((1u << std::countr_zero(lineFeeds)) - 1);
            m_ends[m_endCount++] = m_end + static_cast<std::size_t>(std::popcount(before));
        }
        m_end += lowCount + static_cast<std::size_t>(std::popcount(keptHigh));
    }

    [[gnu::noinline]] void hashLines()
    {
        std::size_t start = m_lineStart;
        for (std::size_t line = 0; line < m_endCount; ++line) {
            m_hashes.push_back(hashKeptLine(m_kept.data() + start, m_ends[line] - start));
            start = m_ends[line];
        }
        m_lineStart = start;
        m_endCount = 0;
    }

    [[gnu::target("ssse3,popcnt")]] static __m128i loadShuffle(unsigned kept, char offset)
    {
        const __m128i from =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kPackShuffles[kept].data()));
        return _mm_add_epi8(from, _mm_set1_epi8(offset));
    }

    // Room for one more block, its line ends and the hash's reads beyond it: the lines read
    // are hashed, the line being read moves to the front, and the buffer grows only for a
    // line longer than it.
    [[gnu::noinline]] void makeRoom()
    {
        hashLines();
        std::memmove(m_kept.data(), m_kept.data() + m_lineStart, m_end - m_lineStart);
        m_end -= m_lineStart;
        m_lineStart = 0;
        if (m_end + 16 + kTailSlack > m_kept.size() / 2)
            m_kept.resize(m_kept.size() * 2);
    }

    static constexpr std::size_t kInitialBuffer = 64 << 10;
    std::vector<std::uint32_t>& m_hashes;
    std::vector<unsigned char> m_kept = std::vector<unsigned char>(kInitialBuffer);
    std::array<std::size_t, 2048> m_ends;  // where lines read but not yet hashed end
    std::size_t m_endCount = 0;
    std::size_t m_lineStart = 0;  // where the line being read starts in m_kept
    std::size_t m_end = 0;        // and where its bytes end so far
};

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
    return have;
}

#endif

// ---- The difference ---------------------------------------------------------------------
//
// Eugene Myers, "An O(ND) Difference Algorithm and Its Variations", 1986, in linear space.
// In the edit graph of a range, x runs down file 1 and y across file 2; a diagonal step
// is a pair of equal lines (a "snake" is a run of them), a step down or across is a line
// only in file 1 or only in file 2. Diagonal k holds the points with x - y = k.
//
//                        file 2 (y) ->
//            lowB                                   highB
//     lowA    o--------------------------------------+
//             | \__   forward paths: the furthest    |
//   file 1    |    \__   point on each diagonal      |
//    (x)      |       \__   after D edits            |
//     |       |          \\\\  <- the middle snake:  |
//     v       |              \\\\   where a forward  |
//             |                  \__   and a         |
//             |   backward paths,   \__   backward   |
//             |   from the far corner  \__   path    |
//             |                           \__  meet  |
//     highA   +------------------------------\_______o
//
// Paths are grown from both corners at once, one edit per round. Where a forward and a
// backward path first overlap on a diagonal, the snake there is the middle of a shortest
// edit path: the range is cut at its end and both halves are done the same way. Equal
// lines at both ends of a range are stripped first; a range left with lines of one file
// only is all changes.

// How many lines from a and b on are equal, at most n (none when n < 1): four compared at
// a time, as snakes between scattered changes run to thousands of lines.
template <typename Index>
Index forwardRun(const std::uint32_t* a, const std::uint32_t* b, Index n)
{
    Index run = 0;
    for (; run + 4 <= n; run += 4) {
        if (std::memcmp(a + run, b + run, 4 * sizeof *a) != 0)
            break;
    }
    while (run < n && a[run] == b[run])
        ++run;
    return run;
}

// How many lines just before a and b are equal, at most n.
template <typename Index>
Index backwardRun(const std::uint32_t* a, const std::uint32_t* b, Index n)
{
    Index run = 0;
    for (; run + 4 <= n; run += 4) {
        if (std::memcmp(a - run - 4, b - run - 4, 4 * sizeof *a) != 0)
            break;
    }
    while (run < n && a[-run - 1] == b[-run - 1])
        ++run;
    return run;
}

template <typename Index>
class MiddleSnakeDiff {
public:
    MiddleSnakeDiff(const std::vector<std::uint32_t>& first,
                    const std::vector<std::uint32_t>& second, std::vector<std::uint8_t>& marks1,
                    std::vector<std::uint8_t>& marks2)
        : m_a(first.data()), m_b(second.data()), m_marks1(marks1.data()), m_marks2(marks2.data())
    {
    }

    void run(Index size1, Index size2)
    {
        Range whole{0, size1, 0, size2};
        stripEqualEnds(whole);
        allocateDiagonals(whole);
        // A work list rather than recursion: no input can run the stack out.
        std::vector<Range> pending{whole};
        while (!pending.empty()) {
            Range range = pending.back();
            pending.pop_back();
            stripEqualEnds(range);
            if (range.low1 == range.high1) {
                std::fill(m_marks2 + range.low2, m_marks2 + range.high2, CompareMark::Changed);
            } else if (range.low2 == range.high2) {
                std::fill(m_marks1 + range.low1, m_marks1 + range.high1, CompareMark::Changed);
            } else {
                const auto [x, y] = middleSnake(range);
                pending.push_back({x, range.high1, y, range.high2});
                pending.push_back({range.low1, x, range.low2, y});
            }
        }
    }

private:
    struct Range {
        Index low1, high1, low2, high2;
    };
    struct Point {
        Index x, y;
    };

    // Every range cut from this one fits: D never exceeds half its lines plus one, and a
    // round reads one diagonal beyond D on each side. Only the diagonals near the centre
    // are touched, so the untouched pages of these vectors cost no memory.
    void allocateDiagonals(const Range& r)
    {
        m_centre = ((r.high1 - r.low1) + (r.high2 - r.low2)) / 2 + 2;
        const auto size = static_cast<std::size_t>(2 * m_centre + 1);
        m_forward = std::make_unique_for_overwrite<Index[]>(size);
        m_backward = std::make_unique_for_overwrite<Index[]>(size);
    }

    void stripEqualEnds(Range& r) const
    {
        const Index front =
            forwardRun(m_a + r.low1, m_b + r.low2, std::min(r.high1 - r.low1, r.high2 - r.low2));
        r.low1 += front;
        r.low2 += front;
        const Index back = backwardRun(m_a + r.high1, m_b + r.high2,
                                       std::min(r.high1 - r.low1, r.high2 - r.low2));
        r.high1 -= back;
        r.high2 -= back;
    }

    // The end of the middle snake of a range that holds lines of both files and differs at
    // both ends.
    Point middleSnake(const Range& r)
    {
        const Index downK = r.low1 - r.low2;  // the diagonal of the top-left corner
        const Index upK = r.high1 - r.high2;  // and of the bottom-right corner
        const Index delta = (r.high1 - r.low1) - (r.high2 - r.low2);
        // With an odd delta the paths can first meet after a forward round, with an even
        // one after a backward round.
        const bool oddDelta = (delta & 1) != 0;
        const Index maxD = ((r.high1 - r.low1) + (r.high2 - r.low2)) / 2 + 1;
        // Furthest x reached on a diagonal, by the forward and by the backward paths.
        auto down = [this, downK](Index k) -> Index& { return m_forward[k - downK + m_centre]; };
        auto up = [this, upK](Index k) -> Index& { return m_backward[k - upK + m_centre]; };

        down(downK + 1) = r.low1;
        up(upK - 1) = r.high1;
        for (Index d = 0; d <= maxD; ++d) {
            for (Index k = downK - d; k <= downK + d; k += 2) {
                // Down from diagonal k + 1, or across from k - 1, whichever reaches further.
                Index x = 0;
                if (k == downK - d) {
                    x = down(k + 1);
                } else {
                    x = down(k - 1) + 1;
                    if (k < downK + d && down(k + 1) >= x)
                        x = down(k + 1);
                }
                const Index y = x - k;
                x += forwardRun(m_a + x, m_b + y, std::min(r.high1 - x, r.high2 - y));
                down(k) = x;
                if (oddDelta && upK - d < k && k < upK + d && up(k) <= x)
                    return {x, x - k};
            }
            for (Index k = upK - d; k <= upK + d; k += 2) {
                // Up from diagonal k - 1, or back across from k + 1.
                Index x = 0;
                if (k == upK + d) {
                    x = up(k - 1);
                } else {
                    x = up(k + 1) - 1;
                    if (k > upK - d && up(k - 1) < x)
                        x = up(k - 1);
                }
                const Index y = x - k;
                x -= backwardRun(m_a + x, m_b + y, std::min(x - r.low1, y - r.low2));
                up(k) = x;
                if (!oddDelta && downK - d <= k && k <= downK + d && x <= down(k))
                    return {down(k), down(k) - k};
            }
        }
        // Two paths of maxD edits each always meet, so this is not reached; were it ever,
        // the cut leaves every line of the range changed rather than looping.
        return {r.high1, r.low2};
    }

    const std::uint32_t* m_a;
    const std::uint32_t* m_b;
    std::uint8_t* m_marks1;
    std::uint8_t* m_marks2;
    Index m_centre = 0;
    std::unique_ptr<Index[]> m_forward;
    std::unique_ptr<Index[]> m_backward;
};

// Moves each run of changed lines down while its first line equals the first unchanged
// line after it. The same lines stay unmarked, but of two equal candidates the later one
// is taken, wherever the search happened to cut:
//
//   G0 Z5.            G0 Z5.
//   G1 X1.  ?         G1 X1.
//   G1 X2.  ?   ->    G1 X2.  ?
//   G1 X1.            G1 X1.  ?
//   M30               M30
void tidyRuns(const std::vector<std::uint32_t>& hashes, std::vector<std::uint8_t>& marks)
{
    const std::size_t size = hashes.size();
    std::size_t start = 0;
    std::size_t end = 0;
    while (start < size) {
        while (start < size && marks[start] == CompareMark::Same)
            ++start;
        end = std::max(end, start);
        while (end < size && marks[end] != CompareMark::Same)
            ++end;
        if (end < size && hashes[start] == hashes[end]) {
            marks[start] = CompareMark::Same;
            marks[end] = CompareMark::Changed;
        } else {
            start = end;
        }
    }
}

// Walks both files together: at each place where they differ, the changed lines of both
// sides are paired as "?" and what the longer side has left over is "+".
void pairRuns(std::vector<std::uint8_t>& marks1, std::vector<std::uint8_t>& marks2)
{
    std::size_t line1 = 0;
    std::size_t line2 = 0;
    while (line1 < marks1.size() || line2 < marks2.size()) {
        if (line1 < marks1.size() && line2 < marks2.size() && marks1[line1] == CompareMark::Same &&
            marks2[line2] == CompareMark::Same) {
            ++line1;
            ++line2;
            continue;
        }
        // Both files keep the same number of unchanged lines, so once one file is done
        // every line left in the other is changed.
        std::size_t end1 = line1;
        while (end1 < marks1.size() && marks1[end1] != CompareMark::Same)
            ++end1;
        std::size_t end2 = line2;
        while (end2 < marks2.size() && marks2[end2] != CompareMark::Same)
            ++end2;
        const std::size_t paired = std::min(end1 - line1, end2 - line2);
        std::fill(marks1.data() + line1 + paired, marks1.data() + end1, CompareMark::OnlyHere);
        std::fill(marks2.data() + line2 + paired, marks2.data() + end2, CompareMark::OnlyHere);
        line1 = end1;
        line2 = end2;
    }
}

template <typename Index>
void markDifferences(const std::vector<std::uint32_t>& first,
                     const std::vector<std::uint32_t>& second, CompareResult& result)
{
    MiddleSnakeDiff<Index> diff(first, second, result.first, result.second);
    diff.run(static_cast<Index>(first.size()), static_cast<Index>(second.size()));
}

// ---- Files and documents ----------------------------------------------------------------

// A big file is hashed in parts of about this size on at most this many threads: for
// smaller parts a thread costs more than it saves.
constexpr std::size_t kBytesPerPart = 4 << 20;
constexpr std::size_t kMaxThreads = 8;

// The bytes cut after line feeds into about count parts: every part but the last ends with
// its LF.
std::vector<std::string_view> cutAfterLineFeeds(std::string_view bytes, std::size_t count)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t part = 1; part < count; ++part) {
        const std::size_t from = std::max(start, bytes.size() * part / count);
        const std::size_t lineFeed = bytes.find('\n', from);
        if (lineFeed == std::string_view::npos)
            break;
        parts.push_back(bytes.substr(start, lineFeed + 1 - start));
        start = lineFeed + 1;
    }
    parts.push_back(bytes.substr(start));
    return parts;
}

// The hashes of the lines of a part of a file. Unless it is the last part, the empty text
// after its final LF is not a line: the file goes on in the next part.
std::vector<std::uint32_t> partHashes(std::string_view part, bool last, CompareMode mode)
{
    std::vector<std::uint32_t> hashes;
    hashes.reserve(countNcLines(part));
#ifdef QUILLON_COMPARE_SSSE3
    if (mode == CompareMode::Raw && haveSsse3()) {
        RawStreamHasher(hashes).run(part, last);
        return hashes;
    }
#endif
    LineHasher hasher(mode);
    forEachNcLine(part, [&](std::size_t offset, std::size_t length) {
        if (last || offset < part.size())
            hashes.push_back(hasher(part.substr(offset, length)));
    });
    return hashes;
}

std::vector<std::uint32_t> documentHashes(const CLiDoc& doc, CompareMode mode)
{
    LineHasher hasher(mode);
    std::vector<std::uint32_t> hashes;
    hashes.reserve(doc.lineCount());
    for (std::size_t line = 0; line < doc.lineCount(); ++line)
        hashes.push_back(hasher(doc.lineText(line)));
    return hashes;
}

void applyMarks(CLiDoc& doc, const std::vector<std::uint8_t>& marks)
{
    for (std::size_t line = 0; line < marks.size(); ++line) {
        if (marks[line] == CompareMark::Changed)
            doc.setLineFlag(line, LineFlag::CompareChanged, true);
        else if (marks[line] == CompareMark::OnlyHere)
            doc.setLineFlag(line, LineFlag::CompareOnlyHere, true);
    }
}

}  // namespace

// ---- Public ----------------------------------------------------------------------------

std::string normalizeLine(std::string_view line, CompareMode mode)
{
    std::string out;
    if (mode == CompareMode::Raw) {
        out.resize(line.size());
        out.resize(copyWithoutBlanks(line, out.data()));
    } else {
        std::string work;
        normalizeSmart(line, out, work);
    }
    return out;
}

std::string canonicalNumber(double value)
{
    std::string out;
    appendCanonicalNumber(out, value);
    return out;
}

std::uint32_t hashLittle(const void* key, std::size_t length, std::uint32_t initval)
{
    return hashWords<Tail::Copied>(static_cast<const unsigned char*>(key), length, initval);
}

std::uint32_t lineHash(std::string_view normalized)
{
    return normalized.empty() ? 0 : hashLittle(normalized.data(), normalized.size(), kLineSeed);
}

std::uint32_t LineHasher::operator()(std::string_view line)
{
    if (m_mode == CompareMode::Smart) {
        normalizeSmart(line, m_result, m_work);
        return lineHash(m_result);
    }
    // Raw lines go straight from the text into the buffer without a resize per line, and
    // are hashed there.
    if (m_work.size() < line.size() + kTailSlack)
        m_work.resize(line.size() + kTailSlack);
    const std::size_t length = copyWithoutBlanks(line, m_work.data());
    return hashKeptLine(reinterpret_cast<const unsigned char*>(m_work.data()), length);
}

std::vector<std::uint32_t> lineHashes(std::string_view bytes, CompareMode mode)
{
    // Parts are handed out one by one to whichever thread is free, this one included, so
    // a thread kept waiting for a core holds up only the part it has.
    const auto parts = cutAfterLineFeeds(bytes, bytes.size() / kBytesPerPart + 1);
    std::vector<std::vector<std::uint32_t>> hashes(parts.size());
    std::atomic<std::size_t> next = 0;
    auto hashParts = [&] {
        for (std::size_t part; (part = next++) < parts.size();)
            hashes[part] = partHashes(parts[part], part + 1 == parts.size(), mode);
    };
    {
        const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
        std::vector<std::jthread> helpers;
        for (std::size_t helper = 1; helper < std::min({cores, parts.size(), kMaxThreads});
             ++helper)
            helpers.emplace_back(hashParts);
        hashParts();
    }
    if (hashes.size() == 1)
        return std::move(hashes.front());
    std::size_t total = 0;
    for (const auto& part : hashes)
        total += part.size();
    std::vector<std::uint32_t> all;
    all.reserve(total);
    for (const auto& part : hashes)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

bool CompareResult::same() const
{
    auto unmarked = [](const std::vector<std::uint8_t>& marks) {
        return std::all_of(marks.begin(), marks.end(),
                           [](std::uint8_t mark) { return mark == CompareMark::Same; });
    };
    return unmarked(first) && unmarked(second);
}

CompareResult compareHashes(const std::vector<std::uint32_t>& first,
                            const std::vector<std::uint32_t>& second)
{
    CompareResult result;
    result.first.assign(first.size(), CompareMark::Same);
    result.second.assign(second.size(), CompareMark::Same);
    // 32-bit coordinates keep the diagonal vectors small; files of two thousand million
    // lines and more take 64-bit ones.
    const std::size_t limit = std::numeric_limits<std::int32_t>::max() / 2 - 4;
    if (first.size() + second.size() < limit)
        markDifferences<std::int32_t>(first, second, result);
    else
        markDifferences<std::int64_t>(first, second, result);
    tidyRuns(first, result.first);
    tidyRuns(second, result.second);
    pairRuns(result.first, result.second);
    return result;
}

bool compareDocuments(CLiDoc& first, CLiDoc& second, CompareMode mode)
{
    removeCompareMarks(first);
    removeCompareMarks(second);
    const CompareResult result =
        compareHashes(documentHashes(first, mode), documentHashes(second, mode));
    applyMarks(first, result.first);
    applyMarks(second, result.second);
    return result.same();
}

void removeCompareMarks(CLiDoc& doc)
{
    // Only lines that carry a mark are touched: a view hears of each change.
    for (std::size_t line = 0; line < doc.lineCount(); ++line) {
        const EditLine text = doc.line(line);
        if (text.hasFlag(LineFlag::CompareOnlyHere))
            doc.setLineFlag(line, LineFlag::CompareOnlyHere, false);
        if (text.hasFlag(LineFlag::CompareChanged))
            doc.setLineFlag(line, LineFlag::CompareChanged, false);
    }
}

}  // namespace quillon
