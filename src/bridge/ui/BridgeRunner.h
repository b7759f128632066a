// The MQTT bridge as the program runs it: the bridge follows the hub link like a monitoring
// view, the broker's socket is watched by socket notifiers, and a one-second timer ticks the
// bridge. It holds the working directory's bridge lock while it runs, so neither the command
// line's bridge nor another instance of the program publishes the same machines twice.
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <string>

#include "bridge/BridgeSettings.h"
#include "bridge/BridgeStatus.h"
#include "platform/Clock.h"
#include "platform/WorkDir.h"

class QSocketNotifier;

namespace quillon {

class HubLink;
class MqttBridge;
class MqttClient;
class ProcessLock;

class BridgeRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;
    // How long a stop waits for "false" on the online topic to reach the broker: long
    // enough for a broker on the shop's network, short enough not to hold up the exit.
    static constexpr std::chrono::milliseconds kGoodbyeTimeout{2000};

    BridgeRunner(WorkDir workDir, const Clock& clock, const SteadyClock& steadyClock,
                 QObject* parent = nullptr);
    // Stops a running bridge as stop() does.
    ~BridgeRunner() override;

    // Starts a bridge over the link with these settings, in place of a running one. False,
    // with the user's text in `error`, when the lock is held or cannot be made, the settings
    // cannot work, the password cannot be read or the broker client refuses them (a TLS
    // file it cannot read); a broker that does not answer yet is no failure.
    bool start(const BridgeSettings& settings, HubLink& link, std::string& error);
    // Says goodbye on the online topic, leaves the link and lets the lock go.
    void stop();

    bool running() const { return m_bridge != nullptr; }
    // Idle while none runs.
    BridgeStatus status() const;
    MqttBridge* bridge() const { return m_bridge.get(); }

signals:
    // The status changed: the connection, the queue or the counts published.
    void statusChanged();

private:
    class LinkPlace;

    // The notifier saw the socket ready: the client reads or writes.
    void socketReady(void (MqttClient::*serve)());
    void tick();
    // After every call into the client: its socket may be another one (a reconnection), and
    // writing is watched only while it has something to write.
    void followSocket();
    void noteStatus();

    WorkDir m_workDir;
    const Clock& m_clock;
    const SteadyClock& m_steadyClock;
    std::unique_ptr<ProcessLock> m_lock;
    std::unique_ptr<MqttBridge> m_bridge;
    HubLink* m_link = nullptr;
    std::unique_ptr<LinkPlace> m_linkPlace;
    int m_socket = -1;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_timer;
    BridgeStatus m_lastStatus;
};

}  // namespace quillon
