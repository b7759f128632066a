// Feeds arbitrary programs to the backplot chain (in both machine kinds and all planes,
// its intermediate files written and read back on the way) and to the cycle-time estimate:
// they must finish, every plot point must be a number on a tool slot that exists, and the
// time must be a number that does not run backwards. The program's first bytes, read as a
// number, also go through the coordinate text the backplot files hold: at most eight
// characters, read back as the value written, cut and never rounded away from zero.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "backplot/BackplotChain.h"
#include "backplot/CoordinateText.h"
#include "backplot/CycleTime.h"
#include "editor/NcLines.h"
#include "nc/Words.h"
#include "platform/Notifier.h"

namespace {

using namespace quillon;

void checkCoordinateText(double value)
{
    char out[kCoordinateTextRoom];
    double readBack = 0;
    const std::size_t length = writeCoordinateText(value, out, readBack);
    FUZZ_CHECK(length <= kCoordinateTextLimit);
    const std::string_view text(out, length);
    FUZZ_CHECK(coordinateText(value) == text);
    FUZZ_CHECK(decimalValue(text) == readBack || (std::isnan(readBack) && std::isnan(value)));
    // Four decimals (five below 1, three from 1000 on) fit below 10000.
    if (std::isfinite(value) && std::abs(value) < 1000) {
        FUZZ_CHECK(std::abs(readBack) <= std::abs(value));
        FUZZ_CHECK(std::abs(value - readBack) < 1e-3);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = fuzz::makeFolder("program");
    if (size < 1)
        return 0;
    if (size > sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data + 1, sizeof value);
        checkCoordinateText(value);
    }
    const std::uint8_t mode = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::string> lines = splitNcLines(bytes);
    const ProgramLines program{lines.size(),
                               [&](std::size_t i) { return std::string_view(lines[i]); }};

    BackplotSettings settings;
    settings.lathe = (mode & 1) != 0;
    settings.absolute = (mode & 2) == 0;
    static constexpr int kPlanes[] = {3, 5, 6, 7};
    settings.plane = kPlanes[(mode >> 2) & 3];
    ScriptedNotifier notifier;
    PlotBuild build;
    FUZZ_CHECK(runBackplotChain(program, settings, folder, build, notifier));
    for (const PlotPoint& point : build.points) {
        FUZZ_CHECK(!std::isnan(point.x) && !std::isnan(point.y) && !std::isnan(point.z));
        FUZZ_CHECK(point.slot >= 0 && point.slot <= 16);
    }

    CycleTimeSettings timing;
    timing.lathe = settings.lathe;
    CycleTimeEstimator estimator(timing);
    double before = 0;
    for (const std::string& line : lines) {
        estimator.addLine(line);
        FUZZ_CHECK(!std::isnan(estimator.seconds()) && estimator.seconds() >= before);
        before = estimator.seconds();
    }
    return 0;
}
