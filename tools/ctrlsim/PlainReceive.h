// A control reading a program in without a block protocol (a tape-reader input, DNC
// drip-feed): every byte that comes in is stored, and with XON/XOFF the control paces the
// other side with DC3 and DC1 as its input buffer fills and drains.
//
// Every byte is stored, flow characters included: the other side is the one sending, the
// control sends nothing but its own DC1 and DC3, so a DC1 or DC3 coming in is a byte of
// the program as the other side put it on the line. Storing it shows what really came.
//
// The exchange ends when no byte has come for the idle time, counted from the last byte
// and never while the control itself holds the other side (XOFF sent, buffer full).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ctrlsim/ControlSession.h"
#include "ctrlsim/InputBuffer.h"

namespace quillon {
class AtomicFileWriter;
}

namespace quillon::ctrlsim {

struct PlainReceiveSettings {
    InputBufferSettings buffer;
    bool xonXoff = false;
    // One DC1 the start delay after the line is there, as a control's read key sends it.
    bool xonAtStart = false;
    Duration startDelay = kDefaultStartDelay;
    // Nothing: the exchange only ends with the line or a signal.
    std::optional<Duration> idleEnd = std::chrono::seconds(2);
};

class PlainReceive final : public ControlSession {
public:
    // The program goes to the writer, which replaces its target at the end only when
    // something came.
    PlainReceive(const PlainReceiveSettings& settings, std::string targetPath,
                 std::unique_ptr<AtomicFileWriter> store);
    ~PlainReceive() override;

    void start(TimePoint now) override;
    std::size_t inputRoom(TimePoint now) override;
    void received(std::string_view bytes, TimePoint now) override;
    bool hasOutput(TimePoint now) override;
    std::string takeOutput(std::size_t limit, TimePoint now) override;
    std::optional<TimePoint> nextDeadline(TimePoint now) override;
    bool done(TimePoint now) override;
    SessionEnd end(EndCause cause, TimePoint now) override;

    std::size_t receivedCount() const { return m_received; }
    const InputBuffer& buffer() const { return m_buffer; }

private:
    // Executes what the buffer could since the last call and sends XON when it has
    // drained far enough.
    void update(TimePoint now);
    bool holdingOtherSide() const { return m_xoffSent || m_buffer.room() == 0; }

    PlainReceiveSettings m_settings;
    std::string m_target;
    std::unique_ptr<AtomicFileWriter> m_store;
    InputBuffer m_buffer;
    std::string m_flowOut;
    std::optional<TimePoint> m_xonAtStartDue;
    bool m_xoffSent = false;
    std::size_t m_received = 0;
    std::optional<TimePoint> m_firstByte;
    std::optional<TimePoint> m_lastByte;
    // Idle time counts from here: the last byte, or the last moment the control held the
    // other side.
    std::optional<TimePoint> m_quietSince;
};

}  // namespace quillon::ctrlsim
