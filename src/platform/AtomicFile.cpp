#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

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

namespace {

// A link is followed, so that saving through it replaces the file it names instead of
// turning the link into a file of its own.
std::string resolvedTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return path;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path)
    : m_target(resolvedTarget(paths::normalizeSeparators(path))), m_work(m_target + ".qltXXXXXX")
{
    m_fd = ::mkstemp(m_work.data());
    if (m_fd < 0) {
        m_work.clear();
        fail(errno);
    }
}

AtomicFileWriter::AtomicFileWriter(std::string path, std::string workPath)
    : m_target(resolvedTarget(paths::normalizeSeparators(path))),
      m_work(paths::normalizeSeparators(workPath))
{
    m_fd = ::open(m_work.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_work.clear();
        fail(errno);
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

bool AtomicFileWriter::fail(int errorCode)
{
    m_errorCode = errorCode != 0 ? errorCode : EIO;
    discard();
    return false;
}

void AtomicFileWriter::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_work.empty()) {
        ::unlink(m_work.c_str());
        m_work.clear();
    }
}

std::string AtomicFileWriter::error() const
{
    return ok() ? std::string() : errnoText(m_errorCode);
}

bool AtomicFileWriter::write(std::string_view bytes)
{
    if (!ok())
        return false;
    return writeAll(m_fd, bytes) || fail(errno);
}

void AtomicFileWriter::setTimes(std::int64_t accessedNanoseconds, std::int64_t modifiedNanoseconds)
{
    m_timesGiven = true;
    m_accessed = accessedNanoseconds;
    m_modified = modifiedNanoseconds;
}

bool AtomicFileWriter::commit()
{
    if (!ok())
        return false;
    struct stat old {};
    const bool replacing = ::stat(m_target.c_str(), &old) == 0;
    const mode_t mode = replacing ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    // The replaced file's owner and group stay where the rights allow it (root saving an
    // operator's program); otherwise the file is the saver's, as any new file is.
    if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        const int kept = ::fchown(m_fd, old.st_uid, old.st_gid);
        static_cast<void>(kept);
    }
    if (::fchmod(m_fd, mode) != 0 || ::fsync(m_fd) != 0)
        return fail(errno);
    if (m_timesGiven) {
        const auto time = [](std::int64_t nanoseconds) {
            return timespec{static_cast<time_t>(nanoseconds / 1'000'000'000),
                            static_cast<long>(nanoseconds % 1'000'000'000)};
        };
        const timespec times[2] = {time(m_accessed), time(m_modified)};
        if (::futimens(m_fd, times) != 0)
            return fail(errno);
    }
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(m_work.c_str(), m_target.c_str()) != 0)
        return fail(errno);
    m_work.clear();
    syncFolder(std::string(paths::directoryOf(m_target)));
    return true;
}

WriteResult replaceFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFileWriter writer(path);
    writer.write(bytes);
    writer.commit();
    return {writer.ok(), writer.error()};
}

WriteResult appendToFile(const std::string& path, std::string_view bytes)
{
    const std::string target = paths::normalizeSeparators(path);
    const int fd = ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return {false, errnoText(errno)};
    const bool written = writeAll(fd, bytes);
    const int error = errno;
    ::close(fd);
    return written ? WriteResult{true, {}} : WriteResult{false, errnoText(error)};
}

}  // namespace quillon
