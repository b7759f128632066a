#include "app/SpreadsheetPath.h"

#include <unistd.h>

#include "platform/FileAttributes.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

std::optional<std::string> readSpreadsheetPath(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kSpreadsheetPathFile));
    if (!bytes)
        return std::nullopt;
    // A path may be as long as the system allows, so the line is read whole.
    LineReader lines(*bytes, bytes->size());
    const auto first = lines.next();
    if (!first || trimmed(*first).empty())
        return std::nullopt;
    return std::string(trimmed(*first));
}

WriteResult writeSpreadsheetPath(const WorkDir& workDir, std::string_view path)
{
    return writeLinesCrLf(workDir.file(kSpreadsheetPathFile), {std::string(trimmed(path))});
}

bool isRunnableProgram(const std::string& path)
{
    const auto attributes = fileAttributes(path);
    return attributes && attributes->isRegularFile && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace quillon
