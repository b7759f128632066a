// The shop-floor board's server under a full floor, as the shop runs it: `quillonlt-cli hub
// serve` as its own process, the bench playing the hub on 127.0.0.2 with 128 machines that
// each push a record a second (every record a count step, so every one changes a tile), and
// 20 open pages: WebSockets in the bench noting when each change reaches them.
//
// The goals:
//   the server stays below 3 % of one core
//   each change is on every page within 100 ms of the hub's datagram
//
// core_percent is the server's share of a core over the feed, from its CPU-time clock;
// latency p50/p99/max in milliseconds over every page's arrival of every change; missing
// counts the changes a page never got. The reference is `quillonlt-cli hub watch` on the
// same feed, which prints every record. As with the bridge's bench, the figures move with
// the load of the machine's other cores, so compare figures of the same run.
#include <benchmark/benchmark.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QWebSocket>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "PlayedHub.h"

namespace {

using namespace std::chrono_literals;
using namespace quillon::bench;

constexpr int kPages = 20;
constexpr char kServingLine[] = "Serving the board on http://";

// The tile's id of a machine: hub and port counted from 1, as the board shows them.
QString tileId(quillon::MachineSlot slot)
{
    return QString("%1-%2").arg(slot.hub + 1).arg(slot.port + 1);
}

// The open pages: WebSockets on a thread of their own with its own event loop, so that they
// take their messages while the bench's thread plays the hub and waits on its socket.
class Pages {
public:
    explicit Pages(const QUrl& url)
    {
        m_owner.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(&m_owner, [this, url] {
            for (int page = 0; page < kPages; ++page) {
                auto* socket =
                    new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, &m_owner);
                QObject::connect(socket, &QWebSocket::textMessageReceived, socket,
                                 [this, page](const QString& text) { take(page, text); });
                socket->open(url);
            }
        });
    }
    ~Pages()
    {
        QMetaObject::invokeMethod(
            &m_owner, [this] { qDeleteAll(m_owner.findChildren<QWebSocket*>()); },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    // Every page had the board and a tile of every machine with its state.
    bool everyMachineOnEveryPage() const
    {
        std::lock_guard lock(m_mutex);
        return m_known.size() == kPages &&
               std::all_of(m_known.begin(), m_known.end(), [](const auto& page) {
                   return page.second.size() == static_cast<std::size_t>(kPlayedMachines);
               });
    }
    std::size_t arrivalCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_arrived.size();
    }
    // When the page got the machine's tile with this good count; nothing if it did not.
    std::optional<Steady::time_point> arrival(int page, const QString& id, long long good) const
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_arrived.find({page, id, good});
        return found == m_arrived.end() ? std::nullopt : std::optional(found->second);
    }

private:
    void take(int page, const QString& text)
    {
        const auto now = Steady::now();
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
        // Changes that came close together arrive as one array.
        if (document.isArray()) {
            for (const QJsonValue one : document.array())
                takeOne(page, one.toObject(), now);
        } else {
            takeOne(page, document.object(), now);
        }
    }

    void takeOne(int page, const QJsonObject& message, Steady::time_point now)
    {
        const QString type = message["type"].toString();
        std::lock_guard lock(m_mutex);
        if (type == "snapshot") {
            for (const QJsonValue row : message["rows"].toArray()) {
                if (row["type"].toString() == "machine" && row["known"].toBool())
                    m_known[page].insert(row["id"].toString());
            }
        } else if (type == "machine") {
            const QString id = message["id"].toString();
            m_known[page].insert(id);
            const auto good = message["stations"].toArray().first()["good"].toInteger();
            m_arrived.emplace(std::tuple(page, id, good), now);
        }
    }

    QThread m_thread;
    QObject m_owner;
    mutable std::mutex m_mutex;
    std::map<int, std::set<QString>> m_known;
    std::map<std::tuple<int, QString, long long>, Steady::time_point> m_arrived;
};

// The page's address the server printed once it listened; empty until then.
std::string servedAt(const FedProgram& fed)
{
    const std::string log = fileText(fed.log);
    const auto at = log.find(kServingLine);
    if (at == std::string::npos)
        return {};
    const auto end = log.find('\n', at);
    if (end == std::string::npos)
        return {};
    const auto start = at + std::string_view(kServingLine).size();
    return log.substr(start, end - start);
}

void BM_Process_BoardServer(benchmark::State& state)
{
    for (auto _ : state) {
        // Port 0: the server takes a free one and says which.
        FedProgram fed = startFedProgram(
            state, "board", {"hub", "serve", "--http", "127.0.0.1:0", "--seconds", "120"});
        if (!fed.program)
            return;
        PlayedHub& hub = *fed.hub;
        if (!hub.serveUntil([&] { return !servedAt(fed).empty(); }, kPatience)) {
            state.SkipWithError(("the server did not listen: " + fileText(fed.log)).c_str());
            return;
        }
        // "127.0.0.1:PORT/" after the scheme.
        Pages pages(QUrl(QString::fromStdString("ws://" + servedAt(fed) + "ws")));
        if (!hub.serveUntil([&] { return pages.everyMachineOnEveryPage(); }, kPatience)) {
            state.SkipWithError(
                ("the pages did not get every machine: " + fileText(fed.log)).c_str());
            return;
        }
        const std::size_t before = pages.arrivalCount();

        std::vector<Push> pushes;
        const auto core = feedAndMeasure(fed, &pushes);
        if (!core) {
            state.SkipWithError(("the server went away: " + fileText(fed.log)).c_str());
            return;
        }
        // The last ones may still be on their way.
        hub.serveUntil([&] { return pages.arrivalCount() >= before + pushes.size() * kPages; },
                       2s);
        ::kill(fed.program->pid(), SIGTERM);
        fed.program->wait(nullptr);

        std::vector<double> latencies;
        for (const Push& push : pushes) {
            for (int page = 0; page < kPages; ++page) {
                if (const auto came = pages.arrival(page, tileId(push.slot), push.goodCount))
                    latencies.push_back(secondsOf(*came - push.sent) * 1000);
            }
        }
        if (latencies.empty()) {
            state.SkipWithError(("no change reached a page: " + fileText(fed.log)).c_str());
            return;
        }
        const std::size_t arrivals = latencies.size();
        reportFeed(state, *core, std::move(latencies), pushes.size());
        state.counters["pages"] = kPages;
        state.counters["missing"] = static_cast<double>(pushes.size() * kPages - arrivals);
    }
}
BENCHMARK(BM_Process_BoardServer)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The reference: the shell's view of the same feed, printing every record.
void BM_Process_Reference_HubWatch(benchmark::State& state)
{
    runHubWatchReference(state);
}
BENCHMARK(BM_Process_Reference_HubWatch)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
