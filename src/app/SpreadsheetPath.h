// The spreadsheet program that report files open in, and its file EXCEL.SYS in the working
// directory: one line, the program's path.
//
// The file kept the path of EXCEL.EXE upper-cased, which a Windows path bears. Here the user
// chooses any program (LibreOffice, a Calc AppImage, a script of their own), and a Linux
// path is kept exactly as typed: upper-casing it would name another file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/AtomicFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kSpreadsheetPathFile = "EXCEL.SYS";

// The texts of the path dialog and of the command that views a report file.
inline constexpr std::string_view kSpreadsheetPathTitle = "EXCEL.EXE Path";
inline constexpr std::string_view kSpreadsheetBrowseTitle = "EXCEL.EXE file";
inline constexpr std::string_view kNotAProgram = "The file does not exist or is not a program";
inline constexpr std::string_view kViewReportTitle = "View report file";
inline constexpr std::string_view kReportFileFilter = "Report files (*.CSV)|*CSV||";
inline constexpr std::string_view kReportExtensionRefusal = "File extension need to be \"CSV\"";

// The program EXCEL.SYS names: its first line without the blanks around it; nothing when the
// file is missing or that line is empty.
std::optional<std::string> readSpreadsheetPath(const WorkDir& workDir);

// EXCEL.SYS anew with the path as its one line (the blanks around it dropped).
WriteResult writeSpreadsheetPath(const WorkDir& workDir, std::string_view path);

// Whether the path names a file (or a link to one) that this user may run.
bool isRunnableProgram(const std::string& path);

}  // namespace quillon
