#include "monitoring/HubFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Paths.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

// The components of a relative name; nothing when one of them is "." or "..".
std::optional<std::vector<std::string_view>> componentsOf(std::string_view relativeName)
{
    std::vector<std::string_view> components;
    while (!relativeName.empty()) {
        const auto end = std::min(relativeName.find_first_of("/\\"), relativeName.size());
        const auto component = relativeName.substr(0, end);
        if (component == "." || component == "..")
            return std::nullopt;
        if (!component.empty())
            components.push_back(component);
        relativeName.remove_prefix(std::min(end + 1, relativeName.size()));
    }
    if (components.empty())
        return std::nullopt;
    return components;
}

// The entry of the folder that the name means: the exact spelling when it exists, else
// the first in name order that differs only in case.
std::optional<fs::path> entryOf(const fs::path& folder, std::string_view name)
{
    std::error_code error;
    const fs::path exact = folder / std::string(name);
    if (fs::exists(fs::symlink_status(exact, error)))
        return exact;
    std::optional<std::string> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (equalIgnoringCase(entry, name) && (!found || entry < *found))
            found = entry;
    }
    if (!found)
        return std::nullopt;
    return folder / *found;
}

std::optional<fs::path> resolve(std::string_view hubDirectory, std::string_view relativeName,
                                bool mayBeMissing)
{
    if (hubDirectory.empty())
        return std::nullopt;
    const auto components = componentsOf(relativeName);
    if (!components)
        return std::nullopt;
    fs::path current = paths::normalizeSeparators(hubDirectory);
    std::error_code error;
    for (std::size_t n = 0; n < components->size(); ++n) {
        const bool last = n + 1 == components->size();
        auto entry = entryOf(current, (*components)[n]);
        if (!entry && last && mayBeMissing)
            entry = current / std::string((*components)[n]);
        if (!entry)
            return std::nullopt;
        if (!last && !fs::is_directory(*entry, error))
            return std::nullopt;
        current = *entry;
    }
    if (fs::is_directory(current, error))
        return std::nullopt;
    return current;
}

std::optional<std::string> pathText(const std::optional<fs::path>& path)
{
    if (!path)
        return std::nullopt;
    return path->string();
}

}  // namespace

std::optional<std::string> findHubFile(std::string_view hubDirectory,
                                       std::string_view relativeName)
{
    return pathText(resolve(hubDirectory, relativeName, false));
}

std::optional<std::string> hubFileForWriting(std::string_view hubDirectory,
                                             std::string_view relativeName)
{
    return pathText(resolve(hubDirectory, relativeName, true));
}

std::optional<std::string> readHubFile(std::string_view hubDirectory,
                                       std::string_view relativeName)
{
    const auto path = findHubFile(hubDirectory, relativeName);
    if (!path)
        return std::nullopt;
    return readFile(*path);
}

std::string shownHubFileName(std::string_view hubDirectory, std::string_view relativeName)
{
    std::string shown(relativeName);
    if (!hubDirectory.empty() && hubDirectory.back() == '/')
        std::replace(shown.begin(), shown.end(), '\\', '/');
    return std::string(hubDirectory) + shown;
}

}  // namespace quillon
