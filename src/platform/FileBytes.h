// A whole file read into one uninitialised block, for documents of hundreds of MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
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

// The same, read in pieces small enough to stay in the processor's cache, with
// arrived(data, size) called after each: data holds all `size` bytes read so far and may
// move between calls. Whoever looks at the bytes as they come reads them from the cache,
// not a second time from memory.
using BytesArrived = std::function<void(const char* data, std::size_t size)>;
std::optional<FileBytes> readFileBytes(const std::string& path, int* error,
                                       const BytesArrived& arrived);

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
