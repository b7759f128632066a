// What the command line's transfers share: reading their numbers and opening a setup's port
// as the communication windows do.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "dnc/CommPort.h"
#include "dnc/PortSetup.h"
#include "dnc/PortsInUse.h"

namespace quillon::cli {

// A whole decimal number, nothing else.
std::optional<long> wholeNumber(const std::string& text);
// "--setup N": the 0-based index of setup N (1 to 10); nothing after telling err why.
std::optional<int> setupIndex(const std::string& text, std::ostream& err);
// Setup `index` of the working directory's ComConf.sys.
PortSetup loadSetup(int index);

// A setup's port, open for one kind of transfer.
class SetupPort {
public:
    SetupPort(const PortSetup& setup, CommWindowKind kind);
    // Nothing when the port could not be opened; message() says why.
    CommPort* port() const { return m_opened.port.get(); }
    const std::string& message() const { return m_opened.message; }

private:
    PortsInUse m_ports;
    CommPort::Opened m_opened;
};

}  // namespace quillon::cli
