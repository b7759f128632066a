#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"

namespace quillon {

namespace {

// What is read at a time for a caller that looks at the bytes as they come: well inside
// the second-level cache of any processor we run on.
constexpr std::size_t kPiece = std::size_t{256} << 10;

// From this size on a block is worth asking huge pages for.
constexpr std::size_t kHugePageWorthy = std::size_t{4} << 20;

// An uninitialised block of the size. A big one is asked to be backed by 2 MiB pages: the
// first touch of a fresh page (a fault, and the kernel clearing it) is most of what reading a
// file of a hundred megabytes costs, and a huge page takes one fault for 512 small ones.
// The advice is only a hint: where the system has no huge pages to give, nothing changes.
std::unique_ptr<char[]> freshBlock(std::size_t size)
{
    auto block = std::make_unique_for_overwrite<char[]>(size);
    if (size >= kHugePageWorthy) {
        const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto start = reinterpret_cast<std::uintptr_t>(block.get());
        const std::uintptr_t first = (start + pageSize - 1) / pageSize * pageSize;
        const std::uintptr_t end = (start + size) / pageSize * pageSize;
#ifdef MADV_HUGEPAGE
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
    }
    return block;
}

}  // namespace

std::optional<FileBytes> readFileBytes(const std::string& path, int* error)
{
    return readFileBytes(path, error, nullptr);
}

std::optional<FileBytes> readFileBytes(const std::string& path, int* error,
                                       const BytesArrived& arrived)
{
    auto fail = [error](int code) -> std::optional<FileBytes> {
        if (error)
            *error = code;
        return std::nullopt;
    };
    const std::string native = paths::normalizeSeparators(path);
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int code = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(code);
    }
    // The size is a first guess: a file that grows while it is read (or a device that
    // reports none) is read to its end all the same.
    std::size_t capacity = static_cast<std::size_t>(st.st_size) + 1;
    FileBytes bytes{freshBlock(capacity), 0};
    while (true) {
        if (bytes.size == capacity) {
            const std::size_t larger = capacity * 2;
            auto grown = freshBlock(larger);
            std::memcpy(grown.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(grown);
            capacity = larger;
        }
        const std::size_t wanted = std::min(capacity - bytes.size, arrived ? kPiece : capacity);
        const ssize_t got = ::read(fd, bytes.data.get() + bytes.size, wanted);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int code = errno;
            ::close(fd);
            return fail(code);
        }
        if (got == 0)
            break;
        bytes.size += static_cast<std::size_t>(got);
        if (arrived)
            arrived(bytes.data.get(), bytes.size);
    }
    ::close(fd);
    return bytes;
}

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat st {};
    if (::stat(paths::normalizeSeparators(path).c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
        static_cast<std::uint64_t>(st.st_size)};
}

bool cutOpenFile(std::FILE* file, std::uint64_t size)
{
    if (std::fflush(file) != 0)
        return false;
    return ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0;
}

}  // namespace quillon
