// The shop-floor board's web server: the page, its script and style from the program's
// resources, GET /api/machines, and a WebSocket that pushes every change to every open
// page. Read-only: only GET and the WebSocket upgrade are answered.
#pragma once

#include <QHostAddress>
#include <QObject>

#include "board/BoardFeed.h"

namespace quillon {

class BoardServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMostClients = 64;

    explicit BoardServer(BoardFeed& feed, QObject* parent = nullptr);
    ~BoardServer() override;

    // False, with the reason in `error`, when the address cannot be listened on.
    bool listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 port() const;
    int clientCount() const;
};

}  // namespace quillon
