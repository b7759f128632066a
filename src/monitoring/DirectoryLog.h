// The directory log of a machine's program folder: `_DirLog.sys` in the folder, naming each
// program with the lines that say what it is (the program number line, the title and up to
// six comment lines after it), so that an operator can look a folder over in the editor.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kDirectoryLogFile = "_DirLog.sys";
inline constexpr std::string_view kDirectoryLogTitle = "Directory log";
inline constexpr std::string_view kDirectoryLogFilter = "DirLog file (*.sys)|*.sys||";
inline constexpr std::string_view kNoDirectoryLogText = "There was no Directory Log File created";

struct DirectoryLogResult {
    enum class Outcome {
        Written,
        NothingToLog,  // no file of the folder is listed: no log is made
        Failed,        // the folder could not be read or the log not written
    };
    Outcome outcome = Outcome::Failed;
    std::string path;   // the log's path
    std::string error;  // Failed: what the user is told
};

// Makes the folder's log anew, replacing an old one whole or not at all: for each file of
// the folder in name order, its name; its first line unless that holds a "%"; its second
// line; up to six more lines while they begin with "("; an empty line; lines end with CR
// LF. Files whose name begins with "." or "_" (the log itself among them), empty files and
// sub-folders are not listed.
DirectoryLogResult writeDirectoryLog(const std::string& folder);

}  // namespace quillon
