// Searching a document: matching within a line (case and whole-word rules), the three
// document searches, the search state shared by all views with its histories, and the
// bookmark walk.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "editor/TextPos.h"

namespace quillon {

class CLiDoc;

struct SearchOptions {
    std::string text;
    bool matchCase = false;
    bool wholeWord = false;  // the match must not touch a letter, a digit or "_"
};

// The options made ready for matching many lines.
class LineMatcher {
public:
    explicit LineMatcher(const SearchOptions& options);
    // The first match at or after the column; nothing for an empty line or find text, a
    // column beyond the line end, or a find text holding a line end.
    std::optional<std::size_t> find(std::string_view line, std::size_t column) const
    {
        const std::size_t at = position(line, column);
        return at == kNoMatch ? std::nullopt : std::optional<std::size_t>(at);
    }
    // The same as a plain number, kNoMatch for none: for loops over every line of a file.
    static constexpr std::size_t kNoMatch = std::string_view::npos;
    std::size_t position(std::string_view line, std::size_t column) const;
    // The last match that ends at or before the limit (the line end when there is none).
    std::optional<std::size_t> findBackward(std::string_view line,
                                            std::optional<std::size_t> limit) const;
    std::size_t length() const { return m_text.size(); }

private:
    std::string m_text;  // lower case unless matching case
    bool m_matchCase;
    bool m_wholeWord;
    bool m_never;  // an empty text or one with a line end
    char m_first;  // the first character, in both cases when they differ
    char m_firstUpper;
};

std::optional<std::size_t> findInLine(std::string_view line, std::size_t column,
                                      const SearchOptions& options);
// The last match that ends at or before the limit (the line end when there is none).
std::optional<std::size_t> findInLineBackward(std::string_view line,
                                              std::optional<std::size_t> limit,
                                              const SearchOptions& options);

// From the position: the rest of its line, then every following line.
std::optional<TextPos> FindForward(const CLiDoc& doc, TextPos from, const SearchOptions& options);
// As FindForward, then once more from the first line to the end.
std::optional<TextPos> FindForwardWrap(const CLiDoc& doc, TextPos from,
                                       const SearchOptions& options);
// The position's line before its column, then every previous line, then from the last
// line back to the first.
std::optional<TextPos> FindBackwardWrap(const CLiDoc& doc, TextPos from,
                                        const SearchOptions& options);

inline constexpr char kNotFoundText[] = "String '%s' is not founf.";
inline constexpr char kReplacedText[] = "%d occurrence(s) have been replaced.";
std::string notFoundText(std::string_view findText);
std::string replacedText(std::size_t count);

// A drop-down history: the newest first; a string entered again moves to the top.
class SearchHistory {
public:
    // limit: entries kept; cutBeforeAdding: the list is cut to the limit before a new
    // entry goes on top, so it may hold one more (the Replace dialog's lists do that).
    explicit SearchHistory(std::size_t limit, bool cutBeforeAdding = false)
        : m_limit(limit), m_cutBeforeAdding(cutBeforeAdding)
    {
    }
    void add(const std::string& text);
    const std::deque<std::string>& entries() const { return m_entries; }

private:
    std::size_t m_limit;
    bool m_cutBeforeAdding;
    std::deque<std::string> m_entries;
};

// What every editor view searches with: the last texts and options and the dialogs'
// remembered choices.
struct SearchState {
    SearchOptions options;
    std::string replaceText;
    bool replaceMode = false;  // each find asks whether to replace

    // The Find dialog's choices.
    bool findWholeWord = false;
    bool findMatchCase = false;
    bool findUp = false;
    SearchHistory findHistory{30};

    // The Replace dialog's choices.
    bool replaceWholeWord = false;
    bool replaceMatchCase = false;
    bool replaceInSelection = false;
    SearchHistory replaceFindHistory{30, true};
    SearchHistory replaceWithHistory{30, true};

    // Find Next and Find Prev (F3, Shift+F3): a selection within one line that differs
    // from the find text (in case only when match case is on) becomes the find text, with
    // whole word and match case off.
    void takeSelection(const std::optional<std::string>& selection);
    // The matching-text commands (Ctrl+F3, Ctrl+Shift+F3): the text becomes the find text,
    // both options and replace mode off.
    void takeWord(const std::string& word);
    // The Find dialog's Find Next: its text and options, replace mode off.
    void storeFind(const std::string& text);
    // The Replace dialog's buttons: its texts and options, into the histories too.
    void storeReplace(const std::string& text, const std::string& replacement);
};

// The next (previous) bookmarked line after (before) the line, going round the end of the
// document; the line itself when it is the only one; nothing without bookmarks.
std::optional<std::size_t> nextBookmark(const CLiDoc& doc, std::size_t line);
std::optional<std::size_t> previousBookmark(const CLiDoc& doc, std::size_t line);

}  // namespace quillon
