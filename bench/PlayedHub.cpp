#include "PlayedHub.h"

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "hubsim/HubDatagrams.h"
#include "monitoring/Datagrams.h"
#include "platform/Clock.h"
#include "platform/TextFile.h"

namespace quillon::bench {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::uint64_t kFloorSeed = 7;
// Every machine once a second, spread evenly over the second.
constexpr auto kPushPeriod = std::chrono::duration<double>(1.0 / kPlayedMachines);

std::uint16_t freeUdpPort()
{
    const UdpSocket::Bound probe = UdpSocket::bind(kPlayedHubAddress, 0);
    return probe.socket ? probe.socket->localPort() : 0;
}

// A working directory for the command line: this computer is 127.0.0.1 (line 11 of
// Margins.sys), the hub 127.0.0.2 with a folder that does not exist, so that the hub's
// start-up list names the machines.
fs::path workingDirectory(const std::string& name)
{
    const fs::path home = folder() / name;
    fs::create_directories(home);
    std::string margins;
    for (int line = 1; line <= 10; ++line)
        margins += "\r\n";
    std::ofstream(home / "Margins.sys", std::ios::binary) << margins << "2130706433\r\n";
    std::ofstream(home / "VoskCONF.SYS", std::ios::binary)
        << (home / "no-hub").string() << "/\r\n2130706434\r\n\r\n";
    return home;
}

}  // namespace

double secondsOf(Steady::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double secondsOf(const timespec& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

std::optional<double> processCpuSeconds(int pid)
{
    clockid_t clock{};
    timespec used{};
    if (::clock_getcpuclockid(pid, &clock) != 0 || ::clock_gettime(clock, &used) != 0)
        return std::nullopt;
    return secondsOf(used);
}

Floor::Floor(std::int64_t start)
    : m_model({kPlayedMachines, kFloorSeed}, start), m_machines(m_model.machines())
{
}

std::optional<std::size_t> Floor::indexOf(MachineSlot slot) const
{
    for (std::size_t index = 0; index < m_machines.size(); ++index)
        if (m_machines[index].slot == slot)
            return index;
    return std::nullopt;
}

std::string Floor::record(std::size_t index, std::int64_t now) const
{
    return hubsim::recordDatagram(m_machines[index], now);
}

std::string Floor::stepCount(std::size_t index, std::int64_t now)
{
    hubsim::Station& station = m_machines[index].stations[0];
    ++station.goodCount;
    ++station.totalCount;
    return record(index, now);
}

PlayedHub::PlayedHub(std::uint16_t port)
    : m_port(port),
      m_socket(UdpSocket::bind(kPlayedHubAddress, port).socket),
      m_floor(SystemClock().now())
{
}

bool PlayedHub::serveUntil(const std::function<bool()>& done, Steady::duration patience)
{
    const auto end = Steady::now() + patience;
    while (!done()) {
        if (Steady::now() >= end)
            return false;
        serveFor(20ms);
    }
    return true;
}

std::vector<Push> PlayedHub::feed(Steady::duration duration)
{
    std::vector<Push> pushes;
    const auto start = Steady::now();
    const auto count =
        static_cast<std::size_t>(std::llround(secondsOf(duration) * kPlayedMachines));
    for (std::size_t step = 0; step < count; ++step) {
        const auto due = start + std::chrono::duration_cast<Steady::duration>(kPushPeriod * step);
        while (Steady::now() < due)
            serveFor(due - Steady::now());
        const std::size_t index = step % m_floor.size();
        const std::string record = m_floor.stepCount(index, SystemClock().now());
        const hubsim::Machine& machine = m_floor.machine(index);
        pushes.push_back({machine.slot, machine.stations[0].goodCount, Steady::now()});
        send(record);
    }
    return pushes;
}

void PlayedHub::serveFor(Steady::duration wait)
{
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    if (!m_socket->waitReadable(static_cast<int>(std::max<long long>(milliseconds, 0))))
        return;
    while (auto datagram = m_socket->receive())
        answer(datagram->bytes);
}

void PlayedHub::answer(std::string_view bytes)
{
    const auto fields = splitAtCommas(bytes.substr(0, bytes.find('\0')));
    if (fields.empty())
        return;
    const auto word = std::string(fields[0]) + ',';
    if (word == kRemoteViewWord) {
        m_subscribed = true;
        send(hubsim::monitorStartDatagram(m_floor.model()));
    } else if (word == kRecordRequestWord && fields.size() >= 4) {
        const auto hub = numberIn(fields[2], 16);
        const auto port = numberIn(fields[3]);
        const auto slot =
            hub && port ? MachineSlot::checked(static_cast<int>(*hub), static_cast<int>(*port))
                        : std::nullopt;
        const auto index = slot ? m_floor.indexOf(*slot) : std::nullopt;
        if (!index)
            return;
        send(m_floor.record(*index, SystemClock().now()));
    }
}

void PlayedHub::send(std::string_view bytes)
{
    m_socket->send(kBenchAddress, m_port, bytes);
}

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
    fed.program = std::make_unique<BackgroundChild>(
        command, ChildSetup{fed.log,
                            {"QUILLONLT_HOME=" + home.string(),
                             "QUILLONLT_UDP_PORT=" + std::to_string(port)}});
    if (!fed.program->started()) {
        state.SkipWithError("quillonlt-cli did not start");
        return {};
    }
    return fed;
}

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

namespace {

double percentile(const std::vector<double>& sorted, double fraction)
{
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * sorted.size()));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

}  // namespace

void reportFeed(benchmark::State& state, double corePercent, std::vector<double> latencies,
                std::size_t records)
{
    std::sort(latencies.begin(), latencies.end());
    state.SetIterationTime(secondsOf(kFeedTime));
    state.counters["core_percent"] = corePercent;
    state.counters["latency_p50_ms"] = percentile(latencies, 0.50);
    state.counters["latency_p99_ms"] = percentile(latencies, 0.99);
    state.counters["latency_max_ms"] = latencies.back();
    state.counters["records"] = static_cast<double>(records);
}

void runHubWatchReference(benchmark::State& state)
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

}  // namespace quillon::bench
