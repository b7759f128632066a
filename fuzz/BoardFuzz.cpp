// Sends arbitrary bytes to the shop-floor board's web server, started in this process on
// loopback: each input is one connection that writes the bytes (a request, an upgrade
// followed by WebSocket frames, or junk) and then, as the first byte says, either ends its
// side or waits. Qt itself is not instrumented, and every input costs a connection and a
// few turns of the event loop, so the executions per second are few.
//
// Besides crashes it checks what the server promises: a connection that has said all it
// will say is answered or closed in time; every answer of the board's own carries the
// guard headers; a page that goes away leaves no client behind; and no input leaves
// sockets open after its connection is gone, so the server keeps within its memory however
// many connections come and go.
#include <dirent.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "board/BoardFeed.h"
#include "board/ui/BoardServer.h"

namespace {

using namespace quillon;

// Patience for one answer: the server is in this process, so it comes in a few turns of
// the event loop; this much is a server that does not answer.
constexpr int kAnswerMs = 3000;
// A connection that leaves its request unfinished is given this long before it goes.
constexpr int kUnfinishedMs = 10;

class Feed final : public BoardFeed {
public:
    std::string snapshotJson() const override { return R"({"type":"snapshot","rows":[]})"; }
    std::string machinesJson() const override { return R"([{"machine":"LATHE 1"}])"; }
    void setPush(Push push) override { m_push = std::move(push); }

private:
    Push m_push;
};

struct Board {
    Feed feed;
    BoardServer server{feed};
};

Board* board = nullptr;

// Turns the event loop until `done` or the time is up; whether it was done.
bool turnUntil(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count;
}

// The head of an answer once it and its body are complete; empty until then.
QByteArray completeHead(const QByteArray& received)
{
    const int headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return {};
    const QByteArray head = received.left(headEnd).toLower();
    const int at = head.indexOf("content-length:");
    const int length = at < 0 ? 0 : head.mid(at + 15).split('\r').first().trimmed().toInt();
    return received.size() >= headEnd + 4 + length ? head : QByteArray();
}

void checkHead(const QByteArray& head)
{
    FUZZ_CHECK(head.startsWith("http/1.1 "));
    const int status = head.mid(9, 3).toInt();
    // The board's own answers; Qt answers a request it cannot read by itself.
    if (status == 200 || status == 404 || status == 405 || status == 426) {
        FUZZ_CHECK(head.contains("\r\nx-frame-options: deny"));
        FUZZ_CHECK(head.contains("\r\nx-content-type-options: nosniff"));
        FUZZ_CHECK(head.contains("\r\ncontent-security-policy: "));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv);
    board = new Board;
    QString error;
    FUZZ_CHECK(board->server.listen(QHostAddress::LocalHost, 0, error));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool endsItsSide = (data[0] & 1) != 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
    const int descriptorsBefore = openDescriptors();

    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, board->server.port());
        FUZZ_CHECK(turnUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                             kAnswerMs));
        socket.write(bytes);
        FUZZ_CHECK(turnUntil([&] { return socket.bytesToWrite() == 0; }, kAnswerMs));
        if (endsItsSide)
            ::shutdown(static_cast<int>(socket.socketDescriptor()), SHUT_WR);

        QByteArray received;
        bool closed = false;
        const bool settled = turnUntil(
            [&] {
                received += socket.readAll();
                closed = socket.state() == QAbstractSocket::UnconnectedState;
                return closed || !completeHead(received).isEmpty();
            },
            endsItsSide ? kAnswerMs : kUnfinishedMs);
        FUZZ_CHECK(settled || !endsItsSide);
        if (const QByteArray head = completeHead(received); !head.isEmpty())
            checkHead(head);
        socket.abort();
    }

    // The page is gone: the server lets go of it and of every socket it had for it.
    FUZZ_CHECK(turnUntil([] { return board->server.clientCount() == 0; }, kAnswerMs));
    FUZZ_CHECK(turnUntil([&] { return openDescriptors() <= descriptorsBefore; }, kAnswerMs));
    return 0;
}
