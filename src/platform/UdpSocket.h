// A UDP socket of this program on one local address and port: datagrams go out and come
// in whole, each with its peer. The link to the hub runs on it, from the windows (which
// watch its descriptor) and from the command line (which waits on it).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The largest UDP payload over IPv4: any datagram fits.
inline constexpr std::size_t kLargestDatagram = 65507;

struct ReceivedDatagram {
    std::string bytes;
    std::int32_t sourceAddress = 0;  // first octet most significant (Ipv4Address.h)
    std::uint16_t sourcePort = 0;
};

class UdpSocket {
public:
    // What binding came to: a socket, or the errno of the step that failed.
    struct Bound {
        std::unique_ptr<UdpSocket> socket;
        enum class Failure { None, Create, Bind, ReuseOption, BindAgain } failure = Failure::None;
        int error = 0;
    };

    // Creates a socket and binds it to the address and port. An address in use is tried
    // once more with SO_REUSEADDR set.
    static Bound bind(std::int32_t localAddress, std::uint16_t port);
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    int descriptor() const { return m_fd; }
    std::uint16_t localPort() const;
    // False when the system refused it (a datagram is never sent in part).
    bool send(std::int32_t address, std::uint16_t port, std::string_view bytes);
    // The next waiting datagram, whole; nothing when none waits.
    std::optional<ReceivedDatagram> receive();
    // Waits up to that many milliseconds for a datagram to wait; false when none came.
    bool waitReadable(int milliseconds) const;

private:
    explicit UdpSocket(int fd) : m_fd(fd) {}
    int m_fd;
};

// This computer's IPv4 addresses other than loopback, at most ten, in the system's order.
std::vector<std::int32_t> localIpv4Addresses();

}  // namespace quillon
