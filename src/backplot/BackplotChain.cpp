#include "backplot/BackplotChain.h"

#include "backplot/CycleExpansion.h"
#include "platform/Paths.h"

namespace quillon {

bool runBackplotChain(const ProgramLines& lines, const BackplotSettings& settings,
                      const std::string& folder, PlotBuild& build, Notifier& notifier)
{
    const auto file = [&](std::string_view name) { return paths::join(folder, name); };
    // The pre-pass writes the cycle file as well: without a turning cycle the cycle
    // expansion would copy every record unchanged, and a program of millions of segment
    // records is then spared reading them all once more.
    const PrePassResult prePass =
        writeBackplotPrePass(lines, settings, file(kBackplotFile), file(kBackplotCycleFile));
    if (!prePass.written)
        return false;
    if (prePass.turningCycles &&
        !expandCannedCycles(file(kBackplotFile), file(kBackplotCycleFile),
                            file(kBackplotShapeFile), settings, notifier))
        return false;
    return buildPlotPath(file(kBackplotCycleFile), settings, build, notifier);
}

}  // namespace quillon
