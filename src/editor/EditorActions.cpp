#include "editor/EditorActions.h"

#include <algorithm>

#include "editor/CLiDoc.h"
#include "nc/CharacterClasses.h"

namespace quillon {

namespace {

// Inserts the strings at the position; the end of the inserted text.
TextPos insertStrings(CLiDoc& doc, TextPos at, const std::vector<std::string>& strings)
{
    if (strings.size() == 1) {
        const std::size_t column = std::min(at.column, doc.lineLength(at.line));
        doc.InsertText(at.line, column, strings.front());
        return {at.line, column + strings.front().size()};
    }
    return doc.InsertBlock(at.line, at.column, strings);
}

// Where a position ends up once the range [from, to) is removed.
TextPos shiftedForRemoval(TextPos position, const Selection& removed)
{
    if (position <= removed.start)
        return position;
    if (position.line == removed.end.line)
        return {removed.start.line, removed.start.column + (position.column - removed.end.column)};
    return {position.line - (removed.end.line - removed.start.line), position.column};
}

// After Tab or Shift+Tab over lines: they stay selected, the caret at their start.
void selectProcessedLines(const CLiDoc& doc, CaretState& state, const LineSpan& span)
{
    const TextPos end = span.after.end;
    state.anchor = {end.line, span.includeLast ? doc.lineLength(end.line) : end.column};
    state.caret = span.after.start;
    state.selecting = true;
}

}  // namespace

std::optional<Selection> CaretState::selection() const
{
    if (!selecting || caret == anchor)
        return std::nullopt;
    return Selection{std::min(caret, anchor), std::max(caret, anchor)};
}

void CaretState::moveTo(TextPos position)
{
    caret = position;
    anchor = position;
    selecting = false;
}

void CaretState::extendTo(TextPos position)
{
    if (!selecting) {
        anchor = caret;
        selecting = true;
    }
    caret = position;
}

void removeSelection(CLiDoc& doc, CaretState& state)
{
    const auto selection = state.selection();
    if (!selection) {
        state.drop();
        return;
    }
    doc.DeleteBlock(selection->start.line, selection->start.column, selection->end.line,
                    selection->end.column);
    state.moveTo(selection->start);
}

void typeCharacter(CLiDoc& doc, CaretState& state, char ch, bool overwrite)
{
    EditGroup group(doc);
    const bool hadSelection = state.hasSelection();
    removeSelection(doc, state);
    const TextPos at = state.caret;
    if (overwrite && !hadSelection && at.column < doc.lineLength(at.line))
        doc.DeleteChar(at.line, at.column);
    doc.InsertChar(at.line, at.column, ch);
    state.moveTo({at.line, at.column + 1});
}

void enterKey(CLiDoc& doc, CaretState& state, bool overwrite)
{
    EditGroup group(doc);
    removeSelection(doc, state);
    const TextPos at = state.caret;
    const bool lastLine = at.line + 1 == doc.lineCount();
    if (!overwrite || lastLine)
        doc.SplitLine(at.line, at.column);
    state.moveTo({std::min(at.line + 1, doc.lineCount() - 1), 0});
}

void backspaceKey(CLiDoc& doc, CaretState& state)
{
    EditGroup group(doc);
    if (state.hasSelection()) {
        removeSelection(doc, state);
        return;
    }
    const TextPos at = state.caret;
    if (at.column == 0) {
        if (at.line == 0)
            return;
        const std::size_t join = doc.lineLength(at.line - 1);
        doc.JoinLines(at.line - 1, join);
        state.moveTo({at.line - 1, join});
        return;
    }
    doc.DeleteChar(at.line, at.column - 1);
    state.moveTo({at.line, at.column - 1});
}

void deleteKey(CLiDoc& doc, CaretState& state)
{
    EditGroup group(doc);
    if (state.hasSelection()) {
        removeSelection(doc, state);
        return;
    }
    const TextPos at = state.caret;
    if (at.column < doc.lineLength(at.line))
        doc.DeleteChar(at.line, at.column);
    else if (at.line + 1 < doc.lineCount())
        doc.JoinLines(at.line, at.column);
    state.moveTo(at);
}

void tabKey(CLiDoc& doc, CaretState& state)
{
    EditGroup group(doc);
    const auto selection = state.selection();
    if (selection && selection->start.line != selection->end.line) {
        const LineSpan span = tabLineSpan(doc, *selection);
        doc.IndentLines(span.first, span.last, span.includeLast);
        // The processed lines stay selected, with the caret at the start.
        selectProcessedLines(doc, state, span);
        return;
    }
    removeSelection(doc, state);
    doc.InsertChar(state.caret.line, state.caret.column, '\t');
    state.moveTo({state.caret.line, state.caret.column + 1});
}

void shiftTabKey(CLiDoc& doc, CaretState& state, int tabWidth)
{
    const auto selection = state.selection();
    if (selection && selection->start.line != selection->end.line) {
        EditGroup group(doc);
        const LineSpan span = tabLineSpan(doc, *selection);
        doc.UnindentLines(span.first, span.last, span.includeLast,
                          static_cast<std::size_t>(tabWidth));
        selectProcessedLines(doc, state, span);
        return;
    }
    // Only the caret moves: back to the previous tab stop, never before the line start.
    const std::string_view text = doc.lineText(state.caret.line);
    const std::size_t screen = screenColumn(text, state.caret.column, tabWidth);
    const auto width = static_cast<std::size_t>(std::max(tabWidth, 1));
    const std::size_t stop = screen == 0 ? 0 : ((screen - 1) / width) * width;
    state.moveTo({state.caret.line, byteColumnAtScreen(text, stop, tabWidth)});
}

std::string copyText(const CLiDoc& doc, const CaretState& state)
{
    if (const auto selection = state.selection())
        return joinClipboardText(doc.GetBlock(selection->start.line, selection->start.column,
                                              selection->end.line, selection->end.column));
    return joinClipboardText({std::string(doc.lineText(state.caret.line)), ""});
}

std::string cutText(CLiDoc& doc, CaretState& state)
{
    std::string text = copyText(doc, state);
    EditGroup group(doc);
    if (state.hasSelection()) {
        removeSelection(doc, state);
        return text;
    }
    const std::size_t line = state.caret.line;
    if (line + 1 < doc.lineCount())
        doc.DeleteBlock(line, 0, line + 1, 0);
    else
        doc.DeleteText(line, 0, doc.lineLength(line));
    state.moveTo({std::min(line, doc.lineCount() - 1), 0});
    return text;
}

void pasteText(CLiDoc& doc, CaretState& state, std::string_view text)
{
    EditGroup group(doc);
    removeSelection(doc, state);
    if (text.empty())
        return;
    state.moveTo(insertStrings(doc, state.caret, splitClipboardText(text)));
}

void selectAll(const CLiDoc& doc, CaretState& state)
{
    state.caret = {0, 0};
    state.anchor = doc.endPosition();
    state.selecting = !(doc.lineCount() == 1 && doc.lineLength(0) == 0);
}

void dropMoveWithinView(CLiDoc& doc, CaretState& state, TextPos drop)
{
    const auto source = state.selection();
    if (!source || (drop >= source->start && drop <= source->end)) {
        state.moveTo(drop);
        return;
    }
    EditGroup group(doc);
    const auto strings = doc.GetBlock(source->start.line, source->start.column, source->end.line,
                                      source->end.column);
    doc.DeleteBlock(source->start.line, source->start.column, source->end.line,
                    source->end.column);
    const TextPos at = shiftedForRemoval(drop, *source);
    const TextPos end = insertStrings(doc, at, strings);
    state.anchor = at;
    state.caret = end;
    state.selecting = true;
}

void dropText(CLiDoc& doc, CaretState& state, TextPos drop, std::string_view text)
{
    EditGroup group(doc);
    const TextPos end = insertStrings(doc, drop, splitClipboardText(text));
    state.anchor = drop;
    state.caret = end;
    state.selecting = true;
}

namespace {

// The matches from `from` on (up to `to`, when given, which a match must not run past;
// the first match beyond it ends the search), replaced left to right in one pass over
// each line: the text after a replacement is searched, never the replacement itself.
// Returns the number replaced and how much the line of `to` grew.
std::pair<std::size_t, long long> replaceMatches(CLiDoc& doc, TextPos from,
                                                 std::optional<TextPos> to,
                                                 const SearchOptions& options,
                                                 std::string_view replacement)
{
    std::size_t count = 0;
    long long lastLineGrowth = 0;
    const std::size_t lastLine = to ? to->line : doc.lineCount() - 1;
    const std::size_t findLength = options.text.size();
    const long long growth =
        static_cast<long long>(replacement.size()) - static_cast<long long>(findLength);
    const LineMatcher matcher(options);
    doc.rewriteLines(from.line, lastLine,
                     [&](std::size_t line, std::string_view text, std::string& result) {
                         std::size_t column = line == from.line ? from.column : 0;
                         std::size_t copied = 0;
                         for (std::size_t at = matcher.position(text, column);
                              at != LineMatcher::kNoMatch; at = matcher.position(text, column)) {
                             if (to && line == to->line && at + findLength > to->column)
                                 break;
                             result.append(text.substr(copied, at - copied));
                             result.append(replacement);
                             copied = column = at + findLength;
                             ++count;
                             if (to && line == to->line)
                                 lastLineGrowth += growth;
                         }
                         if (copied == 0)
                             return false;
                         result.append(text.substr(copied));
                         return true;
                     });
    return {count, lastLineGrowth};
}

}  // namespace

void replaceSelection(CLiDoc& doc, CaretState& state, std::string_view replacement)
{
    EditGroup group(doc);
    removeSelection(doc, state);
    const TextPos at = state.caret;
    doc.InsertText(at.line, at.column, replacement);
    state.moveTo({at.line, at.column + replacement.size()});
}

std::size_t replaceAllInSelection(CLiDoc& doc, CaretState& state, const SearchOptions& options,
                                  std::string_view replacement)
{
    EditGroup group(doc);
    const auto selection = state.selection();
    if (!selection || selection->start.line == selection->end.line)
        return 0;
    const auto [count, growth] =
        replaceMatches(doc, selection->start, selection->end, options, replacement);
    TextPos end = selection->end;
    end.column = static_cast<std::size_t>(static_cast<long long>(end.column) + growth);
    state.anchor = selection->start;
    state.caret = end;
    state.selecting = true;
    return count;
}

std::size_t replaceAllInFile(CLiDoc& doc, CaretState& state, const SearchOptions& options,
                             std::string_view replacement)
{
    EditGroup group(doc);
    const std::size_t count =
        replaceMatches(doc, {0, 0}, std::nullopt, options, replacement).first;
    state.moveTo({std::min(state.caret.line, doc.lineCount() - 1), 0});
    return count;
}

namespace {

void selectMatch(CaretState& state, TextPos match, std::size_t length)
{
    state.anchor = {match.line, match.column + length};
    state.caret = match;
    state.selecting = true;
}

}  // namespace

bool searchNext(const CLiDoc& doc, CaretState& state, const SearchOptions& options)
{
    const auto selection = state.selection();
    const auto match = FindForwardWrap(doc, selection ? selection->end : state.caret, options);
    if (match)
        selectMatch(state, *match, options.text.size());
    return match.has_value();
}

bool searchPrevious(const CLiDoc& doc, CaretState& state, const SearchOptions& options)
{
    const auto selection = state.selection();
    const auto match = FindBackwardWrap(doc, selection ? selection->start : state.caret, options);
    if (match)
        selectMatch(state, *match, options.text.size());
    return match.has_value();
}

std::optional<std::string> selectionInLine(const CLiDoc& doc, const CaretState& state)
{
    const auto selection = state.selection();
    if (!selection || selection->start.line != selection->end.line)
        return std::nullopt;
    return std::string(
        doc.lineText(selection->start.line)
            .substr(selection->start.column, selection->end.column - selection->start.column));
}

std::string findTextAtCaret(const CLiDoc& doc, const CaretState& state)
{
    if (auto selected = selectionInLine(doc, state))
        return std::move(*selected);
    const std::string_view text = doc.lineText(state.caret.line);
    const auto [first, last] = wordAt(text, state.caret.column);
    return std::string(text.substr(first, last - first));
}

std::size_t nextWordStart(std::string_view text, std::size_t column)
{
    if (column >= text.size())
        return text.size();
    const bool blank = isWhiteSpace(text[column]);
    while (column < text.size() && isWhiteSpace(text[column]) == blank)
        ++column;
    while (column < text.size() && isWhiteSpace(text[column]))
        ++column;
    return column;
}

std::size_t previousWordStart(std::string_view text, std::size_t column)
{
    column = std::min(column, text.size());
    while (column > 0 && isWhiteSpace(text[column - 1]))
        --column;
    while (column > 0 && !isWhiteSpace(text[column - 1]))
        --column;
    return column;
}

std::pair<std::size_t, std::size_t> wordAt(std::string_view text, std::size_t column)
{
    if (text.empty())
        return {0, 0};
    column = std::min(column, text.size() - 1);
    const bool blank = isWhiteSpace(text[column]);
    std::size_t first = column;
    while (first > 0 && isWhiteSpace(text[first - 1]) == blank)
        --first;
    std::size_t last = column;
    while (last < text.size() && isWhiteSpace(text[last]) == blank)
        ++last;
    return {first, last};
}

std::size_t screenColumn(std::string_view text, std::size_t column, int tabWidth)
{
    const auto width = static_cast<std::size_t>(std::max(tabWidth, 1));
    std::size_t screen = 0;
    for (std::size_t i = 0; i < column && i < text.size(); ++i)
        screen = text[i] == '\t' ? (screen / width + 1) * width : screen + 1;
    return screen;
}

std::size_t byteColumnAtScreen(std::string_view text, std::size_t screen, int tabWidth)
{
    const auto width = static_cast<std::size_t>(std::max(tabWidth, 1));
    std::size_t at = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t next = text[i] == '\t' ? (at / width + 1) * width : at + 1;
        if (next > screen)
            return i;
        at = next;
    }
    return text.size();
}

}  // namespace quillon
