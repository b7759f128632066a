// The loop that drives a control session over its line: it waits for the other side,
// moves bytes between the line and the session as fast as the session and the paced line
// allow, and ends on the session's word, the line closing or a stop request.
//
// It never waits without a reason: it sleeps in poll until the line is ready, the session
// or the pacing has its next moment, or a stop is requested. The one timed look-again is
// while no program has the pseudo-terminal open (poll cannot wait for an open).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ctrlsim/ControlLine.h"
#include "ctrlsim/ControlSession.h"
#include "ctrlsim/LinePacer.h"

namespace quillon::ctrlsim {

class StopRequest;

struct RunnerObserver {
    std::function<void(const std::string&)> note;  // line and session events, as text
    std::function<void(std::string_view)> wrote;   // bytes as they were written to the line
};

class ControlRunner {
public:
    ControlRunner(ControlLine& line, ControlSession& session, const StopRequest& stop);

    // Bytes move no faster than on a line of this speed, both ways.
    void setLineRate(int baudRate);
    void setObserver(RunnerObserver observer);

    SessionEnd run();

    // The line error that ended the run, empty when none did.
    const std::string& failure() const { return m_failure; }

private:
    std::optional<EndCause> step();
    // Paces by the line's framing as it is now.
    void followFraming();
    std::optional<EndCause> waitForOtherSide(TimePoint now);
    std::optional<EndCause> takeRestAfterHangUp(TimePoint now);
    std::optional<EndCause> readIn(TimePoint now);
    std::optional<EndCause> writeOut(TimePoint now);
    void takeWhatArrived(TimePoint now);
    // Reads at most `limit` bytes and hands them to the session.
    LineIo passOn(std::size_t limit, TimePoint now);
    EndCause lineClosed();
    // Sleeps until the line's events, the stop request or the moment.
    void wait(short lineEvents, std::optional<TimePoint> until, short* lineRevents);
    // How many bytes the device's driver queue takes now (unlimited on a pseudo-terminal).
    std::size_t driverRoom() const;
    EndCause failed(const char* action, int error);
    void note(const std::string& text) const;

    ControlLine& m_line;
    ControlSession& m_session;
    const StopRequest& m_stop;
    RunnerObserver m_observer;
    LinePacer m_inPacer;
    LinePacer m_outPacer;
    std::optional<int> m_lineRate;
    int m_bitsPerCharacter = kBitsPerCharacter;

    bool m_started = false;
    bool m_hungUp = false;
    bool m_awaitingClose = false;
    // Taken from the session and not yet accepted by the line.
    std::string m_unsent;
    std::string m_failure;
};

}  // namespace quillon::ctrlsim
