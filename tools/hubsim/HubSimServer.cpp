#include "hubsim/HubSimServer.h"

#include <QNetworkDatagram>

#include <ostream>

namespace quillon::hubsim {

namespace {

// Pushes go out once a real second: the displays redraw once a second too.
constexpr int kPushIntervalMs = 1000;

}  // namespace

HubSimServer::HubSimServer(HubResponder& responder, std::ostream* log, QObject* parent)
    : QObject(parent), m_responder(responder), m_log(log)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &HubSimServer::readDatagrams);
    connect(&m_pushTimer, &QTimer::timeout, this, &HubSimServer::pushChanges);
}

bool HubSimServer::listen(std::int32_t address, std::uint16_t port)
{
    if (!m_socket.bind(QHostAddress(static_cast<quint32>(address)), port))
        return false;
    m_pushTimer.start(kPushIntervalMs);
    return true;
}

std::string HubSimServer::error() const
{
    return m_socket.errorString().toStdString();
}

void HubSimServer::readDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid())
            continue;
        bool isIpv4 = false;
        const quint32 sender = datagram.senderAddress().toIPv4Address(&isIpv4);
        const int senderPort = datagram.senderPort();
        if (!isIpv4 || senderPort <= 0)
            continue;
        const QByteArray bytes = datagram.data();
        const Answer answer = m_responder.handle(
            std::string_view(bytes.constData(), std::size_t(bytes.size())),
            {static_cast<std::int32_t>(sender), static_cast<std::uint16_t>(senderPort)});
        for (const Datagram& reply : answer.datagrams)
            send(reply);
        if (m_log && !answer.summary.empty())
            *m_log << answer.summary << std::endl;
    }
}

void HubSimServer::pushChanges()
{
    for (const Datagram& push : m_responder.tick())
        send(push);
}

void HubSimServer::send(const Datagram& datagram)
{
    // A lost datagram is made up for by the client's re-subscription; nothing to report.
    m_socket.writeDatagram(datagram.bytes.data(), static_cast<qint64>(datagram.bytes.size()),
                           QHostAddress(static_cast<quint32>(datagram.to.address)),
                           datagram.to.port);
}

}  // namespace quillon::hubsim
