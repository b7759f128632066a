// A lock one process at a time can hold on a file, released by the system when the holder
// ends however it ends (an advisory flock on the open file), so a crash leaves no stale
// lock behind to clear by hand.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace quillon {

class ProcessLock {
public:
    // Creates the file when missing. Nothing when another process holds the lock or the
    // file cannot be opened; `why` then says which, and `held` is set when the lock is
    // taken (so that the caller can word that case in its own terms).
    static std::unique_ptr<ProcessLock> acquire(const std::filesystem::path& file,
                                                std::string* why = nullptr, bool* held = nullptr);
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

private:
    explicit ProcessLock(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor;
};

}  // namespace quillon
