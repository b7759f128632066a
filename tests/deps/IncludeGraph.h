// The folders of src/ as the #include lines connect them, and the rules those arrows keep:
// no cycles, no Qt and no ui/ folder below the core, no ui/ folder reaching into another
// subsystem's ui/ except where the program is put together.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillon::deps {

// One #include line of a source file.
struct IncludeLine {
    std::string file;  // relative to src/, e.g. "editor/ui/CLiView.cpp"
    int lineNumber = 0;
    std::string text;    // the line as written
    std::string target;  // the folder of a header of ours ("app/ui"); empty for others
    bool qt = false;     // a Qt header (<QWidget>, <QtCore/...>)
};

// An arrow between two folders that is tolerated for now, with the reason it exists.
struct KnownArrow {
    std::string from;
    std::string to;
    std::string reason;
};

struct FolderRules {
    // May include the ui/ folder of any subsystem: they wire the subsystems together.
    std::vector<std::string> compositionRoots;
    // ui-level folders every ui/ folder may include.
    std::vector<std::string> sharedUiBases;
    // Arrows left out of the cycle search until the code they stand for moves.
    std::vector<KnownArrow> knownArrows;
};

// The rules of this repository; docs/DEPENDENCIES.md explains them.
FolderRules repositoryRules();

// The folder a source file or header path belongs to: "editor/ui/CLiView.h" -> "editor/ui".
std::string folderOf(const std::string& path);
// A folder named ui (at any depth), or the chart component, which is Qt through and through.
bool isUiLevel(const std::string& folder);

// Every #include line of the .h and .cpp files under `srcDir`, in a stable order.
std::vector<IncludeLine> readIncludes(const std::filesystem::path& srcDir);

// One message per broken rule, each naming the file, the line and the include; empty when
// the graph keeps every rule.
std::vector<std::string> checkIncludes(const std::vector<IncludeLine>& includes,
                                       const FolderRules& rules);

}  // namespace quillon::deps
