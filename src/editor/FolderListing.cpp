#include "editor/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace quillon {

namespace fs = std::filesystem;

namespace {

char foldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Calls visit(name, isFolder) for every entry that is not hidden until visit returns false.
template <typename Visit>
void forEachEntry(const std::string& folder, Visit visit)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (isHiddenName(name))
            continue;
        std::error_code ignored;  // a dangling link is listed as a file
        if (!visit(name, it->is_directory(ignored)))
            return;
    }
}

std::vector<std::string> splitNames(std::string_view path)
{
    std::vector<std::string> names;
    const std::string normalized = paths::normalizeSeparators(path);
    std::string::size_type start = 0;
    while (start < normalized.size()) {
        auto end = normalized.find('/', start);
        if (end == std::string::npos)
            end = normalized.size();
        if (end > start)
            names.push_back(normalized.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

bool isAbsolute(std::string_view path)
{
    return !path.empty() && paths::isSeparator(path.front());
}

}  // namespace

bool isHiddenName(std::string_view name)
{
    return !name.empty() && name.front() == '.';
}

bool lessIgnoringCase(std::string_view a, std::string_view b)
{
    const auto folded = [](char x, char y) { return foldCase(x) < foldCase(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded))
        return false;
    return a < b;
}

FolderEntries listFolder(const std::string& folder, bool showFiles)
{
    FolderEntries entries;
    forEachEntry(folder, [&](const std::string& name, bool isFolder) {
        if (isFolder)
            entries.folders.push_back(name);
        else if (showFiles)
            entries.files.push_back(name);
        return true;
    });
    std::sort(entries.folders.begin(), entries.folders.end(), lessIgnoringCase);
    std::sort(entries.files.begin(), entries.files.end(), lessIgnoringCase);
    return entries;
}

bool hasChildren(const std::string& folder, bool showFiles)
{
    bool found = false;
    forEachEntry(folder, [&](const std::string&, bool isFolder) {
        found = isFolder || showFiles;
        return !found;
    });
    return found;
}

std::optional<PathUnderRoot> locateUnderRoots(const std::vector<std::string>& roots,
                                              std::string_view path)
{
    const std::vector<std::string> names = splitNames(path);
    std::optional<PathUnderRoot> best;
    std::size_t bestDepth = 0;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (roots[i].empty() || isAbsolute(roots[i]) != isAbsolute(path))
            continue;
        const std::vector<std::string> rootNames = splitNames(roots[i]);
        const bool holds = rootNames.size() <= names.size() &&
                           std::equal(rootNames.begin(), rootNames.end(), names.begin());
        if (!holds || (best && rootNames.size() <= bestDepth))
            continue;
        best = PathUnderRoot{
            i, {names.begin() + static_cast<std::ptrdiff_t>(rootNames.size()), names.end()}};
        bestDepth = rootNames.size();
    }
    return best;
}

}  // namespace quillon
