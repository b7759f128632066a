#include "support/FakeSerialLineDevice.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quillon::test {

namespace {

int failWith(int error)
{
    errno = error;
    return -1;
}

}  // namespace

void FakeSerialLineDevice::transmit(std::size_t count)
{
    if (outputStopped)
        return;
    const std::size_t moved = std::min(count, driverQueue.size());
    wire += driverQueue.substr(0, moved);
    driverQueue.erase(0, moved);
}

ssize_t FakeSerialLineDevice::read(char* buffer, std::size_t size)
{
    if (!m_open)
        return failWith(EBADF);
    if (input.empty())
        return failWith(EAGAIN);
    const std::size_t taken = std::min(size, input.size());
    std::memcpy(buffer, input.data(), taken);
    input.erase(0, taken);
    return static_cast<ssize_t>(taken);
}

ssize_t FakeSerialLineDevice::write(const char* bytes, std::size_t size)
{
    if (!m_open)
        return failWith(EBADF);
    if (writeError != 0)
        return failWith(writeError);
    driverQueue.append(bytes, size);
    return static_cast<ssize_t>(size);
}

int FakeSerialLineDevice::getAttributes(termios& current)
{
    current = settings;
    return m_open ? 0 : failWith(EBADF);
}

int FakeSerialLineDevice::setAttributes(const termios& next)
{
    settings = next;
    return m_open ? 0 : failWith(EBADF);
}

int FakeSerialLineDevice::flow(int action)
{
    if (action == TCOOFF)
        outputStopped = true;
    else if (action == TCOON)
        outputStopped = false;
    return 0;
}

int FakeSerialLineDevice::flush(int)
{
    input.clear();
    driverQueue.clear();
    return 0;
}

int FakeSerialLineDevice::inputWaiting(int& bytes)
{
    bytes = static_cast<int>(input.size());
    return 0;
}

int FakeSerialLineDevice::outputWaiting(int& bytes)
{
    bytes = countsOutput ? static_cast<int>(driverQueue.size()) : 0;
    return 0;
}

int FakeSerialLineDevice::modemLines(int& lines)
{
    if (!hasModemLines)
        return failWith(ENOTTY);
    lines = modem;
    return 0;
}

int FakeSerialLineDevice::setModemLines(int lines, bool on)
{
    if (!hasModemLines)
        return failWith(ENOTTY);
    modem = on ? (modem | lines) : (modem & ~lines);
    return 0;
}

int FakeSerialLineDevice::errorCounts(serial_icounter_struct& current)
{
    current = counts;
    return 0;
}

short FakeSerialLineDevice::pendingEvents()
{
    short events = input.empty() ? 0 : POLLIN;
    if (hungUp)
        events |= POLLHUP;
    return events;
}

}  // namespace quillon::test
