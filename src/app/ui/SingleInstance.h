// One running program per working directory, and the wake-up call of a second start.
//
// The first start holds a lock file in the working directory for as long as it runs and
// listens on a local socket. A second start finds the lock taken, writes its hand-off
// file (DROPIN.TXT or _DADUV.TMP) and sends the first one a message naming it:
//
//     "30018\n"  open the file named in DROPIN.TXT
//     "30011\n"  transmit the file named in _DADUV.TMP
//     "RAISE\n"  only come to the front
//
// The numbers are those of the window messages the Windows program used for the same
// purposes.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

namespace quillon {

class WorkDir;

enum class InstanceMessage { Raise, OpenDropIn, TransmitHandOff };

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // instanceName: the executable's base name, as renamed copies run on their own.
    SingleInstance(const WorkDir& workDir, const QString& instanceName, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim { Primary, OtherRunning, LockUnavailable };

    // Takes the lock. LockUnavailable: the lock file cannot be written (a read-only
    // working directory, say); the program then runs without the single-instance guard.
    Claim claimPrimary();
    // Starts answering second starts; call once the main window is shown.
    bool listen();

    // From a second start: delivers the message to the running program, waiting a
    // while for it to listen. False when no program answered.
    bool sendToPrimary(InstanceMessage message) const;

    QString serverName() const { return m_serverName; }

signals:
    void messageReceived(quillon::InstanceMessage message);

private:
    void readConnection(QLocalSocket* socket);

    QLockFile m_lock;
    QString m_serverName;
    std::unique_ptr<QLocalServer> m_server;
};

}  // namespace quillon
