#include "editor/EditCommands.h"

#include <algorithm>

#include "editor/CLiDoc.h"
#include "editor/NcLines.h"
#include "platform/FileBytes.h"
#include "platform/Notifier.h"
#include "platform/SystemError.h"

namespace quillon {

std::string joinClipboardText(const std::vector<std::string>& strings)
{
    std::string text;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += strings[i];
    }
    return text;
}

std::vector<std::string> splitClipboardText(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> strings(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            strings.emplace_back();
        } else {
            strings.back() += c;
        }
    }
    return strings;
}

LineSpan tabLineSpan(const CLiDoc& doc, const Selection& selection)
{
    LineSpan span;
    span.first = selection.start.line;
    TextPos end = selection.end;
    if (end.column != 0) {
        if (end.line + 1 < doc.lineCount())
            end = {end.line + 1, 0};
        else
            end.column = doc.lineLength(end.line);
    }
    span.last = end.line;
    span.includeLast = end.column != 0;
    span.after = {{span.first, 0}, end};
    return span;
}

EditGroup::EditGroup(CLiDoc& doc) : m_doc(doc)
{
    m_doc.BeginEditGroup(true);
}

EditGroup::~EditGroup()
{
    m_doc.EndEditGroup();
    m_doc.ClearRedo();
    m_doc.SettleCleanDepth();
}

std::optional<TextPos> insertFileAsText(CLiDoc& doc, const std::string& path,
                                        const std::optional<Selection>& selection, TextPos caret,
                                        Notifier& notifier)
{
    int error = 0;
    const auto bytes = readFileBytes(path, &error);
    if (!bytes) {
        notifier.error(fileErrorText(error, FileAction::Open, path));
        return std::nullopt;
    }
    const auto strings = splitNcLines(std::string_view(bytes->data.get(), bytes->size));
    EditGroup group(doc);
    if (selection) {
        doc.DeleteBlock(selection->start.line, selection->start.column, selection->end.line,
                        selection->end.column);
        caret = selection->start;
    }
    if (strings.size() == 1) {
        doc.InsertText(caret.line, caret.column, strings.front());
        return TextPos{caret.line, std::min(caret.column, doc.lineLength(caret.line)) +
                                       strings.front().size()};
    }
    return doc.InsertBlock(caret.line, caret.column, strings);
}

UtilityEdit::UtilityEdit(CLiDoc& doc, bool undoForUtilities)
    : m_doc(doc), m_recording(undoForUtilities)
{
    if (m_recording)
        m_doc.BeginEditGroup(true);
}

UtilityEdit::~UtilityEdit()
{
    if (m_recording) {
        m_doc.EndEditGroup();
        m_doc.ClearRedo();
        m_doc.SettleCleanDepth();
    } else {
        m_doc.ClearUndo();
        m_doc.ClearRedo();
    }
}

void UtilityEdit::insertText(std::size_t line, std::size_t column, std::string_view text)
{
    if (m_recording) {
        m_doc.InsertText(line, column, text);
        return;
    }
    std::string changed(m_doc.lineText(line));
    changed.insert(std::min(column, changed.size()), text);
    m_doc.setLineTextDirect(line, std::move(changed));
}

void UtilityEdit::deleteText(std::size_t line, std::size_t column, std::size_t count)
{
    if (m_recording) {
        m_doc.DeleteText(line, column, count);
        return;
    }
    std::string changed(m_doc.lineText(line));
    if (column < changed.size())
        changed.erase(column, count);
    m_doc.setLineTextDirect(line, std::move(changed));
}

void UtilityEdit::replaceLine(std::size_t line, std::string text)
{
    if (!m_recording) {
        m_doc.setLineTextDirect(line, std::move(text));
        return;
    }
    const std::string_view old = m_doc.lineText(line);
    if (old == text)
        return;
    // Only the part that differs is recorded, so the undo history stays small.
    std::size_t prefix = 0;
    while (prefix < old.size() && prefix < text.size() && old[prefix] == text[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < text.size() - prefix &&
           old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    const std::size_t removed = old.size() - prefix - suffix;
    if (removed > 0)
        m_doc.DeleteText(line, prefix, removed);
    const std::size_t added = text.size() - prefix - suffix;
    if (added > 0)
        m_doc.InsertText(line, prefix, std::string_view(text).substr(prefix, added));
}

void UtilityEdit::rewriteLines(std::size_t first, std::size_t last, const LineRewriter& rewrite)
{
    if (first >= m_doc.lineCount())
        return;
    last = std::min(last, m_doc.lineCount() - 1);
    const auto shortEnough = [&](std::size_t line, std::string_view text, std::string& newText) {
        if (text.size() >= kLineLimit || !rewrite(line, text, newText) || newText == text)
            return false;
        ++m_changed;
        return true;
    };
    if (m_recording) {
        m_doc.rewriteLines(first, last, shortEnough);
        return;
    }
    std::string newText;
    for (std::size_t line = first; line <= last; ++line) {
        newText.clear();
        if (shortEnough(line, m_doc.lineText(line), newText))
            m_doc.setLineTextDirect(line, std::move(newText));
    }
}

}  // namespace quillon
