// The shop-floor board's model, without its server: a hub of 128 machines sending a record
// each a second, every record turned into the tile pushed to the pages, and the snapshot a
// page that (re)connects is sent.
//
// The goals (the server's share of a core is measured with the server):
//   128 records a second turned into pushes                   < 0.5 % of a core
//   the snapshot of 128 tiles                                  <= 1 ms
// Reported as us_per_record, busy_percent and pushes_per_record. The reference is the MQTT
// bridge's work on the same records: the follower and the state JSON of each change.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "board/BoardModel.h"
#include "bridge/BridgeJson.h"
#include "bridge/HubFollower.h"
#include "hubsim/HubDatagrams.h"
#include "hubsim/HubModel.h"
#include "platform/Clock.h"

namespace {

constexpr std::int64_t kStart = 1'765'000'000;
// Rounds a minute apart, so that nearly every record changes its machine.
constexpr int kRounds = 10;
constexpr std::int64_t kRoundSeconds = 60;
constexpr std::size_t kMachines = 128;

class NoHub final : public quillon::HubRequests {
public:
    void sendWord(std::string_view) override {}
    void sendMachineRequest(std::string_view, quillon::MachineSlot) override {}
    void sendStatus(quillon::MachineSlot, std::string_view) override {}
    void sendSetup(quillon::MachineSlot, const quillon::SetupChange&) override {}
};

struct Round {
    std::int64_t time = 0;
    std::vector<std::string> records;
};

const std::vector<Round>& rounds()
{
    static const std::vector<Round> all = [] {
        quillon::hubsim::HubModel model({static_cast<int>(kMachines), 7}, kStart);
        std::vector<Round> made;
        for (int round = 0; round < kRounds; ++round) {
            const std::int64_t time = kStart + round * kRoundSeconds;
            model.advanceTo(time);
            Round& next = made.emplace_back();
            next.time = time;
            for (const auto& machine : model.machines())
                next.records.push_back(quillon::hubsim::recordDatagram(machine, time));
        }
        return made;
    }();
    return all;
}

std::vector<quillon::MachineSlot> allSlots()
{
    std::vector<quillon::MachineSlot> slots;
    for (std::size_t index = 0; index < kMachines; ++index)
        slots.push_back(quillon::MachineSlot::ofIndex(static_cast<int>(index)));
    return slots;
}

std::vector<quillon::ListEntry> listOfAll()
{
    std::vector<quillon::ListEntry> list;
    for (const quillon::MachineSlot slot : allSlots()) {
        list.push_back(
            {quillon::ListEntryKind::Machine, "M" + std::to_string(slot.index() + 1), slot});
    }
    return list;
}

// Feeds every round to `receiver` once an iteration and reports the cost of a record.
template <typename Receive>
void feedRounds(benchmark::State& state, quillon::FixedClock& clock, Receive receive,
                const std::size_t& pushes)
{
    std::int64_t records = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (const Round& round : rounds()) {
            // Each pass runs later than the last, so the rounds' records are news again.
            clock.advance(kRoundSeconds);
            for (const std::string& record : round.records)
                receive(record);
            records += static_cast<std::int64_t>(round.records.size());
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double perRecord = seconds / static_cast<double>(records);
    state.counters["us_per_record"] = perRecord * 1e6;
    state.counters["busy_percent"] = perRecord * static_cast<double>(kMachines) * 100;
    state.counters["pushes_per_record"] =
        static_cast<double>(pushes) / static_cast<double>(records);
}

// A board of every machine, each listed as "M1" .. "M128".
struct BoardOfAll {
    quillon::FixedClock clock{kStart};
    NoHub hub;
    quillon::BoardModel board{
        listOfAll(), quillon::StatusTable::defaults(), allSlots(), hub, clock, {}};
};

class StateWriter final : public quillon::FollowerListener {
public:
    void stateChanged(const quillon::MachineSnapshot& state) override
    {
        benchmark::DoNotOptimize(quillon::stateJson(state));
        ++told;
    }
    void eventHappened(const quillon::MachineEvent&) override {}
    std::size_t told = 0;
};

void BM_Reference_FollowerAndStateJson(benchmark::State& state)
{
    quillon::FixedClock clock(kStart);
    NoHub hub;
    StateWriter writer;
    quillon::HubFollower follower(hub, allSlots(), clock, writer);
    follower.start();
    feedRounds(
        state, clock, [&](const std::string& record) { follower.datagramArrived(record); },
        writer.told);
}
BENCHMARK(BM_Reference_FollowerAndStateJson)->Unit(benchmark::kMillisecond);

void BM_BoardRecordToPush(benchmark::State& state)
{
    BoardOfAll all;
    quillon::BoardModel& board = all.board;
    std::size_t pushes = 0;
    board.setPush([&pushes](const std::string& message) {
        benchmark::DoNotOptimize(message.data());
        ++pushes;
    });
    board.start();
    feedRounds(
        state, all.clock,
        [&](const std::string& record) { board.receiver().datagramArrived(record); }, pushes);
}
BENCHMARK(BM_BoardRecordToPush)->Unit(benchmark::kMillisecond);

void BM_BoardSnapshotOf128Machines(benchmark::State& state)
{
    BoardOfAll all;
    quillon::BoardModel& board = all.board;
    board.start();
    for (const std::string& record : rounds().back().records)
        board.receiver().datagramArrived(record);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string snapshot = board.snapshotJson();
        bytes = snapshot.size();
        benchmark::DoNotOptimize(snapshot.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BoardSnapshotOf128Machines)->Unit(benchmark::kMicrosecond);

}  // namespace
