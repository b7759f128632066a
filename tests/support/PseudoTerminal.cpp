#include "support/PseudoTerminal.h"

#include <pty.h>
#include <unistd.h>

#include <array>

namespace quillon::test {

PseudoTerminal::PseudoTerminal()
{
    std::array<char, 256> name{};
    if (::openpty(&m_master, &m_slave, name.data(), nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_devicePath = name.data();
    // The slave stays open here so that the pair survives the program closing its side.
}

PseudoTerminal::~PseudoTerminal()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

}  // namespace quillon::test
