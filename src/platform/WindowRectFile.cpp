#include "platform/WindowRectFile.h"

#include "platform/TextFile.h"

namespace quillon {

std::optional<WindowRect> parseWindowRect(std::string_view bytes)
{
    LineReader reader(bytes);
    WindowRect rect;
    for (auto* field : {&rect.left, &rect.top, &rect.right, &rect.bottom}) {
        const auto line = reader.next();
        if (!line)
            return std::nullopt;
        *field = leadingInt32(*line);
    }
    return rect;
}

std::optional<WindowRect> readWindowRect(const std::string& path)
{
    const auto bytes = readFile(path);
    return bytes ? parseWindowRect(*bytes) : std::nullopt;
}

WriteResult writeWindowRect(const std::string& path, const WindowRect& rect)
{
    return writeLinesCrLf(path, {std::to_string(rect.left), std::to_string(rect.top),
                                 std::to_string(rect.right), std::to_string(rect.bottom)});
}

}  // namespace quillon
