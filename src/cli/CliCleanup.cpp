#include "cli/CliCleanup.h"

#include <ostream>

#include "platform/FileAttributes.h"
#include "utilities/FileCleanup.h"

namespace quillon::cli {

int runCleanup(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const CleanupTool* chosen = nullptr;
    if (arguments.size() == 2) {
        for (const CleanupTool& tool : kCleanupTools) {
            if (cleanupToolInfo(tool).cliName == arguments[0])
                chosen = &tool;
        }
    }
    if (!chosen) {
        err << "usage: quillonlt-cli " << kCleanupUsage << '\n';
        return 2;
    }
    const std::string& folder = arguments[1];
    if (!isDirectory(folder)) {
        err << folder << ": no such folder\n";
        return 1;
    }
    const CleanupRun run = quillon::runCleanup(*chosen, folder);
    for (const auto& change : run.changes) {
        out << change.path;
        if (!change.newPath.empty())
            out << " -> " << change.newPath;
        out << '\n';
    }
    for (const auto& reason : run.passedOver)
        err << reason << '\n';
    if (!run.completed) {
        err << run.error << '\n';
        return 1;
    }
    return run.failed == 0 ? 0 : 1;
}

}  // namespace quillon::cli
