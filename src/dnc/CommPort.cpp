#include "dnc/CommPort.h"

#include "dnc/ComDeviceMap.h"
#include "dnc/PortsInUse.h"

namespace quillon {

std::string lostPortText(int port)
{
    return "COM" + std::to_string(port + 1) + " is no longer available";
}

CommPort::Opened CommPort::open(const PortSetup& setup, CommWindowKind kind,
                                const ComDeviceMap& devices, const LineOpener& opener,
                                PortsInUse& ports)
{
    const int port = setup.port;
    auto fail = [&](const char* message) {
        ports.markFree(port);
        return Opened{nullptr, message};
    };
    const bool keptOpen =
        setup.keepPortOpen == KeepPortOpen::Open && setup.handle && setup.handle->isOpen();
    std::shared_ptr<SerialLine> line = keptOpen ? setup.handle : nullptr;
    if (!line) {
        const auto device = devices.devicePath(port);
        if (device)
            line = opener(*device, nullptr);
        if (!line)
            return fail(kCouldNotOpenPortText);
    }
    switch (line->configure(lineSettings(setup, kind))) {
    case ConfigureResult::Ok:
        break;
    case ConfigureResult::CannotRetrieve:
        if (!keptOpen)
            line->close();
        return fail(kCouldNotRetrieveText);
    case ConfigureResult::CannotSet:
        if (!keptOpen)
            line->close();
        return fail(kCouldNotSetPortText);
    }
    line->purge();
    ports.markInUse(port);
    return Opened{std::unique_ptr<CommPort>(new CommPort(std::move(line), port, keptOpen, ports)),
                  {}};
}

CommPort::CommPort(std::shared_ptr<SerialLine> line, int port, bool keptOpen, PortsInUse& ports)
    : m_line(std::move(line)), m_port(port), m_keptOpen(keptOpen), m_ports(ports)
{
}

CommPort::~CommPort()
{
    close();
}

void CommPort::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_ports.markFree(m_port);
    m_line->setRts(false);
    m_line->setDtr(false);
    m_line->purge();
    if (!m_keptOpen)
        m_line->close();
}

}  // namespace quillon
