// Opening, saving and reading a 100 MB, 3.5-million-line program.
//
// The goals, each against a reference measured in the same run:
//   load  <= 5 x counting the lines of the same bytes with memchr
//   save  <= 3 x a plain copy of the file (read, write, flush to disk)
//   peak resident memory of a process holding the document <= 1.6 x file size + 40 MB
//   quillonlt-cli info from start to exit <= 6 x wc -l
//   GetText of any line in O(1): the first and the last line cost the same
//   replace all of a word on every line, as one edit group <= 2 x load
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "editor/CLiDoc.h"
#include "editor/EditorActions.h"
#include "platform/FileBytes.h"
#include "platform/Notifier.h"

namespace {

using quillon::bench::folder;

using quillon::bench::moldProgramPath;

const std::string& programPath()
{
    return moldProgramPath();
}

quillon::FileBytes programBytes()
{
    return quillon::readFileBytes(programPath()).value();
}

void BM_Reference_CountLinesWithMemchr(benchmark::State& state)
{
    const auto bytes = programBytes();
    for (auto _ : state) {
        std::size_t lines = 1;
        const char* end = bytes.data.get() + bytes.size;
        for (const char* p = bytes.data.get(); (p = static_cast<const char*>(std::memchr(
                                                    p, '\n', static_cast<std::size_t>(end - p))));
             ++p)
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.counters["MB"] = static_cast<double>(bytes.size) / 1e6;
}
BENCHMARK(BM_Reference_CountLinesWithMemchr)->Unit(benchmark::kMillisecond);

void BM_OpenDocument(benchmark::State& state)
{
    quillon::ScriptedNotifier notifier;
    const std::string path = programPath();  // made before the clock runs
    for (auto _ : state) {
        quillon::CLiDoc doc;
        if (!doc.open(path, notifier))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(doc.lineCount());
        state.counters["lines"] = static_cast<double>(doc.lineCount());
    }
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond);

void BM_Reference_PlainCopy(benchmark::State& state)
{
    const std::string target = (folder() / "COPY.NC").string();
    for (auto _ : state) {
        const auto bytes = programBytes();
        const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::size_t done = 0;
        while (done < bytes.size) {
            const ssize_t n = ::write(fd, bytes.data.get() + done, bytes.size - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::fsync(fd);
        ::close(fd);
    }
}
BENCHMARK(BM_Reference_PlainCopy)->Unit(benchmark::kMillisecond);

void BM_SaveDocument(benchmark::State& state)
{
    quillon::ScriptedNotifier notifier;
    quillon::CLiDoc doc;
    doc.open(programPath(), notifier);
    // A few edits, as a real save has them: the edited lines are no longer in the arena.
    for (std::size_t line = 1000; line < doc.lineCount(); line += 100000)
        doc.InsertText(line, 0, "(CHECKED) ");
    const std::string target = (folder() / "SAVED.NC").string();
    for (auto _ : state) {
        if (!doc.save(target, notifier))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

// "Z-" stands on nearly every line: millions of replacements in one edit group.
void BM_ReplaceAllOfAFrequentWord(benchmark::State& state)
{
    quillon::ScriptedNotifier notifier;
    const quillon::SearchOptions options{"Z-", false, false};
    std::size_t replaced = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<quillon::CLiDoc>();
        doc->open(programPath(), notifier);
        quillon::CaretState caret;
        state.ResumeTiming();
        replaced = quillon::replaceAllInFile(*doc, caret, options, "Z -");
        state.PauseTiming();
        if (doc->undoDepth() != 1)
            state.SkipWithError("not one edit group");
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["replaced"] = static_cast<double>(replaced);
}
BENCHMARK(BM_ReplaceAllOfAFrequentWord)->Unit(benchmark::kMillisecond);

// Also measured without the file read: what cutting the bytes into lines costs.
void BM_LineStoreFromBytes(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto bytes = programBytes();
        state.ResumeTiming();
        quillon::LineStore store;
        store.load(std::move(bytes.data), bytes.size);
        benchmark::DoNotOptimize(store.size());
    }
}
BENCHMARK(BM_LineStoreFromBytes)->Unit(benchmark::kMillisecond);

void BM_GetText(benchmark::State& state)
{
    static quillon::CLiDoc doc;
    static bool opened = [] {
        quillon::ScriptedNotifier notifier;
        return doc.open(programPath(), notifier);
    }();
    benchmark::DoNotOptimize(opened);
    const std::size_t line = state.range(0) == 0 ? 0 : doc.lineCount() - 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.GetText(line, 0, 8));
}
BENCHMARK(BM_GetText)->Arg(0)->Arg(1)->ArgNames({"last"});

// The whole process of quillonlt-cli info, which opens the program as the editor does and
// holds the whole document: its time against wc -l on the same file, the two run by turns
// (one process each), and its peak resident memory.
//   time of the whole process <= 6 x wc -l
// With /1 the same for another build's quillonlt-cli named by QUILLON_BENCH_OTHER_CLI (an
// older one, for figures before and after a change in the same run).
void BM_CliInfo(benchmark::State& state)
{
    const std::string cli = quillon::bench::cliUnderTest(state);
    if (cli.empty())
        return;
    const std::string path = programPath();
    double cliSeconds = 0;
    double wcSeconds = 0;
    double peakMb = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto counted = quillon::bench::runChild({"wc", "-l", path});
        const auto run = quillon::bench::runChild({cli, "info", path});
        if (run.exitCode != 0 || counted.exitCode != 0) {
            state.SkipWithError("quillonlt-cli info or wc -l failed");
            break;
        }
        state.SetIterationTime(run.seconds);
        cliSeconds += run.seconds;
        wcSeconds += counted.seconds;
        peakMb = run.peakMiB;
        ++runs;
    }
    const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / (1024 * 1024);
    state.counters["wc_ms"] = runs > 0 ? wcSeconds / runs * 1e3 : 0;
    state.counters["x_wc"] = wcSeconds > 0 ? cliSeconds / wcSeconds : 0;
    state.counters["peak_MiB"] = peakMb;
    state.counters["limit_MiB"] = 1.6 * fileMb + 40;
}
BENCHMARK(BM_CliInfo)->Apply(quillon::bench::thisAndOtherCli)->Iterations(10);

}  // namespace
