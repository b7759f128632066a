#include "platform/SerialPortHandle.h"

#include <fcntl.h>
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
