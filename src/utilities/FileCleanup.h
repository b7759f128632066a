// Tools > File cleanup: every program of one folder rewritten or renamed in one run.
//
// Shop programs arrive with wrong line ends, leading blank lines, without the program-name
// header an Okuma control wants or the comment that names the program, or must be renamed
// for a Mazak control. Each tool works on the files of a folder on disk, not on open
// documents. A rewritten file replaces the old one only once it is complete and keeps the
// old one's permissions and times; a rename never replaces an existing file.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class CleanupTool { Eob, BlankLine, Okuma, Comment, ReverseComment, MazakWorkNumber };

struct CleanupToolInfo {
    std::string_view menuText;
    std::string_view dialogTitle;  // of the dialog that chooses the folder
    bool locked;                   // behind the settings lock
    std::string_view cliName;      // the word that names it on the command line
};
const CleanupToolInfo& cleanupToolInfo(CleanupTool tool);
inline constexpr CleanupTool kCleanupTools[] = {
    CleanupTool::Eob,     CleanupTool::BlankLine,      CleanupTool::Okuma,
    CleanupTool::Comment, CleanupTool::ReverseComment, CleanupTool::MazakWorkNumber};

inline constexpr std::string_view kCleanupWorkFile = "_$$$bak.SYS";
inline constexpr std::string_view kCleanupDone = "Done";
inline constexpr std::string_view kMazakDone = "Mazak Work Number rename is done";
inline constexpr std::string_view kMazakFilter = "All files (*.*)|*.*||";
// Where the Mazak tool puts a file whose work number is taken; the tool never makes it.
inline constexpr std::string_view kMazakBackupFolder = "BAK";

// The question asked before a run; `folder` as it is shown, ending in its separator.
std::string cleanupQuestion(CleanupTool tool, std::string_view folder);

// Whether the tool takes a file of this name: never a name beginning with "."; for all
// but the Mazak tool none that holds ".EXE", ".COM", ".DLL" or ".SYS" in any case.
bool isCleanupCandidateName(CleanupTool tool, std::string_view name);
// The files a run takes, as full paths in name order: files (not folders, not symbolic
// links) that are not empty and whose names the tool takes.
std::vector<std::string> cleanupCandidates(CleanupTool tool, const std::string& folder);
// Whether the folder lists anything at all; the first five tools ask only then.
bool folderHasEntries(const std::string& folder);

// Where a rewriting tool puts the new text, in pieces. It notes whether the new text
// differs from the original, so that a file left as it was is not written again.
class CleanupOutput {
public:
    using Writer = std::function<bool(std::string_view bytes)>;
    CleanupOutput(std::string_view original, Writer writer);
    void put(char c)
    {
        m_buffer.push_back(c);
        if (m_buffer.size() >= kChunk)
            flush();
    }
    void append(std::string_view bytes);
    // Hands on what is left; false when the writer failed at any point.
    bool finish();
    bool changed() const;

private:
    static constexpr std::size_t kChunk = 1 << 16;
    void flush();

    std::string_view m_original;
    Writer m_writer;
    std::string m_buffer;
    std::size_t m_handedOn = 0;
    bool m_differs = false;
    bool m_ok = true;
};

// The new text of one file by the rewriting tools (EOB, Blank line, Okuma, Comment);
// `fileName` is the file's name without its folder.
void rewriteForCleanup(CleanupTool tool, std::string_view bytes, std::string_view fileName,
                       CleanupOutput& out);
// The same into a string, for a file held in memory.
std::string rewrittenForCleanup(CleanupTool tool, std::string_view bytes,
                                std::string_view fileName);

// The name the Reverse comment tool gives a file: the first comment among its first five
// lines that is not empty. `refused` is set, with nothing returned, when that comment
// cannot be a file name in the same folder (a path separator, "..", "." alone or a
// control character): the file keeps its name.
std::string reverseCommentName(std::string_view bytes, bool* refused = nullptr);
// The Mazak work number: the file's first digit and up to three digits right after it;
// empty when the file holds no digit.
std::string mazakWorkNumber(std::string_view bytes);

struct CleanupChange {
    std::string path;
    std::string newPath;  // empty for a file rewritten in place
};

struct CleanupRun {
    std::vector<CleanupChange> changes;
    // Files the run passed over on its way, each with the reason.
    std::vector<std::string> passedOver;
    // How many of those the system would not read or rename (a read-only folder, a file
    // without read permission), as opposed to the ones the tool refused to rename on
    // purpose: such a run failed, even though it went on with the other files.
    std::size_t failed = 0;
    // False when a file could not be read or its new text not written: the run stopped
    // there, with the files before it done.
    bool completed = true;
    std::string error;
};

// Told before each file is taken, from 0.
using CleanupProgress = std::function<void(std::size_t index, const std::string& path)>;

// Runs the tool over the folder (a trailing separator or none).
CleanupRun runCleanup(CleanupTool tool, const std::string& folder,
                      const CleanupProgress& progress = {});

}  // namespace quillon
