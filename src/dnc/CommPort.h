// The port of one communication window: opened and configured for the window's kind when
// the window starts, marked in the ports-in-use table while the window lives, released by
// the close rules when it ends.
#pragma once

#include <memory>
#include <string>

#include "dnc/PortSetup.h"
#include "dnc/SerialLine.h"

namespace quillon {

class ComDeviceMap;
class PortsInUse;

inline constexpr char kCouldNotOpenPortText[] = "Could not open COM port";
inline constexpr char kCouldNotRetrieveText[] = "Could not retrieve RS232 parameters";
inline constexpr char kCouldNotSetPortText[] = "Could not set COM port";
// What a user is told when the device of a port in use goes away.
std::string lostPortText(int port);

class CommPort {
public:
    struct Opened {
        std::unique_ptr<CommPort> port;  // nothing when the port could not be used
        std::string message;             // why not, as the user is told
    };

    // A kept-open setup lends its open line; any other opens the setup's device. The line
    // is configured for the kind, both queues are purged and the port is marked in use.
    // On failure the port is marked free and the message says why.
    static Opened open(const PortSetup& setup, CommWindowKind kind, const ComDeviceMap& devices,
                       const LineOpener& opener, PortsInUse& ports);

    ~CommPort();
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    SerialLine& line() { return *m_line; }
    int portIndex() const { return m_port; }
    bool keptOpen() const { return m_keptOpen; }

    // Frees the port; lowers RTS and DTR, purges both queues and closes the line unless it
    // belongs to a kept-open setup. Later calls do nothing.
    void close();

private:
    CommPort(std::shared_ptr<SerialLine> line, int port, bool keptOpen, PortsInUse& ports);

    std::shared_ptr<SerialLine> m_line;
    int m_port;
    bool m_keptOpen;
    PortsInUse& m_ports;
    bool m_closed = false;
};

}  // namespace quillon
