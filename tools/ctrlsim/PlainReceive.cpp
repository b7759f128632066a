#include "ctrlsim/PlainReceive.h"

#include <algorithm>

#include "dnc/SerialLine.h"
#include "platform/AtomicFile.h"

namespace quillon::ctrlsim {

namespace {

// While the buffer is full the runner stops reading; it looks again once this many bytes
// have been executed (or the whole buffer, when it is smaller), so that a fast control does
// not wake the loop for every byte.
constexpr std::size_t kRoomStep = 16;

}  // namespace

PlainReceive::PlainReceive(const PlainReceiveSettings& settings, std::string targetPath,
                           std::unique_ptr<AtomicFileWriter> store)
    : m_settings(settings),
      m_target(std::move(targetPath)),
      m_store(std::move(store)),
      m_buffer(settings.buffer)
{
}

PlainReceive::~PlainReceive() = default;

void PlainReceive::start(TimePoint now)
{
    m_buffer.advance(now);
    if (m_settings.xonAtStart)
        m_xonAtStartDue = now + m_settings.startDelay;
}

void PlainReceive::update(TimePoint now)
{
    m_buffer.advance(now);
    if (m_xonAtStartDue && now >= *m_xonAtStartDue) {
        m_xonAtStartDue.reset();
        m_flowOut.push_back(kXon);
        note("XON sent: ready to read");
    }
    if (m_xoffSent && m_buffer.fill() <= m_settings.buffer.lowWater) {
        m_xoffSent = false;
        m_flowOut.push_back(kXon);
        m_quietSince = now;
        note("XON sent, buffer at " + std::to_string(m_buffer.fill()) + " bytes");
    }
    if (m_buffer.room() == 0 && m_quietSince)
        m_quietSince = now;
}

std::size_t PlainReceive::inputRoom(TimePoint now)
{
    update(now);
    return m_store->ok() ? m_buffer.room() : 0;
}

void PlainReceive::received(std::string_view bytes, TimePoint now)
{
    if (bytes.empty())
        return;
    update(now);
    if (!m_firstByte)
        m_firstByte = now;
    m_lastByte = now;
    m_quietSince = now;
    m_received += bytes.size();
    m_store->write(bytes);
    m_buffer.put(bytes.size(), now);
    if (m_settings.xonXoff && !m_xoffSent && m_buffer.fill() >= m_settings.buffer.highWater) {
        m_xoffSent = true;
        m_flowOut.push_back(kXoff);
        note("XOFF sent, buffer at " + std::to_string(m_buffer.fill()) + " bytes");
    }
}

bool PlainReceive::hasOutput(TimePoint now)
{
    update(now);
    return !m_flowOut.empty();
}

std::string PlainReceive::takeOutput(std::size_t limit, TimePoint now)
{
    update(now);
    std::string out = m_flowOut.substr(0, limit);
    m_flowOut.erase(0, out.size());
    return out;
}

std::optional<TimePoint> PlainReceive::nextDeadline(TimePoint now)
{
    update(now);
    std::optional<TimePoint> deadline = m_xonAtStartDue;
    if (m_xoffSent)
        deadline = earlierOf(deadline, m_buffer.whenFillIs(m_settings.buffer.lowWater, now));
    if (m_buffer.room() == 0) {
        const std::size_t step = std::min(kRoomStep, m_settings.buffer.capacity);
        deadline =
            earlierOf(deadline, m_buffer.whenFillIs(m_settings.buffer.capacity - step, now));
    }
    if (m_settings.idleEnd && m_quietSince && !holdingOtherSide())
        deadline = earlierOf(deadline, *m_quietSince + *m_settings.idleEnd);
    return deadline;
}

bool PlainReceive::done(TimePoint now)
{
    update(now);
    if (!m_store->ok())
        return true;
    return m_settings.idleEnd && m_quietSince && !holdingOtherSide() &&
           now - *m_quietSince >= *m_settings.idleEnd;
}

SessionEnd PlainReceive::end(EndCause cause, TimePoint now)
{
    static_cast<void>(now);
    if (!m_store->ok())
        return {1, "cannot store " + m_target + ": " + m_store->error()};
    if (m_received == 0) {
        const char* why = cause == EndCause::Stopped ? "stopped" : "the line closed";
        return {1, std::string(why) + " before anything was received; nothing stored"};
    }
    if (!m_store->commit())
        return {1, "cannot store " + m_target + ": " + m_store->error()};
    const Duration took = *m_lastByte - *m_firstByte;
    return {cause == EndCause::LineFailed ? 1 : 0, "received " + std::to_string(m_received) +
                                                       " bytes in " + secondsText(took) +
                                                       ", stored in " + m_target};
}

}  // namespace quillon::ctrlsim
