#include "monitoring/LinkSetup.h"

#include <cerrno>
#include <cstdlib>

#include "platform/TextFile.h"

namespace quillon {

std::uint16_t hubLinkPort()
{
    const char* chosen = std::getenv("QUILLONLT_UDP_PORT");
    if (!chosen || !*chosen)
        return kHubLinkPort;
    const long long port = leadingInteger(chosen);
    return port >= 1 && port <= 65535 ? static_cast<std::uint16_t>(port) : kHubLinkPort;
}

std::string bindFailureText(const UdpSocket::Bound& bound, std::uint16_t port)
{
    using Failure = UdpSocket::Bound::Failure;
    switch (bound.failure) {
    case Failure::None:
        return {};
    case Failure::Create:
        return std::string(kBadSocketText);
    case Failure::ReuseOption:
        return std::string(kAddressInUseText);
    case Failure::BindAgain:
        return "Bind error - 2: " + std::to_string(bound.error);
    case Failure::Bind:
        break;
    }
    std::string text = "Bind error: " + std::to_string(bound.error);
    if (bound.error == EACCES && port < 1024) {
        text += "\nPort " + std::to_string(port) +
                " needs a privilege on Linux. Give it to the program with\n"
                "  sudo setcap cap_net_bind_service=+ep <the quillonlt program>\n"
                "or allow low ports to everyone with\n"
                "  sudo sysctl net.ipv4.ip_unprivileged_port_start=" +
                std::to_string(port) +
                "\nor set QUILLONLT_UDP_PORT to a port from 1024 on (the hub must use it too).";
    }
    return text;
}

}  // namespace quillon
