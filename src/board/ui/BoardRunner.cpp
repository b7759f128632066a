#include "board/ui/BoardRunner.h"

#include <QHostAddress>

#include "board/BoardModel.h"
#include "board/ui/BoardServer.h"
#include "bridge/BridgeSettings.h"
#include "monitoring/HubLink.h"
#include "monitoring/MachineLists.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/StatusTable.h"

namespace quillon {

BoardRunner::BoardRunner(WorkDir workDir, const Clock& clock, QObject* parent)
    : QObject(parent), m_workDir(std::move(workDir)), m_clock(clock)
{
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_model->tick(); });
}

BoardRunner::~BoardRunner()
{
    stop();
}

bool BoardRunner::start(const BoardSettings& settings, HubLink& link, std::string& error)
{
    if (serve(settings, link, error))
        return true;
    m_failure = error;
    emit statusChanged();
    return false;
}

bool BoardRunner::serve(const BoardSettings& settings, HubLink& link, std::string& error)
{
    stop();
    if (auto problem = boardSettingsProblem(settings)) {
        error = std::move(*problem);
        return false;
    }
    const std::string address = *boardAddress(settings.address);
    const std::uint16_t port = *boardPort(settings.port);

    BoardOptions options;
    options.title = settings.title;
    auto model = std::make_unique<BoardModel>(
        readMonitorList(m_workDir), readStatusTable(readRemoteConfig(m_workDir).hubDirectory),
        bridgeMachines(m_workDir), link, m_clock, std::move(options));
    auto server = std::make_unique<BoardServer>(*model);
    QString why;
    if (!server->listen(QHostAddress(QString::fromStdString(address)), port, why)) {
        error = "The shop-floor board cannot listen on " + address + " port " +
                std::to_string(port) + ": " + why.toStdString();
        return false;
    }
    connect(server.get(), &BoardServer::clientsChanged, this, &BoardRunner::statusChanged);
    m_model = std::move(model);
    m_server = std::move(server);
    m_link = &link;
    m_url = boardUrl(address, m_server->port());
    // On the link first: the model's start asks the hub for every machine, and the
    // answers must find it there.
    link.followerOpened(m_model->receiver());
    m_model->start();
    m_timer.start();
    emit statusChanged();
    return true;
}

void BoardRunner::stop()
{
    m_failure.clear();
    if (!m_server)
        return;
    m_timer.stop();
    m_link->followerClosed(m_model->receiver());
    m_link = nullptr;
    // The server first: its pages hold on to the model as their feed. The pages it closes
    // on the way are no news; the stop is told once, below.
    disconnect(m_server.get(), nullptr, this, nullptr);
    m_server.reset();
    m_model.reset();
    m_url.clear();
    emit statusChanged();
}

int BoardRunner::clientCount() const
{
    return m_server ? m_server->clientCount() : 0;
}

std::string BoardRunner::statusText() const
{
    if (running())
        return boardServingText(m_url, clientCount());
    return m_failure.empty() ? "Not running" : "Not running: " + m_failure;
}

}  // namespace quillon
