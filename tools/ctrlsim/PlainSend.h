// A control punching a program out without a block protocol: the file goes onto the line
// as it is, stopped by DC3 and started again by DC1 from the other side when the control
// uses XON/XOFF.
//
// The start: a control waiting for XON sends nothing until the other side's DC1 (a DC3
// before it changes nothing, the control is not sending yet); otherwise it starts the
// start delay after the line is there.
//
// A control that asks first sends a lone DC2 when it would start and punches only after the
// other side's DC1 has answered it: the DC2 is the only byte of its write, so that the
// other side reads it as one byte and can tell it from a program that holds a DC2.
//
// What the other side sends that is not a flow character is not read as data: a control
// that punches does not listen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ctrlsim/ControlSession.h"
#include "dnc/PortSetup.h"

namespace quillon::ctrlsim {

class ProgramSource;

struct PlainSendSettings {
    bool xonXoff = false;
    // Nothing leaves before the other side's DC1; implies XON/XOFF.
    bool waitForXon = false;
    // A lone DC2 first, and the program after the DC1 that answers it; implies XON/XOFF
    // (the other side answers a DC2 only on a setup with XON/XOFF).
    bool dc2First = false;
    // EIA: every byte goes out as its punch code; ISO and BIN: as it is.
    CharacterCode code = CharacterCode::Iso;
    // Bit 7 set on every byte (not with BIN): the parity bit of a control sending seven
    // data bits, which a pseudo-terminal's eight bits show as the top bit.
    bool highBit = false;
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
    // Where the DC2 of a control that asks first stands; a control that does not ask
    // starts with it answered.
    enum class Query { Due, Taken, Sent, Answered };

    bool sending(TimePoint now) const;
    // A byte as it goes onto the line, in the code and with the top bit asked for.
    char onLine(char byte) const;

    PlainSendSettings m_settings;
    std::unique_ptr<ProgramSource> m_program;
    std::optional<TimePoint> m_startAt;  // set once the line is there and, if asked, XON came
    Query m_query = Query::Answered;
    bool m_held = false;
    std::uint64_t m_written = 0;
    std::optional<TimePoint> m_firstByte;
    std::optional<TimePoint> m_lastByte;
};

}  // namespace quillon::ctrlsim
