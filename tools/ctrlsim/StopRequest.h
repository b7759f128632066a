// A request to stop that a signal handler can make and a poll loop can wait on (a pipe
// that becomes readable), so that no signal is lost between a check and the wait.
#pragma once

#include <atomic>

namespace quillon::ctrlsim {

class StopRequest {
public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // Safe in a signal handler and from another thread.
    void request() noexcept;
    bool requested() const noexcept { return m_requested.load(); }
    // Readable once a stop was requested; for poll().
    int fd() const { return m_readFd; }

private:
    std::atomic<bool> m_requested{false};
    int m_readFd = -1;
    int m_writeFd = -1;
};

}  // namespace quillon::ctrlsim
