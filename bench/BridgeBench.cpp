// The MQTT bridge under a full floor: 128 machines each pushing a record a second, every
// record a count step, so that each one publishes a state and an event.
//
// The goals:
//   the bridge stays below 2 % of one core
//   each change is published within 50 ms of the hub's datagram
//
// In process, the bridge behind the hub link publishing to Debian's broker on loopback,
// against the same records through the link to a detailed view (what every record already
// costs the program): us_per_record and core_percent_at_128_per_s.
//
// As the shop runs it, `quillonlt-cli hub bridge` as its own process, the bench playing the
// hub on 127.0.0.2 and a subscriber timing each state from the datagram's send to its
// arrival: core_percent from the process's own processor time, latency p50/p99/max in
// milliseconds. The reference is `quillonlt-cli hub watch` on the same feed, which prints
// every record.
//
// Most of the bridge's time is the kernel's: waking for the datagram and for the broker's
// acknowledgements, and the loopback TCP sends, which also carry the broker's side of the
// connection. On a virtual machine these figures move with the load of the other cores
// (waking an idle one costs more), so compare figures of the same run.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <time.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "PlayedHub.h"
#include "bridge/MqttBridge.h"
#include "bridge/MqttLoop.h"
#include "hubsim/HubDatagrams.h"
#include "hubsim/HubModel.h"
#include "monitoring/Datagrams.h"
#include "monitoring/HubLink.h"
#include "platform/Clock.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "platform/UdpSocket.h"
#include "support/MosquittoBroker.h"
#include "support/MqttReader.h"

namespace {

using namespace std::chrono_literals;
using namespace quillon::bench;

constexpr int kMachines = kPlayedMachines;
constexpr std::int64_t kNow = 1'765'000'000;
constexpr std::int32_t kHubAddress = kPlayedHubAddress;
constexpr std::int32_t kLocalAddress = kBenchAddress;
constexpr char kPrefix[] = "bench";

double threadCpuSeconds()
{
    timespec used{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return secondsOf(used);
}

// The first station's good count in a state message.
std::optional<long long> firstGoodCount(const std::string& json)
{
    constexpr std::string_view kKey = "\"good\":";
    const auto at = json.find(kKey);
    if (at == std::string::npos)
        return std::nullopt;
    long long value = 0;
    const char* start = json.data() + at + kKey.size();
    if (std::from_chars(start, json.data() + json.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

// ---- In process ------------------------------------------------------------------------

// Runs the client until the broker acknowledged everything it was handed.
bool allAcknowledged(quillon::MqttClient& client)
{
    return quillon::runMqttLoop(client, kPatience, [&] {
        return client.connected() && client.queued() == 0 && client.unacknowledged() == 0;
    });
}

// What both in-process benchmarks report: the processor time of their one thread, per
// record and as the share of a core that 128 records a second take.
void reportCpu(benchmark::State& state, double cpuSeconds)
{
    const auto records = static_cast<double>(state.iterations() * kMachines);
    state.SetItemsProcessed(state.iterations() * kMachines);
    state.counters["us_per_record"] = cpuSeconds * 1e6 / records;
    state.counters["core_percent_at_128_per_s"] = cpuSeconds * 100 * kMachines / records;
}

// Seconds of the floor in turn: every machine's count step, in hub-then-port order.
class CountSteps {
public:
    CountSteps() : m_floor(kNow), m_second(m_floor.size()) {}
    std::size_t machines() const { return m_floor.size(); }
    // Every machine's record as it stood before the first step.
    const std::vector<std::string>& firstSecond()
    {
        for (std::size_t index = 0; index < m_floor.size(); ++index)
            m_second[index] = m_floor.record(index, kNow);
        return m_second;
    }
    const std::vector<std::string>& nextSecond()
    {
        for (std::size_t index = 0; index < m_floor.size(); ++index)
            m_second[index] = m_floor.stepCount(index, kNow);
        return m_second;
    }

private:
    Floor m_floor;
    std::vector<std::string> m_second;
};

// The benchmark's seconds of the floor, each record handed to `take` and the thread's
// processor time reported. `take` returning false ends the run with `failure`.
bool runSeconds(benchmark::State& state, CountSteps& feed,
                const std::function<bool(const std::string&)>& take, const char* failure)
{
    double cpuSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<std::string>& second = feed.nextSecond();
        state.ResumeTiming();
        const double before = threadCpuSeconds();
        for (const std::string& record : second) {
            if (!take(record)) {
                state.SkipWithError(failure);
                return false;
            }
        }
        cpuSeconds += threadCpuSeconds() - before;
    }
    reportCpu(state, cpuSeconds);
    return true;
}

// One second of the floor through the link to the bridge, each record published to the
// broker and acknowledged by it before the next comes, as the command line's loop takes
// them: the state and the event written at once, the acknowledgements read when they come. The
// wall time includes the broker's work; the counters count the bridge's own thread only, which is
// what the shop's computer spends on it.
void BM_Bridge_OneSecondOfAFullHub(benchmark::State& state)
{
    quillon::test::MosquittoBroker broker;
    if (!broker.start()) {
        state.SkipWithError(("no broker: " + broker.error()).c_str());
        return;
    }
    quillon::FixedClock clock(kNow);
    quillon::SystemSteadyClock steadyClock;
    quillon::HubLink link(kHubAddress, kLocalAddress, clock, [](std::string_view) {});
    quillon::BridgeOptions options;
    options.mqtt.host = broker.host();
    options.mqtt.port = broker.port();
    options.mqtt.clientId = "bridge-bench";
    options.prefix = kPrefix;
    quillon::MqttBridge bridge(options, link, quillon::bench::everyMachineSlot(), clock,
                               steadyClock);
    quillon::MqttClient& client = bridge.client();
    link.timerTick();
    link.followerOpened(bridge.receiver());
    if (!bridge.start() ||
        !quillon::runMqttLoop(client, kPatience, [&] { return client.connected(); })) {
        state.SkipWithError("the bridge did not connect to the broker");
        return;
    }
    CountSteps feed;
    for (const std::string& record : feed.firstSecond())
        link.datagramArrived(record, kHubAddress);
    const std::uint64_t firstStates = bridge.statesPublished();
    if (firstStates != feed.machines() || !allAcknowledged(client)) {
        state.SkipWithError("the floor's first states did not go out");
        return;
    }
    const auto published = [&](const std::string& record) {
        link.datagramArrived(record, kHubAddress);
        return allAcknowledged(client);
    };
    if (!runSeconds(state, feed, published, "the broker did not acknowledge a record's messages"))
        return;
    const auto steps = static_cast<std::uint64_t>(state.iterations()) * feed.machines();
    if (bridge.statesPublished() != firstStates + steps || bridge.eventsPublished() != steps ||
        client.dropped() != 0)
        state.SkipWithError("not every count step made one state and one event");
}
BENCHMARK(BM_Bridge_OneSecondOfAFullHub)->Unit(benchmark::kMillisecond);

// The reference: the same seconds through the link to a detailed view's model, the path
// every record already takes in the program.
void BM_Reference_DetailedViewOneSecondOfAFullHub(benchmark::State& state)
{
    quillon::FixedClock clock(kNow);
    quillon::HubLink link(kHubAddress, kLocalAddress, clock, [](std::string_view) {});
    link.timerTick();
    const quillon::bench::DetailedViewOnLink view(link);
    CountSteps feed;
    for (const std::string& record : feed.firstSecond())
        link.datagramArrived(record, kHubAddress);
    if (!view.startup().rowsBuilt()) {
        state.SkipWithError("the view did not build its rows");
        return;
    }
    runSeconds(
        state, feed,
        [&](const std::string& record) {
            link.datagramArrived(record, kHubAddress);
            return true;
        },
        "");
}
BENCHMARK(BM_Reference_DetailedViewOneSecondOfAFullHub)->Unit(benchmark::kMicrosecond);

// ---- As the shop runs it ---------------------------------------------------------------

void BM_Process_Bridge(benchmark::State& state)
{
    for (auto _ : state) {
        quillon::test::MosquittoBroker broker;
        if (!broker.start()) {
            state.SkipWithError(("no broker: " + broker.error()).c_str());
            return;
        }
        quillon::test::MqttReader reader(broker.host(), broker.port(),
                                         std::string(kPrefix) + "/+/state");
        if (!reader.ready()) {
            state.SkipWithError("the subscriber did not subscribe");
            return;
        }
        FedProgram fed = startFedProgram(
            state, "bridge",
            {"hub", "bridge", "--mqtt", broker.host() + ':' + std::to_string(broker.port()),
             "--prefix", kPrefix});
        if (!fed.program)
            return;
        // The start-up fetch: every machine asked for and its first state published.
        const auto everyMachineTold = [&] {
            std::set<std::string> topics;
            for (const auto& message : reader.messages())
                topics.insert(message.topic);
            return topics.size() == static_cast<std::size_t>(kMachines);
        };
        if (!fed.hub->serveUntil(everyMachineTold, kPatience)) {
            state.SkipWithError(
                ("the floor's first states did not come: " + fileText(fed.log)).c_str());
            return;
        }
        const std::size_t firstStates = reader.messages().size();

        std::vector<Push> pushes;
        const auto core = feedAndMeasure(fed, &pushes);
        if (!core) {
            state.SkipWithError(("the bridge went away: " + fileText(fed.log)).c_str());
            return;
        }
        // The last ones may still be on their way.
        fed.hub->serveUntil(
            [&] { return reader.messages().size() >= firstStates + pushes.size(); }, 2s);
        ::kill(fed.program->pid(), SIGTERM);
        fed.program->wait(nullptr);

        std::map<std::pair<std::string, long long>, Steady::time_point> arrivals;
        for (const auto& message : reader.messages()) {
            if (const auto good = firstGoodCount(message.payload))
                arrivals.emplace(std::pair(message.topic, *good), message.arrived);
        }
        std::vector<double> latencies;
        for (const Push& push : pushes) {
            const auto arrival = arrivals.find(
                {quillon::machineTopic(kPrefix, push.slot, "state"), push.goodCount});
            if (arrival != arrivals.end())
                latencies.push_back(secondsOf(arrival->second - push.sent) * 1000);
        }
        if (latencies.empty()) {
            state.SkipWithError(("no pushed change was published: " + fileText(fed.log)).c_str());
            return;
        }
        const std::size_t published = latencies.size();
        reportFeed(state, *core, std::move(latencies), pushes.size());
        state.counters["unpublished"] = static_cast<double>(pushes.size() - published);
    }
}
BENCHMARK(BM_Process_Bridge)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The reference: the shell's view of the same feed, printing every record.
void BM_Process_Reference_HubWatch(benchmark::State& state)
{
    runHubWatchReference(state);
}
BENCHMARK(BM_Process_Reference_HubWatch)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
