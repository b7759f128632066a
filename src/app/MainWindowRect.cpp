#include "app/MainWindowRect.h"

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

std::optional<WindowRect> parseMainWindowRect(std::string_view bytes)
{
    LineReader reader(bytes);
    WindowRect rect;
    for (auto* field : {&rect.left, &rect.top, &rect.right, &rect.bottom}) {
        const auto line = reader.next();
        if (!line)
            return std::nullopt;
        *field = leadingInt32(*line);
    }
    if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom)
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
    return writeLinesCrLf(workDir.tmpFile(kMainWindowRectFile),
                          {std::to_string(rect.left), std::to_string(rect.top),
                           std::to_string(rect.right), std::to_string(rect.bottom)});
}

}  // namespace quillon
