// Setting the link up: the port both ends use, the socket bound to this computer's
// address, and what the user is told when binding fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/UdpSocket.h"

namespace quillon {

// The hub and its clients talk on UDP port 17 at both ends. QUILLONLT_UDP_PORT names another
// port for both (a test, a simulated hub, or a computer where the program may not have a
// port below 1024).
inline constexpr std::uint16_t kHubLinkPort = 17;
std::uint16_t hubLinkPort();

inline constexpr std::string_view kNoLinkText = "No Ethernet communications";
inline constexpr std::string_view kBadSocketText = "Bad Socket";
inline constexpr std::string_view kAddressInUseText =
    "Bind error - address is already in use.\nCould not fix problem.";

// What the user is told of a failed bind ("Bind error: " and the number, and so on); a
// port refused for want of privilege also says how to get it. Empty when the bind worked.
std::string bindFailureText(const UdpSocket::Bound& bound, std::uint16_t port);

}  // namespace quillon
