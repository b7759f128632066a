#include "ctrlsim/PlainSend.h"

#include "ctrlsim/ProgramSource.h"
#include "dnc/CharacterCodes.h"
#include "dnc/SerialLine.h"

namespace quillon::ctrlsim {

namespace {

// What the other side sends is only looked at for flow characters; this much is taken
// from the line at a time.
constexpr std::size_t kListenChunk = 4096;

// "Are you ready?": the other side answers a lone one with DC1.
constexpr char kDc2 = 0x12;
constexpr char kTopBit = static_cast<char>(0x80);

}  // namespace

PlainSend::PlainSend(const PlainSendSettings& settings, std::unique_ptr<ProgramSource> program)
    : m_settings(settings), m_program(std::move(program))
{
    if (m_settings.waitForXon || m_settings.dc2First)
        m_settings.xonXoff = true;
    if (m_settings.dc2First)
        m_query = Query::Due;
}

PlainSend::~PlainSend() = default;

void PlainSend::start(TimePoint now)
{
    if (m_settings.waitForXon) {
        note("waiting for XON");
        return;
    }
    m_startAt = now + m_settings.startDelay;
}

std::size_t PlainSend::inputRoom(TimePoint)
{
    return kListenChunk;
}

void PlainSend::received(std::string_view bytes, TimePoint now)
{
    if (!m_settings.xonXoff)
        return;
    for (const char byte : bytes) {
        if (byte == kXoff && !m_held) {
            m_held = true;
            if (m_startAt)
                note("held by XOFF after " + std::to_string(m_written) + " bytes");
        } else if (byte == kXon) {
            if (!m_startAt) {
                m_startAt = now;
                note(m_query == Query::Due ? "XON received: asking with DC2"
                                           : "XON received: sending");
            } else if (m_query == Query::Sent) {
                // Only a DC1 after the DC2 is on the line answers it.
                m_query = Query::Answered;
                note("XON answered the DC2: sending");
            } else if (m_held) {
                note("XON received: going on");
            }
            m_held = false;
        }
    }
}

bool PlainSend::sending(TimePoint now) const
{
    return m_startAt && now >= *m_startAt && !m_held;
}

char PlainSend::onLine(char byte) const
{
    byte = translateForSending(m_settings.code, byte);
    if (m_settings.highBit && m_settings.code != CharacterCode::Bin)
        byte = static_cast<char>(byte | kTopBit);
    return byte;
}

bool PlainSend::hasOutput(TimePoint now)
{
    if (!sending(now))
        return false;
    return m_query == Query::Due || (m_query == Query::Answered && !m_program->atEnd());
}

std::string PlainSend::takeOutput(std::size_t limit, TimePoint now)
{
    if (!sending(now) || limit == 0)
        return {};
    if (m_query == Query::Due) {
        m_query = Query::Taken;
        return std::string(1, onLine(kDc2));
    }
    if (m_query != Query::Answered)
        return {};
    std::string piece = m_program->take(limit);
    for (char& byte : piece)
        byte = onLine(byte);
    return piece;
}

void PlainSend::written(std::size_t count, TimePoint now)
{
    if (m_query == Query::Taken && count > 0) {
        m_query = Query::Sent;
        --count;
        note("DC2 sent: waiting for XON");
    }
    if (count == 0)
        return;
    if (!m_firstByte)
        m_firstByte = now;
    m_lastByte = now;
    m_written += count;
}

std::optional<TimePoint> PlainSend::nextDeadline(TimePoint now)
{
    if (m_startAt && *m_startAt > now)
        return m_startAt;
    return std::nullopt;
}

bool PlainSend::done(TimePoint)
{
    return m_query == Query::Answered && m_program->atEnd();
}

SessionEnd PlainSend::end(EndCause cause, TimePoint)
{
    std::string counts =
        std::to_string(m_written) + " of " + std::to_string(m_program->size()) + " bytes";
    if (m_query != Query::Answered)
        counts += m_query == Query::Sent ? " (no XON answered the DC2)" : " (before the DC2)";
    if (m_program->failed())
        return {1, "reading the program failed after " + counts + ": " + m_program->error()};
    const bool complete = m_written == m_program->size();
    if (complete && (cause == EndCause::Done || cause == EndCause::LineClosed)) {
        const Duration took = m_firstByte ? *m_lastByte - *m_firstByte : Duration::zero();
        return {0, "sent " + std::to_string(m_program->size()) + " bytes in " + secondsText(took)};
    }
    switch (cause) {
    case EndCause::Stopped:
        if (complete)
            return {1, "stopped after sending all " + std::to_string(m_program->size()) +
                           " bytes, before the other side closed the line (it may not "
                           "have read them all)"};
        return {1, "stopped after " + counts};
    case EndCause::LineClosed:
        return {1, "the line closed after " + counts};
    default:
        return {1, "the line failed after " + counts};
    }
}

}  // namespace quillon::ctrlsim
