#include "ctrlsim/BlockSession.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

namespace quillon::ctrlsim {

namespace {

// Taken from the line at a time. The protocols answer block by block, so the PC never
// has much on the line at once.
constexpr std::size_t kReadChunk = 4096;
// How much of a long block a note shows.
constexpr std::size_t kShownBytes = 80;

}  // namespace

std::string shownBytes(std::string_view bytes, std::size_t limit)
{
    if (bytes.size() > limit)
        return shownBytes(bytes.substr(0, limit)) + "...";
    static constexpr std::pair<char, const char*> kNames[] = {
        {control::Soh, "SOH"}, {control::Stx, "STX"}, {control::Etx, "ETX"}, {control::Eot, "EOT"},
        {control::Enq, "ENQ"}, {control::Ack, "ACK"}, {control::Dle, "DLE"}, {control::Nak, "NAK"},
        {control::Etb, "ETB"}, {'\r', "CR"},          {'\n', "LF"},
    };
    std::string text;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        const auto named = std::find_if(std::begin(kNames), std::end(kNames),
                                        [byte](const auto& entry) { return entry.first == byte; });
        if (named != std::end(kNames))
            text += std::string("<") + named->second + ">";
        else if (code >= 0x20 && code < 0x7f)
            text += byte;
        else
            text += "<" + hexByte(byte).substr(2) + ">";
    }
    return text;
}

std::string hexByte(char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(byte));
    return text;
}

char xorOf(std::string_view bytes)
{
    char check = 0;
    for (const char byte : bytes)
        check ^= byte;
    return check;
}

BlockSession::BlockSession(const BlockSessionSettings& settings, bool opensExchange)
    : m_settings(settings), m_opensExchange(opensExchange)
{
}

BlockSession::~BlockSession() = default;

void BlockSession::start(TimePoint now)
{
    m_lastActivity = now;
    if (m_opensExchange)
        m_openAt = now + m_settings.startDelay;
}

void BlockSession::update(TimePoint now)
{
    if (m_openAt && now >= *m_openAt) {
        m_openAt.reset();
        m_lastActivity = now;
        opening();
    }
}

std::size_t BlockSession::inputRoom(TimePoint now)
{
    update(now);
    return kReadChunk;
}

void BlockSession::received(std::string_view bytes, TimePoint now)
{
    update(now);
    if (bytes.empty() || m_silent)
        return;
    m_lastActivity = now;
    for (const char byte : bytes) {
        if (finished() || m_silent)
            return;
        take(byte);
    }
}

bool BlockSession::hasOutput(TimePoint now)
{
    update(now);
    return !m_out.empty();
}

std::string BlockSession::takeOutput(std::size_t limit, TimePoint now)
{
    update(now);
    std::string out = m_out.substr(0, limit);
    m_out.erase(0, out.size());
    return out;
}

void BlockSession::written(std::size_t count, TimePoint now)
{
    if (count > 0)
        m_lastActivity = now;
}

std::optional<TimePoint> BlockSession::nextDeadline(TimePoint now)
{
    update(now);
    if (m_openAt)
        return m_openAt;
    if (finished() || m_silent || !m_settings.replyTimeout || !m_out.empty() || !waitingForPc())
        return std::nullopt;
    return m_lastActivity + *m_settings.replyTimeout;
}

bool BlockSession::done(TimePoint now)
{
    update(now);
    if (!finished() && !m_silent && m_settings.replyTimeout && m_out.empty() && waitingForPc() &&
        now - m_lastActivity >= *m_settings.replyTimeout) {
        if (pcHasNoMore()) {
            note("the PC has been quiet for " + secondsText(*m_settings.replyTimeout) +
                 ": it has nothing more");
            complete();
        } else {
            fail("the PC sent nothing for " + secondsText(*m_settings.replyTimeout) + " " +
                 position());
        }
    }
    // Whatever is queued goes to the line first, unless the control hangs up.
    return finished() && (m_out.empty() || m_hungUp);
}

SessionEnd BlockSession::end(EndCause cause, TimePoint)
{
    if (!finished() && !m_silent && cause == EndCause::LineClosed && pcHasNoMore()) {
        note("the PC closed the line: it has nothing more");
        complete();
    }
    if (m_complete)
        return store();
    std::string reason;
    if (m_failure) {
        reason = *m_failure;
    } else if (m_hungUp) {
        reason = "hung up as asked " + position();
    } else {
        switch (cause) {
        case EndCause::Stopped:
            reason = "stopped " + position();
            break;
        case EndCause::LineFailed:
            reason = "the line failed " + position();
            break;
        default:  // the line closed; Done comes only with an outcome
            reason = "the line closed " + position();
            break;
        }
        if (m_silent)
            reason += " (the control was silent as asked)";
    }
    return {1, reason + afterFailure()};
}

BlockSession::Answer BlockSession::answer(std::size_t block, std::string_view reply)
{
    const FaultPlan& faults = m_settings.faults;
    if (faults.silentAfter && block > *faults.silentAfter) {
        m_silent = true;
        note("silent from block " + std::to_string(block) + " on, as asked");
        return Answer::Withheld;
    }
    if (faults.garbageAfter && block > *faults.garbageAfter) {
        m_out.append(reply.size(), kGarbageByte);
        note("block " + std::to_string(block) + ": garbage instead of " +
             shownBytes(reply, kShownBytes) + ", as asked");
        return Answer::Garbled;
    }
    m_out.append(reply);
    return Answer::Given;
}

bool BlockSession::refusesOnce(std::size_t block)
{
    if (m_refusedOnce || m_settings.faults.nakOnce != block)
        return false;
    m_refusedOnce = true;
    return true;
}

bool BlockSession::spoilsCheckOnce(std::size_t block)
{
    if (m_spoiledCheck || m_settings.faults.badCheckOnce != block)
        return false;
    m_spoiledCheck = true;
    return true;
}

bool BlockSession::overlongOnce(std::size_t block)
{
    if (m_madeOverlong || m_settings.faults.overlongBlock != block)
        return false;
    m_madeOverlong = true;
    return true;
}

void BlockSession::refuse(std::size_t block, const std::string& why)
{
    const std::string what = "block " + std::to_string(block) + ": " + why;
    if (refusedTooOften()) {
        fail("refused " + std::to_string(kMaxRefusals) + " times in a row, the last time " + what);
        return;
    }
    note("NAK for " + what);
    answer(block, std::string(1, control::Nak));
}

bool BlockSession::hangsUpAt(std::size_t block)
{
    const auto& after = m_settings.faults.hangUpAfter;
    if (!after || block <= *after)
        return false;
    m_hungUp = true;
    note("hanging up as block " + std::to_string(block) + " begins, as asked");
    return true;
}

void BlockSession::send(std::string_view bytes)
{
    m_out.append(bytes);
}

void BlockSession::ignored(char byte) const
{
    note("ignored " + shownBytes({&byte, 1}) + " " + position());
}

void BlockSession::complete()
{
    m_complete = true;
}

void BlockSession::fail(std::string reason)
{
    if (!m_failure)
        m_failure = std::move(reason);
}

}  // namespace quillon::ctrlsim
