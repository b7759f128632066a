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

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

constexpr int kMachines = quillon::kMachineSlots;
constexpr std::uint64_t kFloorSeed = 7;
constexpr std::int64_t kNow = 1'765'000'000;
const std::int32_t kHubAddress = quillon::ipv4Of(127, 0, 0, 2);
const std::int32_t kLocalAddress = quillon::ipv4Of(127, 0, 0, 1);
constexpr char kPrefix[] = "bench";
// Long enough for the bridge's one-second tick to come ten times and for a percentile of
// 1280 changes, short enough for a bench run.
constexpr auto kFeedTime = 10s;
// Every machine once a second, spread evenly over the second.
constexpr auto kPushPeriod = std::chrono::duration<double>(1.0 / kMachines);
// How long the start-up exchange and the last messages of a run may take.
constexpr auto kPatience = 20s;

double secondsOf(Steady::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double secondsOf(const timespec& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

double threadCpuSeconds()
{
    timespec used{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return secondsOf(used);
}

// The processor time of another process, from its CPU-time clock: the scheduler's own
// count in nanoseconds, where /proc/PID/stat counts 10 ms ticks (a tenth of the goal over a
// ten-second feed). Nothing once it is gone.
std::optional<double> processCpuSeconds(int pid)
{
    clockid_t clock{};
    timespec used{};
    if (::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &used) != 0)
        return std::nullopt;
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

// The hub's floor: 128 machines in the middle of a shift, of which the bench makes one
// finish a piece whenever it wants a record pushed. Nothing else about them moves, so every
// record it hands out is one count step: one state and one event for the bridge.
class Floor {
public:
    explicit Floor(std::int64_t start)
        : m_model({kMachines, kFloorSeed}, start), m_machines(m_model.machines())
    {
    }

    const quillon::hubsim::HubModel& model() const { return m_model; }
    std::size_t size() const { return m_machines.size(); }
    const quillon::hubsim::Machine& machine(std::size_t index) const { return m_machines[index]; }
    std::optional<std::size_t> indexOf(quillon::MachineSlot slot) const
    {
        for (std::size_t index = 0; index < m_machines.size(); ++index)
            if (m_machines[index].slot == slot)
                return index;
        return std::nullopt;
    }

    std::string record(std::size_t index, std::int64_t now) const
    {
        return quillon::hubsim::recordDatagram(m_machines[index], now);
    }
    std::string stepCount(std::size_t index, std::int64_t now)
    {
        quillon::hubsim::Station& station = m_machines[index].stations[0];
        ++station.goodCount;
        ++station.totalCount;
        return record(index, now);
    }

private:
    quillon::hubsim::HubModel m_model;
    std::vector<quillon::hubsim::Machine> m_machines;
};

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

std::uint16_t freeUdpPort()
{
    const quillon::UdpSocket::Bound probe = quillon::UdpSocket::bind(kHubAddress, 0);
    return probe.socket ? probe.socket->localPort() : 0;
}

// A working directory for the command line: this computer is 127.0.0.1 (line 11 of
// Margins.sys), the hub 127.0.0.2 with a folder that does not exist, so that the hub's
// start-up list names the machines.
fs::path workingDirectory(const std::string& name)
{
    const fs::path home = quillon::bench::folder() / name;
    fs::create_directories(home);
    std::string margins;
    for (int line = 1; line <= 10; ++line)
        margins += "\r\n";
    std::ofstream(home / "Margins.sys", std::ios::binary) << margins << "2130706433\r\n";
    std::ofstream(home / "VoskCONF.SYS", std::ios::binary)
        << (home / "no-hub").string() << "/\r\n2130706434\r\n\r\n";
    return home;
}

// A record pushed and when it left.
struct Push {
    std::string topic;
    long long goodCount = 0;
    Steady::time_point sent;
};

// The bench as the hub on 127.0.0.2: it answers a subscription with the start-up list of the
// floor and a record request with the machine's record, and pushes count steps.
class PlayedHub {
public:
    explicit PlayedHub(std::uint16_t port)
        : m_port(port),
          m_socket(quillon::UdpSocket::bind(kHubAddress, port).socket),
          m_floor(quillon::SystemClock().now())
    {
    }
    bool bound() const { return m_socket != nullptr; }
    bool subscribed() const { return m_subscribed; }

    // Answers what comes until `done` holds (true) or `patience` passed (false).
    bool serveUntil(const std::function<bool()>& done, Steady::duration patience)
    {
        const auto end = Steady::now() + patience;
        while (!done()) {
            if (Steady::now() >= end)
                return false;
            serveFor(20ms);
        }
        return true;
    }

    // Pushes a count step of every machine a second, evenly spread, for `duration`, answering
    // requests in between.
    std::vector<Push> feed(Steady::duration duration)
    {
        std::vector<Push> pushes;
        const auto start = Steady::now();
        const auto count = static_cast<std::size_t>(std::llround(secondsOf(duration) * kMachines));
        for (std::size_t step = 0; step < count; ++step) {
            const auto due =
                start + std::chrono::duration_cast<Steady::duration>(kPushPeriod * step);
            while (Steady::now() < due)
                serveFor(due - Steady::now());
            const std::size_t index = step % m_floor.size();
            const std::string record = m_floor.stepCount(index, quillon::SystemClock().now());
            const quillon::hubsim::Machine& machine = m_floor.machine(index);
            pushes.push_back({quillon::machineTopic(kPrefix, machine.slot, "state"),
                              machine.stations[0].goodCount, Steady::now()});
            send(record);
        }
        return pushes;
    }

private:
    void serveFor(Steady::duration wait)
    {
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
        if (!m_socket->waitReadable(static_cast<int>(std::max<long long>(milliseconds, 0))))
            return;
        while (auto datagram = m_socket->receive())
            answer(datagram->bytes);
    }

    void answer(std::string_view bytes)
    {
        const auto fields = quillon::splitAtCommas(bytes.substr(0, bytes.find('\0')));
        if (fields.empty())
            return;
        const auto word = std::string(fields[0]) + ',';
        if (word == quillon::kRemoteViewWord) {
            m_subscribed = true;
            send(quillon::hubsim::monitorStartDatagram(m_floor.model()));
        } else if (word == quillon::kRecordRequestWord && fields.size() >= 4) {
            const auto hub = quillon::numberIn(fields[2], 16);
            const auto port = quillon::numberIn(fields[3]);
            const auto slot = hub && port ? quillon::MachineSlot::checked(static_cast<int>(*hub),
                                                                          static_cast<int>(*port))
                                          : std::nullopt;
            const auto index = slot ? m_floor.indexOf(*slot) : std::nullopt;
            if (!index)
                return;
            send(m_floor.record(*index, quillon::SystemClock().now()));
        }
    }

    void send(std::string_view bytes) { m_socket->send(kLocalAddress, m_port, bytes); }

    std::uint16_t m_port;
    std::unique_ptr<quillon::UdpSocket> m_socket;
    Floor m_floor;
    bool m_subscribed = false;
};

// A command-line program fed by the played hub, with its processor time over the feed.
struct FedProgram {
    std::unique_ptr<PlayedHub> hub;
    std::unique_ptr<quillon::bench::BackgroundChild> program;
    fs::path log;
};

FedProgram startFedProgram(benchmark::State& state, const std::string& name,
                           const std::vector<std::string>& arguments)
{
    FedProgram fed;
    const std::uint16_t port = freeUdpPort();
    fed.hub = std::make_unique<PlayedHub>(port);
    if (port == 0 || !fed.hub->bound()) {
        state.SkipWithError("cannot bind the hub's address 127.0.0.2");
        return {};
    }
    const fs::path home = workingDirectory(name);
    fed.log = home / "output.log";
    std::vector<std::string> command = {QUILLONLT_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());
    fed.program = std::make_unique<quillon::bench::BackgroundChild>(
        command, quillon::bench::ChildSetup{fed.log,
                                            {"QUILLONLT_HOME=" + home.string(),
                                             "QUILLONLT_UDP_PORT=" + std::to_string(port)}});
    if (!fed.program->started()) {
        state.SkipWithError("quillonlt-cli did not start");
        return {};
    }
    return fed;
}

// Feeds the program; its share of one core over the feed, or nothing when its processor
// time cannot be read (it is gone).
std::optional<double> feedAndMeasure(FedProgram& fed, std::vector<Push>* pushes)
{
    const auto before = processCpuSeconds(fed.program->pid());
    const auto start = Steady::now();
    *pushes = fed.hub->feed(kFeedTime);
    const auto after = processCpuSeconds(fed.program->pid());
    const double wall = secondsOf(Steady::now() - start);
    if (!before || !after)
        return std::nullopt;
    return (*after - *before) * 100 / wall;
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double percentile(const std::vector<double>& sorted, double fraction)
{
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * sorted.size()));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

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
            const auto arrival = arrivals.find({push.topic, push.goodCount});
            if (arrival != arrivals.end())
                latencies.push_back(secondsOf(arrival->second - push.sent) * 1000);
        }
        if (latencies.empty()) {
            state.SkipWithError(("no pushed change was published: " + fileText(fed.log)).c_str());
            return;
        }
        std::sort(latencies.begin(), latencies.end());
        state.SetIterationTime(secondsOf(kFeedTime));
        state.counters["core_percent"] = *core;
        state.counters["latency_p50_ms"] = percentile(latencies, 0.50);
        state.counters["latency_p99_ms"] = percentile(latencies, 0.99);
        state.counters["latency_max_ms"] = latencies.back();
        state.counters["records"] = static_cast<double>(pushes.size());
        state.counters["unpublished"] = static_cast<double>(pushes.size() - latencies.size());
    }
}
BENCHMARK(BM_Process_Bridge)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The reference: the shell's view of the same feed, printing every record.
void BM_Process_Reference_HubWatch(benchmark::State& state)
{
    for (auto _ : state) {
        FedProgram fed = startFedProgram(state, "watch", {"hub", "watch", "--seconds", "120"});
        if (!fed.program)
            return;
        PlayedHub& hub = *fed.hub;
        if (!hub.serveUntil([&] { return hub.subscribed(); }, kPatience)) {
            state.SkipWithError(("the watch did not subscribe: " + fileText(fed.log)).c_str());
            return;
        }
        std::vector<Push> pushes;
        const auto core = feedAndMeasure(fed, &pushes);
        if (!core) {
            state.SkipWithError(("the watch went away: " + fileText(fed.log)).c_str());
            return;
        }
        const auto linesPrinted = [&] {
            const std::string printed = fileText(fed.log);
            return static_cast<std::size_t>(std::count(printed.begin(), printed.end(), '\n'));
        };
        // The last ones may still be on their way.
        hub.serveUntil([&] { return linesPrinted() >= pushes.size(); }, 2s);
        ::kill(fed.program->pid(), SIGTERM);
        fed.program->wait(nullptr);
        state.SetIterationTime(secondsOf(kFeedTime));
        state.counters["core_percent"] = *core;
        state.counters["records"] = static_cast<double>(pushes.size());
        state.counters["lines_printed"] = static_cast<double>(linesPrinted());
    }
}
BENCHMARK(BM_Process_Reference_HubWatch)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
