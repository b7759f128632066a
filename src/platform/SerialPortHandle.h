// An open serial device: the handle a kept-open port or a communication window holds.
//
// Opening follows the serial rules of the house: O_NOCTTY so the line never becomes our
// controlling terminal, O_NONBLOCK so no call waits for carrier, TIOCEXCL so a second
// program cannot open the line under us. The termios found at open is restored at close.
#pragma once

#include <termios.h>

#include <memory>
#include <string>

namespace quillon {

class SerialPortHandle {
public:
    // The open device, or nothing with the reason in *error.
    static std::shared_ptr<SerialPortHandle> open(const std::string& devicePath,
                                                  std::string* error = nullptr);

    ~SerialPortHandle();
    SerialPortHandle(const SerialPortHandle&) = delete;
    SerialPortHandle& operator=(const SerialPortHandle&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const std::string& devicePath() const { return m_devicePath; }

    // Discards what waits in both driver queues.
    void purge();
    // Restores the termios found at open and closes; later calls do nothing.
    void close();

private:
    SerialPortHandle(int fd, std::string devicePath, const termios& original);

    int m_fd;
    std::string m_devicePath;
    termios m_original;
};

}  // namespace quillon
