#include "editor/Search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>

#include "editor/CLiDoc.h"

namespace quillon {

namespace {

// Lower case as the C library gives it in the "C" locale: ASCII letters only.
constexpr std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> lower{};
    for (int c = 0; c < 256; ++c)
        lower[static_cast<std::size_t>(c)] =
            static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}();

inline char lowered(char c)
{
    return static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}

bool isWordCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 128 && std::isalnum(byte)) || c == '_';
}

bool isWholeWord(std::string_view line, std::size_t at, std::size_t length)
{
    if (at > 0 && isWordCharacter(line[at - 1]))
        return false;
    return at + length >= line.size() || !isWordCharacter(line[at + length]);
}

// Whether the text stands at the position; without match case, `lowerText` is the text
// in lower case.
inline bool matchesAt(std::string_view line, std::size_t at, std::string_view lowerText,
                      bool matchCase)
{
    if (matchCase)
        return std::memcmp(line.data() + at, lowerText.data(), lowerText.size()) == 0;
    for (std::size_t i = 0; i < lowerText.size(); ++i) {
        if (lowered(line[at + i]) != lowerText[i])
            return false;
    }
    return true;
}

constexpr std::size_t kNone = std::string_view::npos;

// The first place in [from, last] holding a or b, or kNone.
inline std::size_t firstOfTwo(const char* data, std::size_t from, std::size_t last, char a, char b)
{
    std::size_t at = from;
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi8(a);
    const __m128i wantB = _mm_set1_epi8(b);
    for (; at + 16 <= last + 1; at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const int hits = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, wantA), _mm_cmpeq_epi8(chunk, wantB)));
        if (hits != 0)
            return at + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(hits)));
    }
#endif
    for (; at <= last; ++at) {
        if (data[at] == a || data[at] == b)
            return at;
    }
    return kNone;
}

}  // namespace

LineMatcher::LineMatcher(const SearchOptions& options)
    : m_text(options.text),
      m_matchCase(options.matchCase),
      m_wholeWord(options.wholeWord),
      m_never(options.text.empty() || options.text.find('\n') != std::string::npos),
      m_first(0),
      m_firstUpper(0)
{
    if (m_never)
        return;
    if (!m_matchCase) {
        for (char& c : m_text)
            c = lowered(c);
    }
    m_first = m_text[0];
    m_firstUpper = m_matchCase || m_first < 'a' || m_first > 'z'
                       ? m_first
                       : static_cast<char>(m_first - 'a' + 'A');
}

std::size_t LineMatcher::position(std::string_view line, std::size_t column) const
{
    const std::size_t length = m_text.size();
    if (m_never || line.empty() || column > line.size() || length > line.size())
        return kNoMatch;
    const std::size_t last = line.size() - length;
    for (std::size_t at = column; at <= last; ++at) {
        at = firstOfTwo(line.data(), at, last, m_first, m_firstUpper);
        if (at == kNone)
            return kNoMatch;
        if (matchesAt(line, at, m_text, m_matchCase) &&
            (!m_wholeWord || isWholeWord(line, at, length)))
            return at;
    }
    return kNoMatch;
}

std::optional<std::size_t> findInLine(std::string_view line, std::size_t column,
                                      const SearchOptions& options)
{
    return LineMatcher(options).find(line, column);
}

std::optional<std::size_t> LineMatcher::findBackward(std::string_view line,
                                                     std::optional<std::size_t> limit) const
{
    const std::size_t length = m_text.size();
    const std::size_t end = std::min(limit.value_or(line.size()), line.size());
    if (m_never || line.empty() || end < length)
        return std::nullopt;
    for (std::size_t at = end - length + 1; at-- > 0;) {
        if (matchesAt(line, at, m_text, m_matchCase) &&
            (!m_wholeWord || isWholeWord(line, at, length)))
            return at;
    }
    return std::nullopt;
}

std::optional<std::size_t> findInLineBackward(std::string_view line,
                                              std::optional<std::size_t> limit,
                                              const SearchOptions& options)
{
    return LineMatcher(options).findBackward(line, limit);
}

std::optional<TextPos> FindForward(const CLiDoc& doc, TextPos from, const SearchOptions& options)
{
    const LineMatcher matcher(options);
    for (std::size_t line = from.line; line < doc.lineCount(); ++line) {
        const std::size_t column = line == from.line ? from.column : 0;
        const std::size_t at = matcher.position(doc.lineText(line), column);
        if (at != LineMatcher::kNoMatch)
            return TextPos{line, at};
    }
    return std::nullopt;
}

std::optional<TextPos> FindForwardWrap(const CLiDoc& doc, TextPos from,
                                       const SearchOptions& options)
{
    if (const auto found = FindForward(doc, from, options))
        return found;
    return FindForward(doc, {0, 0}, options);
}

std::optional<TextPos> FindBackwardWrap(const CLiDoc& doc, TextPos from,
                                        const SearchOptions& options)
{
    const LineMatcher matcher(options);
    if (from.line < doc.lineCount()) {
        if (const auto at = matcher.findBackward(doc.lineText(from.line), from.column))
            return TextPos{from.line, *at};
    }
    for (std::size_t line = std::min(from.line, doc.lineCount()); line-- > 0;) {
        if (const auto at = matcher.findBackward(doc.lineText(line), std::nullopt))
            return TextPos{line, *at};
    }
    for (std::size_t line = doc.lineCount(); line-- > 0;) {
        if (const auto at = matcher.findBackward(doc.lineText(line), std::nullopt))
            return TextPos{line, *at};
    }
    return std::nullopt;
}

std::string notFoundText(std::string_view findText)
{
    std::string text = kNotFoundText;
    text.replace(text.find("%s"), 2, findText);
    return text;
}

std::string replacedText(std::size_t count)
{
    std::string text = kReplacedText;
    text.replace(text.find("%d"), 2, std::to_string(count));
    return text;
}

void SearchHistory::add(const std::string& text)
{
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), text), m_entries.end());
    if (m_cutBeforeAdding) {
        if (m_entries.size() > m_limit)
            m_entries.resize(m_limit);
        m_entries.push_front(text);
    } else {
        m_entries.push_front(text);
        if (m_entries.size() > m_limit)
            m_entries.resize(m_limit);
    }
}

void SearchState::takeSelection(const std::optional<std::string>& selection)
{
    if (!selection || selection->empty())
        return;
    const bool same = options.matchCase
                          ? *selection == options.text
                          : std::equal(selection->begin(), selection->end(), options.text.begin(),
                                       options.text.end(),
                                       [](char a, char b) { return lowered(a) == lowered(b); });
    if (same)
        return;
    options.text = *selection;
    options.wholeWord = false;
    options.matchCase = false;
}

void SearchState::takeWord(const std::string& word)
{
    options.text = word;
    options.wholeWord = false;
    options.matchCase = false;
    replaceMode = false;
}

void SearchState::storeFind(const std::string& text)
{
    options.text = text;
    options.wholeWord = findWholeWord;
    options.matchCase = findMatchCase;
    replaceMode = false;
    findHistory.add(text);
}

void SearchState::storeReplace(const std::string& text, const std::string& replacement)
{
    options.text = text;
    options.wholeWord = replaceWholeWord;
    options.matchCase = replaceMatchCase;
    replaceText = replacement;
    replaceFindHistory.add(text);
    if (!replacement.empty())
        replaceWithHistory.add(replacement);
}

std::optional<std::size_t> nextBookmark(const CLiDoc& doc, std::size_t line)
{
    const std::size_t count = doc.lineCount();
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t candidate = (line + step) % count;
        if (doc.line(candidate).hasFlag(LineFlag::Bookmark))
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::size_t> previousBookmark(const CLiDoc& doc, std::size_t line)
{
    const std::size_t count = doc.lineCount();
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t candidate = (line + count - step % count) % count;
        if (doc.line(candidate).hasFlag(LineFlag::Bookmark))
            return candidate;
    }
    return std::nullopt;
}

}  // namespace quillon
