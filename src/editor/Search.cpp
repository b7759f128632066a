#include "editor/Search.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "editor/CLiDoc.h"

namespace quillon {

namespace {

// Lower case as the C library gives it in the "C" locale: ASCII letters only.
const std::array<unsigned char, 256>& lowerTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> lower{};
        for (int c = 0; c < 256; ++c)
            lower[static_cast<std::size_t>(c)] =
                static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return lower;
    }();
    return table;
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

bool matchesAt(std::string_view line, std::size_t at, std::string_view text, bool matchCase)
{
    if (matchCase)
        return line.compare(at, text.size(), text) == 0;
    const auto& lower = lowerTable();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lower[static_cast<unsigned char>(line[at + i])] !=
            lower[static_cast<unsigned char>(text[i])])
            return false;
    }
    return true;
}

// The next place at or after `from` where the text stands, whole-word test aside.
std::optional<std::size_t> nextOccurrence(std::string_view line, std::size_t from,
                                          std::string_view text, bool matchCase)
{
    if (matchCase) {
        const auto at = line.find(text, from);
        return at == std::string_view::npos ? std::nullopt : std::optional<std::size_t>(at);
    }
    // The first character in either case found with memchr, the rest compared.
    const auto& lower = lowerTable();
    const char first = static_cast<char>(lower[static_cast<unsigned char>(text[0])]);
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(first)));
    const char* data = line.data();
    const std::size_t last = line.size() - text.size();
    for (std::size_t at = from; at <= last;) {
        const auto* a = static_cast<const char*>(std::memchr(data + at, first, last + 1 - at));
        const auto* b = first == upper ? nullptr
                                       : static_cast<const char*>(
                                             std::memchr(data + at, upper, last + 1 - at));
        const char* hit = a && b ? std::min(a, b) : (a ? a : b);
        if (!hit)
            return std::nullopt;
        at = static_cast<std::size_t>(hit - data);
        if (matchesAt(line, at, text, false))
            return at;
        ++at;
    }
    return std::nullopt;
}

bool searchable(std::string_view line, const SearchOptions& options)
{
    return !line.empty() && !options.text.empty() &&
           options.text.find('\n') == std::string::npos && options.text.size() <= line.size();
}

}  // namespace

std::optional<std::size_t> findInLine(std::string_view line, std::size_t column,
                                      const SearchOptions& options)
{
    if (!searchable(line, options) || column > line.size())
        return std::nullopt;
    const std::string_view text = options.text;
    for (std::size_t from = column; from + text.size() <= line.size();) {
        const auto at = nextOccurrence(line, from, text, options.matchCase);
        if (!at)
            return std::nullopt;
        if (!options.wholeWord || isWholeWord(line, *at, text.size()))
            return at;
        from = *at + 1;
    }
    return std::nullopt;
}

std::optional<std::size_t> findInLineBackward(std::string_view line,
                                              std::optional<std::size_t> limit,
                                              const SearchOptions& options)
{
    if (!searchable(line, options))
        return std::nullopt;
    const std::size_t end = std::min(limit.value_or(line.size()), line.size());
    if (end < options.text.size())
        return std::nullopt;
    for (std::size_t at = end - options.text.size() + 1; at-- > 0;) {
        if (matchesAt(line, at, options.text, options.matchCase) &&
            (!options.wholeWord || isWholeWord(line, at, options.text.size())))
            return at;
    }
    return std::nullopt;
}

std::optional<TextPos> FindForward(const CLiDoc& doc, TextPos from, const SearchOptions& options)
{
    for (std::size_t line = from.line; line < doc.lineCount(); ++line) {
        const std::size_t column = line == from.line ? from.column : 0;
        if (const auto at = findInLine(doc.lineText(line), column, options))
            return TextPos{line, *at};
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
    if (from.line < doc.lineCount()) {
        if (const auto at = findInLineBackward(doc.lineText(from.line), from.column, options))
            return TextPos{from.line, *at};
    }
    for (std::size_t line = std::min(from.line, doc.lineCount()); line-- > 0;) {
        if (const auto at = findInLineBackward(doc.lineText(line), std::nullopt, options))
            return TextPos{line, *at};
    }
    for (std::size_t line = doc.lineCount(); line-- > 0;) {
        if (const auto at = findInLineBackward(doc.lineText(line), std::nullopt, options))
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
                          : selection->size() == options.text.size() &&
                                matchesAt(*selection, 0, options.text, false);
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
