// The simulated hub on the network: one UDP socket that hands every datagram to the
// responder and sends its answers, and a one-second timer that pushes what changed.
#pragma once

#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <iosfwd>
#include <string>

#include "hubsim/HubResponder.h"

namespace quillon::hubsim {

class HubSimServer : public QObject {
    Q_OBJECT
public:
    // `log` gets one line per request, unless it is null.
    HubSimServer(HubResponder& responder, std::ostream* log, QObject* parent = nullptr);

    // False, with error() set, when the address and port cannot be bound.
    bool listen(std::int32_t address, std::uint16_t port);
    std::string error() const;

private:
    void readDatagrams();
    void pushChanges();
    void send(const Datagram& datagram);

    HubResponder& m_responder;
    std::ostream* m_log;
    QUdpSocket m_socket;
    QTimer m_pushTimer;
};

}  // namespace quillon::hubsim
