// Writing user and settings files so that a failure never leaves a half-written file.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

struct WriteResult {
    bool ok = false;
    std::string error;  // the system's text when !ok
};

// Writes the bytes to a new file in the target's folder, flushes it to disk and renames
// it over the target. The target keeps its permissions; a new target gets the usual
// ones (0666 less the umask). On any failure the old file is untouched and the work
// file is removed.
WriteResult replaceFileAtomically(const std::string& path, std::string_view bytes);

// Appends the bytes, creating the file when missing.
WriteResult appendToFile(const std::string& path, std::string_view bytes);

}  // namespace quillon
