// Path text helpers: paths read from settings files may use "\" or "/" as separator.
#pragma once

#include <string>
#include <string_view>

namespace quillon::paths {

bool isSeparator(char c);

// The path with every "\" turned into the native "/".
std::string normalizeSeparators(std::string_view path);

// dir + "/" + name, without doubling a separator that dir already ends with.
std::string join(std::string_view dir, std::string_view name);

// The part after the last separator of either kind.
std::string_view fileName(std::string_view path);

// The part up to and including the last separator of either kind; empty when none.
std::string_view directoryOf(std::string_view path);

// The path with a trailing separator removed (a lone root "/" stays).
std::string withoutTrailingSeparator(std::string_view path);

// Whether the file name's extension (after its last ".") is this one, case ignored, as the
// Windows names of the hub's files are compared: "report.csv" has the extension "CSV".
bool hasExtension(std::string_view path, std::string_view extension);

}  // namespace quillon::paths
