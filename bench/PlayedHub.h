// The hub as the process benches play it on 127.0.0.2: a floor of 128 machines that finish a
// piece whenever the bench wants a record pushed, the command-line program it feeds as its
// own process, and that program's share of a core from its CPU-time clock.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "hubsim/HubModel.h"
#include "monitoring/MachineSlot.h"
#include "platform/Ipv4Address.h"
#include "platform/UdpSocket.h"

namespace quillon::bench {

using Steady = std::chrono::steady_clock;

inline constexpr int kPlayedMachines = kMachineSlots;
inline constexpr std::int32_t kPlayedHubAddress = ipv4Of(127, 0, 0, 2);
inline constexpr std::int32_t kBenchAddress = ipv4Of(127, 0, 0, 1);
// Long enough for the programs' one-second ticks to come ten times and for a percentile of
// 1280 changes, short enough for a bench run.
inline constexpr std::chrono::seconds kFeedTime{10};
// How long the start-up exchange and the last messages of a run may take.
inline constexpr std::chrono::seconds kPatience{20};

double secondsOf(Steady::duration duration);
double secondsOf(const timespec& time);

// The processor time of another process, from its CPU-time clock: the scheduler's own
// count in nanoseconds, where /proc/PID/stat counts 10 ms ticks (a tenth of the goal over a
// ten-second feed). Nothing once it is gone.
std::optional<double> processCpuSeconds(int pid);

// The hub's floor: 128 machines in the middle of a shift, of which the bench makes one
// finish a piece whenever it wants a record pushed. Nothing else about them moves, so every
// record it hands out is one count step: one change of one machine.
class Floor {
public:
    explicit Floor(std::int64_t start);

    const hubsim::HubModel& model() const { return m_model; }
    std::size_t size() const { return m_machines.size(); }
    const hubsim::Machine& machine(std::size_t index) const { return m_machines[index]; }
    std::optional<std::size_t> indexOf(MachineSlot slot) const;

    std::string record(std::size_t index, std::int64_t now) const;
    std::string stepCount(std::size_t index, std::int64_t now);

private:
    hubsim::HubModel m_model;
    std::vector<hubsim::Machine> m_machines;
};

// A count step pushed: the machine, its first station's good count after it, and when it
// left.
struct Push {
    MachineSlot slot;
    long long goodCount = 0;
    Steady::time_point sent;
};

// The bench as the hub on 127.0.0.2: it answers a subscription with the start-up list of the
// floor and a record request with the machine's record, and pushes count steps.
class PlayedHub {
public:
    explicit PlayedHub(std::uint16_t port);
    bool bound() const { return m_socket != nullptr; }
    bool subscribed() const { return m_subscribed; }

    // Answers what comes until `done` holds (true) or `patience` passed (false).
    bool serveUntil(const std::function<bool()>& done, Steady::duration patience);
    // Pushes a count step of every machine a second, evenly spread, for `duration`, answering
    // requests in between.
    std::vector<Push> feed(Steady::duration duration);

private:
    void serveFor(Steady::duration wait);
    void answer(std::string_view bytes);
    void send(std::string_view bytes);

    std::uint16_t m_port;
    std::unique_ptr<UdpSocket> m_socket;
    Floor m_floor;
    bool m_subscribed = false;
};

// A command-line program fed by the played hub, its output in `log`.
struct FedProgram {
    std::unique_ptr<PlayedHub> hub;
    std::unique_ptr<BackgroundChild> program;
    std::filesystem::path log;
};

// quillonlt-cli with these arguments in a working directory of its own named `name`, where
// this computer is 127.0.0.1 and the hub 127.0.0.2 with a folder that does not exist (so the
// hub's start-up list names the machines). Without a program, the benchmark is skipped.
FedProgram startFedProgram(benchmark::State& state, const std::string& name,
                           const std::vector<std::string>& arguments);

// Feeds the program; its share of one core over the feed, or nothing when its processor
// time cannot be read (it is gone).
std::optional<double> feedAndMeasure(FedProgram& fed, std::vector<Push>* pushes);

std::string fileText(const std::filesystem::path& path);

// A process bench's result of one feed: the program's share of a core, the latencies of the
// changes that arrived (milliseconds, any order) as p50, p99 and max, and the records fed.
void reportFeed(benchmark::State& state, double corePercent, std::vector<double> latencies,
                std::size_t records);

// The reference of the process benches: `quillonlt-cli hub watch`, the shell's view of the
// same feed, printing every record; its share of a core as core_percent.
void runHubWatchReference(benchmark::State& state);

}  // namespace quillon::bench
