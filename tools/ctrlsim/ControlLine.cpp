#include "ctrlsim/ControlLine.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "ctrlsim/LinePacer.h"
#include "ctrlsim/StopRequest.h"
#include "platform/PosixSerialLine.h"
#include "platform/SystemError.h"

namespace quillon::ctrlsim {

namespace {

// Errors that mean the line is gone rather than broken: the other side of a
// pseudo-terminal closed (EIO), a USB adapter was pulled out (ENXIO, ENODEV).
bool isClosedLine(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

LineIo outcome(ssize_t moved)
{
    if (moved >= 0)
        return {static_cast<std::size_t>(moved), LineIo::State::Ok, 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return {};
    if (isClosedLine(errno))
        return {0, LineIo::State::Closed, errno};
    return {0, LineIo::State::Failed, errno};
}

}  // namespace

std::unique_ptr<ControlLine> ControlLine::createPseudoTerminal(std::string* error)
{
    int master = -1;
    int slave = -1;
    std::array<char, 256> name{};
    if (::openpty(&master, &slave, name.data(), nullptr, nullptr) != 0) {
        if (error)
            *error = errnoText(errno);
        return nullptr;
    }
    // A pseudo-terminal pair has one set of line settings, the slave's; the master's
    // termios calls reach them too. They are made raw once, here, so that a program that
    // takes the line as it finds it gets every byte unchanged; after that they belong to
    // the program on the other side, which sets its own flow control and never has them
    // changed under it.
    termios raw{};
    if (::tcgetattr(slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    // Our copy of the slave is closed: while no program has it open the master reports a
    // hang-up, which is how the runner sees the other side come and go.
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    return std::unique_ptr<ControlLine>(new ControlLine(master, name.data(), nullptr, 0));
}

std::unique_ptr<ControlLine> ControlLine::openDevice(const std::string& path,
                                                     const LineSettings& settings,
                                                     std::string* error)
{
    auto device = PosixSerialLine::open(path, error);
    if (!device)
        return nullptr;
    LineSettings driverSettings = settings;
    driverSettings.softwareFlow = false;
    switch (device->configure(driverSettings)) {
    case ConfigureResult::Ok:
        break;
    case ConfigureResult::CannotRetrieve:
        if (error)
            *error = "cannot read the line settings";
        return nullptr;
    case ConfigureResult::CannotSet:
        if (error)
            *error = "the device refuses the line settings";
        return nullptr;
    }
    const int fd = device->fd();
    return std::unique_ptr<ControlLine>(
        new ControlLine(fd, path, std::move(device), settings.baudRate));
}

ControlLine::ControlLine(int fd, std::string path, std::shared_ptr<PosixSerialLine> device,
                         int baud)
    : m_fd(fd), m_path(std::move(path)), m_device(std::move(device)), m_baudRate(baud)
{
}

ControlLine::~ControlLine()
{
    if (m_device)
        m_device->close();
    else if (m_fd >= 0)
        ::close(m_fd);
}

LineIo ControlLine::read(char* into, std::size_t limit)
{
    ssize_t got;
    do {
        got = ::read(m_fd, into, limit);
    } while (got < 0 && errno == EINTR);
    // A device read returns 0 only when it went away (VMIN and VTIME are 0, so an empty
    // queue gives EAGAIN under O_NONBLOCK).
    if (got == 0 && limit > 0)
        return {0, LineIo::State::Closed, 0};
    return outcome(got);
}

LineIo ControlLine::write(std::string_view bytes)
{
    ssize_t written;
    do {
        written = ::write(m_fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return outcome(written);
}

std::size_t ControlLine::driverQueue() const
{
    int queued = 0;
    if (!m_device || ::ioctl(m_fd, TIOCOUTQ, &queued) != 0)
        return 0;
    return static_cast<std::size_t>(std::max(queued, 0));
}

Duration ControlLine::characterTime() const
{
    return m_device ? ctrlsim::characterTime(m_baudRate, bitsPerCharacter()) : Duration::zero();
}

int ControlLine::bitsPerCharacter() const
{
    // The master of a pseudo-terminal answers with its slave's settings, where the system
    // keeps eight data bits without parity for seven with even parity: the same length.
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0)
        return kBitsPerCharacter;
    int dataBits = 8;
    switch (settings.c_cflag & CSIZE) {
    case CS5:
        dataBits = 5;
        break;
    case CS6:
        dataBits = 6;
        break;
    case CS7:
        dataBits = 7;
        break;
    default:
        break;
    }
    return 1 + dataBits + ((settings.c_cflag & PARENB) ? 1 : 0) +
           ((settings.c_cflag & CSTOPB) ? 2 : 1);
}

bool ControlLine::drain(const StopRequest& stop)
{
    if (!m_device)
        return true;
    // tcdrain waits in the driver; a signal interrupts it (the handlers are installed
    // without SA_RESTART), which is the only way out when CTS stays low.
    while (::tcdrain(m_fd) != 0) {
        if (errno != EINTR || stop.requested())
            return false;
    }
    return true;
}

}  // namespace quillon::ctrlsim
