// The serial line on a POSIX terminal device (a UART, a USB adapter, a pseudo-terminal).
//
// The driver does what it can: speed and framing, RTS/CTS, XON/XOFF (IXON/IXOFF with DC1
// and DC3). What termios has no call for is done here:
// - writes never wait: what the driver cannot take stays in a pending buffer that each
//   service() and write() pushes on;
// - "hold output until XON": the driver's output is stopped (tcflow) and IXON switched off,
//   so that the control's XON reaches us; it is taken out of the input, and the output and
//   IXON go back on;
// - DSR holds the output as CTS does when the handshake is by hardware: termios has no DSR
//   output flow, so the modem lines are read every tick and before every write, a low DSR
//   stops the driver's output, and the driver is never given more than a short stretch of
//   the line's time, so that little is still on its way when DSR drops;
// - the driver cannot say that an XOFF stopped it; output that has not moved for a while
//   with XON/XOFF on is reported as held by XOFF;
// - a driver without modem lines or error counters (a pseudo-terminal) counts as nothing
//   held and no errors;
// - the output queue is never reported below what the line cannot have sent yet at its
//   speed, for drivers that do not count it (pseudo-terminals, some USB adapters).
//
// Every terminal call goes through a SerialTerminal and every time through a SteadyClock, so
// that the rules above are tested on a fake device with a clock moved by hand.
#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialLine.h"
#include "platform/SerialTerminal.h"

namespace quillon {

class PosixSerialLine final : public SerialLine {
public:
    // With hardware handshake the driver holds at most this much of the line's time (two
    // of the transfers' 50 ms ticks): enough that the line never runs dry between ticks,
    // little enough that a control dropping DSR gets only a few characters more.
    static constexpr std::chrono::milliseconds kHandshakeQueueTime{100};
    // ... and never less than a UART's transmit FIFO.
    static constexpr std::size_t kHandshakeQueueFloor = 16;

    // The device opened for exclusive use; nothing, with the reason in *error, when it
    // cannot be opened or is not a terminal.
    static std::shared_ptr<PosixSerialLine> open(const std::string& devicePath,
                                                 std::string* error = nullptr);
    // A line over the terminal, timed by the clock (which must outlive the line).
    static std::shared_ptr<PosixSerialLine> over(std::shared_ptr<SerialTerminal> device,
                                                 const SteadyClock& clock);
    ~PosixSerialLine() override;

    const std::string& devicePath() const override;
    ConfigureResult configure(const LineSettings& settings) override;
    void service() override;
    LineStatus status() const override;
    LineErrors takeErrors() override;
    std::string read(std::size_t limit, int* error = nullptr) override;
    void write(std::string_view bytes) override;
    bool writePending() const override { return !m_pending.empty(); }
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void holdOutputUntilXon() override;
    void purge() override;
    void close() override;
    bool isOpen() const override;

    // The file descriptor of an opened device; -1 over any other terminal.
    int fd() const { return m_fd; }

    // The settings handed to the driver for the line settings, made from the current ones;
    // nothing for a speed the driver has no code for.
    static std::optional<termios> termiosFor(const termios& current, const LineSettings& settings,
                                             bool holding = false);

private:
    using TimePoint = std::chrono::steady_clock::time_point;

    PosixSerialLine(std::shared_ptr<SerialTerminal> device, const SteadyClock& clock, int fd);

    void pushPending();
    // Takes what waits into the read-ahead while holding for XON, watching for the XON.
    void watchForXon();
    void releaseHold();
    // Hardware handshake: follows DSR with the driver's output.
    void watchDsr();
    // The driver's output runs unless a hold (XON awaited, DSR low) stops it.
    void applyOutputHolds();
    bool setIxon(bool on);
    void setModemLine(int line, bool on);
    std::uint32_t newErrors();
    void noteReadFailure(int error);
    void noteWriteFailure(int error);
    // What the driver still holds: its own count, or what the line cannot have sent yet.
    std::size_t driverOutQueue() const;
    std::size_t driverQueueEstimate(TimePoint now) const;
    // How much more the driver may be given now.
    std::size_t driverRoom(TimePoint now) const;

    // Characters the line can have sent since m_estimatedAt, at its speed and framing.
    std::size_t sentSinceEstimate(TimePoint now) const;
    void advanceEstimate(TimePoint now);
    std::size_t notYetOnTheWire(TimePoint now) const;

    std::shared_ptr<SerialTerminal> m_device;
    const SteadyClock& m_clock;
    int m_fd;
    LineSettings m_settings;
    std::string m_pending;
    std::string m_readAhead;
    bool m_holding = false;     // until the control's XON
    bool m_dsrHolding = false;  // while the control's DTR (our DSR) is low
    bool m_outputStopped = false;
    // The driver answered the modem-line question: DSR can be watched.
    bool m_modemLinesKnown = false;
    bool m_lost = false;
    std::uint32_t m_errors = 0;
    int m_writeFailure = 0;
    // The error counters last seen, when the driver has them.
    bool m_haveCounts = false;
    serial_icounter_struct m_counts{};
    // Since when the driver's output queue has not moved.
    std::size_t m_lastOutQueue = 0;
    TimePoint m_outQueueSince;
    // Bytes handed to the driver, and how many of them the line can have sent by now at its
    // speed (as of m_estimatedAt).
    std::size_t m_handedOver = 0;
    std::size_t m_sentEstimate = 0;
    TimePoint m_estimatedAt;
};

// Opens lines on POSIX terminal devices: what the program hands to everything that opens a
// port.
LineOpener posixLineOpener();

}  // namespace quillon
