// File attributes as this platform has them.
//
// The original program read the Windows attribute bits. Here "read-only" means the
// write permission bit of the class the current user falls in (owner, group, other)
// is clear; it is read from the mode bits and not from access(2), so that a file the
// user marked read-only counts as such even for root. Linux has no hidden or system
// attribute; names beginning with "." are the nearest thing and the callers that care
// test the name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

struct FileAttributes {
    bool isDirectory = false;
    bool isRegularFile = false;
    bool readOnly = false;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;  // since 1970, UTC
    std::int64_t accessedNanoseconds = 0;
    std::int64_t modifiedNanoseconds = 0;
};

// Nothing, with the errno in *error, when the path cannot be examined.
std::optional<FileAttributes> fileAttributes(const std::string& path, int* error = nullptr);

bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);

// Deletes a file; false when it did not exist or could not be deleted.
bool removeFile(const std::string& path);

// Whether the path itself (not what it points to) is a symbolic link.
bool isSymbolicLink(const std::string& path);

// Renames a file without ever replacing what the new name already names: an existing
// target is a failure (EEXIST), decided by the system in one step, so that nothing can
// appear in between. False with the errno in *error.
bool renameNoReplace(const std::string& from, const std::string& to, int* error = nullptr);

// Creates the folder and its missing parents; true when it exists afterwards.
bool makePath(const std::string& path);

}  // namespace quillon
