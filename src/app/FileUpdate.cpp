#include "app/FileUpdate.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"
#include "platform/FileBytes.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

// Programs are copied in pieces of this size, so a file of hundreds of MB never has to fit
// in memory at once.
constexpr std::size_t kCopyChunk = 1 << 20;

// The list drops exactly one trailing separator, so "C:\NC\" and "C:\NC" name the same
// folder. A lone "/" stays: here it is the root folder, not an empty entry.
std::string withoutOneTrailingSeparator(std::string_view directory)
{
    if (directory.size() > 1 && paths::isSeparator(directory.back()))
        directory.remove_suffix(1);
    return std::string(directory);
}

fs::path comparablePath(std::string_view directory)
{
    return fs::path(paths::withoutTrailingSeparator(paths::normalizeSeparators(directory)))
        .lexically_normal();
}

// The names handed to the per-file step. Names beginning with "." are what this platform
// has for hidden files. Only regular files are taken: a folder is not copied, and opening
// a named pipe for reading would hang the run.
std::vector<std::string> filesToUpdate(std::string_view directory)
{
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(paths::normalizeSeparators(directory), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        std::error_code typeError;
        if (!name.starts_with('.') && entries->is_regular_file(typeError))
            names.push_back(std::move(name));
    }
    // The directory's own order depends on the file system; the report should not.
    std::sort(names.begin(), names.end());
    return names;
}

// Copies through a work file beside the target, then gives the copy the source's time.
// The time is the one read before copying: should the source change meanwhile, the next
// run sees a difference and copies it again.
bool copyWithModificationTime(const std::string& source, const std::string& target,
                              const FileStamp& sourceStamp)
{
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return false;
    AtomicFileWriter writer(target);
    std::vector<char> buffer(kCopyChunk);
    while (writer.ok() && in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (in.gcount() > 0)
            writer.write({buffer.data(), static_cast<std::size_t>(in.gcount())});
    }
    if (in.bad() || !writer.ok() || !writer.commit())
        return false;
    const std::chrono::sys_time<std::chrono::nanoseconds> modified{
        std::chrono::nanoseconds(sourceStamp.modifiedNanoseconds)};
    std::error_code error;
    fs::last_write_time(target, std::chrono::file_clock::from_sys(modified), error);
    return !error;
}

}  // namespace

DirectoryPair splitPairLine(std::string_view line)
{
    auto cut = line.find('>');
    if (cut == std::string_view::npos)
        cut = line.find(' ');
    if (cut == std::string_view::npos)
        cut = line.find(',');
    if (cut == std::string_view::npos || cut + 1 == line.size())
        return {};
    return {std::string(line.substr(0, cut)), std::string(line.substr(cut + 1))};
}

std::string pairLine(const DirectoryPair& pair)
{
    return pair.from + '>' + pair.to;
}

std::array<DirectoryPair, kDirectoryPairCount> parseDirectoryPairs(std::string_view bytes)
{
    std::array<DirectoryPair, kDirectoryPairCount> pairs;
    LineReader reader(bytes, kPairLineLimit);
    for (auto& pair : pairs) {
        const auto line = reader.next();
        if (!line)
            break;
        pair = splitPairLine(*line);
    }
    return pairs;
}

std::string formatDirectoryPairs(const FileUpdateSettings& settings)
{
    return joinLinesCrLf(listEntries(settings));
}

FileUpdateSettings readFileUpdateSettings(const WorkDir& workDir)
{
    FileUpdateSettings settings;
    if (const auto bytes = readFile(workDir.file(kFileUpdatePairsFile)))
        settings.pairs = parseDirectoryPairs(*bytes);
    if (const auto bytes = readFile(workDir.file(kFileUpdatePrintFile)))
        settings.printAfterUpdate = bytes->empty() || bytes->front() != '0';
    return settings;
}

bool saveFileUpdateSettings(const WorkDir& workDir, const FileUpdateSettings& settings,
                            Notifier& notifier)
{
    auto save = [&](std::string_view name, const std::string& bytes) {
        const WriteResult written = replaceFileAtomically(workDir.file(name), bytes);
        if (!written.ok)
            notifier.message("Could not save " + std::string(name) + ": " + written.error);
        return written.ok;
    };
    const bool pairsSaved = save(kFileUpdatePairsFile, formatDirectoryPairs(settings));
    const bool printSaved =
        save(kFileUpdatePrintFile, joinLinesCrLf({settings.printAfterUpdate ? "1" : "0"}));
    return pairsSaved && printSaved;
}

std::vector<std::string> listEntries(const FileUpdateSettings& settings)
{
    std::vector<std::string> entries;
    for (const auto& pair : settings.pairs) {
        if (pair.complete())
            entries.push_back(pairLine(pair));
    }
    return entries;
}

FileUpdateSettings settingsFromList(const std::vector<std::string>& entries, bool printAfterUpdate)
{
    FileUpdateSettings settings;
    settings.printAfterUpdate = printAfterUpdate;
    const std::size_t taken = std::min(entries.size(), kDirectoryPairCount);
    for (std::size_t i = 0; i < taken; ++i) {
        const DirectoryPair pair = splitPairLine(entries[i]);
        settings.pairs[i] = {withoutOneTrailingSeparator(pair.from),
                             withoutOneTrailingSeparator(pair.to)};
    }
    return settings;
}

bool sameDirectories(std::string_view first, std::string_view second)
{
    const fs::path a = comparablePath(first);
    const fs::path b = comparablePath(second);
    std::error_code error;
    return a == b || fs::equivalent(a, b, error);
}

FileUpdateResult updateFile(std::string_view name, std::string_view fromDir,
                            std::string_view toDir)
{
    const std::string source = paths::normalizeSeparators(paths::join(fromDir, name));
    const std::string target = paths::normalizeSeparators(paths::join(toDir, name));
    const auto sourceStamp = fileStamp(source);
    if (!sourceStamp)
        return FileUpdateResult::Incomplete;
    // Times are compared to the nanosecond. A target file system that keeps coarser times
    // makes the file look changed on every run: copied once too often, never missed.
    if (fileStamp(target) == sourceStamp && !isDirectory(target))
        return FileUpdateResult::Unchanged;
    return copyWithModificationTime(source, target, *sourceStamp) ? FileUpdateResult::Updated
                                                                  : FileUpdateResult::Incomplete;
}

std::string updateDirectoryPair(const DirectoryPair& pair, const FileOperation& operation)
{
    std::string report;
    for (const auto& name : filesToUpdate(pair.from)) {
        const FileUpdateResult result = operation(name, pair.from, pair.to);
        if (result == FileUpdateResult::Unchanged)
            continue;
        report += paths::join(pair.to, name);
        if (result == FileUpdateResult::Incomplete)
            report += kFileIncomplete;
        report += '\n';
    }
    return report;
}

void runFileUpdate(const FileUpdateSettings& settings, Notifier& notifier,
                   const ReportHandler& onReport, const FileOperation& operation)
{
    for (const auto& pair : settings.pairs) {
        if (!pair.complete())
            continue;
        if (sameDirectories(pair.from, pair.to)) {
            notifier.show({std::string(kSameDirectories), pair.from, NoticeIcon::Exclamation});
            continue;
        }
        const std::string report = updateDirectoryPair(pair, operation);
        if (!report.empty())
            onReport(pair, report);
    }
}

}  // namespace quillon
