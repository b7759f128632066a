#include "ctrlsim/StopRequest.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillon::ctrlsim {

static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets the flag");

StopRequest::StopRequest()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_readFd = ends[0];
        m_writeFd = ends[1];
    }
}

StopRequest::~StopRequest()
{
    if (m_readFd >= 0)
        ::close(m_readFd);
    if (m_writeFd >= 0)
        ::close(m_writeFd);
}

void StopRequest::request() noexcept
{
    m_requested.store(true);
    if (m_writeFd >= 0) {
        // One byte is enough to wake the loop; a full pipe already wakes it.
        const char byte = 1;
        const ssize_t written = ::write(m_writeFd, &byte, 1);
        static_cast<void>(written);
    }
}

}  // namespace quillon::ctrlsim
