#include "ctrlsim/PlainEcho.h"

#include "dnc/SerialLine.h"

namespace quillon::ctrlsim {

namespace {

// The most the control holds that it has not echoed yet. Beyond it bytes are lost, as on
// a control whose buffer overruns; the line is still read, so that the DC1 that releases
// a held echo always gets through.
constexpr std::size_t kBacklogLimit = 4096;
// Taken from the line at a time.
constexpr std::size_t kReadChunk = 4096;

}  // namespace

PlainEcho::PlainEcho(bool xonXoff) : m_xonXoff(xonXoff) {}

void PlainEcho::start(TimePoint) {}

std::size_t PlainEcho::inputRoom(TimePoint)
{
    return kReadChunk;
}

void PlainEcho::received(std::string_view bytes, TimePoint)
{
    for (const char byte : bytes) {
        if (m_xonXoff && byte == kXoff) {
            m_held = true;
        } else if (m_xonXoff && byte == kXon) {
            m_held = false;
        } else if (m_backlog.size() < kBacklogLimit) {
            m_backlog.push_back(byte);
        } else {
            ++m_lost;
        }
    }
}

bool PlainEcho::hasOutput(TimePoint)
{
    return !m_held && !m_backlog.empty();
}

std::string PlainEcho::takeOutput(std::size_t limit, TimePoint)
{
    if (m_held)
        return {};
    std::string out = m_backlog.substr(0, limit);
    m_backlog.erase(0, out.size());
    m_echoed += out.size();
    return out;
}

SessionEnd PlainEcho::end(EndCause cause, TimePoint)
{
    std::string summary = "echoed " + std::to_string(m_echoed) + " bytes";
    if (m_lost > 0)
        summary += ", " + std::to_string(m_lost) + " lost while the echo was held";
    return {cause == EndCause::LineFailed ? 1 : 0, summary};
}

}  // namespace quillon::ctrlsim
