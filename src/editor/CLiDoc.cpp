#include "editor/CLiDoc.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace quillon {

namespace {

// The column limit the "Too long line!" warning quotes.
constexpr std::size_t kTooLongQuoted = kMaxColouredLine + 1;

std::string upper(std::string_view text)
{
    std::string result(text);
    for (auto& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string replacePercentS(std::string_view pattern, std::string_view value)
{
    std::string text(pattern);
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

}  // namespace

bool hasRefusedExtension(std::string_view path)
{
    const std::string_view name = paths::fileName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string extension = upper(name.substr(dot));
    return extension == ".COM" || extension == ".EXE" || extension == ".DLL";
}

std::string tooLongLineText()
{
    return "Too long line!\n\nThis file contains more than " + std::to_string(kTooLongQuoted) +
           " characters in a line.\nYou may lose original contents if you save this filet.";
}

CLiDoc::CLiDoc()
{
    newDocument();
}

// ---- Life cycle --------------------------------------------------------------------

void CLiDoc::resetHistory()
{
    cleanUndoDepth = 0;
    ClearUndo();
    ClearRedo();
    recordIntoUndo = true;
    groupOpCount = 0;
    m_depthAtGroupStart = 0;
    m_expanded = false;
}

void CLiDoc::newDocument()
{
    m_lines.reset();
    m_path.clear();
    m_fileStamp.reset();
    resetHistory();
    setModified(false);
    notifyReset();
}

bool CLiDoc::loadFile(const std::string& path, Notifier& notifier)
{
    int error = 0;
    // The lines are cut as the file is read, each piece while it is still in the cache.
    LineStore::Loader loader;
    auto bytes = readFileBytes(
        path, &error, [&loader](const char* data, std::size_t size) { loader.take(data, size); });
    if (!bytes) {
        notifier.error(fileErrorText(error, FileAction::Open, path));
        return false;
    }
    if (!m_lines.load(loader, std::move(bytes->data), bytes->size)) {
        notifier.error("Failed to open document.\n\"" + path + "\" holds a line of 4 GB.");
        return false;
    }
    m_fileStamp = fileStamp(path);
    resetHistory();
    setModified(false);
    notifyReset();
    return true;
}

bool CLiDoc::open(const std::string& path, Notifier& notifier)
{
    if (hasRefusedExtension(path)) {
        notifier.message(kRefusedExtensionText);
        return false;
    }
    if (!loadFile(path, notifier))
        return false;
    m_path = path;
    return true;
}

bool CLiDoc::reload(Notifier& notifier)
{
    return !m_path.empty() && loadFile(m_path, notifier);
}

void CLiDoc::warnIfTooLong(Notifier& notifier) const
{
    if (anyLineTooLong())
        notifier.information(tooLongLineText());
}

bool CLiDoc::canSaveInPlace() const
{
    if (m_path.empty())
        return false;
    const auto attributes = fileAttributes(m_path);
    return attributes && !attributes->readOnly && !attributes->isDirectory;
}

bool CLiDoc::save(const std::string& path, Notifier& notifier)
{
    int error = 0;
    const auto attributes = fileAttributes(path, &error);
    if (!attributes && error != ENOENT && !notifier.askYesNo("Invalid file attribute. Continue?"))
        return false;
    if (attributes && (attributes->isDirectory || attributes->readOnly)) {
        notifier.error("Failed to save file.\n\"" + path + "\"\n- (directory or read only file?)");
        return false;
    }

    AtomicFileWriter writer(path);
    writeText([&writer](std::string_view piece) { return writer.write(piece); });
    if (!writer.commit()) {
        notifier.error(fileErrorText(writer.errorCode(), FileAction::Save, path));
        return false;
    }
    m_path = path;
    m_fileStamp = fileStamp(path);
    cleanUndoDepth = static_cast<std::int64_t>(undoDepth());
    recordIntoUndo = true;
    groupOpCount = 0;
    setModified(false);
    return true;
}

bool CLiDoc::changedOnDisk() const
{
    if (m_path.empty())
        return false;
    const auto stamp = fileStamp(m_path);
    if (!stamp)
        return false;
    return !m_fileStamp || stamp->modifiedNanoseconds != m_fileStamp->modifiedNanoseconds;
}

std::string CLiDoc::changedOnDiskQuestion() const
{
    return replacePercentS(kChangedOnDiskQuestion, m_path);
}

DiskCheck CLiDoc::checkDiskVersion(Notifier& notifier)
{
    if (!changedOnDisk())
        return DiskCheck::Unchanged;
    if (notifier.askYesNo(changedOnDiskQuestion()) && reload(notifier)) {
        warnIfTooLong(notifier);
        return DiskCheck::Reloaded;
    }
    acceptDiskVersion();
    return DiskCheck::Kept;
}

void CLiDoc::acceptDiskVersion()
{
    if (!m_path.empty())
        m_fileStamp = fileStamp(m_path);
}

void CLiDoc::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    for (auto* observer : m_observers)
        observer->modifiedChanged(modified);
}

// ---- Reading -----------------------------------------------------------------------

TextPos CLiDoc::endPosition() const
{
    const std::size_t last = lineCount() - 1;
    return {last, lineLength(last)};
}

std::string_view CLiDoc::GetText(std::size_t line, std::size_t column, std::size_t count) const
{
    if (line >= lineCount())
        return {};
    const std::string_view text = lineText(line);
    if (column >= text.size())
        return {};
    return text.substr(column, count);
}

std::vector<std::string> CLiDoc::GetBlock(std::size_t line1, std::size_t col1, std::size_t line2,
                                          std::size_t col2) const
{
    if (line2 >= lineCount() || line1 > line2)
        return {};
    if (line1 == line2) {
        const std::size_t end = std::max(col1, col2);
        return {std::string(GetText(line1, col1, end - col1))};
    }
    std::vector<std::string> block;
    block.reserve(line2 - line1 + 1);
    block.emplace_back(GetText(line1, col1, std::string_view::npos));
    for (std::size_t line = line1 + 1; line < line2; ++line)
        block.emplace_back(lineText(line));
    block.emplace_back(GetText(line2, 0, col2));
    return block;
}

// ---- Primitive edits -----------------------------------------------------------------
//
// Columns beyond a line's end are taken as its end and edits of lines that do not exist
// do nothing, so that a stale position from a view can never corrupt the text.

void CLiDoc::record(UndoRecord entry)
{
    (recordIntoUndo ? undoStack : redoStack).push(std::move(entry));
    touched();
}

void CLiDoc::touched()
{
    ++groupOpCount;
    setModified(true);
}

void CLiDoc::InsertChar(std::size_t line, std::size_t column, char ch)
{
    if (line >= lineCount())
        return;
    column = std::min(column, lineLength(line));
    m_lines.modify(line, [&](std::string& text) { text.insert(column, 1, ch); });
    record(UndoRecord::at(UndoKind::InsertChar, {line, column}));
    notifyChanged(line, line);
}

void CLiDoc::DeleteChar(std::size_t line, std::size_t column)
{
    if (line >= lineCount())
        return;
    if (column >= lineLength(line))
        return;
    const char deleted = lineText(line)[column];
    m_lines.modify(line, [&](std::string& text) { text.erase(column, 1); });
    UndoRecord entry = UndoRecord::at(UndoKind::DeleteChar, {line, column});
    entry.character = deleted;
    record(std::move(entry));
    notifyChanged(line, line);
}

void CLiDoc::InsertText(std::size_t line, std::size_t column, std::string_view text)
{
    // Empty text changes nothing and records nothing (see InsertBlock).
    if (line >= lineCount() || text.empty())
        return;
    column = std::min(column, lineLength(line));
    m_lines.modify(line, [&](std::string& current) { current.insert(column, text); });
    UndoRecord entry = UndoRecord::at(UndoKind::InsertText, {line, column});
    entry.length = text.size();
    record(std::move(entry));
    notifyChanged(line, line);
}

void CLiDoc::DeleteText(std::size_t line, std::size_t column, std::size_t count)
{
    if (line >= lineCount())
        return;
    const std::size_t length = lineLength(line);
    if (column >= length || count == 0)
        return;
    count = std::min(count, length - column);
    UndoRecord entry = UndoRecord::at(UndoKind::DeleteText, {line, column});
    entry.text = std::string(lineText(line).substr(column, count));
    m_lines.modify(line, [&](std::string& text) { text.erase(column, count); });
    record(std::move(entry));
    notifyChanged(line, line);
}

TextPos CLiDoc::InsertBlock(std::size_t line, std::size_t column,
                            const std::vector<std::string>& strings)
{
    if (line >= lineCount())
        return endPosition();
    column = std::min(column, lineLength(line));
    TextPos end{line, column};
    // Nothing inserted is nothing to undo: a step that changes nothing would have an
    // inverse that records nothing, and the redo stack would lose its place.
    if (strings.empty() || (strings.size() == 1 && strings[0].empty()))
        return end;
    if (strings.size() == 1) {
        m_lines.modify(line, [&](std::string& text) { text.insert(column, strings[0]); });
        end.column = column + strings[0].size();
        notifyChanged(line, line);
    } else {
        std::string tail(lineText(line).substr(column));
        m_lines.modify(line, [&](std::string& text) {
            text.resize(column);
            text += strings.front();
        });
        std::vector<std::string> added(strings.begin() + 1, strings.end());
        added.back() += tail;
        m_lines.insertLines(line + 1, std::move(added));
        end = {line + strings.size() - 1, strings.back().size()};
        notifyChanged(line, line);
        notifyInserted(line + 1, strings.size() - 1);
    }
    UndoRecord entry = UndoRecord::at(UndoKind::InsertBlock, {line, column});
    entry.end = end;
    record(std::move(entry));
    return end;
}

void CLiDoc::DeleteBlock(std::size_t line1, std::size_t col1, std::size_t line2, std::size_t col2)
{
    if (line2 >= lineCount() || line1 > line2)
        return;
    col1 = std::min(col1, lineLength(line1));
    col2 = std::min(col2, lineLength(line2));
    if (line1 == line2 && col1 >= col2)
        return;
    UndoRecord entry = UndoRecord::at(UndoKind::DeleteBlock, {line1, col1});
    entry.block = GetBlock(line1, col1, line2, col2);
    if (line1 == line2) {
        m_lines.modify(line1, [&](std::string& text) { text.erase(col1, col2 - col1); });
        notifyChanged(line1, line1);
    } else {
        const std::string tail(lineText(line2).substr(col2));
        m_lines.modify(line1, [&](std::string& text) {
            text.resize(col1);
            text += tail;
        });
        m_lines.eraseLines(line1 + 1, line2 - line1);
        notifyChanged(line1, line1);
        notifyRemoved(line1 + 1, line2 - line1);
    }
    record(std::move(entry));
}

void CLiDoc::SplitLine(std::size_t line, std::size_t column)
{
    if (line >= lineCount())
        return;
    column = std::min(column, lineLength(line));
    std::string tail(lineText(line).substr(column));
    m_lines.modify(line, [&](std::string& text) { text.resize(column); });
    m_lines.insertLine(line + 1, std::move(tail));
    record(UndoRecord::at(UndoKind::SplitLine, {line, column}));
    notifyChanged(line, line);
    notifyInserted(line + 1, 1);
}

void CLiDoc::JoinLines(std::size_t line, std::size_t /*column*/)
{
    if (line + 1 >= lineCount())
        return;
    // The record holds the true join column whatever the caller passed.
    const std::size_t column = lineLength(line);
    const std::string next(lineText(line + 1));
    m_lines.modify(line, [&](std::string& text) { text += next; });
    m_lines.eraseLines(line + 1, 1);
    record(UndoRecord::at(UndoKind::JoinLines, {line, column}));
    notifyChanged(line, line);
    notifyRemoved(line + 1, 1);
}

void CLiDoc::IndentLines(std::size_t first, std::size_t last, bool includeLast)
{
    for (std::size_t line = first; line <= last && line < lineCount(); ++line) {
        if (line < last || includeLast)
            InsertChar(line, 0, '\t');
    }
}

void CLiDoc::UnindentLines(std::size_t first, std::size_t last, bool includeLast,
                           std::size_t width)
{
    for (std::size_t line = first; line <= last && line < lineCount(); ++line) {
        if (line == last && !includeLast)
            break;
        const std::string_view text = lineText(line);
        std::size_t spaces = 0;
        while (spaces < text.size() && spaces < width && text[spaces] == ' ')
            ++spaces;
        if (spaces > 0)
            DeleteText(line, 0, spaces);
        else if (!text.empty() && text.front() == '\t')
            DeleteChar(line, 0);
    }
}

void CLiDoc::rewriteLines(std::size_t first, std::size_t last, const LineRewriter& rewrite)
{
    if (first >= lineCount())
        return;
    last = std::min(last, lineCount() - 1);
    UndoRecord entry = UndoRecord::at(UndoKind::RewriteLines, {first, 0});
    // Room for every line up front: untouched room costs no memory, and the list never
    // moves while it grows. What a sparse rewrite leaves unused is given back after.
    entry.savedLines.reserve(last - first + 1);
    std::string newText;
    for (std::size_t line = first; line <= last; ++line) {
        newText.clear();
        if (rewrite(line, m_lines.text(line), newText))
            entry.savedLines.add(line, m_lines.rewriteLine(line, newText));
    }
    if (entry.savedLines.empty())
        return;
    entry.savedLines.trim();
    entry.position.line = entry.savedLines.firstLine();
    notifyRewritten(entry.savedLines);
    record(std::move(entry));
}

void CLiDoc::setLineTextDirect(std::size_t line, std::string text)
{
    if (line >= lineCount())
        return;
    m_lines.setText(line, std::move(text));
    cleanUndoDepth = -1;
    setModified(true);
    notifyChanged(line, line);
}

// ---- Marks ---------------------------------------------------------------------------

std::size_t CLiDoc::setLineFlag(std::size_t line, std::uint16_t flag, bool on)
{
    if (line >= lineCount())
        return line;
    const std::uint16_t flags = m_lines.flags(line);
    m_lines.setFlags(line, on ? static_cast<std::uint16_t>(flags | flag)
                              : static_cast<std::uint16_t>(flags & ~flag));
    for (auto* observer : m_observers)
        observer->flagsChanged(line);
    return line;
}

std::size_t CLiDoc::ToggleBookmark(std::size_t line)
{
    if (line >= lineCount())
        return line;
    return setLineFlag(line, LineFlag::Bookmark, !m_lines.line(line).hasFlag(LineFlag::Bookmark));
}

std::size_t CLiDoc::SetBookmark(std::size_t line)
{
    return setLineFlag(line, LineFlag::Bookmark, true);
}

// ---- Groups, undo and redo -----------------------------------------------------------

void CLiDoc::BeginEditGroup(bool intoUndo)
{
    groupOpCount = 0;
    recordIntoUndo = intoUndo;
    m_depthAtGroupStart = undoDepth();
}

void CLiDoc::EndEditGroup()
{
    if (groupOpCount > 0)
        (recordIntoUndo ? undoStack : redoStack).pushGroup(groupOpCount);
}

void CLiDoc::SettleCleanDepth()
{
    if (cleanUndoDepth >= 0 && static_cast<std::int64_t>(m_depthAtGroupStart) < cleanUndoDepth)
        cleanUndoDepth = -1;
}

std::optional<std::size_t> CLiDoc::cleanDepth() const
{
    if (cleanUndoDepth < 0)
        return std::nullopt;
    return static_cast<std::size_t>(cleanUndoDepth);
}

std::optional<TextPos> CLiDoc::replay(UndoStack& from, bool intoUndo)
{
    if (from.empty())
        return std::nullopt;
    BeginEditGroup(intoUndo);
    TextPos position;
    for (std::size_t records = from.popGroup(); records > 0; --records) {
        UndoRecord entry = from.pop();
        const TextPos at = entry.position;
        position = at;
        switch (entry.kind) {
        case UndoKind::InsertChar:
            DeleteChar(at.line, at.column);
            break;
        case UndoKind::DeleteChar:
            InsertChar(at.line, at.column, entry.character);
            position.column += 1;
            break;
        case UndoKind::InsertText:
            DeleteText(at.line, at.column, entry.length);
            break;
        case UndoKind::DeleteText:
            InsertText(at.line, at.column, entry.text);
            position.column += entry.text.size();
            break;
        case UndoKind::InsertBlock:
            DeleteBlock(at.line, at.column, entry.end.line, entry.end.column);
            break;
        case UndoKind::DeleteBlock:
            position = InsertBlock(at.line, at.column, entry.block);
            break;
        case UndoKind::SplitLine:
            JoinLines(at.line, at.column);
            break;
        case UndoKind::JoinLines:
            SplitLine(at.line, at.column);
            break;
        case UndoKind::RewriteLines: {
            UndoRecord back = UndoRecord::at(UndoKind::RewriteLines, at);
            back.savedLines = m_lines.restoreLines(entry.savedLines);
            notifyRewritten(back.savedLines);
            record(std::move(back));
            position = {at.line, 0};
            break;
        }
        }
    }
    EndEditGroup();
    if (cleanUndoDepth == static_cast<std::int64_t>(undoDepth()))
        setModified(false);
    return position;
}

std::optional<TextPos> CLiDoc::Undo()
{
    return replay(undoStack, false);
}

std::optional<TextPos> CLiDoc::Redo()
{
    return replay(redoStack, true);
}

// ---- Views ---------------------------------------------------------------------------

void CLiDoc::addObserver(DocumentObserver* observer)
{
    m_observers.push_back(observer);
}

void CLiDoc::removeObserver(DocumentObserver* observer)
{
    std::erase(m_observers, observer);
}

void CLiDoc::notifyChanged(std::size_t first, std::size_t last)
{
    for (auto* observer : m_observers)
        observer->linesChanged(first, last);
}

void CLiDoc::notifyRewritten(const LineStore::SavedLines& lines)
{
    if (!lines.empty())
        notifyChanged(lines.firstLine(), lines.lastLine());
}

void CLiDoc::notifyInserted(std::size_t at, std::size_t count)
{
    for (auto* observer : m_observers)
        observer->linesInserted(at, count);
}

void CLiDoc::notifyRemoved(std::size_t at, std::size_t count)
{
    for (auto* observer : m_observers)
        observer->linesRemoved(at, count);
}

void CLiDoc::notifyReset()
{
    for (auto* observer : m_observers)
        observer->documentReset();
}

}  // namespace quillon
