#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

namespace quillon {

namespace {

sockaddr_in endpoint(std::int32_t address, std::uint16_t port)
{
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = htonl(static_cast<std::uint32_t>(address));
    return where;
}

bool bindTo(int fd, const sockaddr_in& where)
{
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
}

constexpr std::size_t kLocalAddressLimit = 10;

}  // namespace

UdpSocket::Bound UdpSocket::bind(std::int32_t localAddress, std::uint16_t port)
{
    Bound bound;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        bound.failure = Bound::Failure::Create;
        bound.error = errno;
        return bound;
    }
    const sockaddr_in where = endpoint(localAddress, port);
    if (!bindTo(fd, where)) {
        const int first = errno;
        bound.error = first;
        bound.failure = Bound::Failure::Bind;
        if (first == EADDRINUSE) {
            const int on = 1;
            if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
                bound.failure = Bound::Failure::ReuseOption;
                bound.error = errno;
            } else if (bindTo(fd, where)) {
                bound.failure = Bound::Failure::None;
                bound.error = 0;
            } else {
                bound.failure = Bound::Failure::BindAgain;
                bound.error = errno;
            }
        }
        if (bound.failure != Bound::Failure::None) {
            ::close(fd);
            return bound;
        }
    }
    bound.socket.reset(new UdpSocket(fd));
    return bound;
}

UdpSocket::~UdpSocket()
{
    ::close(m_fd);
}

std::uint16_t UdpSocket::localPort() const
{
    sockaddr_in where{};
    socklen_t length = sizeof where;
    if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        return 0;
    return ntohs(where.sin_port);
}

bool UdpSocket::send(std::int32_t address, std::uint16_t port, std::string_view bytes)
{
    const sockaddr_in where = endpoint(address, port);
    ssize_t sent = -1;
    do {
        sent = ::sendto(m_fd, bytes.data(), bytes.size(), 0,
                        reinterpret_cast<const sockaddr*>(&where), sizeof where);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<ReceivedDatagram> UdpSocket::receive()
{
    ReceivedDatagram datagram;
    datagram.bytes.resize(kLargestDatagram);
    sockaddr_in from{};
    socklen_t length = sizeof from;
    ssize_t got = -1;
    do {
        got = ::recvfrom(m_fd, datagram.bytes.data(), datagram.bytes.size(), 0,
                         reinterpret_cast<sockaddr*>(&from), &length);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return std::nullopt;
    datagram.bytes.resize(static_cast<std::size_t>(got));
    datagram.sourceAddress = static_cast<std::int32_t>(ntohl(from.sin_addr.s_addr));
    datagram.sourcePort = ntohs(from.sin_port);
    return datagram;
}

bool UdpSocket::waitReadable(int milliseconds) const
{
    pollfd watched{m_fd, POLLIN, 0};
    int ready = -1;
    do {
        ready = ::poll(&watched, 1, milliseconds);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (watched.revents & POLLIN) != 0;
}

std::vector<std::int32_t> localIpv4Addresses()
{
    std::vector<std::int32_t> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return addresses;
    for (const ifaddrs* entry = list; entry && addresses.size() < kLocalAddressLimit;
         entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const auto* where = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        const auto address = static_cast<std::int32_t>(ntohl(where->sin_addr.s_addr));
        if ((static_cast<std::uint32_t>(address) >> 24) == 127 || address == 0)
            continue;
        addresses.push_back(address);
    }
    ::freeifaddrs(list);
    return addresses;
}

}  // namespace quillon
