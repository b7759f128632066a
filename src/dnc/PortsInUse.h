// Which of the ten ports a communication window is using right now.
//
// It answers the busy check before a transfer, the warning at exit, and tells the tick
// driver which windows are live. Only the UI thread touches it.
#pragma once

#include <array>
#include <string_view>

namespace quillon {

class Notifier;
struct PortSetup;

inline constexpr std::string_view kPortBusyText = "Selected COM port is already busy";

class PortsInUse {
public:
    PortsInUse() { markAllFree(); }

    void markAllFree() { m_inUse.fill(false); }
    // Port indexes outside 0..9 (possible from a damaged ComConf.sys) are never in use
    // and cannot be marked.
    void markInUse(int port);
    void markFree(int port);
    bool isInUse(int port) const;
    bool anyInUse() const;

private:
    static bool valid(int port);

    std::array<bool, 10> m_inUse{};
};

// True, after telling the user "Selected COM port is already busy", when the setup's port
// is in use; the transfer must not start then.
bool portBusy(const PortSetup& setup, const PortsInUse& ports, Notifier& notifier);

}  // namespace quillon
