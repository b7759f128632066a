// The serial line on a POSIX terminal device (a UART, a USB adapter, a pseudo-terminal).
//
// The driver does what it can: speed and framing, RTS/CTS, XON/XOFF (IXON/IXOFF with DC1
// and DC3). What termios has no call for is done here:
// - writes never wait: what the driver cannot take stays in a pending buffer that each
//   status() and write() pushes on;
// - "hold output until XON": the driver's output is stopped (tcflow) and IXON switched off,
//   so that the control's XON reaches us; it is taken out of the input, and the output and
//   IXON go back on;
// - the driver cannot say that an XOFF stopped it; output that has not moved for a while
//   with XON/XOFF on is reported as held by XOFF;
// - a driver without modem lines or error counters (a pseudo-terminal) counts as nothing
//   held and no errors;
// - the output queue is never reported below what the line cannot have sent yet at its
//   speed, for drivers that do not count it (pseudo-terminals, some USB adapters).
#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "dnc/SerialLine.h"

namespace quillon {

class SerialPortHandle;

class PosixSerialLine final : public SerialLine {
public:
    // The device opened for exclusive use; nothing, with the reason in *error, when it
    // cannot be opened or is not a terminal.
    static std::shared_ptr<PosixSerialLine> open(const std::string& devicePath,
                                                 std::string* error = nullptr);
    ~PosixSerialLine() override;

    const std::string& devicePath() const override;
    ConfigureResult configure(const LineSettings& settings) override;
    LineStatus status() override;
    std::string read(std::size_t limit, int* error = nullptr) override;
    void write(std::string_view bytes) override;
    bool writePending() const override { return !m_pending.empty(); }
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void holdOutputUntilXon() override;
    void purge() override;
    void close() override;
    bool isOpen() const override;

    int fd() const;

    // The settings handed to the driver for the line settings, made from the current ones;
    // nothing for a speed the driver has no code for.
    static std::optional<termios> termiosFor(const termios& current, const LineSettings& settings,
                                             bool holding = false);

private:
    explicit PosixSerialLine(std::shared_ptr<SerialPortHandle> handle);

    void pushPending();
    // Takes what waits into the read-ahead while holding for XON, watching for the XON.
    void watchForXon();
    void releaseHold();
    bool setIxon(bool on);
    void setModemLine(int line, bool on);
    std::uint32_t newErrors();
    void noteFailure(int error);

    std::shared_ptr<SerialPortHandle> m_handle;
    LineSettings m_settings;
    std::string m_pending;
    std::string m_readAhead;
    bool m_holding = false;
    bool m_lost = false;
    std::uint32_t m_errors = 0;
    // The error counters last seen, when the driver has them.
    bool m_haveCounts = false;
    serial_icounter_struct m_counts{};
    // Since when the driver's output queue has not moved.
    std::size_t m_lastOutQueue = 0;
    std::chrono::steady_clock::time_point m_outQueueSince;
    // Bytes handed to the driver, and how many of them the line can have sent by now at its
    // speed (as of m_estimatedAt).
    std::size_t m_handedOver = 0;
    std::size_t m_sentEstimate = 0;
    std::chrono::steady_clock::time_point m_estimatedAt;

    std::size_t notYetOnTheWire(std::chrono::steady_clock::time_point now);
};

}  // namespace quillon
