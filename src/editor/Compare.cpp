#include "editor/Compare.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "editor/CLiDoc.h"
#include "editor/EditLine.h"
#include "editor/NcLines.h"

namespace quillon {

namespace {

// ---- Normalizing ----------------------------------------------------------------------

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The white space that atof skips before a number (the "C" locale's isspace).
bool isCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Copies the line without blanks to out, which must hold line.size() bytes; returns the
// length written.
std::size_t copyWithoutBlanks(std::string_view line, char* out)
{
    char* end = out;
    for (const char c : line) {
        *end = c;
        end += isBlank(c) ? 0 : 1;
    }
    return static_cast<std::size_t>(end - out);
}

// What atof reads at the start of the text: white space, a sign, a decimal number with an
// optional exponent; no digits read as 0. Only decimal numbers are read, whatever the C
// library would make of "0x1F", "inf" or "nan": an NC program means none of them, and the
// result must not depend on the library (nor on the locale's decimal point).
double readValue(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isCSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t start = pos;
    // The power of ten of the first significant digit (plus one), to tell an overflow from
    // an underflow when from_chars finds the number out of range.
    long scale = 0;
    bool significant = false;
    std::size_t digits = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digits) {
        significant = significant || text[pos] != '0';
        scale += significant ? 1 : 0;
    }
    if (pos < text.size() && text[pos] == '.') {
        for (++pos; pos < text.size() && isDigit(text[pos]); ++pos, ++digits) {
            if (!significant && text[pos] == '0')
                --scale;
            significant = significant || text[pos] != '0';
        }
    }
    if (digits == 0)
        return 0.0;
    // An exponent counts only when it has digits: "1E" is 1.
    long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t at = pos + 1;
        const bool negativeExponent = at < text.size() && text[at] == '-';
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (at < text.size() && isDigit(text[at])) {
            constexpr long kBeyondAnyDouble = 100000;
            for (; at < text.size() && isDigit(text[at]); ++at)
                exponent = std::min(exponent * 10 + (text[at] - '0'), kBeyondAnyDouble);
            exponent = negativeExponent ? -exponent : exponent;
            pos = at;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + pos, value);
    if (result.ec == std::errc::result_out_of_range)
        value = scale + exponent > 0 ? HUGE_VAL : 0.0;
    return negative ? -value : value;
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
    if (text.find_first_of("[#=") != std::string_view::npos)
        return true;
    for (const std::string_view word : {"GOTO", "IF", "THEN", "ELSE"}) {
        if (text.find(word) != std::string_view::npos)
            return true;
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
        values[count++] = readValue(std::string_view(text).substr(at + 1));
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
void mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c)
{
    a -= c;  a ^= std::rotl(c, 4);   c += b;
    b -= a;  b ^= std::rotl(a, 6);   a += c;
    c -= b;  c ^= std::rotl(b, 8);   b += a;
    a -= c;  a ^= std::rotl(c, 16);  c += b;
    b -= a;  b ^= std::rotl(a, 19);  a += c;
    c -= b;  c ^= std::rotl(b, 4);   b += a;
}

void finalMix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c)
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

template <typename Index>
class MiddleSnakeDiff {
public:
    MiddleSnakeDiff(const std::vector<std::uint32_t>& first,
                    const std::vector<std::uint32_t>& second, std::vector<std::uint8_t>& marks1,
                    std::vector<std::uint8_t>& marks2)
        : m_a(first.data()), m_b(second.data()), m_marks1(marks1.data()),
          m_marks2(marks2.data())
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
        while (r.low1 < r.high1 && r.low2 < r.high2 && m_a[r.low1] == m_b[r.low2]) {
            ++r.low1;
            ++r.low2;
        }
        while (r.low1 < r.high1 && r.low2 < r.high2 && m_a[r.high1 - 1] == m_b[r.high2 - 1]) {
            --r.high1;
            --r.high2;
        }
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
                Index y = x - k;
                while (x < r.high1 && y < r.high2 && m_a[x] == m_b[y]) {
                    ++x;
                    ++y;
                }
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
                Index y = x - k;
                while (x > r.low1 && y > r.low2 && m_a[x - 1] == m_b[y - 1]) {
                    --x;
                    --y;
                }
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
        if (line1 < marks1.size() && line2 < marks2.size() &&
            marks1[line1] == CompareMark::Same && marks2[line2] == CompareMark::Same) {
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
            doc.SetLineFlag(line, LineFlag::CompareChanged, true);
        else if (marks[line] == CompareMark::OnlyHere)
            doc.SetLineFlag(line, LineFlag::CompareOnlyHere, true);
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
    const auto* bytes = static_cast<const unsigned char*>(key);
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
    // The last 1..12 bytes, zero-padded: the same sums as lookup3's switch over them.
    unsigned char last[12] = {};
    std::memcpy(last, bytes, length);
    a += littleWord(last);
    b += littleWord(last + 4);
    c += littleWord(last + 8);
    finalMix(a, b, c);
    return c;
}

std::uint32_t lineHash(std::string_view normalized)
{
    // The seed the compare always used.
    constexpr std::uint32_t kLineSeed = 13;
    return normalized.empty() ? 0 : hashLittle(normalized.data(), normalized.size(), kLineSeed);
}

std::uint32_t LineHasher::operator()(std::string_view line)
{
    if (m_mode == CompareMode::Smart) {
        normalizeSmart(line, m_result, m_work);
        return lineHash(m_result);
    }
    // Raw lines go straight from the text into the buffer without a resize per line.
    if (m_work.size() < line.size())
        m_work.resize(line.size());
    return lineHash({m_work.data(), copyWithoutBlanks(line, m_work.data())});
}

std::vector<std::uint32_t> lineHashes(std::string_view bytes, CompareMode mode)
{
    std::vector<std::uint32_t> hashes;
    hashes.reserve(countNcLines(bytes));
    LineHasher hasher(mode);
    forEachNcLine(bytes, [&](std::size_t offset, std::size_t length) {
        hashes.push_back(hasher(bytes.substr(offset, length)));
    });
    return hashes;
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
            doc.SetLineFlag(line, LineFlag::CompareOnlyHere, false);
        if (text.hasFlag(LineFlag::CompareChanged))
            doc.SetLineFlag(line, LineFlag::CompareChanged, false);
    }
}

}  // namespace quillon
