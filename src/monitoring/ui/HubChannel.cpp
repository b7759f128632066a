#include "monitoring/ui/HubChannel.h"

#include <QSocketNotifier>

#include "monitoring/LinkSetup.h"
#include "platform/Notifier.h"

namespace quillon {

std::unique_ptr<HubChannel> HubChannel::open(std::int32_t hubAddress, std::int32_t localAddress,
                                             std::uint16_t port, const Clock& clock,
                                             Notifier& notifier)
{
    UdpSocket::Bound bound = UdpSocket::bind(localAddress, port);
    if (!bound.socket) {
        notifier.message(bindFailureText(bound, port));
        return nullptr;
    }
    return std::unique_ptr<HubChannel>(
        new HubChannel(std::move(bound.socket), hubAddress, localAddress, port, clock));
}

HubChannel::HubChannel(std::unique_ptr<UdpSocket> socket, std::int32_t hubAddress,
                       std::int32_t localAddress, std::uint16_t port, const Clock& clock)
    : m_socket(std::move(socket)),
      m_hubAddress(hubAddress),
      m_port(port),
      m_link(hubAddress, localAddress, clock,
             [this](std::string_view bytes) { m_socket->send(m_hubAddress, m_port, bytes); }),
      m_readable(new QSocketNotifier(m_socket->descriptor(), QSocketNotifier::Read, this))
{
    m_link.timerTick();
    connect(m_readable, &QSocketNotifier::activated, this, &HubChannel::readPending);
}

HubChannel::~HubChannel() = default;

// Every waiting datagram, whole, each handed on before the next is read: receivers keep
// nothing of the bytes after their call.
void HubChannel::readPending()
{
    while (auto datagram = m_socket->receive())
        m_link.datagramArrived(datagram->bytes, datagram->sourceAddress);
}

}  // namespace quillon
