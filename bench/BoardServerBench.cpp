// The board's web server under a full floor: a tile pushed to 20 open pages, as 128
// machines changing once a second make it do 128 times a second.
//
// The goals:
//   128 pushes a second to 20 pages                  < 3 % of a core
//   a push on the wire to every page                 < 100 ms
// The pages read on a thread of their own, so the server's thread's CPU time is the
// server's work alone. Reported as server_us_per_push (that CPU time), busy_percent (128
// pushes a second of it) and worst_ms (wall time from a push to its last page). The
// reference, measured alongside, is the least any server does: the same bytes written to
// 20 plain TCP connections.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QWebSocket>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "board/ui/BoardServer.h"

namespace {

constexpr int kPages = 20;
constexpr int kMachines = 128;
constexpr int kWaitMs = 10000;

// A tile as the board model writes it for a two-station machine, about 700 bytes.
std::string tileMessage(int serial)
{
    return R"({"type":"machine","id":"3-4","machine":"VERTICAL MACHINING CENTRE 09","number":)" +
           std::to_string(serial % 128 + 1) +
           R"(,"status":"CYCLE ON","status_since":"2026-12-09T06:30:17+01:00",)"
           R"("colors":{"background":"#00ff00","text":"#000000"},"alert":false,"stale":false,)"
           R"("stations":[{"part_number":"P65062-B","good":)" +
           std::to_string(serial) +
           R"(,"total":125,"last_cycle":"00:22:34","cycle_band":"within","oee":63},)"
           R"({"part_number":"P65062-B","good":123,"total":125,"last_cycle":"00:22:34",)"
           R"("cycle_band":"within","oee":65}],"oee_band":"within","known":true,)"
           R"("rate_mode":false,"server_time":"2026-12-09T06:31:07+01:00"})";
}

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// The open pages, on their own thread: WebSockets to the board, or plain TCP readers for
// the reference. Each finished message wakes the server's thread once all have it.
class Pages : public QObject {
public:
    Pages()
    {
        moveToThread(&m_thread);
        m_thread.start();
    }
    ~Pages() override
    {
        QMetaObject::invokeMethod(
            this, [this] { m_sockets.clear(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    void openWebSockets(quint16 port)
    {
        QMetaObject::invokeMethod(
            this,
            [this, port] {
                for (int i = 0; i < kPages; ++i) {
                    auto* page =
                        new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
                    QObject::connect(page, &QWebSocket::textMessageReceived,
                                     [this](const QString&) { arrived(1); });
                    page->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
                    m_sockets.emplace_back(page);
                }
            },
            Qt::BlockingQueuedConnection);
    }
    void openTcp(quint16 port)
    {
        QMetaObject::invokeMethod(
            this,
            [this, port] {
                for (int i = 0; i < kPages; ++i) {
                    auto* reader = new QTcpSocket(this);
                    QObject::connect(reader, &QTcpSocket::readyRead,
                                     [this, reader] { arrived(reader->readAll().size()); });
                    reader->connectToHost(QHostAddress::LocalHost, port);
                    m_sockets.emplace_back(reader);
                }
            },
            Qt::BlockingQueuedConnection);
    }
    // From now on, done() once `units` more have arrived (messages, or bytes).
    void expect(qint64 units)
    {
        m_done = false;
        m_target = m_count.load() + units;
    }
    bool done() const { return m_done.load(); }
    bool waitFor(qint64 units)
    {
        expect(units);
        return QTest::qWaitFor([&] { return done(); }, kWaitMs);
    }

private:
    void arrived(qint64 units)
    {
        if (m_count.fetch_add(units) + units >= m_target.load() && !m_done.exchange(true))
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    }

    QThread m_thread;
    std::vector<std::unique_ptr<QObject>> m_sockets;
    std::atomic<qint64> m_count{0};
    std::atomic<qint64> m_target{0};
    std::atomic<bool> m_done{false};
};

// Sends a fresh tile per iteration with `push`, the server's thread asleep until the pages
// have it all.
template <typename Push>
void fanOut(benchmark::State& state, Pages& pages, qint64 unitsPerPush, Push push)
{
    int serial = 0;
    qint64 worstNs = 0;
    QElapsedTimer clock;
    const qint64 cpuBefore = threadCpuNs();
    for (auto _ : state) {
        const std::string message = tileMessage(++serial);
        pages.expect(unitsPerPush < 0 ? qint64(message.size()) * kPages : unitsPerPush);
        clock.start();
        push(message);
        while (!pages.done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        worstNs = std::max(worstNs, clock.nsecsElapsed());
    }
    const double usPerPush =
        state.iterations() > 0
            ? static_cast<double>(threadCpuNs() - cpuBefore) / 1e3 / state.iterations()
            : 0;
    state.counters["server_us_per_push"] = usPerPush;
    state.counters["busy_percent"] = kMachines * usPerPush / 1e4;
    state.counters["worst_ms"] = static_cast<double>(worstNs) / 1e6;
}

class BenchFeed : public quillon::BoardFeed {
public:
    std::string snapshotJson() const override { return R"({"type":"snapshot","rows":[]})"; }
    std::string machinesJson() const override { return "[]"; }
    void setPush(Push push) override { pushTo = std::move(push); }
    Push pushTo;
};

void BM_BoardServerPushToTwentyPages(benchmark::State& state)
{
    BenchFeed feed;
    quillon::BoardServer server(feed);
    QString error;
    if (!server.listen(QHostAddress::LocalHost, 0, error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    Pages pages;
    pages.expect(kPages);
    pages.openWebSockets(server.port());
    if (!QTest::qWaitFor([&] { return pages.done(); }, kWaitMs)) {
        state.SkipWithError("the pages did not connect");
        return;
    }
    fanOut(state, pages, kPages, [&](const std::string& message) { feed.pushTo(message); });
}
BENCHMARK(BM_BoardServerPushToTwentyPages)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_PlainTcpToTwentyReaders(benchmark::State& state)
{
    QTcpServer listener;
    if (!listener.listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("no port");
        return;
    }
    Pages pages;
    pages.openTcp(listener.serverPort());
    std::vector<QTcpSocket*> writers;
    while (writers.size() < kPages && listener.waitForNewConnection(kWaitMs)) {
        while (QTcpSocket* writer = listener.nextPendingConnection())
            writers.push_back(writer);
    }
    if (writers.size() < kPages) {
        state.SkipWithError("the readers did not connect");
        return;
    }
    fanOut(state, pages, -1, [&](const std::string& message) {
        const QByteArray bytes = QByteArray::fromStdString(message);
        for (QTcpSocket* writer : writers)
            writer->write(bytes);
    });
}
BENCHMARK(BM_PlainTcpToTwentyReaders)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
