// A whole file read into one uninitialised block, for documents of hundreds of MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace quillon {

struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The file's bytes, or nothing with the errno in *error.
std::optional<FileBytes> readFileBytes(const std::string& path, int* error = nullptr);

// Flushes an open file and cuts it to its first `size` bytes; false when either fails.
bool cutOpenFile(std::FILE* file, std::uint64_t size);

// Modification time in nanoseconds since 1970 and size of a file; nothing when it does
// not exist.
struct FileStamp {
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t size = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> fileStamp(const std::string& path);

}  // namespace quillon
