// A program file read piece by piece (or line by line) as it is sent, so that a program
// of hundreds of MB costs no more memory than one piece.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quillon::ctrlsim {

class ProgramSource {
public:
    // The file opened for reading; nothing, with the reason in *error, when it cannot be.
    static std::unique_ptr<ProgramSource> open(const std::string& path, std::string* error);
    ~ProgramSource();
    ProgramSource(const ProgramSource&) = delete;
    ProgramSource& operator=(const ProgramSource&) = delete;

    std::uint64_t size() const { return m_size; }
    std::uint64_t taken() const { return m_taken; }
    bool atEnd() const { return m_taken >= m_size || failed(); }
    bool failed() const { return m_error != 0; }
    std::string error() const;

    // The next bytes, at most `limit`; empty at the end or after a failure.
    std::string take(std::size_t limit);
    // The next line without its end (LF or CR LF); nothing at the end or after a failure.
    // A last line without LF is a line too.
    std::optional<std::string> takeLine();
    // From the beginning again.
    void rewind() { m_taken = 0; }

private:
    ProgramSource(int fd, std::uint64_t size);

    int m_fd;
    std::uint64_t m_size;
    std::uint64_t m_taken = 0;
    int m_error = 0;
};

}  // namespace quillon::ctrlsim
