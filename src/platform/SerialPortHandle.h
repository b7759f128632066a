// An open serial device: the handle a kept-open port or a communication window holds, and
// the terminal calls on it.
//
// Opening follows the serial rules of the house: O_NOCTTY so the line never becomes our
// controlling terminal, O_NONBLOCK so no call waits for carrier, TIOCEXCL so a second
// program cannot open the line under us. The termios found at open is restored at close.
#pragma once

#include <termios.h>

#include <memory>
#include <string>

#include "platform/SerialTerminal.h"

namespace quillon {

class SerialPortHandle final : public SerialTerminal {
public:
    // The open device, or nothing with the reason in *error.
    static std::shared_ptr<SerialPortHandle> open(const std::string& devicePath,
                                                  std::string* error = nullptr);

    ~SerialPortHandle() override;
    SerialPortHandle(const SerialPortHandle&) = delete;
    SerialPortHandle& operator=(const SerialPortHandle&) = delete;

    bool isOpen() const override { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const std::string& devicePath() const override { return m_devicePath; }

    // Discards what waits in both driver queues.
    void purge();
    // Restores the termios found at open and closes; later calls do nothing.
    void close() override;

    // SerialTerminal: each call retried while a signal interrupts it.
    ssize_t read(char* buffer, std::size_t size) override;
    ssize_t write(const char* bytes, std::size_t size) override;
    int getAttributes(termios& settings) override;
    int setAttributes(const termios& settings) override;
    int flow(int action) override;
    int flush(int queues) override;
    int inputWaiting(int& bytes) override;
    int outputWaiting(int& bytes) override;
    int modemLines(int& lines) override;
    int setModemLines(int lines, bool on) override;
    int errorCounts(serial_icounter_struct& counts) override;
    short pendingEvents() override;

private:
    SerialPortHandle(int fd, std::string devicePath, const termios& original);

    int m_fd;
    std::string m_devicePath;
    termios m_original;
};

}  // namespace quillon
