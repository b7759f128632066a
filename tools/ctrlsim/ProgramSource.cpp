#include "ctrlsim/ProgramSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/SystemError.h"

namespace quillon::ctrlsim {

namespace {

// Pieces this big keep the number of reads low without holding much of the file.
constexpr std::size_t kPieceSize = 4096;

}  // namespace

std::unique_ptr<ProgramSource> ProgramSource::open(const std::string& path, std::string* error)
{
    auto fail = [error](std::string text) {
        if (error)
            *error = std::move(text);
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errnoText(errno));
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    const int code = errno;
    if (!statted || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(statted ? "not a regular file" : errnoText(code));
    }
    return std::unique_ptr<ProgramSource>(
        new ProgramSource(fd, static_cast<std::uint64_t>(st.st_size)));
}

ProgramSource::ProgramSource(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}

ProgramSource::~ProgramSource()
{
    ::close(m_fd);
}

std::string ProgramSource::error() const
{
    return m_error ? errnoText(m_error) : std::string();
}

std::string ProgramSource::take(std::size_t limit)
{
    if (atEnd())
        return {};
    const auto left = m_size - m_taken;
    std::string piece(static_cast<std::size_t>(std::min<std::uint64_t>(
                          {left, static_cast<std::uint64_t>(limit), kPieceSize})),
                      '\0');
    ssize_t got;
    do {
        got = ::pread(m_fd, piece.data(), piece.size(), static_cast<off_t>(m_taken));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // A file that shrank while it was being sent ends the program short: a failure.
        m_error = got < 0 ? errno : EIO;
        return {};
    }
    piece.resize(static_cast<std::size_t>(got));
    m_taken += piece.size();
    return piece;
}

std::optional<std::string> ProgramSource::takeLine()
{
    if (atEnd())
        return std::nullopt;
    std::string line;
    while (!atEnd()) {
        const std::uint64_t at = m_taken;
        const std::string piece = take(kPieceSize);
        const std::size_t lf = piece.find('\n');
        if (lf != std::string::npos) {
            line.append(piece, 0, lf);
            m_taken = at + lf + 1;  // the rest of the piece is read again with the next line
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        line += piece;
    }
    if (failed())
        return std::nullopt;
    return line;
}

}  // namespace quillon::ctrlsim
