// A pseudo-terminal pair: the slave side stands in for a serial device.
#pragma once

#include <string>

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

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_devicePath;
};

}  // namespace quillon::test
