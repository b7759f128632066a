// The terminal calls the serial backend makes, in one table: the real device behind a file
// descriptor, or a fake that a test drives. Every call answers as its POSIX twin does: 0 (or
// a count) on success, -1 with errno set on failure.
#pragma once

#include <linux/serial.h>
#include <sys/types.h>
#include <termios.h>

#include <cstddef>
#include <string>

namespace quillon {

class SerialTerminal {
public:
    virtual ~SerialTerminal() = default;

    virtual const std::string& devicePath() const = 0;
    virtual bool isOpen() const = 0;
    // Restores what was found at open and lets the device go; later calls fail.
    virtual void close() = 0;

    virtual ssize_t read(char* buffer, std::size_t size) = 0;
    virtual ssize_t write(const char* bytes, std::size_t size) = 0;
    virtual int getAttributes(termios& settings) = 0;             // tcgetattr
    virtual int setAttributes(const termios& settings) = 0;       // tcsetattr, at once
    virtual int flow(int action) = 0;                             // tcflow: TCOOFF, TCOON
    virtual int flush(int queues) = 0;                            // tcflush
    virtual int inputWaiting(int& bytes) = 0;                     // FIONREAD
    virtual int outputWaiting(int& bytes) = 0;                    // TIOCOUTQ
    virtual int modemLines(int& lines) = 0;                       // TIOCMGET
    virtual int setModemLines(int lines, bool on) = 0;            // TIOCMBIS / TIOCMBIC
    virtual int errorCounts(serial_icounter_struct& counts) = 0;  // TIOCGICOUNT
    // poll() without waiting: the events that are there (POLLIN, POLLHUP, ...), 0 for none.
    virtual short pendingEvents() = 0;
};

}  // namespace quillon
