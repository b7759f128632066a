#include "ctrlsim/ControlRunner.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <ctime>

#include "ctrlsim/ControlLine.h"
#include "ctrlsim/StopRequest.h"
#include "platform/SystemError.h"

namespace quillon::ctrlsim {

namespace {

// While no program has the pseudo-terminal open, the master reports a hang-up that poll
// cannot wait past; the runner looks again this often.
constexpr Duration kPeerRecheck = std::chrono::milliseconds(50);

// Taken from the line at a time.
constexpr std::size_t kReadChunk = 4096;
// Handed to the line at a time. A session that is told to stop (XOFF) stops after at most
// this many bytes more.
constexpr std::size_t kWriteChunk = 256;
// The most taken from the driver when stopped: its queue, not a sender that keeps going.
constexpr std::size_t kStopReadLimit = 64 * 1024;
// The most left in a device's output queue. Bytes queued in the driver still leave after
// an XOFF, so the queue is kept about as shallow as a control's own transmitter, which
// stops within a few characters.
constexpr std::size_t kShallowQueue = 32;

}  // namespace

ControlRunner::ControlRunner(ControlLine& line, ControlSession& session, const StopRequest& stop)
    : m_line(line), m_session(session), m_stop(stop)
{
}

void ControlRunner::setLineRate(int baudRate)
{
    m_lineRate = baudRate;
    m_bitsPerCharacter = m_line.bitsPerCharacter();
    m_inPacer = LinePacer(baudRate, m_bitsPerCharacter);
    m_outPacer = LinePacer(baudRate, m_bitsPerCharacter);
}

void ControlRunner::followFraming()
{
    if (!m_lineRate)
        return;
    const int bits = m_line.bitsPerCharacter();
    if (bits == m_bitsPerCharacter)
        return;
    m_bitsPerCharacter = bits;
    note("the line's framing now takes " + std::to_string(bits) + " bits a character");
    m_inPacer.setCharacterTime(characterTime(*m_lineRate, bits));
    m_outPacer.setCharacterTime(characterTime(*m_lineRate, bits));
}

void ControlRunner::setObserver(RunnerObserver observer)
{
    m_observer = std::move(observer);
}

void ControlRunner::note(const std::string& text) const
{
    if (m_observer.note)
        m_observer.note(text);
}

EndCause ControlRunner::failed(const char* action, int error)
{
    m_failure = std::string(action) + " " + m_line.path() + " failed: " + errnoText(error);
    return EndCause::LineFailed;
}

SessionEnd ControlRunner::run()
{
    if (!m_line.isPseudoTerminal()) {
        m_started = true;
        m_session.start(SimClock::now());
    }
    std::optional<EndCause> cause;
    while (!cause)
        cause = step();
    if (*cause == EndCause::Stopped && m_started)
        takeWhatArrived(SimClock::now());
    if (*cause == EndCause::Done && !m_line.drain(m_stop))
        cause = EndCause::Stopped;
    return m_session.end(*cause, SimClock::now());
}

void ControlRunner::takeWhatArrived(TimePoint now)
{
    // Bytes in the driver's input queue have come over the line; a control stopped now
    // still has them, whatever its buffer and the pacing would have let through.
    for (std::size_t taken = 0; taken < kStopReadLimit;) {
        const LineIo io = passOn(kReadChunk, now);
        if (io.count == 0)
            return;
        taken += io.count;
    }
}

LineIo ControlRunner::passOn(std::size_t limit, TimePoint now)
{
    std::array<char, kReadChunk> buffer;
    const LineIo io = m_line.read(buffer.data(), std::min(limit, kReadChunk));
    if (io.count > 0) {
        m_inPacer.moved(io.count, now);
        m_session.received(std::string_view(buffer.data(), io.count), now);
    }
    return io;
}

EndCause ControlRunner::lineClosed()
{
    note("the other side closed the line");
    return EndCause::LineClosed;
}

std::optional<EndCause> ControlRunner::step()
{
    const TimePoint now = SimClock::now();
    if (m_stop.requested())
        return EndCause::Stopped;
    if (!m_started)
        return waitForOtherSide(now);
    followFraming();

    if (m_session.done(now) && m_unsent.empty()) {
        // Closing the master of a pseudo-terminal throws away what the other side has not
        // read yet, and nothing says when it has; so a session whose output must arrive
        // keeps the line until the other side lets go of it.
        if (!m_line.isPseudoTerminal() || !m_session.deliversOutput())
            return EndCause::Done;
        if (!m_awaitingClose) {
            m_awaitingClose = true;
            note("all sent; waiting for the other side to close the line");
        }
    }
    if (m_hungUp)
        return takeRestAfterHangUp(now);
    if (m_awaitingClose) {
        short revents = 0;
        wait(0, std::nullopt, &revents);
        if (revents & (POLLHUP | POLLERR))
            m_hungUp = true;
        return std::nullopt;
    }

    short events = 0;
    std::optional<TimePoint> wake = m_session.nextDeadline(now);
    if (m_session.inputRoom(now) > 0) {
        if (m_inPacer.allowance(now) > 0)
            events |= POLLIN;
        else
            wake = earlierOf(wake, m_inPacer.nextAllowed());
    }
    if (!m_unsent.empty() || m_session.hasOutput(now)) {
        if (m_outPacer.allowance(now) == 0) {
            wake = earlierOf(wake, m_outPacer.nextAllowed());
        } else if (driverRoom() == 0) {
            // A tty reports room for output long before its queue is this shallow; look
            // again when the surplus should have left.
            const std::size_t queued = m_line.driverQueue();
            const std::size_t surplus = queued >= kShallowQueue ? queued - kShallowQueue + 1 : 1;
            wake = earlierOf(wake, now + m_line.characterTime() * static_cast<int>(surplus));
        } else {
            events |= POLLOUT;
        }
    }

    short revents = 0;
    wait(events, wake, &revents);
    const TimePoint after = SimClock::now();
    if (m_stop.requested())
        return EndCause::Stopped;
    if (revents & POLLNVAL)
        return failed("polling", EBADF);
    if (revents & POLLIN) {
        if (auto cause = readIn(after))
            return cause;
    }
    if (revents & POLLOUT) {
        if (auto cause = writeOut(after))
            return cause;
    }
    // The rest of what came before the hang-up is still read (takeRestAfterHangUp).
    if (revents & (POLLHUP | POLLERR))
        m_hungUp = true;
    return std::nullopt;
}

std::optional<EndCause> ControlRunner::waitForOtherSide(TimePoint now)
{
    pollfd probe{m_line.fd(), POLLIN, 0};
    while (::poll(&probe, 1, 0) < 0 && errno == EINTR) {
    }
    // Bytes waiting mean a program opened the line, even if it has closed it again.
    if (!(probe.revents & POLLHUP) || (probe.revents & POLLIN)) {
        m_started = true;
        note("the other side opened " + m_line.path());
        m_session.start(now);
        return std::nullopt;
    }
    wait(0, now + kPeerRecheck, nullptr);
    return std::nullopt;
}

std::optional<EndCause> ControlRunner::takeRestAfterHangUp(TimePoint now)
{
    // What the other side wrote before it closed is still read, at the session's pace;
    // then the line counts as closed.
    if (m_awaitingClose)
        return lineClosed();
    const std::size_t room = m_session.inputRoom(now);
    const std::size_t allowed = m_inPacer.allowance(now);
    if (room > 0 && allowed > 0) {
        if (passOn(std::min(room, allowed), now).count == 0)
            return lineClosed();
        return std::nullopt;
    }
    std::optional<TimePoint> wake = m_session.nextDeadline(now);
    if (room > 0)
        wake = earlierOf(wake, m_inPacer.nextAllowed());
    wait(0, wake, nullptr);
    return std::nullopt;
}

std::optional<EndCause> ControlRunner::readIn(TimePoint now)
{
    const std::size_t limit = std::min(m_session.inputRoom(now), m_inPacer.allowance(now));
    if (limit == 0)
        return std::nullopt;
    const LineIo io = passOn(limit, now);
    if (io.state == LineIo::State::Closed)
        return lineClosed();
    if (io.state == LineIo::State::Failed)
        return failed("reading", io.error);
    return std::nullopt;
}

std::size_t ControlRunner::driverRoom() const
{
    if (m_line.isPseudoTerminal())
        return kWriteChunk;
    const std::size_t queued = m_line.driverQueue();
    return queued >= kShallowQueue ? 0 : kShallowQueue - queued;
}

std::optional<EndCause> ControlRunner::writeOut(TimePoint now)
{
    const std::size_t limit = std::min({m_outPacer.allowance(now), driverRoom(), kWriteChunk});
    if (limit == 0)
        return std::nullopt;
    if (m_unsent.empty())
        m_unsent = m_session.takeOutput(limit, now);
    if (m_unsent.empty())
        return std::nullopt;
    const std::string_view piece = std::string_view(m_unsent).substr(0, limit);
    const LineIo io = m_line.write(piece);
    if (io.state == LineIo::State::Closed)
        return lineClosed();
    if (io.state == LineIo::State::Failed)
        return failed("writing to", io.error);
    if (io.count > 0) {
        m_outPacer.moved(io.count, now);
        m_session.written(io.count, now);
        if (m_observer.wrote)
            m_observer.wrote(piece.substr(0, io.count));
        m_unsent.erase(0, io.count);
    }
    return std::nullopt;
}

void ControlRunner::wait(short lineEvents, std::optional<TimePoint> until, short* lineRevents)
{
    std::array<pollfd, 2> fds{{{m_stop.fd(), POLLIN, 0}, {m_line.fd(), lineEvents, 0}}};
    // Before the other side is there the line is left out: its hang-up would end every
    // wait at once.
    const nfds_t count = lineRevents ? 2 : 1;
    timespec timeout{};
    timespec* timeoutPointer = nullptr;
    if (until) {
        const auto left = std::max(Duration::zero(), *until - SimClock::now());
        const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timeout.tv_sec = static_cast<time_t>(nanos / 1'000'000'000);
        timeout.tv_nsec = static_cast<long>(nanos % 1'000'000'000);
        timeoutPointer = &timeout;
    }
    // EINTR: a signal came; the caller looks at the stop request and calls again.
    if (::ppoll(fds.data(), count, timeoutPointer, nullptr) > 0 && lineRevents)
        *lineRevents = fds[1].revents;
}

}  // namespace quillon::ctrlsim
