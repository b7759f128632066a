// The link as the program runs it: the socket bound at start-up (the same socket the
// command line uses), each datagram handed to the link as it arrives, and the link's
// datagrams sent to the hub. The windows reach the link through link().
#pragma once

#include <QObject>

#include <cstdint>
#include <memory>

#include "monitoring/HubLink.h"
#include "platform/UdpSocket.h"

class QSocketNotifier;

namespace quillon {

class Clock;
class Notifier;

class HubChannel : public QObject {
    Q_OBJECT
public:
    // Binds this computer's address on the port; nothing after telling the user why it
    // could not (the set-up texts: "Bad Socket", "Bind error: ..." and so on).
    static std::unique_ptr<HubChannel> open(std::int32_t hubAddress, std::int32_t localAddress,
                                            std::uint16_t port, const Clock& clock,
                                            Notifier& notifier);
    ~HubChannel() override;

    HubLink& link() { return m_link; }
    std::uint16_t port() const { return m_port; }

private:
    HubChannel(std::unique_ptr<UdpSocket> socket, std::int32_t hubAddress,
               std::int32_t localAddress, std::uint16_t port, const Clock& clock);
    void readPending();

    std::unique_ptr<UdpSocket> m_socket;
    std::int32_t m_hubAddress;
    std::uint16_t m_port;
    HubLink m_link;
    QSocketNotifier* m_readable;
};

}  // namespace quillon
