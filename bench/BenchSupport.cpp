#include "BenchSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "editor/CLiDoc.h"
#include "platform/Notifier.h"

extern char** environ;

namespace quillon::bench {

namespace {

constexpr std::size_t kTargetBytes = 100'000'000;
constexpr std::size_t kTargetLines = 3'500'000;

}  // namespace

// A mold-finishing program: short 3-axis moves, CR LF, about 28.6 bytes a line.
const std::string& moldProgramPath()
{
    static const std::string path = [] {
        const std::string file = (folder() / "MOLD-100MB.NC").string();
        std::mt19937 random(1);
        std::string bytes;
        bytes.reserve(kTargetBytes + 64);
        bytes += "%\r\nO9000 (CAVITY FINISH)\r\n";
        std::size_t line = 2;
        char buffer[64];
        const double bytesPerLine = static_cast<double>(kTargetBytes) / kTargetLines;
        while (line < kTargetLines - 1) {
            const int x = static_cast<int>(random() % 200000);
            const int y = static_cast<int>(random() % 100000);
            int n = std::snprintf(buffer, sizeof buffer, "X%d.%03d Y%d.%03d Z-%d.%d", x / 1000,
                                  x % 1000, y / 1000, y % 1000, static_cast<int>(random() % 10),
                                  static_cast<int>(random() % 10));
            // A feed word where the program runs short of its average line length.
            if (static_cast<double>(bytes.size() + static_cast<std::size_t>(n) + 2) <
                bytesPerLine * static_cast<double>(line + 1))
                n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), " F%d",
                                   800 + static_cast<int>(random() % 9000));
            bytes.append(buffer, static_cast<std::size_t>(n));
            bytes += "\r\n";
            ++line;
        }
        bytes += "M30\r\n%";
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }();
    return path;
}

const std::filesystem::path& folder()
{
    static const struct Folder {
        std::filesystem::path path = [] {
            const std::filesystem::path shm = "/dev/shm";
            const auto base =
                std::filesystem::exists(shm) ? shm : std::filesystem::temp_directory_path();
            const auto made = base / ("quillon-bench-" + std::to_string(::getpid()));
            std::filesystem::create_directories(made);
            return made;
        }();
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

void thisAndOtherCli(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(0)->Arg(1)->ArgNames({"other"})->Unit(benchmark::kMillisecond)->UseManualTime();
}

std::string cliUnderTest(benchmark::State& state)
{
    if (state.range(0) == 0)
        return QUILLONLT_CLI;
    const char* path = std::getenv("QUILLON_BENCH_OTHER_CLI");
    if (!path) {
        state.SkipWithError("QUILLON_BENCH_OTHER_CLI is not set");
        return {};
    }
    return path;
}

namespace {

// A child's ru_maxrss counts the address space it replaced at exec, and a child started by
// posix_spawn or fork replaces a copy of its parent's: run from a benchmark holding big
// programs in memory, every child would seem to need as much. So children are started by a
// helper: this program again, freshly executed and small, in the mode below.
constexpr char kHelperVariable[] = "QUILLON_BENCH_HELPER";
// The helper writes "seconds cpuSeconds peakMiB exitCode" to this descriptor.
constexpr int kHelperReportFd = 3;

// Runs a program with its output and errors to /dev/null: its time from start to exit, its peak
// resident memory and its exit code.
ChildRun spawnAndWait(char* const* argv, int closeFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
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
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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
    const std::string report = std::to_string(run.seconds) + " " + std::to_string(run.cpuSeconds) +
                               " " + std::to_string(run.peakMiB) + " " +
                               std::to_string(run.exitCode) + "\n";
    const bool written = ::write(kHelperReportFd, report.data(), report.size()) ==
                         static_cast<ssize_t>(report.size());
    ::_exit(written ? 0 : 1);
}();

}  // namespace

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
    const int spawned = posix_spawn(&helper, argv[0], &actions, nullptr, argv.data(), environ);
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
        if (std::sscanf(text, "%lf %lf %lf %d", &run.seconds, &run.cpuSeconds, &run.peakMiB,
                        &run.exitCode) != 4)
            run = {};
    }
    ::close(report[0]);
    return run;
}

BackgroundChild::BackgroundChild(const std::vector<std::string>& command, const ChildSetup& setup)
{
    const bool piped = setup.output.empty();
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (piped && ::pipe(out) != 0)
        return;
    if (piped && ::pipe(err) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return;
    }
    std::vector<std::string> arguments = command;
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = setup.environment;
    for (char** variable = environ; *variable != nullptr; ++variable)
        variables.emplace_back(*variable);
    std::vector<char*> envp;
    for (auto& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (piped) {
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, setup.output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (piped) {
        ::close(out[1]);
        ::close(err[1]);
    }
    if (spawned != 0) {
        if (piped) {
            ::close(out[0]);
            ::close(err[0]);
        }
        return;
    }
    m_pid = child;
    m_out = out[0];
    m_err = err[0];
}

BackgroundChild::~BackgroundChild()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0)
        ::close(m_out);
    if (m_err >= 0)
        ::close(m_err);
}

std::string BackgroundChild::readLine()
{
    std::string line;
    char byte = 0;
    while (m_out >= 0 && ::read(m_out, &byte, 1) == 1 && byte != '\n')
        line += byte;
    return line;
}

int BackgroundChild::wait(std::string* errorText)
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; m_err >= 0 && (n = ::read(m_err, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    if (errorText)
        *errorText = text;
    if (m_pid <= 0)
        return -1;
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<MachineSlot> everyMachineSlot()
{
    std::vector<MachineSlot> slots;
    for (int index = 0; index < kMachineSlots; ++index)
        slots.push_back(MachineSlot::ofIndex(index));
    return slots;
}

DetailedViewOnLink::DetailedViewOnLink(HubLink& link)
    : m_link(link), m_startup(everyMachineSlot(), link, [&link] { return link.now(); })
{
    m_link.monitoringViewOpened(MonitoringView::Detailed, *this);
    m_startup.start();
}

DetailedViewOnLink::~DetailedViewOnLink()
{
    m_link.monitoringViewClosed(MonitoringView::Detailed);
}

double timeOpeningProgram(benchmark::State& state, const std::string& path)
{
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        ScriptedNotifier notifier;
        auto doc = std::make_unique<CLiDoc>();
        const auto start = std::chrono::steady_clock::now();
        doc->open(path, notifier);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    return runs > 0 ? total / runs : 0;
}

}  // namespace quillon::bench
