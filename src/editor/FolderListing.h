// What the directory tree shows below a folder: its subfolders and files, by name.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct FolderEntries {
    std::vector<std::string> folders;
    std::vector<std::string> files;  // empty unless files were asked for
};

// Names that begin with "." are left out: on Linux they are what hidden files are, and the
// tree never showed hidden files.
bool isHiddenName(std::string_view name);

// Byte order with the ASCII letters folded to one case; names that differ only in case
// keep a fixed order between them.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// The folder's subfolders and, with showFiles, its other entries, each list sorted with
// lessIgnoringCase. A folder that cannot be read lists nothing.
FolderEntries listFolder(const std::string& folder, bool showFiles);

// Whether listFolder would list anything, without reading more of the folder than needed.
bool hasChildren(const std::string& folder, bool showFiles);

// A path found below one of the tree's roots.
struct PathUnderRoot {
    std::size_t root = 0;            // index into the roots
    std::vector<std::string> names;  // the levels below that root, top down
};

// The root that holds the path (of several, the longest, so that a path in the home folder
// is found below the home root rather than below "/"), matched by whole names and
// case-sensitively since Linux paths are. Both separators are accepted. Nothing when no
// root holds the path.
std::optional<PathUnderRoot> locateUnderRoots(const std::vector<std::string>& roots,
                                              std::string_view path);

}  // namespace quillon
