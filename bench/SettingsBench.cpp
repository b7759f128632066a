// Reading the settings files. ComConf.sys is read each time a port dialog opens, so it
// should cost nothing noticeable; the reference is the fixed-buffer fgets loop the
// Windows program used, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "dnc/ComConfFile.h"
#include "dnc/PortSetups.h"
#include "platform/TextFile.h"

namespace {

std::string comConfBytes()
{
    quillon::PortSetups setups;
    for (int i = 0; i < quillon::kPortCount; ++i) {
        setups.record(i).txDirectory = "C:\\NC\\MACHINE" + std::to_string(i) + "\\OUT";
        setups.record(i).rxDirectory = "C:\\NC\\MACHINE" + std::to_string(i) + "\\IN";
        setups.record(i).txStart = 18;
    }
    return quillon::formatComConf(setups.records());
}

void BM_ParseComConf(benchmark::State& state)
{
    const std::string bytes = comConfBytes();
    for (auto _ : state) {
        std::array<quillon::PortSetup, quillon::kPortCount> records;
        quillon::parseComConf(bytes, records);
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseComConf);

void BM_FormatComConf(benchmark::State& state)
{
    quillon::PortSetups setups;
    for (auto _ : state)
        benchmark::DoNotOptimize(quillon::formatComConf(setups.records()));
}
BENCHMARK(BM_FormatComConf);

// A large settings-like file: our whole-line reader against the reference.
std::string bigLines()
{
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += "NM:Line " + std::to_string(i) + " with a path C:\\NC\\PROGRAMS\r\n";
    return bytes;
}

void BM_LineReader(benchmark::State& state)
{
    const std::string bytes = bigLines();
    for (auto _ : state) {
        quillon::LineReader reader(bytes);
        std::size_t total = 0;
        while (const auto line = reader.next())
            total += line->size();
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LineReader);

void BM_Reference_FgetsFixedBuffer(benchmark::State& state)
{
    const std::string bytes = bigLines();
    for (auto _ : state) {
        FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
        char buffer[260];
        std::size_t total = 0;
        while (std::fgets(buffer, sizeof buffer, in))
            total += std::strlen(buffer);
        std::fclose(in);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_Reference_FgetsFixedBuffer);

}  // namespace
