#include "bridge/ui/BridgeRunner.h"

#include <QSocketNotifier>

#include "bridge/MqttBridge.h"
#include "monitoring/HubLink.h"
#include "platform/ProcessLock.h"

namespace quillon {

namespace {

// A notifier that goes with the next pass of the event loop: it may be the one whose
// signal is being delivered right now.
void retire(std::unique_ptr<QSocketNotifier>& notifier)
{
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

}  // namespace

// Passes the link's datagrams to the bridge and looks at the broker socket after each,
// since a datagram may have published something that did not go out whole.
class BridgeRunner::LinkPlace final : public DatagramReceiver {
public:
    explicit LinkPlace(BridgeRunner& runner) : m_runner(runner) {}
    void datagramArrived(std::string_view bytes) override
    {
        m_runner.m_bridge->receiver().datagramArrived(bytes);
        m_runner.followSocket();
        m_runner.noteStatus();
    }

private:
    BridgeRunner& m_runner;
};

BridgeRunner::BridgeRunner(WorkDir workDir, const Clock& clock, const SteadyClock& steadyClock,
                           QObject* parent)
    : QObject(parent),
      m_workDir(std::move(workDir)),
      m_clock(clock),
      m_steadyClock(steadyClock),
      m_linkPlace(std::make_unique<LinkPlace>(*this))
{
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &BridgeRunner::tick);
}

BridgeRunner::~BridgeRunner()
{
    stop();
}

bool BridgeRunner::start(const BridgeSettings& settings, HubLink& link, std::string& error)
{
    stop();
    auto lock = acquireBridgeLock(m_workDir, error);
    if (!lock)
        return false;
    BridgeStart options = bridgeOptions(m_workDir, settings);
    if (!options.options) {
        error = std::move(options.error);
        return false;
    }
    m_bridge = std::make_unique<MqttBridge>(std::move(*options.options), link,
                                            bridgeMachines(m_workDir), m_clock, m_steadyClock);
    m_link = &link;
    // On the link first: the bridge's start asks the hub for every machine, and the answers
    // must find it there.
    link.followerOpened(*m_linkPlace);
    if (!m_bridge->start()) {
        error = "The MQTT bridge could not start: " + m_bridge->client().lastError();
        link.followerClosed(*m_linkPlace);
        m_bridge.reset();
        m_link = nullptr;
        return false;
    }
    m_lock = std::move(lock);
    followSocket();
    m_timer.start();
    noteStatus();
    return true;
}

void BridgeRunner::stop()
{
    if (!m_bridge)
        return;
    m_timer.stop();
    m_link->followerClosed(*m_linkPlace);
    m_link = nullptr;
    // Never called from a notifier's own signal, so they can go at once.
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_socket = -1;
    m_bridge->stop(kGoodbyeTimeout);
    m_bridge.reset();
    m_lock.reset();
    noteStatus();
}

BridgeStatus BridgeRunner::status() const
{
    return m_bridge ? bridgeStatusOf(*m_bridge, m_steadyClock) : BridgeStatus{};
}

void BridgeRunner::socketReady(void (MqttClient::*serve)())
{
    if (!m_bridge)
        return;
    (m_bridge->client().*serve)();
    followSocket();
    noteStatus();
}

void BridgeRunner::tick()
{
    m_bridge->tick();
    followSocket();
    noteStatus();
}

void BridgeRunner::followSocket()
{
    MqttClient& client = m_bridge->client();
    const int socket = client.socket();
    // Qt switches a notifier off when its descriptor was found closed; a reconnection may
    // have given the new socket the old number, so such a notifier is made anew as well.
    const bool switchedOff = m_readNotifier && !m_readNotifier->isEnabled();
    if (socket != m_socket || switchedOff) {
        retire(m_readNotifier);
        retire(m_writeNotifier);
        m_socket = socket;
        if (socket >= 0) {
            m_readNotifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
            m_writeNotifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
            connect(m_readNotifier.get(), &QSocketNotifier::activated, this,
                    [this] { socketReady(&MqttClient::readable); });
            connect(m_writeNotifier.get(), &QSocketNotifier::activated, this,
                    [this] { socketReady(&MqttClient::writable); });
        }
    }
    // A socket is nearly always writable: watched all the time, it would wake the program
    // at every pass of the event loop.
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(client.wantsWrite());
}

void BridgeRunner::noteStatus()
{
    BridgeStatus now = status();
    if (now == m_lastStatus)
        return;
    m_lastStatus = std::move(now);
    emit statusChanged();
}

}  // namespace quillon
