#include "platform/PosixSerialLine.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/SerialPortHandle.h"

namespace quillon {

namespace {

struct Speed {
    int rate;
    speed_t code;
};

constexpr Speed kSpeeds[] = {
    {110, B110},     {150, B150},     {300, B300},     {600, B600},
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

// Output that has not moved for this long, with bytes waiting and XON/XOFF on, is taken
// as stopped by the control's XOFF (at least three characters' time, so that slow lines
// are not mistaken for held ones).
std::chrono::milliseconds stallTime(int baudRate)
{
    const int charactersPerSecond = std::max(1, baudRate / 11);
    return std::max(std::chrono::milliseconds(150),
                    std::chrono::milliseconds(3000 / charactersPerSecond));
}

double charactersPerSecond(const LineSettings& settings)
{
    // Start bit, data bits, parity and stop bits make a character.
    const int bits =
        1 + settings.dataBits + (settings.parity == LineParity::None ? 0 : 1) + settings.stopBits;
    return static_cast<double>(settings.baudRate) / bits;
}

// Errors of a device that went away: the other side of a pseudo-terminal closed, a USB
// adapter pulled out.
bool isLoss(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

// The one system clock every opened device is timed by.
const SystemSteadyClock kSystemSteadyClock;

}  // namespace

std::shared_ptr<PosixSerialLine> PosixSerialLine::open(const std::string& devicePath,
                                                       std::string* error)
{
    auto handle = SerialPortHandle::open(devicePath, error);
    if (!handle)
        return nullptr;
    const int fd = handle->fd();
    return std::shared_ptr<PosixSerialLine>(
        new PosixSerialLine(std::move(handle), kSystemSteadyClock, fd));
}

std::shared_ptr<PosixSerialLine> PosixSerialLine::over(std::shared_ptr<SerialTerminal> device,
                                                       const SteadyClock& clock)
{
    return std::shared_ptr<PosixSerialLine>(new PosixSerialLine(std::move(device), clock, -1));
}

LineOpener posixLineOpener()
{
    return [](const std::string& devicePath, std::string* error) -> std::shared_ptr<SerialLine> {
        return PosixSerialLine::open(devicePath, error);
    };
}

PosixSerialLine::PosixSerialLine(std::shared_ptr<SerialTerminal> device, const SteadyClock& clock,
                                 int fd)
    : m_device(std::move(device)),
      m_clock(clock),
      m_fd(fd),
      m_outQueueSince(clock.now()),
      m_estimatedAt(clock.now())
{
}

PosixSerialLine::~PosixSerialLine() = default;

const std::string& PosixSerialLine::devicePath() const
{
    return m_device->devicePath();
}

bool PosixSerialLine::isOpen() const
{
    return m_device->isOpen();
}

std::optional<termios> PosixSerialLine::termiosFor(const termios& current,
                                                   const LineSettings& settings, bool holding)
{
    const auto speed = std::find_if(std::begin(kSpeeds), std::end(kSpeeds),
                                    [&](const Speed& s) { return s.rate == settings.baudRate; });
    if (speed == std::end(kSpeeds))
        return std::nullopt;
    termios line = current;
    // Raw bytes both ways: no echo, no line editing, no signals, no translation; bytes with
    // a parity error are passed on as they came (the error is counted, not marked).
    line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                           ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
    line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    line.c_cflag |= CREAD | CLOCAL;
    line.c_cflag |= settings.dataBits == 7 ? CS7 : CS8;
    if (settings.parity == LineParity::Even)
        line.c_cflag |= PARENB;
    if (settings.stopBits == 2)
        line.c_cflag |= CSTOPB;
    if (settings.hardwareFlow)
        line.c_cflag |= CRTSCTS;
    if (settings.softwareFlow) {
        line.c_iflag |= IXOFF;
        // While holding for the control's XON the XON must reach us.
        if (!holding)
            line.c_iflag |= IXON;
    }
    line.c_cc[VSTART] = kXon;
    line.c_cc[VSTOP] = kXoff;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    ::cfsetispeed(&line, speed->code);
    ::cfsetospeed(&line, speed->code);
    return line;
}

ConfigureResult PosixSerialLine::configure(const LineSettings& settings)
{
    termios current{};
    if (!isOpen() || m_device->getAttributes(current) != 0)
        return ConfigureResult::CannotRetrieve;
    const auto line = termiosFor(current, settings, m_holding);
    if (!line || m_device->setAttributes(*line) != 0)
        return ConfigureResult::CannotSet;
    m_settings = settings;
    // DTR and RTS up: the control sees a live line (with RTS/CTS the driver then moves RTS).
    setModemLine(TIOCM_DTR, true);
    setModemLine(TIOCM_RTS, true);
    // A new exchange starts from what the control says now.
    m_dsrHolding = false;
    m_modemLinesKnown = false;
    applyOutputHolds();
    newErrors();  // counting starts now
    m_errors = 0;
    m_writeFailure = 0;
    return ConfigureResult::Ok;
}

void PosixSerialLine::setModemLine(int line, bool on)
{
    // A driver without modem lines (ENOTTY, EINVAL) simply has none to set.
    if (isOpen())
        m_device->setModemLines(line, on);
}

void PosixSerialLine::setRts(bool on)
{
    setModemLine(TIOCM_RTS, on);
}

void PosixSerialLine::setDtr(bool on)
{
    setModemLine(TIOCM_DTR, on);
}

void PosixSerialLine::noteReadFailure(int error)
{
    if (isLoss(error))
        m_lost = true;
    m_errors |= LineError::IoError;
}

void PosixSerialLine::noteWriteFailure(int error)
{
    // A device that went away is reported as lost; any other refusal is the exchange's
    // business, with its number.
    if (isLoss(error)) {
        m_lost = true;
        m_errors |= LineError::IoError;
    } else {
        m_writeFailure = error;
    }
}

std::uint32_t PosixSerialLine::newErrors()
{
    serial_icounter_struct counts{};
    if (!isOpen() || m_device->errorCounts(counts) != 0)
        return 0;  // no counters on this driver: no errors
    std::uint32_t errors = 0;
    if (m_haveCounts) {
        if (counts.frame != m_counts.frame)
            errors |= LineError::Frame;
        if (counts.parity != m_counts.parity)
            errors |= LineError::Parity;
        if (counts.overrun != m_counts.overrun || counts.buf_overrun != m_counts.buf_overrun)
            errors |= LineError::Overrun;
    }
    m_counts = counts;
    m_haveCounts = true;
    return errors;
}

void PosixSerialLine::applyOutputHolds()
{
    const bool stop = m_holding || m_dsrHolding;
    if (stop == m_outputStopped || !isOpen())
        return;
    // The estimate of what has gone out counts up to here at the old pace.
    advanceEstimate(m_clock.now());
    m_device->flow(stop ? TCOOFF : TCOON);
    m_outputStopped = stop;
}

void PosixSerialLine::watchDsr()
{
    if (!m_settings.hardwareFlow || !isOpen())
        return;
    int lines = 0;
    // A driver that cannot tell (ENOTTY, EINVAL) leaves the output to CTS alone, as before.
    m_modemLinesKnown = m_device->modemLines(lines) == 0;
    m_dsrHolding = m_modemLinesKnown && (lines & TIOCM_DSR) == 0;
    applyOutputHolds();
}

std::size_t PosixSerialLine::driverRoom(TimePoint now) const
{
    if (!m_settings.hardwareFlow || !m_modemLinesKnown)
        return SIZE_MAX;
    const auto limit = std::max(
        kHandshakeQueueFloor,
        static_cast<std::size_t>(charactersPerSecond(m_settings) *
                                 std::chrono::duration<double>(kHandshakeQueueTime).count()));
    const std::size_t queued = driverQueueEstimate(now);
    return queued >= limit ? 0 : limit - queued;
}

void PosixSerialLine::pushPending()
{
    while (!m_pending.empty() && !m_holding && !m_dsrHolding && !m_lost && isOpen()) {
        const auto now = m_clock.now();
        const std::size_t size = std::min(m_pending.size(), driverRoom(now));
        if (size == 0)
            break;
        const ssize_t written = m_device->write(m_pending.data(), size);
        if (written > 0) {
            advanceEstimate(now);
            m_handedOver += static_cast<std::size_t>(written);
            m_pending.erase(0, static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN)
            noteWriteFailure(errno);
        break;
    }
}

void PosixSerialLine::watchForXon()
{
    std::array<char, 4096> buffer;
    while (m_holding && isOpen()) {
        const ssize_t got = m_device->read(buffer.data(), buffer.size());
        if (got <= 0) {
            if (got < 0 && errno != EAGAIN)
                noteReadFailure(errno);
            return;
        }
        for (ssize_t i = 0; i < got; ++i) {
            const char byte = buffer[static_cast<std::size_t>(i)];
            // The driver would have taken its flow characters out; so do we.
            if (byte == kXon && m_holding) {
                releaseHold();
                continue;
            }
            if (m_settings.softwareFlow && (byte == kXon || byte == kXoff))
                continue;
            m_readAhead.push_back(byte);
        }
    }
}

void PosixSerialLine::releaseHold()
{
    m_holding = false;
    applyOutputHolds();
    if (m_settings.softwareFlow)
        setIxon(true);
    pushPending();
}

bool PosixSerialLine::setIxon(bool on)
{
    termios line{};
    if (m_device->getAttributes(line) != 0)
        return false;
    if (on)
        line.c_iflag |= IXON;
    else
        line.c_iflag &= ~static_cast<tcflag_t>(IXON);
    return m_device->setAttributes(line) == 0;
}

void PosixSerialLine::holdOutputUntilXon()
{
    if (!isOpen() || m_holding)
        return;
    m_holding = true;
    applyOutputHolds();
    setIxon(false);
}

std::size_t PosixSerialLine::sentSinceEstimate(TimePoint now) const
{
    if (m_outputStopped || m_handedOver == m_sentEstimate)
        return 0;  // nothing moves on the line meanwhile
    const double seconds = std::chrono::duration<double>(now - m_estimatedAt).count();
    return std::min(m_handedOver - m_sentEstimate,
                    static_cast<std::size_t>(seconds * charactersPerSecond(m_settings)));
}

void PosixSerialLine::advanceEstimate(TimePoint now)
{
    const std::size_t sent = sentSinceEstimate(now);
    if (sent == 0) {
        if (m_outputStopped || m_handedOver == m_sentEstimate)
            m_estimatedAt = now;
        return;
    }
    m_sentEstimate += sent;
    // The fraction of a character in flight stays counted for the next time.
    m_estimatedAt += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(sent) /
                                      charactersPerSecond(m_settings)));
}

std::size_t PosixSerialLine::notYetOnTheWire(TimePoint now) const
{
    return m_handedOver - m_sentEstimate - sentSinceEstimate(now);
}

std::size_t PosixSerialLine::driverOutQueue() const
{
    int driverOut = 0;
    if (m_device->outputWaiting(driverOut) != 0)
        driverOut = 0;
    return static_cast<std::size_t>(std::max(driverOut, 0));
}

std::size_t PosixSerialLine::driverQueueEstimate(TimePoint now) const
{
    // A UART counts exactly; a pseudo-terminal or a USB adapter that answers 0 would
    // otherwise be filled far ahead of the line.
    return std::max(driverOutQueue(), notYetOnTheWire(now));
}

void PosixSerialLine::service()
{
    if (!isOpen() || m_lost)
        return;
    if (m_device->pendingEvents() & (POLLHUP | POLLERR | POLLNVAL))
        m_lost = true;
    if (m_holding)
        watchForXon();
    watchDsr();
    pushPending();
    const auto now = m_clock.now();
    advanceEstimate(now);
    // A stopped driver may still take bytes into its buffer, or refuse them: either way
    // nothing that waits moves.
    const std::size_t unsent = driverOutQueue() + m_pending.size();
    if (unsent != m_lastOutQueue || unsent == 0) {
        m_lastOutQueue = unsent;
        m_outQueueSince = now;
    }
}

LineStatus PosixSerialLine::status() const
{
    LineStatus status;
    if (!isOpen() || m_lost) {
        status.lost = true;
        return status;
    }
    int waiting = 0;
    if (m_device->inputWaiting(waiting) == 0)
        status.inQueue = static_cast<std::size_t>(std::max(waiting, 0));
    status.inQueue += m_readAhead.size();
    const auto now = m_clock.now();
    // What the driver holds is at least what the line cannot have sent yet at its speed.
    status.outQueue = driverQueueEstimate(now) + m_pending.size();

    int modem = 0;
    if (m_settings.hardwareFlow && m_device->modemLines(modem) == 0) {
        status.ctsHold = (modem & TIOCM_CTS) == 0;
        status.dsrHold = (modem & TIOCM_DSR) == 0;
    }

    const std::size_t unsent = driverOutQueue() + m_pending.size();
    const bool stalled = unsent > 0 && unsent == m_lastOutQueue &&
                         now - m_outQueueSince >= stallTime(m_settings.baudRate);
    status.xoffHold =
        m_holding || (m_settings.softwareFlow && stalled && !status.ctsHold && !status.dsrHold);
    return status;
}

LineErrors PosixSerialLine::takeErrors()
{
    LineErrors errors;
    errors.flags = m_errors | newErrors();
    errors.writeFailure = m_writeFailure;
    m_errors = 0;
    m_writeFailure = 0;
    return errors;
}

std::string PosixSerialLine::read(std::size_t limit, int* error)
{
    if (error)
        *error = 0;
    if (m_holding)
        watchForXon();
    std::string bytes = m_readAhead.substr(0, std::min(limit, m_readAhead.size()));
    m_readAhead.erase(0, bytes.size());
    if (bytes.size() >= limit || !isOpen() || m_lost)
        return bytes;
    const std::size_t start = bytes.size();
    bytes.resize(limit);
    ssize_t got = m_device->read(bytes.data() + start, limit - start);
    if (got < 0) {
        if (errno != EAGAIN) {
            if (error)
                *error = errno;
            noteReadFailure(errno);
        }
        got = 0;
    }
    bytes.resize(start + static_cast<std::size_t>(got));
    return bytes;
}

void PosixSerialLine::write(std::string_view bytes)
{
    m_pending.append(bytes);
    watchDsr();
    pushPending();
}

void PosixSerialLine::purge()
{
    m_pending.clear();
    m_readAhead.clear();
    m_sentEstimate = m_handedOver;
    if (isOpen())
        m_device->flush(TCIOFLUSH);
}

void PosixSerialLine::close()
{
    m_pending.clear();
    m_readAhead.clear();
    m_holding = false;
    m_dsrHolding = false;
    m_outputStopped = false;
    m_device->close();
}

}  // namespace quillon
