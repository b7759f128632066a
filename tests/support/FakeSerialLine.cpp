#include "support/FakeSerialLine.h"

#include <algorithm>
#include <utility>

namespace quillon::test {

void FakeSerialLine::send(std::string_view bytes)
{
    m_incoming.append(bytes);
}

std::string FakeSerialLine::takeWritten()
{
    std::string taken = m_written.substr(m_taken);
    m_taken = m_written.size();
    return taken;
}

ConfigureResult FakeSerialLine::configure(const LineSettings& newSettings)
{
    if (configureResult == ConfigureResult::Ok) {
        settings = newSettings;
        rts = dtr = true;
        m_errors = {};  // counting starts now
    }
    return configureResult;
}

void FakeSerialLine::watchForXon()
{
    if (!holding)
        return;
    const auto xon = m_incoming.find(kXon);
    if (xon == std::string::npos)
        return;
    m_incoming.erase(xon, 1);
    holding = false;
}

void FakeSerialLine::pushPending()
{
    if (holding || closed)
        return;
    const std::size_t take = std::min(m_pending.size(), driverRoom.value_or(m_pending.size()));
    m_written.append(m_pending, 0, take);
    m_pending.erase(0, take);
}

void FakeSerialLine::service()
{
    watchForXon();
    pushPending();
}

LineStatus FakeSerialLine::status() const
{
    LineStatus status = reported;
    status.inQueue += m_incoming.size();
    status.outQueue += m_pending.size();
    status.xoffHold = status.xoffHold || holding;
    return status;
}

LineErrors FakeSerialLine::takeErrors()
{
    const LineErrors taken = std::exchange(m_errors, LineErrors{});
    if (afterTakeErrors)
        afterTakeErrors();
    return taken;
}

std::string FakeSerialLine::read(std::size_t limit, int* error)
{
    if (error)
        *error = 0;
    watchForXon();
    std::string bytes = m_incoming.substr(0, limit);
    m_incoming.erase(0, bytes.size());
    return bytes;
}

void FakeSerialLine::write(std::string_view bytes)
{
    if (writeFailure != 0) {
        m_errors.writeFailure = writeFailure;
        return;
    }
    m_pending.append(bytes);
    pushPending();
}

void FakeSerialLine::purge()
{
    ++purges;
    m_incoming.clear();
    m_pending.clear();
}

}  // namespace quillon::test
