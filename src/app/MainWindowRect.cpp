#include "app/MainWindowRect.h"

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

std::optional<WindowRect> parseMainWindowRect(std::string_view bytes)
{
    const auto rect = parseWindowRect(bytes);
    if (!rect || rect->left < 0 || rect->top < 0 || !rect->hasArea())
        return std::nullopt;
    return rect;
}

std::optional<WindowRect> readMainWindowRect(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.tmpFile(kMainWindowRectFile));
    return bytes ? parseMainWindowRect(*bytes) : std::nullopt;
}

WriteResult writeMainWindowRect(const WorkDir& workDir, const WindowRect& rect)
{
    return writeWindowRect(workDir.tmpFile(kMainWindowRectFile), rect);
}

}  // namespace quillon
