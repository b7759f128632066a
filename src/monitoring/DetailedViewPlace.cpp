#include "monitoring/DetailedViewPlace.h"

#include <vector>

#include "monitoring/MonitorWindowPlace.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

constexpr std::size_t kScrollLines = 3;

}  // namespace

DetailedViewPlace parseDetailedViewPlace(std::string_view bytes)
{
    const MonitorWindowPlace stored = parseMonitorWindowPlace(bytes, kScrollLines + 1);
    DetailedViewPlace place;
    place.rect = stored.rect;
    for (std::size_t i = 0; i < kScrollLines && i < stored.extras.size(); ++i)
        place.scroll[i] = stored.extras[i];
    if (stored.extras.size() > kScrollLines)
        place.maximized = stored.extras[kScrollLines] == 1;
    return place;
}

std::string formatDetailedViewPlace(const DetailedViewPlace& place)
{
    const WindowRect rect = place.rect.value_or(WindowRect{});
    std::vector<std::string> lines = {std::to_string(rect.left), std::to_string(rect.right),
                                      std::to_string(rect.top), std::to_string(rect.bottom)};
    for (const int value : place.scroll)
        lines.push_back(std::to_string(value));
    lines.emplace_back(place.maximized ? "1" : "0");
    return joinLinesCrLf(lines);
}

std::optional<DetailedViewPlace> readDetailedViewPlace(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kDetailedPlaceFile));
    if (!bytes)
        return std::nullopt;
    return parseDetailedViewPlace(*bytes);
}

WriteResult writeDetailedViewPlace(const WorkDir& workDir, const DetailedViewPlace& place)
{
    return replaceFileAtomically(workDir.file(kDetailedPlaceFile), formatDetailedViewPlace(place));
}

}  // namespace quillon
