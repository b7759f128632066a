// The line utilities over the 100 MB, 3.5-million-line program, with undo for utilities on.
//
// The goals, against opening the same program in the same run:
//   renumber, compress, expand       <= 1.5 x opening it
//   undoing each of them             <= 1.5 x opening it
// Expand runs on a compressed copy of the program.
// Each benchmark reports its time as x_load, a fraction of the reference's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "platform/Notifier.h"
#include "utilities/LineTools.h"
#include "utilities/Renumber.h"

namespace {

using quillon::bench::moldProgramPath;

double g_loadSeconds = 0;

std::unique_ptr<quillon::CLiDoc> openProgram(const std::string& path = moldProgramPath())
{
    quillon::ScriptedNotifier notifier;
    auto doc = std::make_unique<quillon::CLiDoc>();
    doc->open(path, notifier);
    return doc;
}

// The program with its words written together, as Expand finds a compressed program.
const std::string& compressedProgramPath()
{
    static const std::string path = [] {
        const std::string file = (quillon::bench::folder() / "MOLD-COMPRESSED.NC").string();
        auto doc = openProgram();
        {
            quillon::UtilityEdit edit(*doc, false);
            quillon::compressLines(*doc, edit, 0, doc->lineCount() - 1);
        }
        quillon::ScriptedNotifier notifier;
        doc->save(file, notifier);
        return file;
    }();
    return path;
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Reference_OpenProgram(benchmark::State& state)
{
    g_loadSeconds = quillon::bench::timeOpeningProgram(state, moldProgramPath());
}
BENCHMARK(BM_Reference_OpenProgram)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

using Utility = std::function<void(quillon::CLiDoc&, quillon::UtilityEdit&)>;

// The utility over the whole program as one undo step, or its undo, timed.
void runUtility(benchmark::State& state, const Utility& utility, bool undo,
                const std::string& path = moldProgramPath())
{
    double total = 0;
    int runs = 0;
    std::size_t changed = 0;
    for (auto _ : state) {
        auto doc = openProgram(path);
        double seconds = secondsOf([&] {
            quillon::UtilityEdit edit(*doc, true);
            utility(*doc, edit);
            changed = edit.changedLines();
        });
        if (undo)
            seconds = secondsOf([&] { doc->Undo(); });
        if (doc->CanUndo() == undo)
            state.SkipWithError("not one undo step");
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
    }
    state.counters["changed_lines"] = static_cast<double>(changed);
    if (g_loadSeconds > 0)
        state.counters["x_load"] = total / runs / g_loadSeconds;
}

const std::size_t kLast = static_cast<std::size_t>(-1);

void renumber(quillon::CLiDoc& doc, quillon::UtilityEdit& edit)
{
    quillon::RenumberSettings settings;
    settings.digits = 6;
    quillon::renumberLines(doc, edit, 0, kLast, settings);
}

void compress(quillon::CLiDoc& doc, quillon::UtilityEdit& edit)
{
    quillon::compressLines(doc, edit, 0, kLast);
}

void expand(quillon::CLiDoc& doc, quillon::UtilityEdit& edit)
{
    quillon::expandLines(doc, edit, 0, kLast);
}

void BM_Renumber(benchmark::State& state)
{
    runUtility(state, renumber, state.range(0) != 0);
}
BENCHMARK(BM_Renumber)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"undo"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_Compress(benchmark::State& state)
{
    runUtility(state, compress, state.range(0) != 0);
}
BENCHMARK(BM_Compress)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"undo"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// On the compressed program: the original's words are all written apart already.
void BM_Expand(benchmark::State& state)
{
    compressedProgramPath();  // made before the clock runs
    runUtility(state, expand, state.range(0) != 0, compressedProgramPath());
}
BENCHMARK(BM_Expand)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"undo"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
