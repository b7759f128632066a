#include "utilities/FileCleanup.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>

#include "nc/CharacterClasses.h"
#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"
#include "platform/FileBytes.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace quillon {

namespace fs = std::filesystem;

namespace {

constexpr CleanupToolInfo kInfo[] = {
    {"&EOB", "EOB cleanup", true, "eob"},
    {"&Blank line", "Blank line cleanup", true, "blank"},
    {"&Okuma format", "Okuma cleanup", true, "okuma"},
    {"&Comment format", "Comment format", true, "comment"},
    {"&Reverse Comment format", "Reverse comment format", true, "reverse-comment"},
    {"&Mazak Work Number", "Filter a character", false, "mazak"},
};

constexpr std::string_view kBackUpFirst18 =
    "                  WARNING! PLEASE, BACK UP YOUR FILES FIRST!\n\n";
constexpr std::string_view kBackUpFirst5 = "     WARNING! PLEASE, BACK UP YOUR FILES FIRST!\n\n";
constexpr std::string_view kAreYouSure = "\n\ndirectory. Are you sure to continue?";

// The reverse-comment tool looks at this many lines, and at this much of each.
constexpr std::size_t kCommentLines = 5;
constexpr std::size_t kCommentLineLimit = 512;
// The Mazak tool tries BAK/<number>.1 up to .998.
constexpr int kMazakCounterLimit = 999;

bool rewrites(CleanupTool tool)
{
    return tool == CleanupTool::Eob || tool == CleanupTool::BlankLine ||
           tool == CleanupTool::Okuma || tool == CleanupTool::Comment;
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperCased(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), upper);
    return result;
}

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 32 || byte == 127;
}

std::string withSeparator(const std::string& folder)
{
    if (folder.empty() || paths::isSeparator(folder.back()))
        return folder;
    return folder + '/';
}

// ---- The rewriting tools --------------------------------------------------------------

// Every CR and every LF becomes CR LF; the byte after it goes with it when it is a CR or
// an LF, so CR LF, LF CR, CR CR and LF LF are one line end each.
void cleanEndsOfBlocks(std::string_view bytes, CleanupOutput& out)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            out.put(c);
            continue;
        }
        out.append("\r\n");
        if (i + 1 < bytes.size()) {
            const char next = bytes[++i];
            if (next != '\r' && next != '\n')
                out.put(next);
        }
    }
}

bool isLeadingBlank(char c)
{
    return c == ' ' || c == '\0' || c == '\r' || c == '\n';
}

// Spaces, NULs and line ends before the first text go; a file that starts with anything
// else (a tab included) stays as it is.
void cleanLeadingBlankLines(std::string_view bytes, CleanupOutput& out)
{
    std::size_t start = 0;
    if (!bytes.empty() && isLeadingBlank(bytes.front())) {
        while (start < bytes.size() && isLeadingBlank(bytes[start]))
            ++start;
    }
    out.append(bytes.substr(start));
}

// The lines of a file as the Okuma and Comment tools read them: a line keeps its CR and
// its LF, and loses every other byte below 27 (tabs too). A last line without an LF is a
// line as well.
template <typename Visit>
void forEachFilteredLine(std::string_view bytes, Visit&& visit)
{
    std::string line;
    for (const char c : bytes) {
        if (c == '\n') {
            line += c;
            visit(std::string_view(line));
            line.clear();
        } else if (c == '\r' || static_cast<unsigned char>(c) >= 27) {
            line += c;
        }
    }
    if (!line.empty())
        visit(std::string_view(line));
}

// "$" name ".MIN%" first, then the lines without "$" and "%": an old header goes, and so
// do the tape's "%" lines.
void writeOkumaFormat(std::string_view bytes, std::string_view fileName, CleanupOutput& out)
{
    std::string name = upperCased(fileName.substr(0, fileName.find('.')));
    std::erase(name, ' ');
    out.append("$" + name + ".MIN%\r\n");
    forEachFilteredLine(bytes, [&](std::string_view line) {
        if (line.find_first_of("$%") == std::string_view::npos)
            out.append(line);
    });
}

bool endsLine(std::string_view line)
{
    return !line.empty() && line.back() == '\n';
}

// The program line (the first of the first four lines starting with "O" or ":") gets the
// file's name as its comment; without one, a comment line goes before the fifth line.
void writeCommentFormat(std::string_view bytes, std::string_view fileName, CleanupOutput& out)
{
    const std::size_t dot = fileName.rfind('.');
    const std::string comment = "(" + upperCased(fileName.substr(0, dot)) + ")\r\n";
    std::size_t number = 0;
    bool named = false;
    forEachFilteredLine(bytes, [&](std::string_view line) {
        ++number;
        if (!named && number <= 4 && (line.front() == 'O' || line.front() == ':')) {
            named = true;
            const std::size_t open = line.find('(');
            if (open != std::string_view::npos) {
                out.append(line.substr(0, open));
            } else {
                out.append(line);
                if (!endsLine(line))
                    out.append("\r\n");
            }
            out.append(comment);
            return;
        }
        if (!named && number == 5) {
            named = true;
            out.append(comment);
        }
        out.append(line);
    });
}

// ---- Running over a folder ------------------------------------------------------------

// Rewrites one file through the work file; false, with the message, when the run must stop.
bool rewriteFile(CleanupTool tool, const std::string& folder, const std::string& path,
                 bool& changed, std::string& error)
{
    changed = false;
    int code = 0;
    const auto attributes = fileAttributes(path, &code);
    const auto bytes = attributes ? readFileBytes(path, &code) : std::nullopt;
    if (!bytes) {
        error = fileErrorText(code, FileAction::Open, path);
        return false;
    }
    const std::string_view original(bytes->data.get(), bytes->size);
    AtomicFileWriter writer(path, folder + std::string(kCleanupWorkFile));
    CleanupOutput out(original, [&](std::string_view piece) { return writer.write(piece); });
    rewriteForCleanup(tool, original, paths::fileName(path), out);
    const bool written = out.finish();
    if (!out.changed())
        return true;  // the writer takes its work file away
    writer.setTimes(attributes->accessedNanoseconds, attributes->modifiedNanoseconds);
    if (!written || !writer.commit()) {
        error = fileErrorText(writer.errorCode(), FileAction::Save, path);
        return false;
    }
    changed = true;
    return true;
}

// Passes over a file that could not be renamed. A name already taken is the tool's own
// refusal (a rename never replaces a file); any other cause is a failure of the run.
void renameFailed(const std::string& path, const std::string& target, int error, CleanupRun& run)
{
    run.passedOver.push_back(path + ": not renamed to " + target + ": " + errnoText(error));
    if (error != EEXIST)
        ++run.failed;
}

void renameByComment(const std::string& folder, const std::string& path, CleanupRun& run)
{
    int code = 0;
    const auto bytes = readFileBytes(path, &code);
    if (!bytes) {
        run.passedOver.push_back(fileErrorText(code, FileAction::Open, path));
        ++run.failed;
        return;
    }
    bool refused = false;
    const std::string name =
        reverseCommentName(std::string_view(bytes->data.get(), bytes->size), &refused);
    if (refused) {
        run.passedOver.push_back(path + ": its comment is not a file name in this folder");
        return;
    }
    if (name.empty())
        return;
    const std::string target = folder + name;
    if (target == path)
        return;
    if (!renameNoReplace(path, target, &code)) {
        renameFailed(path, target, code, run);
        return;
    }
    run.changes.push_back({path, target});
}

// False, with the message, when the file cannot be read: that ends the run.
bool renameByWorkNumber(const std::string& folder, const std::string& path, CleanupRun& run)
{
    int code = 0;
    const auto bytes = readFileBytes(path, &code);
    if (!bytes) {
        run.error = fileErrorText(code, FileAction::Open, path);
        return false;
    }
    const std::string number = mazakWorkNumber(std::string_view(bytes->data.get(), bytes->size));
    if (number.empty())
        return true;
    std::string target = folder + number;
    // A file that already has its number for a name stays where it is.
    if (target == path)
        return true;
    for (int counter = 1; fileExists(target) && counter < kMazakCounterLimit; ++counter)
        target = folder + std::string(kMazakBackupFolder) + "/" + number + "." +
                 std::to_string(counter);
    if (!renameNoReplace(path, target, &code)) {
        renameFailed(path, target, code, run);
        return true;
    }
    run.changes.push_back({path, target});
    return true;
}

}  // namespace

const CleanupToolInfo& cleanupToolInfo(CleanupTool tool)
{
    return kInfo[static_cast<std::size_t>(tool)];
}

std::string cleanupQuestion(CleanupTool tool, std::string_view folder)
{
    std::string text;
    switch (tool) {
    case CleanupTool::Eob:
        text = "WARNING! This will clean EOB characters of all files in\n\n";
        break;
    case CleanupTool::BlankLine:
        text = "WARNING! This will clean blank lines at the beginning of all files in\n\n";
        break;
    case CleanupTool::Okuma:
        text = std::string(kBackUpFirst18) +
               "This utility will name your files internally OKUMA style to the same as the "
               "OS name in\n\n";
        break;
    case CleanupTool::Comment:
        text = std::string(kBackUpFirst18) +
               "This utility will add/change comment lines to your files internally to the "
               "same as the OS name in\n\n";
        break;
    case CleanupTool::ReverseComment:
        text = std::string(kBackUpFirst5) +
               "This utility will rename the files to the comments in\n\n";
        break;
    case CleanupTool::MazakWorkNumber:
        text = std::string(kBackUpFirst5) +
               "This utility is used for naming MAZK files in very special cases in\n\n";
        break;
    }
    return text + std::string(folder) + std::string(kAreYouSure);
}

bool isCleanupCandidateName(CleanupTool tool, std::string_view name)
{
    if (name.empty() || name.front() == '.')
        return false;
    if (tool == CleanupTool::MazakWorkNumber)
        return true;
    const std::string upperName = upperCased(name);
    for (const std::string_view kept : {".EXE", ".COM", ".DLL", ".SYS"}) {
        if (upperName.find(kept) != std::string::npos)
            return false;
    }
    return true;
}

std::vector<std::string> cleanupCandidates(CleanupTool tool, const std::string& folder)
{
    const std::string base = withSeparator(paths::normalizeSeparators(folder));
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(base.empty() ? "." : base, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (!isCleanupCandidateName(tool, name))
            continue;
        std::error_code ignored;
        if (entries->is_symlink(ignored) || !entries->is_regular_file(ignored) ||
            entries->file_size(ignored) == 0 || ignored)
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const auto& name : names)
        paths.push_back(base + name);
    return paths;
}

bool folderHasEntries(const std::string& folder)
{
    std::error_code error;
    const std::string path = paths::normalizeSeparators(folder);
    return fs::directory_iterator(path.empty() ? "." : path, error) != fs::directory_iterator();
}

CleanupOutput::CleanupOutput(std::string_view original, Writer writer)
    : m_original(original), m_writer(std::move(writer))
{
    m_buffer.reserve(kChunk);
}

void CleanupOutput::append(std::string_view bytes)
{
    m_buffer += bytes;
    if (m_buffer.size() >= kChunk)
        flush();
}

void CleanupOutput::flush()
{
    if (m_buffer.empty())
        return;
    if (!m_differs)
        m_differs = m_original.substr(std::min(m_handedOn, m_original.size()), m_buffer.size()) !=
                    m_buffer;
    if (m_ok && m_writer)
        m_ok = m_writer(m_buffer);
    m_handedOn += m_buffer.size();
    m_buffer.clear();
}

bool CleanupOutput::finish()
{
    flush();
    return m_ok;
}

bool CleanupOutput::changed() const
{
    return m_differs || m_handedOn + m_buffer.size() != m_original.size();
}

void rewriteForCleanup(CleanupTool tool, std::string_view bytes, std::string_view fileName,
                       CleanupOutput& out)
{
    switch (tool) {
    case CleanupTool::Eob:
        cleanEndsOfBlocks(bytes, out);
        break;
    case CleanupTool::BlankLine:
        cleanLeadingBlankLines(bytes, out);
        break;
    case CleanupTool::Okuma:
        writeOkumaFormat(bytes, fileName, out);
        break;
    case CleanupTool::Comment:
        writeCommentFormat(bytes, fileName, out);
        break;
    case CleanupTool::ReverseComment:
    case CleanupTool::MazakWorkNumber:
        out.append(bytes);  // these rename and never rewrite
        break;
    }
}

std::string rewrittenForCleanup(CleanupTool tool, std::string_view bytes,
                                std::string_view fileName)
{
    std::string result;
    CleanupOutput out(bytes, [&](std::string_view piece) {
        result += piece;
        return true;
    });
    rewriteForCleanup(tool, bytes, fileName, out);
    out.finish();
    return result;
}

std::string reverseCommentName(std::string_view bytes, bool* refused)
{
    if (refused)
        *refused = false;
    std::size_t start = 0;
    for (std::size_t line = 0; line < kCommentLines && start < bytes.size(); ++line) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view text = bytes.substr(start, std::min(end - start, kCommentLineLimit));
        start = end + 1;
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        const std::size_t open = text.find('(');
        if (open == std::string_view::npos)
            continue;
        std::string_view comment = text.substr(open + 1);
        comment = comment.substr(0, comment.find(')'));
        if (comment.empty())
            continue;
        const bool usable = comment != "." && comment.find("..") == std::string_view::npos &&
                            comment.find_first_of("/\\") == std::string_view::npos &&
                            std::none_of(comment.begin(), comment.end(), isControl);
        if (!usable) {
            if (refused)
                *refused = true;
            return {};
        }
        return std::string(comment);
    }
    return {};
}

std::string mazakWorkNumber(std::string_view bytes)
{
    const std::size_t first = bytes.find_first_of("0123456789");
    if (first == std::string_view::npos)
        return {};
    std::size_t end = first + 1;
    while (end < bytes.size() && end - first < 4 && isDigit(bytes[end]))
        ++end;
    return std::string(bytes.substr(first, end - first));
}

CleanupRun runCleanup(CleanupTool tool, const std::string& folder, const CleanupProgress& progress)
{
    const std::string base = withSeparator(paths::normalizeSeparators(folder));
    CleanupRun run;
    const std::vector<std::string> files = cleanupCandidates(tool, base);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        if (progress)
            progress(i, path);
        if (rewrites(tool)) {
            bool changed = false;
            if (!rewriteFile(tool, base, path, changed, run.error)) {
                run.completed = false;
                break;
            }
            if (changed)
                run.changes.push_back({path, {}});
        } else if (tool == CleanupTool::ReverseComment) {
            renameByComment(base, path, run);
        } else if (!renameByWorkNumber(base, path, run)) {
            run.completed = false;
            break;
        }
    }
    // A work file left by a run that was cut short goes with the next completed one.
    if (run.completed && rewrites(tool))
        removeFile(base + std::string(kCleanupWorkFile));
    return run;
}

}  // namespace quillon
