#include "platform/Paths.h"

#include <algorithm>
#include <cctype>

namespace quillon::paths {

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

std::string normalizeSeparators(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

std::string join(std::string_view dir, std::string_view name)
{
    std::string result(dir);
    if (!result.empty() && !isSeparator(result.back()))
        result += '/';
    result += name;
    return result;
}

static std::string_view::size_type lastSeparator(std::string_view path)
{
    return path.find_last_of("/\\");
}

std::string_view fileName(std::string_view path)
{
    const auto pos = lastSeparator(path);
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string_view directoryOf(std::string_view path)
{
    const auto pos = lastSeparator(path);
    return pos == std::string_view::npos ? std::string_view{} : path.substr(0, pos + 1);
}

std::string withoutTrailingSeparator(std::string_view path)
{
    std::string result(path);
    while (result.size() > 1 && isSeparator(result.back()))
        result.pop_back();
    return result;
}

bool hasExtension(std::string_view path, std::string_view extension)
{
    const std::string_view name = fileName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view own = name.substr(dot + 1);
    return std::ranges::equal(own, extension, [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    });
}

}  // namespace quillon::paths
