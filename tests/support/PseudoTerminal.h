// A pseudo-terminal pair: the slave side stands in for a serial device.
#pragma once

#include <termios.h>

#include <string>
#include <string_view>

namespace quillon::test {

class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return m_master >= 0; }
    int master() const { return m_master; }
    // The device path a program opens, e.g. /dev/pts/7.
    const std::string& devicePath() const { return m_devicePath; }

    // The control's side: writes all, and reads what arrives within the time (at most
    // `count` bytes; stops early once that many came).
    void send(std::string_view bytes) const;
    std::string receive(std::size_t count, int timeoutMs = 2000) const;
    // Everything that arrives until nothing has come for quietMs.
    std::string receiveAll(int quietMs = 200) const;
    // The line's settings as the control's side sees them.
    struct termios settings() const;
    // The control goes away: the program's side sees its line hang up.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_devicePath;
};

// Points COMn at a device for as long as it lives (QUILLONLT_COMn).
class ComOverride {
public:
    ComOverride(int port, const std::string& device);
    ~ComOverride();
    ComOverride(const ComOverride&) = delete;
    ComOverride& operator=(const ComOverride&) = delete;

private:
    std::string m_name;
};

}  // namespace quillon::test
