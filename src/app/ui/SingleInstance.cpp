#include "app/ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

#include "platform/WorkDir.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// A second start may come while the first is still starting and not yet listening.
constexpr int kConnectAttempts = 50;
constexpr int kConnectRetryMs = 100;
constexpr int kIoTimeoutMs = 3000;

QByteArray wireText(InstanceMessage message)
{
    switch (message) {
    case InstanceMessage::OpenDropIn:
        return "30018\n";
    case InstanceMessage::TransmitHandOff:
        return "30011\n";
    case InstanceMessage::Raise:
        break;
    }
    return "RAISE\n";
}

std::optional<InstanceMessage> fromWireText(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (text == "30018")
        return InstanceMessage::OpenDropIn;
    if (text == "30011")
        return InstanceMessage::TransmitHandOff;
    if (text == "RAISE")
        return InstanceMessage::Raise;
    return std::nullopt;
}

}  // namespace

SingleInstance::SingleInstance(const WorkDir& workDir, const QString& instanceName,
                               QObject* parent)
    : QObject(parent), m_lock(fromBytes(workDir.file(instanceName.toStdString() + ".lock")))
{
    // The socket lives in the system's temporary folder, whose paths stay short enough
    // for a local socket; the hash keeps working directories apart.
    const QByteArray hash =
        QCryptographicHash::hash(fromBytes(workDir.root()).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    m_serverName = QStringLiteral("%1-%2-%3").arg(instanceName).arg(::getuid()).arg(QString(hash));
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claimPrimary()
{
    if (m_lock.tryLock(0))
        return Claim::Primary;
    // A lock held by a live process names it; anything else in its place is no lock.
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock.error() == QLockFile::LockFailedError &&
        m_lock.getLockInfo(&pid, &host, &application))
        return Claim::OtherRunning;
    return Claim::LockUnavailable;
}

bool SingleInstance::listen()
{
    // We hold the lock, so a socket file left behind belongs to a dead process.
    QLocalServer::removeServer(m_serverName);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readConnection(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readConnection(socket);
        }
    });
    return m_server->listen(m_serverName);
}

void SingleInstance::readConnection(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        if (const auto message = fromWireText(socket->readLine()))
            emit messageReceived(*message);
    }
}

bool SingleInstance::sendToPrimary(InstanceMessage message) const
{
    QLocalSocket socket;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(kIoTimeoutMs))
            break;
        QThread::msleep(kConnectRetryMs);
    }
    if (socket.state() != QLocalSocket::ConnectedState)
        return false;
    socket.write(wireText(message));
    const bool sent = socket.waitForBytesWritten(kIoTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kIoTimeoutMs);
    return sent;
}

}  // namespace quillon
