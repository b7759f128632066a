// Feeds arbitrary programs to the backplot chain (in both machine kinds and all planes)
// and to the cycle-time estimate: they must finish, and every plot point be a number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "backplot/BackplotChain.h"
#include "backplot/CycleTime.h"
#include "editor/NcLines.h"
#include "platform/Notifier.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "quillon-program-fuzz";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    if (size < 1)
        return 0;
    const std::uint8_t mode = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::string> lines = quillon::splitNcLines(bytes);
    const quillon::ProgramLines program{lines.size(),
                                        [&](std::size_t i) { return std::string_view(lines[i]); }};

    quillon::BackplotSettings settings;
    settings.lathe = (mode & 1) != 0;
    settings.absolute = (mode & 2) == 0;
    static constexpr int kPlanes[] = {3, 5, 6, 7};
    settings.plane = kPlanes[(mode >> 2) & 3];
    quillon::ScriptedNotifier notifier;
    quillon::PlotBuild build;
    quillon::runBackplotChain(program, settings, folder, build, notifier);
    for (const quillon::PlotPoint& point : build.points) {
        if (std::isnan(point.x) || std::isnan(point.y) || std::isnan(point.z))
            std::abort();
        if (point.slot < 0 || point.slot > 16)
            std::abort();
    }

    quillon::CycleTimeSettings timing;
    timing.lathe = settings.lathe;
    quillon::CycleTimeEstimator estimator(timing);
    for (const std::string& line : lines)
        estimator.addLine(line);
    return 0;
}
