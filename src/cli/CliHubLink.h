// The hub link as the shell commands hold it: the UDP socket bound on this computer's
// address and the link object the windows use, run by a loop of datagrams and ticks.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>

#include "monitoring/HubLink.h"
#include "monitoring/LinkSetup.h"
#include "platform/Clock.h"
#include "platform/UdpSocket.h"

namespace quillon {
class WorkDir;
}

namespace quillon::cli {

inline constexpr int kTickMs = 1000;

// What the windows would hold: the socket, bound, and the link on it.
struct OpenLink {
    std::unique_ptr<UdpSocket> socket;
    std::int32_t hub = 0;
    std::int32_t local = 0;
    std::uint16_t port = kHubLinkPort;
    SystemClock clock;
    std::unique_ptr<HubLink> link;
};

// The hub and this computer's address from the settings, the socket bound; nothing after
// saying why on `err`.
std::unique_ptr<OpenLink> openLink(const WorkDir& workDir, std::ostream& err);

// Runs the link until the time is up or `done` says so: datagrams as they come, a timer
// tick every second.
void runLink(OpenLink& open, int seconds, const std::function<bool()>& done);

}  // namespace quillon::cli
