#include "backplot/BackplotChain.h"

#include "backplot/CycleExpansion.h"
#include "platform/Paths.h"

namespace quillon {

bool runBackplotChain(const ProgramLines& lines, const BackplotSettings& settings,
                      const std::string& folder, PlotBuild& build, Notifier& notifier)
{
    const auto file = [&](std::string_view name) { return paths::join(folder, name); };
    if (!writeBackplotPrePass(lines, settings, file(kBackplotFile)))
        return false;
    if (!expandCannedCycles(file(kBackplotFile), file(kBackplotCycleFile),
                            file(kBackplotShapeFile), settings, notifier))
        return false;
    return buildPlotPath(file(kBackplotCycleFile), settings, build, notifier);
}

}  // namespace quillon
