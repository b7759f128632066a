// Tools > File update: pairs of folders whose new and changed files are copied from the
// first to the second, the files FileUpdt.sys and FileUpdt2.sys that keep them, and the run.
//
// A shop keeps its released programs in one folder and lets the update push them to the
// folders the machines read from. Only files whose size or modification time differ are
// copied, so a run after a small change touches only the changed programs.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class Notifier;
class WorkDir;

inline constexpr std::string_view kFileUpdatePairsFile = "FileUpdt.sys";
inline constexpr std::string_view kFileUpdatePrintFile = "FileUpdt2.sys";

// The dialog keeps ten pairs; list entries after the tenth are not taken.
inline constexpr std::size_t kDirectoryPairCount = 10;
// FileUpdt.sys was read into a 520-byte line buffer: at most 519 characters of a line.
inline constexpr std::size_t kPairLineLimit = 519;

inline constexpr std::string_view kSameDirectories = "The directories are the same";
inline constexpr std::string_view kUpdatedFilesTitle = "Updated files";
inline constexpr std::string_view kFileIncomplete = " --- FILE INCOMPLETE";

// A folder whose files are copied (from) and the folder they are copied to.
struct DirectoryPair {
    std::string from;
    std::string to;

    // Only a pair with both folders is shown, saved and run.
    bool complete() const { return !from.empty() && !to.empty(); }
    bool operator==(const DirectoryPair&) const = default;
};

struct FileUpdateSettings {
    std::array<DirectoryPair, kDirectoryPairCount> pairs;
    bool printAfterUpdate = true;

    bool operator==(const FileUpdateSettings&) const = default;
};

// A line of FileUpdt.sys or a list entry: split at the first ">", or when there is none at
// the first blank, or else at the first comma. Without a to-part the pair is empty.
DirectoryPair splitPairLine(std::string_view line);
// The pair as FileUpdt.sys and the list show it: from, ">", to.
std::string pairLine(const DirectoryPair& pair);

// The first ten lines of FileUpdt.sys, pair i from line i; missing lines give empty pairs.
std::array<DirectoryPair, kDirectoryPairCount> parseDirectoryPairs(std::string_view bytes);
// FileUpdt.sys: every complete pair on a line of its own, CR LF ended.
std::string formatDirectoryPairs(const FileUpdateSettings& settings);

// Both files of the working directory; "Print after update" is off only when FileUpdt2.sys
// begins with "0". Missing files leave the pairs empty and printing on.
FileUpdateSettings readFileUpdateSettings(const WorkDir& workDir);
// Writes both files; a file that cannot be written is reported through the notifier.
bool saveFileUpdateSettings(const WorkDir& workDir, const FileUpdateSettings& settings,
                            Notifier& notifier);

// The entries the dialog lists for the settings: the complete pairs as pairLine gives them.
std::vector<std::string> listEntries(const FileUpdateSettings& settings);
// The settings as the dialog takes them from its list: the first ten entries split by
// splitPairLine, each folder without one trailing "\" or "/".
FileUpdateSettings settingsFromList(const std::vector<std::string>& entries,
                                    bool printAfterUpdate);

// True when the two folders are one: equal as paths once a trailing separator is dropped,
// or two spellings of the same existing folder.
bool sameDirectories(std::string_view first, std::string_view second);

// What updateFile did to one file. The numbers are those the tool has always reported.
enum class FileUpdateResult {
    Unchanged = 0,    // the target was up to date; not listed
    Updated = 1,      // copied; listed
    Incomplete = -1,  // something failed; listed with " --- FILE INCOMPLETE"
};

// Copies fromDir/name to toDir/name when the target is missing or differs in size or
// modification time. The copy replaces the target only once it is complete and keeps the
// source's modification time; on any failure the old target stays as it was.
FileUpdateResult updateFile(std::string_view name, std::string_view fromDir,
                            std::string_view toDir);

// The per-file step of a run; updateFile, or a stand-in in tests.
using FileOperation = std::function<FileUpdateResult(
    std::string_view name, std::string_view fromDir, std::string_view toDir)>;

// Hands every file of the pair's from folder to the operation (names beginning with "."
// and anything that is not a file are left out, the rest in name order) and returns the
// report: one line per file that was not unchanged, the target path, " --- FILE
// INCOMPLETE" after an incomplete one, and "\n".
std::string updateDirectoryPair(const DirectoryPair& pair, const FileOperation& operation);

// Receives a pair's report as soon as the pair is done, only when the report is not empty.
using ReportHandler = std::function<void(const DirectoryPair& pair, const std::string& report)>;

// Start: runs the complete pairs in order. A pair whose folders are the same is reported
// through the notifier (titled with the from folder) and skipped.
void runFileUpdate(const FileUpdateSettings& settings, Notifier& notifier,
                   const ReportHandler& onReport, const FileOperation& operation = updateFile);

}  // namespace quillon
