// A control that sends back every byte it receives, for trying a terminal window.
//
// With XON/XOFF the other side's DC3 and DC1 are flow characters: they hold and release
// the echo and are not echoed. Without it they are echoed like any other byte. A control
// held for long loses what comes in beyond its small buffer.
#pragma once

#include <string>

#include "ctrlsim/ControlSession.h"

namespace quillon::ctrlsim {

class PlainEcho final : public ControlSession {
public:
    explicit PlainEcho(bool xonXoff);

    void start(TimePoint now) override;
    std::size_t inputRoom(TimePoint now) override;
    void received(std::string_view bytes, TimePoint now) override;
    bool hasOutput(TimePoint now) override;
    std::string takeOutput(std::size_t limit, TimePoint now) override;
    std::optional<TimePoint> nextDeadline(TimePoint) override { return std::nullopt; }
    bool done(TimePoint) override { return false; }
    SessionEnd end(EndCause cause, TimePoint now) override;

private:
    bool m_xonXoff;
    bool m_held = false;
    // Received and not yet echoed, up to a limit.
    std::string m_backlog;
    std::size_t m_echoed = 0;
    std::size_t m_lost = 0;
};

}  // namespace quillon::ctrlsim
