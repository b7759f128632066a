#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace quillon {

namespace {

// write(2) may write less than asked and may be interrupted.
bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

WriteResult failure(int error)
{
    return {false, errnoText(error)};
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

WriteResult replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string target = paths::normalizeSeparators(path);
    std::string work = target + ".qltXXXXXX";
    const int fd = ::mkstemp(work.data());
    if (fd < 0)
        return failure(errno);

    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777)
                                                          : (0666 & ~currentUmask());
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(work.c_str());
        return failure(error);
    }
    if (::rename(work.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(work.c_str());
        return failure(error);
    }
    syncFolder(std::string(paths::directoryOf(target)));
    return {true, {}};
}

WriteResult appendToFile(const std::string& path, std::string_view bytes)
{
    const std::string target = paths::normalizeSeparators(path);
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return failure(errno);
    const bool written = writeAll(fd, bytes);
    const int error = errno;
    ::close(fd);
    return written ? WriteResult{true, {}} : failure(error);
}

}  // namespace quillon
