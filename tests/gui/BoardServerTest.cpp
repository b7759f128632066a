// The board's web server seen from its clients: a raw TCP socket for the HTTP side (so
// that refused methods, malformed and oversized requests can be sent as they are) and
// QWebSocket for the pushes, against a feed whose texts the test chooses.
#include "board/ui/BoardServer.h"

#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <memory>
#include <vector>

namespace quillon {
namespace {

constexpr int kWaitMs = 5000;

class FakeFeed : public BoardFeed {
public:
    std::string snapshot = R"({"type":"snapshot","rows":[]})";
    std::string machines = R"([{"machine":"LATHE 1"}])";
    Push pushTo;

    std::string snapshotJson() const override { return snapshot; }
    std::string machinesJson() const override { return machines; }
    void setPush(Push push) override { pushTo = std::move(push); }
};

struct Reply {
    int status = 0;
    QByteArray head;  // status line and headers, lower-cased
    QByteArray body;
    bool closed = false;
    bool answered = false;  // complete, or hung up on, before the patience ran out
};

// One page on the board: every text message it was sent, and how it was closed.
class Page {
public:
    explicit Page(quint16 port, const QString& path = QStringLiteral("/ws"))
    {
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived,
                         [this](const QString& text) { messages.push_back(text.toStdString()); });
        m_socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path)));
    }
    bool waitForMessages(std::size_t count)
    {
        return QTest::qWaitFor([&] { return messages.size() >= count; }, kWaitMs);
    }
    bool waitForClose()
    {
        return QTest::qWaitFor(
            [&] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, kWaitMs);
    }
    QWebSocket& socket() { return m_socket; }

    std::vector<std::string> messages;

private:
    QWebSocket m_socket;
};

class BoardServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    // Sends `request` as it is and reads until the answer is complete or the server
    // hangs up.
    Reply exchange(const QByteArray& request)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server.port());
        if (!socket.waitForConnected(kWaitMs))
            return {};
        socket.write(request);
        QByteArray received;
        Reply reply;
        const auto complete = [&] {
            received += socket.readAll();
            const int headEnd = received.indexOf("\r\n\r\n");
            if (socket.state() == QAbstractSocket::UnconnectedState) {
                reply.closed = true;
                return true;
            }
            if (headEnd < 0)
                return false;
            const QByteArray head = received.left(headEnd).toLower();
            const int at = head.indexOf("content-length:");
            const int length =
                at < 0 ? 0 : head.mid(at + 15).split('\r').first().trimmed().toInt();
            return received.size() >= headEnd + 4 + length;
        };
        reply.answered = QTest::qWaitFor(complete, kWaitMs);
        const int headEnd = received.indexOf("\r\n\r\n");
        if (headEnd >= 0) {
            reply.head = received.left(headEnd).toLower();
            reply.body = received.mid(headEnd + 4);
            reply.status = reply.head.split(' ').value(1).toInt();
        }
        return reply;
    }

    Reply get(const QByteArray& path)
    {
        return exchange("GET " + path + " HTTP/1.1\r\nHost: board\r\n\r\n");
    }

    FakeFeed feed;
    BoardServer server{feed};
};

TEST_F(BoardServerTest, ServesThePageItsPartsAndTheMachinesWithGuardHeaders)
{
    struct Row {
        const char* scenario;
        QByteArray path;
        QByteArray contentType;
        QByteArray bodyHas;
        QByteArray caching;
    };
    const Row rows[] = {
        {"page", "/", "text/html", "<script src=\"board.js\"", "no-cache"},
        {"script", "/board.js", "text/javascript", "new WebSocket(", "no-cache"},
        {"style", "/board.css", "text/css", ".tile", "no-cache"},
        {"machines", "/api/machines", "application/json", "[{\"machine\":\"LATHE 1\"}]",
         "no-store"},
        {"machines with a query", "/api/machines?x=1", "application/json", "LATHE 1", "no-store"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        const Reply reply = get(row.path);
        EXPECT_EQ(reply.status, 200);
        EXPECT_TRUE(reply.head.contains("content-type: " + row.contentType));
        EXPECT_TRUE(reply.body.contains(row.bodyHas)) << reply.body.left(200).toStdString();
        EXPECT_TRUE(reply.head.contains("cache-control: " + row.caching));
        EXPECT_TRUE(reply.head.contains("x-frame-options: deny"));
        EXPECT_TRUE(reply.head.contains(
            "content-security-policy: frame-ancestors 'none'; default-src 'self'"));
        EXPECT_TRUE(reply.head.contains("x-content-type-options: nosniff"));
    }
}

// The page runs under default-src 'self': an inline script or style would be blocked and
// leave the board blank, and anything from elsewhere would break on a closed network.
TEST_F(BoardServerTest, PageUsesNothingInlineNorFromElsewhere)
{
    for (const QByteArray path : {"/", "/board.js", "/board.css"}) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray body = get(path).body;
        ASSERT_FALSE(body.isEmpty());
        EXPECT_FALSE(body.contains("http://"));
        EXPECT_FALSE(body.contains("https://"));
        EXPECT_FALSE(body.contains("<style"));
        EXPECT_FALSE(body.contains(" style=\""));
        EXPECT_FALSE(body.contains("innerHTML"));
        EXPECT_FALSE(body.contains("<script>"));
    }
}

TEST_F(BoardServerTest, RefusesEveryMethodButGetAndEveryOtherPath)
{
    struct Row {
        const char* scenario;
        QByteArray request;
        int status;
    };
    const Row rows[] = {
        {"post to the page", "POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}", 405},
        {"put to the machines", "PUT /api/machines HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 405},
        {"delete the machines", "DELETE /api/machines HTTP/1.1\r\n\r\n", 405},
        {"head of the script", "HEAD /board.js HTTP/1.1\r\n\r\n", 405},
        {"options", "OPTIONS / HTTP/1.1\r\n\r\n", 405},
        {"unknown file", "GET /etc/passwd HTTP/1.1\r\n\r\n", 404},
        {"climbing out", "GET /../../etc/passwd HTTP/1.1\r\n\r\n", 404},
        {"resource path", "GET /:/board/index.html HTTP/1.1\r\n\r\n", 404},
        {"post elsewhere", "POST /status HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 404},
        {"socket path without upgrade", "GET /ws HTTP/1.1\r\n\r\n", 426},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        const Reply reply = exchange(row.request);
        ASSERT_TRUE(reply.answered);
        EXPECT_EQ(reply.status, row.status) << reply.head.toStdString();
        EXPECT_TRUE(reply.head.contains("x-frame-options: deny"));
    }
}

TEST_F(BoardServerTest, SurvivesOversizedAndMalformedRequests)
{
    const QByteArray megabyte(1024 * 1024, 'a');
    struct Row {
        const char* scenario;
        QByteArray request;
    };
    const Row rows[] = {
        {"megabyte header", "GET / HTTP/1.1\r\nX-Big: " + megabyte + "\r\n\r\n"},
        {"megabyte body", "POST / HTTP/1.1\r\nContent-Length: " +
                              QByteArray::number(megabyte.size()) + "\r\n\r\n" + megabyte},
        {"megabyte path", "GET /" + megabyte + " HTTP/1.1\r\n\r\n"},
        {"body shorter than its length", "POST / HTTP/1.1\r\nContent-Length: 999999\r\n\r\nab"},
        {"not http", "hello there\r\n\r\n"},
        {"binary", QByteArray("\x00\xff\x16\x03\x01\x02\x00\r\n\r\n", 11)},
        {"unknown method", "BREW /pot HTTP/1.1\r\n\r\n"},
        {"bad version", "GET / HTTP/9.x\r\n\r\n"},
        {"header without colon", "GET / HTTP/1.1\r\nnonsense\r\n\r\n"},
        {"bad chunk", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"},
        {"broken upgrade",
         "GET /ws HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, server.port());
            ASSERT_TRUE(socket.waitForConnected(kWaitMs));
            socket.write(row.request);
            // Whatever the server makes of it (an answer, a hang-up, a wait for more), it
            // keeps answering everyone else meanwhile.
            const Reply reply = get("/api/machines");
            EXPECT_EQ(reply.status, 200);
            EXPECT_EQ(reply.body, QByteArray::fromStdString(feed.machines));
        }
        if (row.request.startsWith("POST / ") && row.request.size() > 1000) {
            const Reply reply = exchange(row.request);
            EXPECT_TRUE(reply.answered);
            EXPECT_TRUE(reply.status == 405 || reply.closed) << reply.status;
        }
    }
}

// A header that never ends would otherwise be gathered in memory for as long as it comes.
TEST_F(BoardServerTest, CutsOffARequestPastWhatABrowserSends)
{
    const QByteArray megabyte(1024 * 1024, 'a');
    const std::pair<const char*, QByteArray> rows[] = {
        {"megabyte header", "GET / HTTP/1.1\r\nX-Big: " + megabyte + "\r\n\r\n"},
        {"megabyte path", "GET /" + megabyte + " HTTP/1.1\r\n\r\n"},
        {"header without end", "GET / HTTP/1.1\r\nX-Big: " + megabyte},
    };
    for (const auto& [scenario, request] : rows) {
        SCOPED_TRACE(scenario);
        const Reply reply = exchange(request);
        EXPECT_TRUE(reply.closed);
        EXPECT_EQ(reply.status, 0);
    }
    // A browser's request with a generous header still gets its page.
    const Reply browser =
        exchange("GET / HTTP/1.1\r\nCookie: " + QByteArray(16 * 1024, 'c') + "\r\n\r\n");
    EXPECT_EQ(browser.status, 200);
}

TEST_F(BoardServerTest, PageGetsTheSnapshotThenEveryPushInOrder)
{
    feed.snapshot = R"({"type":"snapshot","title":"Hall 2"})";
    Page first(server.port());
    Page second(server.port());
    ASSERT_TRUE(first.waitForMessages(1));
    ASSERT_TRUE(second.waitForMessages(1));
    EXPECT_EQ(first.messages.front(), feed.snapshot);
    EXPECT_EQ(server.clientCount(), 2);

    ASSERT_TRUE(feed.pushTo);
    // Pushes that come together go out as one array, in order; one alone goes out bare.
    feed.pushTo(R"({"type":"machine","id":"1-3","status":"RUNNING"})");
    feed.pushTo(R"({"type":"hub","connected":false})");
    for (Page* page : {&first, &second}) {
        ASSERT_TRUE(page->waitForMessages(2));
        EXPECT_EQ(
            page->messages[1],
            R"([{"type":"machine","id":"1-3","status":"RUNNING"},{"type":"hub","connected":false}])");
    }
    feed.pushTo(R"({"type":"hub","connected":true})");
    for (Page* page : {&first, &second}) {
        ASSERT_TRUE(page->waitForMessages(3));
        EXPECT_EQ(page->messages[2], R"({"type":"hub","connected":true})");
    }
}

TEST_F(BoardServerTest, ReconnectingPageCatchesUpFromAFreshSnapshot)
{
    auto page = std::make_unique<Page>(server.port());
    ASSERT_TRUE(page->waitForMessages(1));
    page->socket().close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == 0; }, kWaitMs));

    // What changed while it was away reaches it only through the snapshot.
    feed.snapshot = R"({"type":"snapshot","title":"after"})";
    feed.pushTo(R"({"type":"machine","id":"1-1"})");
    page = std::make_unique<Page>(server.port());
    ASSERT_TRUE(page->waitForMessages(1));
    EXPECT_EQ(page->messages, std::vector<std::string>{feed.snapshot});
}

TEST_F(BoardServerTest, RefusesTheClientPastTheLimitAndTakesOneWhenASeatFrees)
{
    std::vector<std::unique_ptr<Page>> pages;
    for (int i = 0; i < BoardServer::kMostClients; ++i)
        pages.push_back(std::make_unique<Page>(server.port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientCount() == BoardServer::kMostClients; },
                                kWaitMs));

    Page refused(server.port());
    ASSERT_TRUE(refused.waitForClose());
    EXPECT_TRUE(refused.messages.empty());
    EXPECT_EQ(refused.socket().closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_EQ(server.clientCount(), BoardServer::kMostClients);

    // Pushes still reach every admitted page.
    feed.pushTo(R"({"type":"hub","connected":true})");
    for (auto& page : pages)
        ASSERT_TRUE(page->waitForMessages(2));

    pages.pop_back();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return server.clientCount() == BoardServer::kMostClients - 1; }, kWaitMs));
    Page admitted(server.port());
    EXPECT_TRUE(admitted.waitForMessages(1));
}

TEST_F(BoardServerTest, PageClosingInTheSameBreathAsItsUpgradeLeavesNoSeatTaken)
{
    // The upgrade and a masked close frame in one write: the page is closed before the
    // server sees it, and must not hold one of the seats for ever.
    const QByteArray mask("\x01\x02\x03\x04", 4);
    QByteArray closeFrame("\x88\x82", 2);
    closeFrame += mask;
    closeFrame += char('\x03' ^ mask[0]);
    closeFrame += char('\xe8' ^ mask[1]);
    const Reply reply = exchange(
        "GET /ws HTTP/1.1\r\nHost: board\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n" +
        closeFrame);
    ASSERT_TRUE(reply.answered);

    Page page(server.port());
    ASSERT_TRUE(page.waitForMessages(1));
    EXPECT_EQ(server.clientCount(), 1) << "only the page that stayed";
}

TEST_F(BoardServerTest, SocketOnAnotherPathIsClosedWithoutTheBoard)
{
    Page stray(server.port(), QStringLiteral("/api/machines"));
    ASSERT_TRUE(stray.waitForClose());
    EXPECT_TRUE(stray.messages.empty());
    EXPECT_EQ(server.clientCount(), 0);
}

TEST_F(BoardServerTest, PortInUseIsReportedWithTheReason)
{
    FakeFeed otherFeed;
    BoardServer other(otherFeed);
    QString error;
    EXPECT_FALSE(other.listen(QHostAddress::LocalHost, server.port(), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(BoardServerTest, FeedIsLetGoWhenTheServerEnds)
{
    FakeFeed otherFeed;
    {
        BoardServer other(otherFeed);
        EXPECT_TRUE(otherFeed.pushTo);
    }
    EXPECT_FALSE(otherFeed.pushTo);
}

}  // namespace
}  // namespace quillon
