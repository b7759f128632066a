// Comparing two 1-million-line programs that differ in 0.1 % of their lines.
//
// The goals, each against GNU diff -w on the same two files in the same run:
//   compare in process (hashing and diff, the files already read)  <= 0.1 x diff -w
//   quillonlt-cli compare, from start to exit                      <= 0.25 x diff -w
//   peak resident memory of quillonlt-cli compare                  <= that of diff -w
// Each benchmark reports its time as x_diff, a fraction of the reference's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "editor/Compare.h"
#include "platform/FileBytes.h"

namespace {

using quillon::bench::ChildRun;
using quillon::bench::folder;
using quillon::bench::runChild;

constexpr std::size_t kLines = 1'000'000;
// One line in a thousand is inserted, deleted or changed.
constexpr unsigned kEditEvery = 1000;

std::string moveLine(std::mt19937& random)
{
    const int x = static_cast<int>(random() % 200000);
    const int y = static_cast<int>(random() % 100000);
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "X%d.%03d Y%d.%03d Z-%d.%d", x / 1000, x % 1000,
                          y / 1000, y % 1000, static_cast<int>(random() % 10),
                          static_cast<int>(random() % 10));
    if (random() % 4 == 0)
        n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), " F%d",
                           800 + static_cast<int>(random() % 9000));
    return std::string(buffer, static_cast<std::size_t>(n));
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Programs {
    std::string first;
    std::string second;
    std::size_t edits = 0;
};

// A mold-finishing program with CR LF, and a copy of it with lines inserted, deleted and
// changed (one digit of a coordinate) at random places.
const Programs& programs()
{
    static const Programs paths = [] {
        std::mt19937 random(11);
        std::vector<std::string> lines;
        lines.reserve(kLines);
        lines.push_back("%");
        lines.push_back("O9000 (CAVITY FINISH)");
        while (lines.size() < kLines - 2)
            lines.push_back(moveLine(random));
        lines.push_back("M30");
        lines.push_back("%");
        std::string first;
        std::string second;
        first.reserve(kLines * 32);
        second.reserve(kLines * 32);
        Programs result;
        for (const auto& line : lines) {
            first += line + "\r\n";
            if (random() % kEditEvery != 0) {
                second += line + "\r\n";
                continue;
            }
            ++result.edits;
            switch (random() % 3) {
            case 0:
                second += moveLine(random) + "\r\n" + line + "\r\n";
                break;
            case 1:
                break;
            default: {
                std::string changed = line;
                const std::size_t digit = changed.find_first_of("0123456789");
                if (digit != std::string::npos)
                    changed[digit] = changed[digit] == '9' ? '0' : changed[digit] + 1;
                else
                    changed += " M1";
                second += changed + "\r\n";
            }
            }
        }
        result.first = (folder() / "MOLD-A.NC").string();
        result.second = (folder() / "MOLD-B.NC").string();
        writeFile(result.first, first);
        writeFile(result.second, second);
        return result;
    }();
    return paths;
}

// The reference, measured first; the others are reported as fractions of it.
struct Reference {
    double seconds = 0;
    double peakMiB = 0;
} reference;

// The benchmarks' own times: each iteration's is reported as it is measured (for a child,
// by the helper, without the helper's start) and summed for x_diff.
class Timing {
public:
    void add(benchmark::State& state, double seconds)
    {
        state.SetIterationTime(seconds);
        m_total += seconds;
        ++m_count;
    }
    double meanSeconds() const { return m_count == 0 ? 0 : m_total / m_count; }

    // Times the work as one iteration.
    template <typename Work>
    void measure(benchmark::State& state, Work&& work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        add(state,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }

private:
    double m_total = 0;
    int m_count = 0;
};

void reportAgainstDiff(benchmark::State& state, const Timing& timing)
{
    state.counters["x_diff"] =
        reference.seconds > 0 ? timing.meanSeconds() / reference.seconds : 0;
}

void BM_Reference_DiffW(benchmark::State& state)
{
    const Programs& files = programs();
    Timing timing;
    ChildRun run;
    for (auto _ : state) {
        run = runChild({"diff", "-w", files.first, files.second});
        if (run.exitCode != 1)
            state.SkipWithError("diff -w did not find the differences");
        timing.add(state, run.seconds);
    }
    reference = {timing.meanSeconds(), run.peakMiB};
    state.counters["peak_MiB"] = run.peakMiB;
    state.counters["edits"] = static_cast<double>(files.edits);
}
BENCHMARK(BM_Reference_DiffW)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

quillon::FileBytes fileBytes(const std::string& path)
{
    return quillon::readFileBytes(path).value();
}

std::size_t markedLines(const quillon::CompareResult& result)
{
    std::size_t marked = 0;
    for (const auto* marks : {&result.first, &result.second}) {
        for (const auto mark : *marks)
            marked += mark != quillon::CompareMark::Same ? 1 : 0;
    }
    return marked;
}

// Hashing and diff over files already in memory.
void BM_CompareInMemory(benchmark::State& state)
{
    const auto mode = static_cast<quillon::CompareMode>(state.range(0));
    const auto first = fileBytes(programs().first);
    const auto second = fileBytes(programs().second);
    Timing timing;
    quillon::CompareResult result;
    for (auto _ : state) {
        timing.measure(state, [&] {
            result = quillon::compareHashes(
                quillon::lineHashes({first.data.get(), first.size}, mode),
                quillon::lineHashes({second.data.get(), second.size}, mode));
        });
    }
    state.counters["marked"] = static_cast<double>(markedLines(result));
    reportAgainstDiff(state, timing);
}
BENCHMARK(BM_CompareInMemory)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"smart"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// The same with reading the files, one after the other as the command-line tool does.
void BM_CompareWithRead(benchmark::State& state)
{
    Timing timing;
    quillon::CompareResult result;
    for (auto _ : state) {
        timing.measure(state, [&] {
            std::vector<std::uint32_t> hashes[2];
            for (int file = 0; file < 2; ++file) {
                const auto bytes = fileBytes(file == 0 ? programs().first : programs().second);
                hashes[file] =
                    quillon::lineHashes({bytes.data.get(), bytes.size}, quillon::CompareMode::Raw);
            }
            result = quillon::compareHashes(hashes[0], hashes[1]);
        });
    }
    state.counters["marked"] = static_cast<double>(markedLines(result));
    reportAgainstDiff(state, timing);
}
BENCHMARK(BM_CompareWithRead)->Unit(benchmark::kMillisecond)->UseManualTime();

// The diff alone, on lines hashed beforehand.
void BM_DiffOfHashes(benchmark::State& state)
{
    const auto first = fileBytes(programs().first);
    const auto second = fileBytes(programs().second);
    const auto hashes1 =
        quillon::lineHashes({first.data.get(), first.size}, quillon::CompareMode::Raw);
    const auto hashes2 =
        quillon::lineHashes({second.data.get(), second.size}, quillon::CompareMode::Raw);
    Timing timing;
    for (auto _ : state) {
        timing.measure(
            state, [&] { benchmark::DoNotOptimize(quillon::compareHashes(hashes1, hashes2)); });
    }
    reportAgainstDiff(state, timing);
}
BENCHMARK(BM_DiffOfHashes)->Unit(benchmark::kMillisecond)->UseManualTime();

// With /1 another build's quillonlt-cli (QUILLON_BENCH_OTHER_CLI), for figures before and
// after a change in the same run.
void BM_CliCompare(benchmark::State& state)
{
    const std::string cli = quillon::bench::cliUnderTest(state);
    if (cli.empty())
        return;
    const Programs& files = programs();
    Timing timing;
    ChildRun run;
    for (auto _ : state) {
        run = runChild({cli, "compare", files.first, files.second});
        if (run.exitCode != 1)
            state.SkipWithError("quillonlt-cli compare did not find the differences");
        timing.add(state, run.seconds);
    }
    state.counters["peak_MiB"] = run.peakMiB;
    state.counters["limit_MiB"] = reference.peakMiB;
    reportAgainstDiff(state, timing);
}
BENCHMARK(BM_CliCompare)->Apply(quillon::bench::thisAndOtherCli)->Iterations(5);

}  // namespace
