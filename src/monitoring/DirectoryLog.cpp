#include "monitoring/DirectoryLog.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

// The few lines a log takes come from the head of a file; a program of a hundred megabytes
// (or a file without line ends) is not read whole for them.
constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr int kCommentLines = 6;

struct LoggedFile {
    std::string name;
    std::string path;
};

// Case does not order the names, as in the folder listings of the shop's Windows machines.
bool byName(const LoggedFile& a, const LoggedFile& b)
{
    return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                        [](char x, char y) {
                                            return std::toupper(static_cast<unsigned char>(x)) <
                                                   std::toupper(static_cast<unsigned char>(y));
                                        });
}

// Nothing when the folder cannot be listed.
std::optional<std::vector<LoggedFile>> filesToLog(const std::string& folder, std::string& error)
{
    std::error_code code;
    fs::directory_iterator entries(folder, code);
    if (code) {
        error = code.message();
        return std::nullopt;
    }
    std::vector<LoggedFile> files;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.front() == '.' || name.front() == '_')
            continue;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || entry.file_size(ignored) == 0 || ignored)
            continue;
        files.push_back({name, entry.path().string()});
    }
    std::sort(files.begin(), files.end(), byName);
    return files;
}

std::string headOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(kHeadBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

void appendFileEntry(std::string& log, const LoggedFile& file)
{
    log += file.name;
    log += "\r\n";
    const std::string head = headOf(file.path);
    LineReader lines(head);
    const auto first = lines.next();
    if (first && first->find('%') == std::string_view::npos) {
        log += *first;
        log += "\r\n";
    }
    if (const auto second = lines.next()) {
        log += *second;
        log += "\r\n";
    }
    for (int i = 0; i < kCommentLines; ++i) {
        const auto line = lines.next();
        if (!line || line->empty() || line->front() != '(')
            break;
        log += *line;
        log += "\r\n";
    }
    log += "\r\n";
}

std::string withSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

}  // namespace

DirectoryLogResult writeDirectoryLog(const std::string& folder)
{
    DirectoryLogResult result;
    result.path = withSeparator(folder) + std::string(kDirectoryLogFile);
    std::string error;
    const auto files = filesToLog(folder, error);
    if (!files) {
        result.error = "The folder " + folder + " cannot be read: " + error;
        return result;
    }
    if (files->empty()) {
        result.outcome = DirectoryLogResult::Outcome::NothingToLog;
        return result;
    }
    // For each file: its name; its first line unless that holds a "%" (the tape start of a
    // program with no number on it); its second line; up to six more while they begin with
    // "(" (the comments under a title); an empty line.
    std::string log;
    for (const LoggedFile& file : *files)
        appendFileEntry(log, file);
    const WriteResult written = replaceFileAtomically(result.path, log);
    if (!written.ok) {
        result.error =
            "The Directory Log File " + result.path + " could not be written: " + written.error;
        return result;
    }
    result.outcome = DirectoryLogResult::Outcome::Written;
    return result;
}

}  // namespace quillon
