#include "platform/ProcessLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SystemError.h"

namespace quillon {

std::unique_ptr<ProcessLock> ProcessLock::acquire(const std::filesystem::path& file,
                                                  std::string* why, bool* held)
{
    if (held)
        *held = false;
    const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        if (why)
            *why = file.string() + ": " + errnoText(errno);
        return nullptr;
    }
    // flock locks belong to the open file: a second open in this same process is refused
    // as another process's would be.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (held)
            *held = error == EWOULDBLOCK;
        if (why)
            *why = error == EWOULDBLOCK ? file.string() + ": held by another process"
                                        : file.string() + ": " + errnoText(error);
        return nullptr;
    }
    return std::unique_ptr<ProcessLock>(new ProcessLock(descriptor));
}

ProcessLock::~ProcessLock()
{
    ::close(m_descriptor);
}

}  // namespace quillon
