#include "monitoring/MonitorWindowPlace.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/TextFile.h"

namespace quillon {

namespace {

// Moves an edge pair so that its start is not below 0, keeping the distance between them.
void startAtZero(std::int32_t& start, std::int32_t& end)
{
    if (start >= 0)
        return;
    const std::int64_t moved = std::int64_t(end) - start;
    end = static_cast<std::int32_t>(
        std::min<std::int64_t>(moved, std::numeric_limits<std::int32_t>::max()));
    start = 0;
}

}  // namespace

WindowRect withoutNegativeCorner(WindowRect rect)
{
    startAtZero(rect.left, rect.right);
    startAtZero(rect.top, rect.bottom);
    return rect;
}

MonitorWindowPlace parseMonitorWindowPlace(std::string_view bytes, std::size_t extraCount)
{
    MonitorWindowPlace place;
    LineReader reader(bytes);
    WindowRect rect;
    for (auto* edge : {&rect.left, &rect.right, &rect.top, &rect.bottom}) {
        const auto line = reader.next();
        if (!line)
            return place;
        *edge = leadingInt32(*line);
    }
    place.rect = withoutNegativeCorner(rect);
    while (place.extras.size() < extraCount) {
        const auto line = reader.next();
        if (!line)
            break;
        place.extras.push_back(leadingInt32(*line));
    }
    return place;
}

std::optional<MonitorWindowPlace> readMonitorWindowPlace(const std::string& path,
                                                         std::size_t extraCount)
{
    const auto bytes = readFile(path);
    if (!bytes)
        return std::nullopt;
    return parseMonitorWindowPlace(*bytes, extraCount);
}

WriteResult writeMonitorWindowPlace(const std::string& path, const WindowRect& rect,
                                    const std::vector<int>& extras)
{
    std::vector<std::string> lines = {std::to_string(rect.left), std::to_string(rect.right),
                                      std::to_string(rect.top), std::to_string(rect.bottom)};
    for (const int extra : extras)
        lines.push_back(std::to_string(extra));
    return writeLinesCrLf(path, lines);
}

}  // namespace quillon
