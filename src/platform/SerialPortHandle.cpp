#include "platform/SerialPortHandle.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SystemError.h"

namespace quillon {

std::shared_ptr<SerialPortHandle> SerialPortHandle::open(const std::string& devicePath,
                                                         std::string* error)
{
    auto fail = [error](int code) {
        if (error)
            *error = errnoText(code);
        return nullptr;
    };
    int fd;
    do {
        fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(errno);

    // A path that is not a terminal (a plain file, /dev/null) is not a serial line.
    termios original{};
    if (::tcgetattr(fd, &original) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    return std::shared_ptr<SerialPortHandle>(new SerialPortHandle(fd, devicePath, original));
}

SerialPortHandle::SerialPortHandle(int fd, std::string devicePath, const termios& original)
    : m_fd(fd), m_devicePath(std::move(devicePath)), m_original(original)
{
}

SerialPortHandle::~SerialPortHandle()
{
    close();
}

void SerialPortHandle::purge()
{
    if (isOpen())
        ::tcflush(m_fd, TCIOFLUSH);
}

namespace {

// Runs the call again while a signal interrupts it.
template <typename Call>
auto retried(Call call)
{
    auto result = call();
    while (result < 0 && errno == EINTR)
        result = call();
    return result;
}

}  // namespace

ssize_t SerialPortHandle::read(char* buffer, std::size_t size)
{
    return retried([&] { return ::read(m_fd, buffer, size); });
}

ssize_t SerialPortHandle::write(const char* bytes, std::size_t size)
{
    return retried([&] { return ::write(m_fd, bytes, size); });
}

int SerialPortHandle::getAttributes(termios& settings)
{
    return retried([&] { return ::tcgetattr(m_fd, &settings); });
}

int SerialPortHandle::setAttributes(const termios& settings)
{
    return retried([&] { return ::tcsetattr(m_fd, TCSANOW, &settings); });
}

int SerialPortHandle::flow(int action)
{
    return retried([&] { return ::tcflow(m_fd, action); });
}

int SerialPortHandle::flush(int queues)
{
    return retried([&] { return ::tcflush(m_fd, queues); });
}

int SerialPortHandle::inputWaiting(int& bytes)
{
    return retried([&] { return ::ioctl(m_fd, FIONREAD, &bytes); });
}

int SerialPortHandle::outputWaiting(int& bytes)
{
    return retried([&] { return ::ioctl(m_fd, TIOCOUTQ, &bytes); });
}

int SerialPortHandle::modemLines(int& lines)
{
    return retried([&] { return ::ioctl(m_fd, TIOCMGET, &lines); });
}

int SerialPortHandle::setModemLines(int lines, bool on)
{
    return retried([&] { return ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &lines); });
}

int SerialPortHandle::errorCounts(serial_icounter_struct& counts)
{
    return retried([&] { return ::ioctl(m_fd, TIOCGICOUNT, &counts); });
}

short SerialPortHandle::pendingEvents()
{
    pollfd watch{m_fd, POLLIN, 0};
    return retried([&] { return ::poll(&watch, 1, 0); }) > 0 ? watch.revents : 0;
}

void SerialPortHandle::close()
{
    if (!isOpen())
        return;
    ::ioctl(m_fd, TIOCNXCL);
    ::tcsetattr(m_fd, TCSANOW, &m_original);
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace quillon
