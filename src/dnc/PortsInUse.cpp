#include "dnc/PortsInUse.h"

#include <algorithm>

#include "dnc/PortSetup.h"
#include "platform/Notifier.h"

namespace quillon {

bool PortsInUse::valid(int port)
{
    return port >= 0 && port < kPortCount;
}

void PortsInUse::markInUse(int port)
{
    if (valid(port))
        m_inUse[static_cast<std::size_t>(port)] = true;
}

void PortsInUse::markFree(int port)
{
    if (valid(port))
        m_inUse[static_cast<std::size_t>(port)] = false;
}

bool PortsInUse::isInUse(int port) const
{
    return valid(port) && m_inUse[static_cast<std::size_t>(port)];
}

bool PortsInUse::anyInUse() const
{
    return std::any_of(m_inUse.begin(), m_inUse.end(), [](bool used) { return used; });
}

bool portBusy(const PortSetup& setup, const PortsInUse& ports, Notifier& notifier)
{
    if (!ports.isInUse(setup.port))
        return false;
    notifier.message(std::string(kPortBusyText));
    return true;
}

}  // namespace quillon
