#include "utilities/Renumber.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>
#include <vector>

#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "nc/CharacterClasses.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// The blanks and digits of what stands before a line's first word (blanks, a slash, the
// block number) are taken up to this column only: a line indented deeper keeps its
// remaining blanks as text, and an overlong number keeps its remaining digits.
constexpr std::size_t kPrefixLimit = 32;
// A canned cycle's P or Q gives up at most this many digits to the new number.
constexpr std::size_t kCycleDigitLimit = 32;
// The dialog's most digits; it also keeps 10^digits within range.
constexpr int kMostDigits = 6;

// The end of the run of characters from `at` that pass `take`, stopping at kPrefixLimit.
template <typename Take>
std::size_t prefixRunEnd(std::string_view text, std::size_t at, Take take)
{
    while (at < kPrefixLimit && at < text.size() && take(text[at]))
        ++at;
    return at;
}

// The start of a line up to its first word: blanks, and on a slashed (block delete) line
// the "/" and the blanks after it. The "/" is taken wherever the blanks stopped, as the
// letter of a block number is.
struct LineStart {
    std::size_t end = 0;
    bool slashed = false;
};

LineStart scanLineStart(std::string_view text)
{
    LineStart start;
    start.end = prefixRunEnd(text, 0, isBlank);
    if (start.end < text.size() && text[start.end] == '/') {
        start.slashed = true;
        start.end = prefixRunEnd(text, start.end + 1, isBlank);
    }
    return start;
}

void appendNumber(std::string& text, std::int64_t number)
{
    char digits[24];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

// ---- Renumbering ---------------------------------------------------------------------

// The block numbers in turn: the starting number as it was given, then steps of the
// increment taken modulo 10^digits, where a step onto 0 gives the increment instead.
class BlockNumbers {
public:
    explicit BlockNumbers(const RenumberSettings& settings)
        : m_current(settings.start), m_increment(settings.increment)
    {
        for (int i = 0; i < std::clamp(settings.digits, 1, kMostDigits); ++i)
            m_modulus *= 10;
    }
    std::int64_t current() const { return m_current; }
    void advance()
    {
        m_current += m_increment;
        // Divided only when it wraps: this runs for every line of huge programs.
        if (m_current >= m_modulus || m_current < 0)
            m_current %= m_modulus;
        if (m_current == 0)
            m_current = m_increment;
    }

private:
    std::int64_t m_current;
    std::int64_t m_increment;
    std::int64_t m_modulus = 1;
};

// Pairs of (old number, new number) in line order. A number can stand on several lines,
// so a lookup takes the first pair.
using RenumberMap = std::vector<std::pair<std::int32_t, std::int32_t>>;

std::optional<std::int32_t> newNumberOf(const RenumberMap& map, std::int32_t oldNumber)
{
    const auto pair = std::find_if(map.begin(), map.end(),
                                   [oldNumber](const auto& p) { return p.first == oldNumber; });
    if (pair == map.end())
        return std::nullopt;
    return pair->second;
}

// Lines that start with these keep what they have: the tape's start and end, a macro
// variable, the optional ones while they are not chosen, and the do-not-renumber one.
bool leftUnnumbered(char c, const RenumberSettings& settings)
{
    if (settings.skip != 0 && c == settings.skip)
        return true;
    switch (c) {
    case '%':
    case '#':
        return true;
    case 'O':
        return !settings.letterO;
    case ':':
        return !settings.colon;
    case '(':
        return !settings.parenthesis;
    default:
        return false;
    }
}

// A letter whose number is replaced; before any other word an "N" word goes in.
bool isNumberLetter(char c, const RenumberSettings& settings)
{
    return c == 'N' || (c == 'O' && settings.letterO) || (c == ':' && settings.colon);
}

// Puts the line with `number` as its block number in `newText`; the number the line had
// (0 when it had none), or nothing when the line is not one to number.
std::optional<std::int32_t> numberLine(std::string_view text, const RenumberSettings& settings,
                                       std::int64_t number, std::string& newText)
{
    const LineStart start = scanLineStart(text);
    if (start.end >= text.size() || leftUnnumbered(text[start.end], settings))
        return std::nullopt;
    char letter = 'N';
    std::int32_t oldNumber = 0;
    std::size_t prefix = start.end;
    if (isNumberLetter(text[start.end], settings)) {
        letter = text[start.end];
        // Read as atoi reads it, past blanks and a sign; only the digits right after the
        // letter are replaced, so "N 10" keeps its "10".
        oldNumber = leadingInt32(text.substr(start.end + 1));
        prefix = prefixRunEnd(text, start.end + 1, isDigit);
    }
    char digits[24];
    const std::size_t digitCount = static_cast<std::size_t>(
        std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
    // Padding never cuts a number longer than the setting.
    const std::size_t zeroes =
        settings.leadingZeroes && digitCount < static_cast<std::size_t>(settings.digits)
            ? static_cast<std::size_t>(settings.digits) - digitCount
            : 0;
    // The word is kept apart from what follows; a tab after it is not enough.
    const bool spaceAfter = prefix >= text.size() || text[prefix] != ' ';
    const std::string_view rest = text.substr(std::min(prefix, text.size()));
    // Written in place: this runs for every line of programs of millions of lines.
    newText.resize((start.slashed ? 1 : 0) + 1 + zeroes + digitCount + (spaceAfter ? 1 : 0) +
                   rest.size());
    char* out = newText.data();
    if (start.slashed)
        *out++ = '/';
    *out++ = letter;
    out = std::fill_n(out, zeroes, '0');
    out = std::copy_n(digits, digitCount, out);
    if (spaceAfter)
        *out++ = ' ';
    std::copy(rest.begin(), rest.end(), out);
    return oldNumber;
}

// Gives the first `address` word of a canned-cycle line the new number of the block it
// names; false (the line unchanged) when no block of that number was renumbered.
bool renumberCycleWord(std::string& line, char address, const RenumberMap& map)
{
    const std::size_t at = line.find(address);
    if (at == std::string::npos)
        return false;
    const std::size_t digitsAt = at + 1;
    const auto newNumber = newNumberOf(map, leadingInt32(std::string_view(line).substr(digitsAt)));
    if (!newNumber)
        return false;
    std::size_t digits = 0;
    while (digits < kCycleDigitLimit && digitsAt + digits < line.size() &&
           isDigit(line[digitsAt + digits]))
        ++digits;
    std::string number;
    appendNumber(number, *newNumber);
    line.replace(digitsAt, digits, number);
    return true;
}

}  // namespace

bool holdsCannedCycle(std::string_view line)
{
    if (line.find('P') == std::string_view::npos || line.find('Q') == std::string_view::npos)
        return false;
    for (std::size_t at = line.find("G7"); at != std::string_view::npos;
         at = line.find("G7", at + 1)) {
        if (at + 2 < line.size() && line[at + 2] >= '0' && line[at + 2] <= '3')
            return true;
    }
    return false;
}

bool rangeHoldsCannedCycle(const CLiDoc& doc, std::size_t first, std::size_t last)
{
    for (std::size_t line = first; line <= last && line < doc.lineCount(); ++line) {
        if (holdsCannedCycle(doc.lineText(line)))
            return true;
    }
    return false;
}

std::optional<std::string> renumberLines(const CLiDoc& doc, UtilityEdit& edit, std::size_t first,
                                         std::size_t last, const RenumberSettings& settings)
{
    if (first >= doc.lineCount())
        return std::nullopt;
    last = std::min(last, doc.lineCount() - 1);
    RenumberMap map;
    map.reserve(last - first + 1);
    BlockNumbers numbers(settings);
    bool cyclesFound = false;
    edit.rewriteLines(first, last, [&](std::size_t, std::string_view text, std::string& newText) {
        // Tested on the line as it was: a comment line names its cycle as well.
        cyclesFound = cyclesFound || holdsCannedCycle(text);
        const auto oldNumber = numberLine(text, settings, numbers.current(), newText);
        if (!oldNumber)
            return false;
        // A lookup takes the first pair of a number, so a run of lines with the same
        // number (unnumbered lines, most often) needs only its first.
        if (map.empty() || map.back().first != *oldNumber)
            map.emplace_back(*oldNumber, static_cast<std::int32_t>(numbers.current()));
        numbers.advance();
        return true;
    });
    if (!cyclesFound)
        return std::nullopt;

    // The cycles' P and Q name the first and last block of a contour: they follow the
    // blocks to their new numbers. A number that names no renumbered block stays.
    bool unmatched = false;
    edit.rewriteLines(first, last, [&](std::size_t, std::string_view text, std::string& newText) {
        if (!holdsCannedCycle(text))
            return false;
        newText = text;
        unmatched = !renumberCycleWord(newText, 'P', map) || unmatched;
        unmatched = !renumberCycleWord(newText, 'Q', map) || unmatched;
        return true;
    });
    return unmatched ? kCannedCycleErrorText : kCannedCycleReviseText;
}

void removeBlockNumbers(const CLiDoc&, UtilityEdit& edit, std::size_t first, std::size_t last)
{
    edit.rewriteLines(first, last, [](std::size_t, std::string_view text, std::string& newText) {
        const LineStart start = scanLineStart(text);
        if (start.end >= text.size() || text[start.end] != 'N')
            return false;
        const std::size_t digitsEnd = prefixRunEnd(text, start.end + 1, isDigit);
        const std::size_t wordEnd = prefixRunEnd(text, digitsEnd, isBlank);
        if (start.slashed)
            newText += '/';
        newText += text.substr(wordEnd);
        return true;
    });
}

}  // namespace quillon
