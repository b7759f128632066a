#include "support/PseudoTerminal.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

namespace quillon::test {

PseudoTerminal::PseudoTerminal()
{
    std::array<char, 256> name{};
    if (::openpty(&m_master, &m_slave, name.data(), nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_devicePath = name.data();
    // The slave stays open here so that the pair survives the program closing its side.
}

PseudoTerminal::~PseudoTerminal()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

void PseudoTerminal::send(std::string_view bytes) const
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

std::string PseudoTerminal::receive(std::size_t count, int timeoutMs) const
{
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd watch{m_master, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            continue;
        std::array<char, 4096> buffer;
        const ssize_t n =
            ::read(m_master, buffer.data(), std::min(buffer.size(), count - bytes.size()));
        if (n <= 0)
            break;
        bytes.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return bytes;
}

std::string PseudoTerminal::receiveAll(int quietMs) const
{
    std::string bytes;
    for (;;) {
        std::string more = receive(1 << 16, quietMs);
        if (more.empty())
            return bytes;
        bytes += more;
    }
}

termios PseudoTerminal::settings() const
{
    termios line{};
    ::tcgetattr(m_master, &line);
    return line;
}

void PseudoTerminal::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    // The slave kept here would keep the line up; it goes too.
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
}

ComOverride::ComOverride(int port, const std::string& device)
    : m_name("QUILLONLT_COM" + std::to_string(port))
{
    ::setenv(m_name.c_str(), device.c_str(), 1);
}

ComOverride::~ComOverride()
{
    ::unsetenv(m_name.c_str());
}

}  // namespace quillon::test
