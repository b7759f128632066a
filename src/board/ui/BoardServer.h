// The shop-floor board's web server: the page, its script and style from the program's
// resources, GET /api/machines, and a WebSocket that pushes every change to every open
// page. Read-only: only GET and the WebSocket upgrade are answered.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

#include "board/BoardFeed.h"

class QHttpServerRequest;
class QTcpSocket;
class QWebSocket;

namespace quillon {

class BoardHttp;

class BoardServer : public QObject {
    Q_OBJECT
public:
    // A board per machine group and a phone or two per foreman: 64 leaves room for a
    // whole shop while a runaway script cannot make the server keep thousands of sockets.
    static constexpr int kMostClients = 64;

    explicit BoardServer(BoardFeed& feed, QObject* parent = nullptr);
    ~BoardServer() override;

    // False, with the reason in `error`, when the address cannot be listened on.
    bool listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 port() const;
    int clientCount() const;

signals:
    // A page connected or went away (for the program's status line and for tests).
    void clientsChanged(int count);

private:
    friend class BoardHttp;
    void answer(const QHttpServerRequest& request, QTcpSocket* socket);
    void acceptWebSockets();
    void push(const std::string& message);
    // What was pushed since the last batch goes out: one message, or a JSON array of them.
    void sendPending();
    void dropClient(QWebSocket* client);

    BoardFeed& m_feed;
    std::unique_ptr<BoardHttp> m_http;
    std::vector<QWebSocket*> m_clients;
    std::vector<std::string> m_pending;
    QTimer m_batchTimer;
    quint16 m_port = 0;
};

}  // namespace quillon
