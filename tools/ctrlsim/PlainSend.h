// A control punching a program out without a block protocol: the file goes onto the line
// as it is, stopped by DC3 and started again by DC1 from the other side when the control
// uses XON/XOFF.
//
// The start: a control waiting for XON sends nothing until the other side's DC1 (a DC3
// before it changes nothing, the control is not sending yet); otherwise it starts the
// start delay after the line is there.
//
// What the other side sends that is not a flow character is not read as data: a control
// that punches does not listen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ctrlsim/ControlSession.h"

namespace quillon::ctrlsim {

class ProgramSource;

struct PlainSendSettings {
    bool xonXoff = false;
    // Nothing leaves before the other side's DC1; implies XON/XOFF.
    bool waitForXon = false;
    Duration startDelay = kDefaultStartDelay;
};

class PlainSend final : public ControlSession {
public:
    PlainSend(const PlainSendSettings& settings, std::unique_ptr<ProgramSource> program);
    ~PlainSend() override;

    void start(TimePoint now) override;
    std::size_t inputRoom(TimePoint now) override;
    void received(std::string_view bytes, TimePoint now) override;
    bool hasOutput(TimePoint now) override;
    std::string takeOutput(std::size_t limit, TimePoint now) override;
    void written(std::size_t count, TimePoint now) override;
    std::optional<TimePoint> nextDeadline(TimePoint now) override;
    bool done(TimePoint now) override;
    bool deliversOutput() const override { return true; }
    SessionEnd end(EndCause cause, TimePoint now) override;

    bool heldByXoff() const { return m_held; }

private:
    bool sending(TimePoint now) const;

    PlainSendSettings m_settings;
    std::unique_ptr<ProgramSource> m_program;
    std::optional<TimePoint> m_startAt;  // set once the line is there and, if asked, XON came
    bool m_held = false;
    std::uint64_t m_written = 0;
    std::optional<TimePoint> m_firstByte;
    std::optional<TimePoint> m_lastByte;
};

}  // namespace quillon::ctrlsim
