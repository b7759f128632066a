// The receive path of the hub link, without a socket: a full record parsed and stored, and
// a hub of 128 machines pushing a record each a second through the link to a detailed view.
//
// The goals:
//   an 89-field "_UPDATE:" parsed and applied to its machine   <= 2 us
//   128 records a second keep the main thread                  < 1 % busy
// Reported as us_per_record and busy_percent. The reference splits the same records at
// their commas, the least any reader must do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "hubsim/HubDatagrams.h"
#include "hubsim/HubModel.h"
#include "monitoring/HubLink.h"
#include "monitoring/IncomingDatagrams.h"
#include "platform/Clock.h"
#include "platform/Ipv4Address.h"

namespace {

constexpr std::int64_t kNow = 1'765'000'000;
const std::int32_t kHub = quillon::ipv4Of(127, 0, 0, 2);

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The records of a full hub of 128 machines in the middle of a shift.
const std::vector<std::string>& records()
{
    static const std::vector<std::string> all = [] {
        quillon::hubsim::HubModel model({128, 7}, kNow);
        std::vector<std::string> made;
        for (const auto& machine : model.machines())
            made.push_back(quillon::hubsim::recordDatagram(machine, kNow));
        return made;
    }();
    return all;
}

void BM_Reference_SplitRecordFields(benchmark::State& state)
{
    std::size_t fields = 0;
    for (auto _ : state) {
        for (const std::string& record : records()) {
            std::string_view rest(record);
            for (std::size_t comma = rest.find(','); comma != std::string_view::npos;
                 comma = rest.find(',')) {
                benchmark::DoNotOptimize(rest.substr(0, comma));
                rest.remove_prefix(comma + 1);
                ++fields;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records().size()));
    benchmark::DoNotOptimize(fields);
}
BENCHMARK(BM_Reference_SplitRecordFields);

void BM_ParseAndApplyRecord(benchmark::State& state)
{
    auto table = std::make_unique<quillon::MachineRecords>();
    std::size_t complete = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (const std::string& record : records()) {
            const auto receipt = quillon::applyRecord(record, kNow, *table);
            complete += receipt && receipt->complete;
        }
    }
    if (complete != state.iterations() * records().size())
        state.SkipWithError("a record did not count as received");
    const double seconds = secondsSince(start);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records().size()));
    state.counters["us_per_record"] =
        seconds * 1e6 / static_cast<double>(state.iterations() * records().size());
}
BENCHMARK(BM_ParseAndApplyRecord);

// One second of a busy hub: 128 pushed records through the link to a detailed view whose
// rows are built, as the main thread takes them.
void BM_OneSecondOfAFullHub(benchmark::State& state)
{
    quillon::FixedClock clock(kNow);
    quillon::HubLink link(kHub, quillon::ipv4Of(127, 0, 0, 1), clock, [](std::string_view) {});
    link.timerTick();
    const quillon::bench::DetailedViewOnLink view(link);
    for (const std::string& record : records())
        link.datagramArrived(record, kHub);
    if (!view.startup().rowsBuilt())
        state.SkipWithError("the view did not build its rows");
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (const std::string& record : records())
            link.datagramArrived(record, kHub);
    }
    const double seconds = secondsSince(start);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(records().size()));
    // Seconds of work per second of pushes (one iteration), in percent.
    state.counters["busy_percent"] = seconds * 100 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OneSecondOfAFullHub);

}  // namespace
