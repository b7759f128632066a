// The control's side of one exchange on the line: what it does with the bytes that come in
// and which bytes it puts out, driven by the runner on a clock.
//
// A session never touches the line and never reads the clock: the runner hands it the
// bytes it read and the time, asks it for bytes to write and for the next moment it must
// look again. So the plain modes here, and the block protocols that follow them, can be
// driven step by step with made-up times in the tests.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::ctrlsim {

using SimClock = std::chrono::steady_clock;
using TimePoint = SimClock::time_point;
using Duration = SimClock::duration;

// How long after the line is there a control starts on its own (punches the first byte,
// sends the XON of its read key): the time an operator takes to press the key. The other
// side purges its queues right after it opens its port, so a byte sent at once could be
// thrown away.
inline constexpr Duration kDefaultStartDelay = std::chrono::milliseconds(500);

// Why the runner ended the session.
enum class EndCause {
    Done,        // the session said it was done
    LineClosed,  // the other side closed the pseudo-terminal, or the device went away
    Stopped,     // SIGINT, SIGTERM or SIGHUP
    LineFailed,  // a read or write failed for another reason
};

struct SessionEnd {
    int exitCode = 0;     // 0 success, 1 failure, as the program exits
    std::string summary;  // one line for the user
};

class ControlSession {
public:
    virtual ~ControlSession() = default;

    // The other side is there: a program opened the pseudo-terminal, or the device is open.
    virtual void start(TimePoint now) = 0;

    // How many bytes the control takes from the line now; 0 leaves them waiting on the line.
    virtual std::size_t inputRoom(TimePoint now) = 0;
    virtual void received(std::string_view bytes, TimePoint now) = 0;

    virtual bool hasOutput(TimePoint now) = 0;
    // At most `limit` of the bytes the control puts on the line now.
    virtual std::string takeOutput(std::size_t limit, TimePoint now) = 0;
    // So many of the bytes taken have been written to the line (the rest of a piece may
    // wait for room).
    virtual void written(std::size_t count, TimePoint now)
    {
        static_cast<void>(count);
        static_cast<void>(now);
    }

    // The next moment something changes without a line event (the buffer drains, an idle
    // time runs out, a start delay ends); nothing when only the line can move the session.
    virtual std::optional<TimePoint> nextDeadline(TimePoint now) = 0;

    virtual bool done(TimePoint now) = 0;
    // True when what the session wrote must reach the other side before the line is let
    // go (a program sent), so the runner keeps the line until it has.
    virtual bool deliversOutput() const { return false; }

    // Finishes the session (stores what it received) and says how it went.
    virtual SessionEnd end(EndCause cause, TimePoint now) = 0;

    // Where human-readable events go (XOFF sent, held by XOFF...); unset means nowhere.
    void setNoteSink(std::function<void(const std::string&)> sink) { m_notes = std::move(sink); }

protected:
    void note(const std::string& text) const
    {
        if (m_notes)
            m_notes(text);
    }

private:
    std::function<void(const std::string&)> m_notes;
};

// The earlier of two moments where either may be missing.
inline std::optional<TimePoint> earlierOf(std::optional<TimePoint> a, std::optional<TimePoint> b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

// Seconds with tenths for the summaries.
std::string secondsText(Duration duration);

}  // namespace quillon::ctrlsim
