// Comparing two 1-million-line programs that differ in 0.1 % of their lines.
//
// The goals, each against GNU diff -w on the same two files in the same run:
//   compare in process (hashing and diff, the files already read)  <= 0.1 x diff -w
//   quillonlt-cli compare, from start to exit                      <= 0.25 x diff -w
//   peak resident memory of quillonlt-cli compare                  <= that of diff -w
// Each benchmark reports its time as x_diff, a fraction of the reference's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "editor/Compare.h"
#include "platform/FileBytes.h"

extern char** environ;

namespace {

constexpr std::size_t kLines = 1'000'000;
// One line in a thousand is inserted, deleted or changed.
constexpr unsigned kEditEvery = 1000;

std::filesystem::path benchFolder()
{
    // A memory file system keeps disk noise out of the comparison where there is one.
    const std::filesystem::path shm = "/dev/shm";
    const auto base = std::filesystem::exists(shm) ? shm : std::filesystem::temp_directory_path();
    const auto folder = base / ("quillon-compare-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

// The folder lives as long as the run and is removed with everything in it.
const std::filesystem::path& folder()
{
    static const struct Folder {
        std::filesystem::path path = benchFolder();
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

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

struct ChildRun {
    double seconds = 0;
    double peakMiB = 0;
    int exitCode = -1;
};

// A child's ru_maxrss counts the address space it replaced at exec, and a child started by
// posix_spawn or fork replaces a copy of its parent's: run from this benchmark, holding two
// programs in memory, every child would seem to need as much. So children are started by a
// helper: this program again, freshly executed and small, in the mode below.
constexpr char kHelperVariable[] = "QUILLON_COMPARE_BENCH_HELPER";
// The helper writes "seconds peakKiB exitCode" to this descriptor.
constexpr int kHelperReportFd = 3;

// Runs a program with its output to /dev/null: its time from start to exit, its peak
// resident memory and its exit code.
ChildRun spawnAndWait(char* const* argv, int closeFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (closeFd >= 0)
        posix_spawn_file_actions_addclose(&actions, closeFd);
    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The helper mode, before main: runs the command given as our arguments and reports.
[[maybe_unused]] const bool kIsHelper = [] {
    if (!std::getenv(kHelperVariable))
        return false;
    ::unsetenv(kHelperVariable);
    std::ifstream commandLine("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    for (std::string argument; std::getline(commandLine, argument, '\0');)
        arguments.push_back(argument);
    std::vector<char*> argv;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        argv.push_back(arguments[i].data());
    argv.push_back(nullptr);
    const ChildRun run = spawnAndWait(argv.data(), kHelperReportFd);
    const std::string report = std::to_string(run.seconds) + " " +
                               std::to_string(run.peakMiB) + " " +
                               std::to_string(run.exitCode) + "\n";
    const bool written = ::write(kHelperReportFd, report.data(), report.size()) ==
                         static_cast<ssize_t>(report.size());
    ::_exit(written ? 0 : 1);
}();

// Runs the command through the helper.
ChildRun runChild(const std::vector<std::string>& command)
{
    int report[2];
    if (::pipe(report) != 0)
        return {};
    std::vector<std::string> arguments = {"/proc/self/exe"};
    arguments.insert(arguments.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::setenv(kHelperVariable, "1", 1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, report[1], kHelperReportFd);
    pid_t helper = 0;
    const int spawned =
        posix_spawn(&helper, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::unsetenv(kHelperVariable);
    ::close(report[1]);
    ChildRun run;
    if (spawned == 0) {
        char text[128] = {};
        std::size_t got = 0;
        for (ssize_t n = 1; n > 0 && got + 1 < sizeof text; got += static_cast<std::size_t>(n))
            n = std::max<ssize_t>(::read(report[0], text + got, sizeof text - 1 - got), 0);
        int status = 0;
        ::waitpid(helper, &status, 0);
        if (std::sscanf(text, "%lf %lf %d", &run.seconds, &run.peakMiB, &run.exitCode) != 3)
            run = {};
    }
    ::close(report[0]);
    return run;
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
        add(state, std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                       .count());
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
                hashes[file] = quillon::lineHashes({bytes.data.get(), bytes.size},
                                                   quillon::CompareMode::Raw);
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
        timing.measure(state,
                       [&] { benchmark::DoNotOptimize(quillon::compareHashes(hashes1, hashes2)); });
    }
    reportAgainstDiff(state, timing);
}
BENCHMARK(BM_DiffOfHashes)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_CliCompare(benchmark::State& state)
{
    const Programs& files = programs();
    Timing timing;
    ChildRun run;
    for (auto _ : state) {
        run = runChild({QUILLONLT_CLI, "compare", files.first, files.second});
        if (run.exitCode != 1)
            state.SkipWithError("quillonlt-cli compare did not find the differences");
        timing.add(state, run.seconds);
    }
    state.counters["peak_MiB"] = run.peakMiB;
    state.counters["limit_MiB"] = reference.peakMiB;
    reportAgainstDiff(state, timing);
}
BENCHMARK(BM_CliCompare)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
