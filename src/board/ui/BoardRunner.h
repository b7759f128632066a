// The shop-floor board as the program runs it: the board model follows the hub link beside
// the monitoring views (and the MQTT bridge, when one runs), its web server answers the
// browsers on the program's event loop, and a one-second timer ticks the model.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

#include "board/BoardSettings.h"
#include "platform/Clock.h"
#include "platform/WorkDir.h"

namespace quillon {

class BoardModel;
class BoardServer;
class HubLink;

class BoardRunner : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    BoardRunner(WorkDir workDir, const Clock& clock, QObject* parent = nullptr);
    // Stops a running board as stop() does.
    ~BoardRunner() override;

    // Serves the board over the link with these settings, in place of a running one. The
    // monitoring list, the status table and the hub's machines are read now, as the
    // command line's board reads them. False, with the user's text in `error`, when the
    // settings cannot work or the address cannot be listened on (a port in use, an
    // address of no interface of this computer), with the system's reason.
    bool start(const BoardSettings& settings, HubLink& link, std::string& error);
    // Closes every page's connection, stops listening and leaves the link.
    void stop();

    bool running() const { return m_server != nullptr; }
    // Where a browser on this computer finds the board; empty while none runs.
    const std::string& url() const { return m_url; }
    int clientCount() const;
    // "Serving http://127.0.0.1:8080/ to 2 browsers", or "Not running" with the reason the
    // last start failed.
    std::string statusText() const;

    BoardModel* model() const { return m_model.get(); }

signals:
    // Started, stopped, or a browser came or went.
    void statusChanged();

private:
    // start() without noting a failure.
    bool serve(const BoardSettings& settings, HubLink& link, std::string& error);

    WorkDir m_workDir;
    const Clock& m_clock;
    std::unique_ptr<BoardModel> m_model;
    std::unique_ptr<BoardServer> m_server;
    HubLink* m_link = nullptr;
    QTimer m_timer;
    std::string m_url;
    std::string m_failure;  // why the last start failed; empty after a start or a stop
};

}  // namespace quillon
