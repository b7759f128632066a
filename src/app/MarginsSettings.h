// The "Other options" settings and their file Margins.sys (18 lines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AtomicFile.h"

namespace quillon {

class WorkDir;

struct MarginsSettings {
    std::string editorDefaultPath;   // line 1
    std::string leftMargin = "1.0";  // lines 2 to 5: inches, kept as typed
    std::string rightMargin = "1.0";
    std::string topMargin = "1.0";
    std::string bottomMargin = "1.0";
    bool printHeader = true;
    bool startMinimized = false;
    bool printFullPath = true;
    bool rememberEditorDirectory = false;
    bool scrollAllWithWheel = true;   // line 10
    std::int32_t localIpAddress = 0;  // line 11, see Ipv4Address.h
    bool detailedFileOpenWindow = false;
    bool offerTransfer = false;
    bool scrollAllWithScrollBar = false;  // line 14
    bool printPageNumbers = true;
    bool printTwoColumns = false;
    bool monthlyCsv = false;
    bool remoteFullPath = false;  // line 18

    bool operator==(const MarginsSettings&) const = default;

    // The defaults; the editor path defaults to the working directory.
    static MarginsSettings defaults(const WorkDir& workDir);
};

inline constexpr std::string_view kMarginsFile = "Margins.sys";

// Reads the lines in order over the settings given; lines the file lacks keep their
// value. A flag is on when its line does not begin with "0".
void parseMargins(std::string_view bytes, MarginsSettings& settings);
// Resets to the defaults, then reads the file when there is one.
MarginsSettings readMarginsFile(const WorkDir& workDir);

std::string formatMargins(const MarginsSettings& settings);
WriteResult writeMarginsFile(const WorkDir& workDir, const MarginsSettings& settings);

}  // namespace quillon
