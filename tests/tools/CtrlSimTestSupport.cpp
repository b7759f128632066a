#include "tools/CtrlSimTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>

#include "ctrlsim/ControlLine.h"
#include "ctrlsim/ControlRunner.h"

extern char** environ;

namespace quillon::test {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

int msLeft(steady_clock::time_point until)
{
    const auto left = std::chrono::duration_cast<milliseconds>(until - steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

}  // namespace

OtherSide::OtherSide(const std::string& path, bool ixon)
{
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    termios line{};
    ::tcgetattr(m_fd, &line);
    ::cfmakeraw(&line);
    if (ixon)
        line.c_iflag |= IXON;
    line.c_cc[VSTART] = 0x11;
    line.c_cc[VSTOP] = 0x13;
    ::tcsetattr(m_fd, TCSANOW, &line);
}

OtherSide::~OtherSide()
{
    close();
}

void OtherSide::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool OtherSide::write(std::string_view bytes)
{
    const auto until = steady_clock::now() + milliseconds(kPatienceMs);
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd room{m_fd, POLLOUT, 0};
        if (::poll(&room, 1, msLeft(until)) <= 0)
            return false;
    }
    return true;
}

std::string OtherSide::read(std::size_t count, int timeoutMs)
{
    return readBytes(m_fd, count, timeoutMs);
}

std::string readBytes(int fd, std::size_t count, int timeoutMs)
{
    const auto until = steady_clock::now() + milliseconds(timeoutMs);
    std::string bytes;
    std::array<char, 4096> buffer;
    while (bytes.size() < count) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, msLeft(until)) <= 0)
            break;
        const ssize_t got =
            ::read(fd, buffer.data(), std::min(buffer.size(), count - bytes.size()));
        if (got > 0)
            bytes.append(buffer.data(), static_cast<std::size_t>(got));
        else if (got == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return bytes;
}

std::string OtherSide::readUntilQuiet(int quietMs)
{
    std::string bytes;
    std::array<char, 4096> buffer;
    for (;;) {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, quietMs) <= 0)
            return bytes;
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got > 0)
            bytes.append(buffer.data(), static_cast<std::size_t>(got));
        else if (got == 0 || (errno != EAGAIN && errno != EINTR))
            return bytes;
    }
}

SimulatorThread::SimulatorThread(std::unique_ptr<ctrlsim::ControlSession> session,
                                 std::optional<int> lineRate)
    : m_session(std::move(session))
{
    std::string error;
    m_line = ctrlsim::ControlLine::createPseudoTerminal(&error);
    if (!m_line)
        return;
    m_path = m_line->path();
    m_thread = std::thread([this, lineRate] {
        ctrlsim::ControlRunner runner(*m_line, *m_session, m_stop);
        if (lineRate)
            runner.setLineRate(*lineRate);
        runner.setObserver({{}, [this](std::string_view bytes) {
                                std::lock_guard lock(m_mutex);
                                m_written.append(bytes);
                                m_changed.notify_all();
                            }});
        const ctrlsim::SessionEnd end = runner.run();
        std::lock_guard lock(m_mutex);
        m_end = end;
        m_changed.notify_all();
    });
}

SimulatorThread::~SimulatorThread()
{
    m_stop.request();
    if (m_thread.joinable())
        m_thread.join();
}

std::optional<ctrlsim::SessionEnd> SimulatorThread::waitForEnd(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, milliseconds(timeoutMs), [this] { return m_end.has_value(); });
    return m_end;
}

bool SimulatorThread::waitForWritten(char byte, std::size_t count, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, milliseconds(timeoutMs), [&] {
        return static_cast<std::size_t>(std::count(m_written.begin(), m_written.end(), byte)) >=
               count;
    });
}

std::string SimulatorThread::written() const
{
    std::lock_guard lock(m_mutex);
    return m_written;
}

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments)
{
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    std::vector<std::string> all{QUILLONLT_CTRLSIM_BINARY};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    m_outFd = out[0];
    m_errFd = err[0];
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    for (const int fd : {m_outFd, m_errFd}) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::string SimulatorProcess::firstLine()
{
    const auto until = steady_clock::now() + milliseconds(kPatienceMs);
    std::array<char, 256> buffer;
    while (m_out.find('\n') == std::string::npos) {
        pollfd ready{m_outFd, POLLIN, 0};
        if (::poll(&ready, 1, msLeft(until)) <= 0)
            return {};
        const ssize_t got = ::read(m_outFd, buffer.data(), buffer.size());
        if (got <= 0)
            return {};
        m_out.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return m_out.substr(0, m_out.find('\n'));
}

void SimulatorProcess::signal(int number)
{
    if (m_pid > 0)
        ::kill(m_pid, number);
}

std::optional<int> SimulatorProcess::waitForExit(int timeoutMs)
{
    if (m_pid <= 0)
        return std::nullopt;
    // The error output ends when the program does.
    const auto until = steady_clock::now() + milliseconds(timeoutMs);
    std::array<char, 4096> buffer;
    for (;;) {
        pollfd ready{m_errFd, POLLIN, 0};
        if (::poll(&ready, 1, msLeft(until)) <= 0)
            return std::nullopt;
        const ssize_t got = ::read(m_errFd, buffer.data(), buffer.size());
        if (got <= 0)
            break;
        m_err.append(buffer.data(), static_cast<std::size_t>(got));
    }
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

char bcc(std::string_view bytes)
{
    unsigned check = 0;
    for (const char byte : bytes)
        check ^= static_cast<unsigned char>(byte);
    return static_cast<char>(check);
}

std::string fanucHeader(std::string_view typeAndName, char first)
{
    const std::string body = std::string{first, 'N', typeAndName[0], '\x02'} +
                             std::string(typeAndName.substr(1)) + "\x03";
    return "\x01" + body + bcc(body);
}

std::string fanucBlock(std::string_view data)
{
    const std::string body = std::string(data) + "\x03";
    return "\x02" + body + bcc(body);
}

std::string heidenhainBlock(std::string_view data, char lead)
{
    const std::string body = lead + std::string(data) + "\x17";
    return body + static_cast<char>(bcc(body) & 0x7f);
}

std::string mazakBlock(std::string_view text)
{
    return "p00\x02" + std::string(text) + "\x03\x04";
}

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quillon::test
