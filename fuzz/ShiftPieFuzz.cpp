// Feeds arbitrary shift record files to the shift pie and to the cycle-time analysis (open,
// every part number chosen in turn, recalculate with typed limits). The first byte picks
// the reader and the limits. Besides crashes, reads past the end and overflow it checks what
// the readers promise: pies within their part-number and state limits and without empty or
// negative slices, analyses that start with the part line, keep the pieces within 1..100 and
// never sum up to a negative value.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "monitoring/CycleTimeAnalysis.h"
#include "monitoring/ShiftPie.h"

namespace {

void checkPie(std::string_view file)
{
    const quillon::ShiftPieLoad load = quillon::loadShiftPie(file, "A0001_MILL1_SHIFT1.MON");
    if (!load.pie) {
        FUZZ_CHECK(load.error == quillon::kTooManyPartNumbers);
        return;
    }
    std::vector<std::string_view> parts;
    for (const auto& slice : load.pie->slices) {
        FUZZ_CHECK(slice.minutes > 0);
        bool known = false;
        for (const auto part : parts)
            known = known || part == slice.partNumber;
        if (!known)
            parts.push_back(slice.partNumber);
    }
    FUZZ_CHECK(parts.size() <= quillon::kPieNamedPartNumbers + 1);
    FUZZ_CHECK(load.pie->slices.size() <= parts.size() * quillon::kPieStatesPerPart);
}

void checkAnalysis(const quillon::CycleTimeAnalysis& analysis, std::size_t lines)
{
    FUZZ_CHECK(analysis.multiplier() >= quillon::kFewestPieces &&
               analysis.multiplier() <= quillon::kMostPieces);
    FUZZ_CHECK(analysis.details().size() <= lines + 1);
    FUZZ_CHECK(!analysis.details().empty() || analysis.partChoice());
    if (!analysis.details().empty()) {
        const std::string& partLine = analysis.details().front();
        FUZZ_CHECK(partLine == analysis.selectedPart() ||
                   (analysis.selectedPart().empty() && partLine == quillon::kPartNumberNotKnown));
    }
    for (const auto& line : analysis.summary())
        FUZZ_CHECK(line.find('-') == std::string::npos);
}

void analyse(std::string_view file, std::uint8_t choice)
{
    quillon::CycleTimeInputs inputs;
    inputs.minCycleSeconds = choice & 0x0f;
    inputs.maxCycleSeconds = (choice & 0x0f) * 60;
    inputs.minRate = choice >> 6;
    inputs.maxRate = (choice >> 4) * 3;
    inputs.rateMode = choice & 0x10;
    std::size_t lines = 1;
    for (const char c : file)
        lines += c == '\n';

    quillon::CycleTimeAnalysis analysis;
    analysis.openBytes(std::string(file), inputs);
    checkAnalysis(analysis, lines);
    const std::vector<std::string> parts = analysis.partNumbers();
    // Every part number is tried on a small file; a large one takes the first few.
    const std::size_t tried =
        file.size() < 4096 ? parts.size() : std::min<std::size_t>(parts.size(), 3);
    for (std::size_t i = 0; i < tried; ++i) {
        FUZZ_CHECK(analysis.selectPart(parts[i]));
        checkAnalysis(analysis, lines);
    }
    // Limits typed in: taken from the file's own first characters, as garbage as they come.
    analysis.recalculate(file.substr(0, 7), file.substr(file.size() / 2, 20),
                         file.substr(file.size() - std::min<std::size_t>(file.size(), 4)));
    checkAnalysis(analysis, lines);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A zone with daylight saving, so that repeated and skipped hours come up.
    ::setenv("TZ", "CST6CDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The file lives in a buffer of its own exact length.
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 0x80)
        checkPie(bytes);
    else
        analyse(bytes, data[0]);
    return 0;
}
