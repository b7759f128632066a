#include "cli/CliDirectoryLog.h"

#include <ostream>

#include "monitoring/DirectoryLog.h"
#include "platform/TextFile.h"

namespace quillon::cli {

int runDirectoryLog(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err)
{
    if (arguments.size() != 2 || (arguments[0] != "create" && arguments[0] != "view")) {
        err << "usage: quillonlt-cli " << kDirectoryLogUsage << '\n';
        return 2;
    }
    const std::string& folder = arguments[1];
    if (arguments[0] == "view") {
        std::string path = folder;
        if (!path.empty() && path.back() != '/')
            path += '/';
        const auto log = readFile(path + std::string(kDirectoryLogFile));
        if (!log) {
            err << kNoDirectoryLogText << '\n';
            return 1;
        }
        out << *log;
        return 0;
    }
    const DirectoryLogResult result = writeDirectoryLog(folder);
    switch (result.outcome) {
    case DirectoryLogResult::Outcome::Written:
        out << result.path << '\n';
        return 0;
    case DirectoryLogResult::Outcome::NothingToLog:
        err << folder << ": no file to log; " << kNoDirectoryLogText << '\n';
        return 1;
    case DirectoryLogResult::Outcome::Failed:
        break;
    }
    err << result.error << '\n';
    return 1;
}

}  // namespace quillon::cli
