// A serial device in memory, under the real POSIX line: the test plays the driver (what it
// queues, what it has put on the wire, its modem lines and error counters) and the control.
#pragma once

#include <sys/ioctl.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/SerialTerminal.h"

namespace quillon::test {

class FakeSerialLineDevice final : public SerialTerminal {
public:
    // ---- The control's side and the driver's state ----
    void send(std::string_view bytes) { input.append(bytes); }
    // The driver puts up to `count` queued bytes on the wire, unless its output is stopped.
    void transmit(std::size_t count = SIZE_MAX);

    std::string input;        // from the control, not yet read
    std::string driverQueue;  // handed to the driver, not yet on the wire
    std::string wire;         // what reached the control
    termios settings{};
    bool outputStopped = false;  // tcflow(TCOOFF) and not yet TCOON
    int modem = TIOCM_CTS | TIOCM_DSR;
    bool hasModemLines = true;  // else TIOCMGET fails with ENOTTY
    bool countsOutput = true;   // else TIOCOUTQ answers 0, as a pseudo-terminal does
    serial_icounter_struct counts{};
    int writeError = 0;  // a write fails with this error number
    bool hungUp = false;

    // ---- SerialTerminal ----
    const std::string& devicePath() const override { return m_path; }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    ssize_t read(char* buffer, std::size_t size) override;
    ssize_t write(const char* bytes, std::size_t size) override;
    int getAttributes(termios& current) override;
    int setAttributes(const termios& next) override;
    int flow(int action) override;
    int flush(int queues) override;
    int inputWaiting(int& bytes) override;
    int outputWaiting(int& bytes) override;
    int modemLines(int& lines) override;
    int setModemLines(int lines, bool on) override;
    int errorCounts(serial_icounter_struct& current) override;
    short pendingEvents() override;

private:
    std::string m_path = "/dev/ttyFAKE0";
    bool m_open = true;
};

}  // namespace quillon::test
