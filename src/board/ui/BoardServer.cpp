#include "board/ui/BoardServer.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

#include <algorithm>

// The page's resources live in a static library, whose registration the linker would
// otherwise leave out; outside any namespace, as Q_INIT_RESOURCE must be.
static void registerBoardResources()
{
    Q_INIT_RESOURCE(board);
}

namespace quillon {

namespace {

using Status = QHttpServerResponder::StatusCode;

// A page never talks back: anything larger than a close frame's reason is not a page.
constexpr quint64 kLargestIncomingMessage = 1024;
// A browser's GET, cookies and all, is a few kilobytes; Qt would keep gathering a header
// for as long as a client sends one, so a connection holding more unread than this is
// cut off.
constexpr qint64 kLargestRequest = 64 * 1024;
// A board whose network stalls (a TV switched off at the wall) would keep every push
// queued for it; past this much unsent text it is dropped and catches up when it returns
// from a fresh snapshot.
constexpr qint64 kMostQueuedBytes = 4 * 1024 * 1024;
// A full floor changes a hundred times a second; sent one by one to twenty pages that is
// thousands of small writes and wake-ups. What comes within this long goes out together,
// well inside the tenth of a second a change may take to reach a board.
constexpr int kBatchMs = 25;

// Where the page comes from: the program's own resources, so nothing is fetched from
// elsewhere and the page works on a shop network without a way out.
struct Asset {
    const char* path;
    const char* resource;
    const char* contentType;
};
constexpr Asset kAssets[] = {
    {"/", ":/board/index.html", "text/html; charset=utf-8"},
    {"/board.js", ":/board/board.js", "text/javascript; charset=utf-8"},
    {"/board.css", ":/board/board.css", "text/css; charset=utf-8"},
};
constexpr char kApiPath[] = "/api/machines";
constexpr char kWebSocketPath[] = "/ws";

// Every connection watched for a request past kLargestRequest before Qt's parser reads it.
// An upgraded connection leaves the watch: Qt disconnects the socket's signals when it
// hands it to its WebSocket side.
class GuardedTcpServer : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (socket->bytesAvailable() > kLargestRequest)
                socket->abort();
        });
        addPendingConnection(socket);
    }
};

bool asksForWebSocket(const QHttpServerRequest& request)
{
    const auto headers = request.headers();
    return std::any_of(headers.begin(), headers.end(), [](const auto& header) {
        return header.first.compare("upgrade", Qt::CaseInsensitive) == 0 &&
               header.second.trimmed().compare("websocket", Qt::CaseInsensitive) == 0;
    });
}

QByteArray resourceBytes(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every answer carries the same guard headers: the board may not be framed by another
// site (a click-jacking page cannot dress it up), the browser may not guess a type, and
// the page may load nothing but its own script and style. GET is the one method of every
// path here, so Allow is the same on all of them.
void respond(QHttpServerResponder& responder, Status status, const QByteArray& contentType,
             const QByteArray& body, const QByteArray& caching)
{
    responder.write(body,
                    {{"Content-Type", contentType},
                     {"Cache-Control", caching},
                     {"X-Frame-Options", "DENY"},
                     {"Content-Security-Policy", "frame-ancestors 'none'; default-src 'self'"},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Referrer-Policy", "no-referrer"},
                     {"Allow", "GET"}},
                    status);
}

void respondText(QHttpServerResponder& responder, Status status, const QByteArray& text)
{
    respond(responder, status, "text/plain; charset=utf-8", text + '\n', "no-store");
}

}  // namespace

// QAbstractHttpServer leaves routing to a subclass; ours hands every request to the
// board server, which answers all of them itself so that no method slips through a
// default route. A WebSocket upgrade is the exception: Qt 6.4 asks handleRequest() about
// it and upgrades when told true, so true goes to the board's own and nothing else (Qt
// hangs up on the refused one after our 404).
class BoardHttp : public QAbstractHttpServer {
public:
    explicit BoardHttp(BoardServer& board) : m_board(board) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        if (!asksForWebSocket(request)) {
            m_board.answer(request, socket);
            return true;
        }
        if (request.method() == QHttpServerRequest::Method::Get &&
            request.url().path() == QLatin1String(kWebSocketPath))
            return true;
        auto responder = makeResponder(request, socket);
        respondText(responder, Status::NotFound, "Not found");
        return false;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        auto responder = makeResponder(request, socket);
        respondText(responder, Status::NotFound, "Not found");
    }

private:
    // The board server answers with makeResponder(), which only a subclass may call.
    friend class BoardServer;
    BoardServer& m_board;
};

BoardServer::BoardServer(BoardFeed& feed, QObject* parent)
    : QObject(parent), m_feed(feed), m_http(std::make_unique<BoardHttp>(*this))
{
    registerBoardResources();
    connect(m_http.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            &BoardServer::acceptWebSockets);
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(kBatchMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &BoardServer::sendPending);
    m_feed.setPush([this](const std::string& message) { push(message); });
}

BoardServer::~BoardServer()
{
    m_feed.setPush({});
    for (QWebSocket* client : m_clients) {
        client->disconnect(this);
        client->abort();
        delete client;
    }
}

bool BoardServer::listen(const QHostAddress& address, quint16 port, QString& error)
{
    // Our own QTcpServer rather than QAbstractHttpServer::listen(), which keeps the
    // reason of a failure to itself.
    auto* server = new GuardedTcpServer(m_http.get());
    if (!server->listen(address, port)) {
        error = server->errorString();
        delete server;
        return false;
    }
    m_port = server->serverPort();
    m_http->bind(server);
    return true;
}

quint16 BoardServer::port() const
{
    return m_port;
}

int BoardServer::clientCount() const
{
    return static_cast<int>(m_clients.size());
}

void BoardServer::answer(const QHttpServerRequest& request, QTcpSocket* socket)
{
    auto responder = BoardHttp::makeResponder(request, socket);
    const QString path = request.url().path();
    const bool api = path == QLatin1String(kApiPath);
    const auto asset = std::find_if(std::begin(kAssets), std::end(kAssets),
                                    [&](const Asset& a) { return path == QLatin1String(a.path); });
    const bool known = api || asset != std::end(kAssets) || path == QLatin1String(kWebSocketPath);
    if (!known) {
        respondText(responder, Status::NotFound, "Not found");
        return;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        respond(responder, Status::MethodNotAllowed, "text/plain; charset=utf-8",
                "Read-only: only GET is answered\n", "no-store");
        return;
    }
    if (api) {
        respond(responder, Status::Ok, "application/json",
                QByteArray::fromStdString(m_feed.machinesJson()), "no-store");
    } else if (asset != std::end(kAssets)) {
        // no-cache, not no-store: a board left open for months revalidates after an update.
        respond(responder, Status::Ok, asset->contentType, resourceBytes(asset->resource),
                "no-cache");
    } else {
        respondText(responder, Status::UpgradeRequired, "WebSocket only");
    }
}

void BoardServer::acceptWebSockets()
{
    // The pages already open get what is pending now: a new page's snapshot holds it.
    sendPending();
    while (m_http->hasPendingWebSocketConnections()) {
        QWebSocket* client = m_http->nextPendingWebSocketConnection().release();
        client->setParent(this);
        // A page whose close frame came with its upgrade is closed before it gets here, and
        // its disconnected signal has gone by: kept, it would never leave, and enough of
        // them would lock every board out.
        if (client->state() != QAbstractSocket::ConnectedState) {
            client->deleteLater();
            continue;
        }
        if (clientCount() >= kMostClients) {
            client->close(QWebSocketProtocol::CloseCodePolicyViolated,
                          QStringLiteral("Too many boards open"));
            client->deleteLater();
            continue;
        }
        client->setMaxAllowedIncomingMessageSize(kLargestIncomingMessage);
        client->setMaxAllowedIncomingFrameSize(kLargestIncomingMessage);
        connect(client, &QWebSocket::disconnected, this, [this, client] { dropClient(client); });
        m_clients.push_back(client);
        client->sendTextMessage(QString::fromStdString(m_feed.snapshotJson()));
        emit clientsChanged(clientCount());
    }
}

void BoardServer::push(const std::string& message)
{
    m_pending.push_back(message);
    if (!m_batchTimer.isActive())
        m_batchTimer.start();
}

void BoardServer::sendPending()
{
    m_batchTimer.stop();
    if (m_pending.empty())
        return;
    std::string batch;
    if (m_pending.size() == 1) {
        batch = std::move(m_pending.front());
    } else {
        batch = "[";
        for (const std::string& message : m_pending) {
            if (batch.size() > 1)
                batch += ',';
            batch += message;
        }
        batch += ']';
    }
    m_pending.clear();
    const QString text = QString::fromStdString(batch);
    // A copy: closing a stalled client may end up in dropClient() while we go round.
    const std::vector<QWebSocket*> clients = m_clients;
    for (QWebSocket* client : clients) {
        if (client->bytesToWrite() > kMostQueuedBytes) {
            client->abort();
            continue;
        }
        client->sendTextMessage(text);
    }
}

void BoardServer::dropClient(QWebSocket* client)
{
    const auto it = std::find(m_clients.begin(), m_clients.end(), client);
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    client->deleteLater();
    emit clientsChanged(clientCount());
}

}  // namespace quillon
