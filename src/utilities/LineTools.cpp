#include "utilities/LineTools.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "nc/ModalState.h"
#include "nc/Words.h"

namespace quillon {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// ---- Reading a line ---------------------------------------------------------------------

// The end of the comment whose "(" stands at `open`: just after the next ")" on the line
// (a "(" in between opens nothing), or the line end when no ")" follows.
std::size_t commentEnd(std::string_view line, std::size_t open)
{
    const std::size_t close = line.find(')', open + 1);
    return close == kNone ? line.size() : close + 1;
}

// Modify and Rotate judge each occurrence by what follows it on the line: one with a ")"
// ahead before any "(" lies in a comment and is passed over. So "X10) G01", the end of a
// comment opened on an earlier line, keeps its X10, while in "(ABC X10" no ")" follows and
// the X10 is changed. The occurrences are met left to right, so the nearest parenthesis
// is looked up once and kept until they pass it. It is kept as a distance from the line's
// end: Modify's replacements (numbers, which hold no parenthesis) all lie before it.
class CommentLookAhead {
public:
    // Whether a ")" comes at or after `from` before any "(". `from` never decreases
    // from one call to the next.
    bool inComment(std::string_view text, std::size_t from)
    {
        if (!m_found || text.size() - m_fromEnd < from) {
            const std::size_t at = text.find_first_of("()", from);
            m_fromEnd = at == kNone ? 0 : text.size() - at;
            m_found = true;
        }
        return m_fromEnd != 0 && text[text.size() - m_fromEnd] == ')';
    }

private:
    bool m_found = false;
    std::size_t m_fromEnd = 0;  // 0: no parenthesis ahead
};

// The length of the number written at `from`: its run of number characters, at most
// `limit` of them.
std::size_t numberLength(std::string_view line, std::size_t from, std::size_t limit = kNone)
{
    std::size_t end = from;
    while (end < line.size() && end - from < limit && isNumberCharacter(line[end]))
        ++end;
    return end - from;
}

// ---- Modify -----------------------------------------------------------------------------

// A number after the address is taken up to this many characters; the rest of a longer
// run stays behind the new number.
constexpr std::size_t kOldNumberLimit = 32;
// The longest number text Modify writes; a result that needs more leaves the old number
// as it was rather than writing a cut one.
constexpr std::size_t kNewNumberLimit = 19;
// Divide only divides by more than this: a smaller or negative value leaves the numbers as
// they are.
constexpr double kSmallestDivisor = 0.000001;
// A result a hair below the decimal it stands for (0.35 is stored as 0.34999...) is moved
// past it before it is rounded.
constexpr double kRoundingNudge = 0.000001;

// The new value of an address value, or nothing when Divide has nothing to divide by.
std::optional<double> modifiedValue(double old, const ModifySettings& settings)
{
    switch (settings.operation) {
    case ModifySettings::Operation::Add:
        return settings.value + old;
    case ModifySettings::Operation::Multiply:
        return settings.value * old;
    case ModifySettings::Operation::Divide:
        if (settings.value > kSmallestDivisor)
            return old / settings.value;
        return std::nullopt;
    }
    return std::nullopt;
}

// The value in fixed notation with so many decimals, rounded; the decimal point is always
// ".", whatever the locale.
std::string fixedText(double value, int decimals)
{
    // Wide enough for any double: DBL_MAX has 309 integer digits.
    char buffer[std::numeric_limits<double>::max_exponent10 + 32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

// ---- Rotate -----------------------------------------------------------------------------

// What a character becomes: the To of the first row whose From it is, and nothing when it
// is no From or when one of its rows has an empty To.
std::optional<char> rotatedCharacter(char c, const RotateSettings& settings)
{
    std::optional<char> to;
    for (std::size_t row = 0; row < settings.from.size(); ++row) {
        if (settings.from[row] == 0 || settings.from[row] != c)
            continue;
        if (settings.to[row] == 0)
            return std::nullopt;
        if (!to)
            to = settings.to[row];
    }
    return to;
}

// ---- Min/Max ----------------------------------------------------------------------------

// The start of the minima and maxima: a position beyond them is never reported.
constexpr double kMinimumStart = 99999999.9;
constexpr double kMaximumStart = -99999999.9;

constexpr char kNotFoundText[] = "NOT FOUND";

// One axis over the lines: its extremes and their numbers as written.
struct AxisExtremes {
    double minimum = kMinimumStart;
    double maximum = kMaximumStart;
    std::optional<std::string> minimumText;
    std::optional<std::string> maximumText;

    void reached(double position, std::string_view numberText)
    {
        if (position < minimum) {
            minimum = position;
            minimumText = std::string(numberText);
        }
        if (position > maximum) {
            maximum = position;
            maximumText = std::string(numberText);
        }
    }
};

// ---- Runs over a document ---------------------------------------------------------------

// Rewrites lines first..last by a function of their text alone; returns whether a line
// changed.
template <typename LineFunction>
bool rewriteEach(UtilityEdit& edit, std::size_t first, std::size_t last,
                 const LineFunction& function)
{
    const std::size_t before = edit.changedLines();
    edit.rewriteLines(first, last,
                      [&function](std::size_t, std::string_view text, std::string& newText) {
                          newText = function(text);
                          return true;
                      });
    return edit.changedLines() > before;
}

}  // namespace

// ---- One line ---------------------------------------------------------------------------

namespace {

// The line without its blanks outside comments, into `out` (given empty). The bytes are
// moved with a plain pointer, no call per word: a long program's pass stays short.
void compressInto(std::string_view line, std::string& out)
{
    out.resize(line.size());
    char* const start = out.data();
    char* write = start;
    const char* read = line.data();
    const char* const end = read + line.size();
    while (read < end) {
        const char c = *read;
        if (c == '(') {
            const char* const close =
                line.data() + commentEnd(line, static_cast<std::size_t>(read - line.data()));
            while (read < close)
                *write++ = *read++;
            continue;
        }
        *write = c;
        write += !isBlank(c);
        ++read;
    }
    out.resize(static_cast<std::size_t>(write - start));
}

// One blank before each word and comment that does not have one, into `out` (given empty).
void expandInto(std::string_view line, std::string& out)
{
    // At most one blank goes in before each character.
    out.resize(line.size() * 2);
    char* const start = out.data();
    char* write = start;
    for (std::size_t pos = 0; pos < line.size();) {
        const char c = line[pos];
        if (c == '(' || isAddressLetter(c)) {
            // A tab before a word is not taken as its blank.
            if (pos > 0 && line[pos - 1] != ' ' && line[pos - 1] != '/')
                *write++ = ' ';
            if (c == '(') {
                const std::size_t close = commentEnd(line, pos);
                while (pos < close)
                    *write++ = line[pos++];
                continue;
            }
        }
        *write++ = c;
        ++pos;
    }
    out.resize(static_cast<std::size_t>(write - start));
}

}  // namespace

std::string compressLine(std::string_view line)
{
    std::string result;
    compressInto(line, result);
    return result;
}

std::string expandLine(std::string_view line)
{
    std::string result;
    expandInto(line, result);
    return result;
}

std::string modifyLine(std::string_view line, const ModifySettings& settings)
{
    std::string text(line);
    const std::string& address = settings.address;
    // An empty address would stand before every character.
    if (address.empty() || (!settings.exclude.empty() && line.find(settings.exclude) != kNone))
        return text;
    CommentLookAhead comments;
    std::size_t searchFrom = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (pos < searchFrom || text.compare(pos, address.size(), address) != 0)
            continue;
        const std::size_t number = pos + address.size();
        if (comments.inComment(text, number))
            continue;
        const std::size_t length = numberLength(text, number, kOldNumberLimit);
        std::size_t numberEnd = number + length;
        const double old = addressValue(std::string_view(text).substr(number));
        if (const auto value = modifiedValue(old, settings)) {
            const std::string newNumber = modifiedValueText(*value, settings.decimals);
            if (newNumber.size() <= kNewNumberLimit) {
                text.replace(number, length, newNumber);
                numberEnd = number + newNumber.size();
            }
        }
        // The search goes on one character after the number, so that a word written right
        // after it (the second X of X1.X2.) is passed over.
        searchFrom = numberEnd + 1;
    }
    return text;
}

std::string rotateLine(std::string_view line, const RotateSettings& settings)
{
    // Characters are replaced in place, each once: X->Y and Y->Z do not make an X a Z.
    std::string text(line);
    CommentLookAhead comments;
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        const auto to = rotatedCharacter(line[pos], settings);
        if (to && !comments.inComment(line, pos + 1))
            text[pos] = *to;
    }
    return text;
}

std::string modifiedValueText(double value, ModifySettings::Decimals decimals)
{
    value += value >= 0 ? kRoundingNudge : -kRoundingNudge;
    if (decimals == ModifySettings::Decimals::None) {
        const std::string text = fixedText(value, 0);
        // A result between -0.5 and 0 is written as 0, not as a signed zero.
        return text == "-0" ? "0" : text;
    }
    // Rounded to one decimal more than is written, and that decimal dropped: 1.23456 keeps
    // four as 1.2345.
    std::string text = fixedText(value, decimals == ModifySettings::Decimals::Four ? 5 : 4);
    text.pop_back();
    return text;
}

// ---- Over a document --------------------------------------------------------------------

void compressLines(CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last)
{
    const std::size_t before = edit.changedLines();
    edit.rewriteLines(first, last, [](std::size_t, std::string_view text, std::string& newText) {
        compressInto(text, newText);
        return true;
    });
    if (edit.changedLines() > before)
        doc.setExpanded(false);
}

void expandLines(CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last)
{
    const std::size_t before = edit.changedLines();
    edit.rewriteLines(first, last, [](std::size_t, std::string_view text, std::string& newText) {
        expandInto(text, newText);
        return true;
    });
    if (edit.changedLines() > before)
        doc.setExpanded(true);
}

void modifyLines(const CLiDoc&, UtilityEdit& edit, std::size_t first, std::size_t last,
                 const ModifySettings& settings)
{
    rewriteEach(edit, first, last,
                [&settings](std::string_view text) { return modifyLine(text, settings); });
}

void rotateLines(const CLiDoc&, UtilityEdit& edit, std::size_t first, std::size_t last,
                 const RotateSettings& settings)
{
    rewriteEach(edit, first, last,
                [&settings](std::string_view text) { return rotateLine(text, settings); });
}

std::string minMaxText(const CLiDoc& doc, std::size_t first, std::size_t last)
{
    if (doc.isEmpty())
        return {};
    // Positions start at 0, absolute, at the first line of the range. Only G90 and G91
    // switch the mode: G90.1 and G91.1 (arc centres on some controls) leave it alone.
    AxisExtremes axes[3];  // X, Y, Z
    Position position{};
    ModalState modal;
    for (std::size_t index = first; index <= last && index < doc.lineCount(); ++index) {
        const std::string_view line = doc.lineText(index);
        for (std::size_t pos = 0; pos < line.size();) {
            const char c = line[pos];
            if (c == '(') {
                pos = commentEnd(line, pos);
                continue;
            }
            const bool axis = c == 'X' || c == 'Y' || c == 'Z';
            if (!axis && c != 'G') {
                ++pos;
                continue;
            }
            const std::size_t length = numberLength(line, pos + 1);
            const std::string_view number = line.substr(pos + 1, length);
            // A letter without digits after it is no word.
            if (number.find_first_of("0123456789") == kNone) {
                ++pos;
                continue;
            }
            const double value = decimalValue(number);
            if (axis) {
                const AxisWord word = *axisWord(c, modal.absolute, false);
                moveAxis(position, word, value);
                axes[word.axis].reached(position[static_cast<std::size_t>(word.axis)], number);
            } else if (value == 90 || value == 91) {
                modal.applyG(static_cast<int>(value));
            }
            pos += 1 + length;
        }
    }
    std::string text;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::string name(1, static_cast<char>('X' + axis));
        if (axis > 0)
            text += '\n';
        text += name + "min = " + axes[axis].minimumText.value_or(kNotFoundText) + "    " + name +
                "max = " + axes[axis].maximumText.value_or(kNotFoundText);
    }
    return text;
}

}  // namespace quillon
