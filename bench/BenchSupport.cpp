#include "BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace quillon::bench {

const std::filesystem::path& folder()
{
    static const struct Folder {
        std::filesystem::path path = [] {
            const std::filesystem::path shm = "/dev/shm";
            const auto base = std::filesystem::exists(shm)
                                  ? shm
                                  : std::filesystem::temp_directory_path();
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

namespace {

// A child's ru_maxrss counts the address space it replaced at exec, and a child started by
// posix_spawn or fork replaces a copy of its parent's: run from a benchmark holding big
// programs in memory, every child would seem to need as much. So children are started by a
// helper: this program again, freshly executed and small, in the mode below.
constexpr char kHelperVariable[] = "QUILLON_BENCH_HELPER";
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

}  // namespace quillon::bench
