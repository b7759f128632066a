// The live displays' share of the main thread: a hub of 128 machines pushing a record each
// a second over a loopback socket, received and handed by the link to the three monitoring
// views, with the main timer's tick; and the memory of a day of such records.
//
// The goals:
//   128 records a second to three views keep the main thread      < 5 % busy
//   a day of records leaves resident memory where it was            (flat)
// Reported as busy_percent (one iteration is one second of pushes) and as rss_start_MiB,
// rss_end_MiB and rss_growth_MiB. The reference receives the same datagrams from the same
// socket and does nothing with them: what the system takes before the link sees a byte.
//
// The views here are the views' start-up and record keeping (MonitoringStartup), which is
// all of their work a record causes; their painting runs on their own timer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ResidentMemory.h"
#include "hubsim/HubDatagrams.h"
#include "hubsim/HubModel.h"
#include "monitoring/HubLink.h"
#include "monitoring/MonitoringStartup.h"
#include "platform/Clock.h"
#include "platform/Ipv4Address.h"
#include "platform/UdpSocket.h"

namespace {

using quillon::HubLink;
using quillon::MachineSlot;
using quillon::MonitoringStartup;
using quillon::MonitoringView;

// 2026-12-08 06:00 UTC, the start of a shift.
constexpr std::int64_t kShiftStart = 1'796'709'600;
constexpr int kMachines = quillon::kMachineSlots;
// The timeline shows at most this many machines.
constexpr int kTimelineRows = 32;
const std::int32_t kHubAddress = quillon::ipv4Of(127, 0, 0, 2);
const std::int32_t kClientAddress = quillon::ipv4Of(127, 0, 0, 1);

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> recordsAt(const quillon::hubsim::HubModel& model)
{
    std::vector<std::string> made;
    for (const auto& machine : model.machines())
        made.push_back(quillon::hubsim::recordDatagram(machine, model.now()));
    return made;
}

// A monitoring view as the link sees it: a receiver that keeps its machines' records.
class View final : public quillon::DatagramReceiver {
public:
    View(int machines, HubLink& link)
        : m_startup(slots(machines), link, [&link] { return link.now(); })
    {
    }
    void start() { m_startup.start(); }
    bool rowsBuilt() const { return m_startup.rowsBuilt(); }
    void datagramArrived(std::string_view bytes) override { m_startup.datagramArrived(bytes); }

private:
    static std::vector<MachineSlot> slots(int machines)
    {
        std::vector<MachineSlot> listed;
        for (int index = 0; index < machines; ++index)
            listed.push_back(MachineSlot::ofIndex(index));
        return listed;
    }
    MonitoringStartup m_startup;
};

// The link with the detailed and graph views over all 128 machines and the timeline over
// its 32, their rows built from a first round of records.
struct Displays {
    explicit Displays(const quillon::Clock& clock)
        : link(kHubAddress, kClientAddress, clock, [](std::string_view) {}),
          detailed(kMachines, link),
          graph(kMachines, link),
          timeline(kTimelineRows, link)
    {
        link.timerTick();
        link.monitoringViewOpened(MonitoringView::Detailed, detailed);
        link.monitoringViewOpened(MonitoringView::Graph, graph);
        link.monitoringViewOpened(MonitoringView::TimeLine, timeline);
        for (View* view : {&detailed, &graph, &timeline})
            view->start();
    }
    bool rowsBuilt() const
    {
        return detailed.rowsBuilt() && graph.rowsBuilt() && timeline.rowsBuilt();
    }

    HubLink link;
    View detailed;
    View graph;
    View timeline;
};

// A hub socket and the program's, on loopback and a free port.
struct Loopback {
    Loopback()
        : client(quillon::UdpSocket::bind(kClientAddress, 0)),
          hub(quillon::UdpSocket::bind(kHubAddress, 0))
    {
    }
    bool ok() const { return client.socket && hub.socket; }
    bool push(const std::vector<std::string>& records)
    {
        for (const std::string& record : records) {
            if (!hub.socket->send(kClientAddress, client.socket->localPort(), record))
                return false;
        }
        return true;
    }

    quillon::UdpSocket::Bound client;
    quillon::UdpSocket::Bound hub;
};

// One second of the hub: the records are sent (not timed), then the program takes them
// from its socket, each handed to `take`, and the main timer ticks once (timed).
template <typename Take, typename Tick>
void runSeconds(benchmark::State& state, Loopback& loopback,
                const std::vector<std::string>& records, Take take, Tick tick)
{
    double busy = 0;
    std::size_t received = 0;
    for (auto _ : state) {
        if (!loopback.push(records)) {
            state.SkipWithError("the hub socket refused a datagram");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        std::size_t now = 0;
        while (now < records.size()) {
            auto datagram = loopback.client.socket->receive();
            if (!datagram) {
                if (!loopback.client.socket->waitReadable(1000))
                    break;
                continue;
            }
            take(*datagram);
            ++now;
        }
        tick();
        busy += secondsSince(start);
        received += now;
    }
    if (received != state.iterations() * records.size())
        state.SkipWithError("datagrams were lost on loopback");
    state.SetItemsProcessed(static_cast<std::int64_t>(received));
    state.counters["busy_percent"] = busy * 100 / static_cast<double>(state.iterations());
}

void BM_Reference_ReceiveOnly(benchmark::State& state)
{
    Loopback loopback;
    if (!loopback.ok()) {
        state.SkipWithError("no loopback sockets");
        return;
    }
    const quillon::hubsim::HubModel model({kMachines, 7}, kShiftStart + 3 * 3600);
    std::size_t bytes = 0;
    runSeconds(
        state, loopback, recordsAt(model),
        [&](const quillon::ReceivedDatagram& datagram) { bytes += datagram.bytes.size(); }, [] {});
    benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_Reference_ReceiveOnly)->UseRealTime();

void BM_FullHubToThreeViews(benchmark::State& state)
{
    Loopback loopback;
    if (!loopback.ok()) {
        state.SkipWithError("no loopback sockets");
        return;
    }
    const quillon::hubsim::HubModel model({kMachines, 7}, kShiftStart + 3 * 3600);
    const std::vector<std::string> records = recordsAt(model);
    quillon::FixedClock clock(model.now());
    Displays displays(clock);
    for (const std::string& record : records)
        displays.link.datagramArrived(record, kHubAddress);
    if (!displays.rowsBuilt()) {
        state.SkipWithError("the views did not build their rows");
        return;
    }
    runSeconds(
        state, loopback, records,
        [&](const quillon::ReceivedDatagram& datagram) {
            displays.link.datagramArrived(datagram.bytes, datagram.sourceAddress);
        },
        [&] { displays.link.timerTick(); });
}
BENCHMARK(BM_FullHubToThreeViews)->UseRealTime();

// A day of the shop (three shifts, their job changes and outages) as the views receive it:
// every machine's record every ten simulated seconds, from the hub's model as it lives the
// day, with the link's tick at each. Resident memory after the first hour is compared with
// the end of the day.
void BM_ADayOfRecords(benchmark::State& state)
{
    constexpr std::int64_t kStep = 10;
    constexpr std::int64_t kDay = 24 * 3600;
    for (auto _ : state) {
        quillon::hubsim::HubModel model({kMachines, 7}, kShiftStart);
        quillon::FixedClock clock(model.now());
        Displays displays(clock);
        double startMiB = 0;
        std::size_t pushed = 0;
        for (std::int64_t t = kStep; t <= kDay; t += kStep) {
            model.advanceTo(kShiftStart + t);
            clock.set(model.now());
            for (const auto& machine : model.machines())
                displays.link.datagramArrived(
                    quillon::hubsim::recordDatagram(machine, model.now()), kHubAddress);
            pushed += model.machines().size();
            displays.link.timerTick();
            if (t == 3600)
                startMiB = quillon::bench::residentMiB();
        }
        if (!displays.rowsBuilt())
            state.SkipWithError("the views did not build their rows");
        const double endMiB = quillon::bench::residentMiB();
        state.counters["records"] = static_cast<double>(pushed);
        state.counters["rss_start_MiB"] = startMiB;
        state.counters["rss_end_MiB"] = endMiB;
        state.counters["rss_growth_MiB"] = endMiB - startMiB;
    }
}
BENCHMARK(BM_ADayOfRecords)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
