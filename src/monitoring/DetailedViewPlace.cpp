#include "monitoring/DetailedViewPlace.h"

#include <vector>

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

constexpr std::size_t kRectLines = 4;
constexpr std::size_t kScrollLines = 3;

}  // namespace

DetailedViewPlace parseDetailedViewPlace(std::string_view bytes)
{
    std::vector<std::int32_t> values;
    LineReader lines(bytes);
    while (const auto line = lines.next())
        values.push_back(leadingInt32(*line));
    DetailedViewPlace place;
    if (values.size() >= kRectLines) {
        WindowRect rect{values[0], values[2], values[1], values[3]};
        if (rect.left < 0) {
            rect.right -= rect.left;
            rect.left = 0;
        }
        if (rect.top < 0) {
            rect.bottom -= rect.top;
            rect.top = 0;
        }
        place.rect = rect;
    }
    for (std::size_t i = 0; i < kScrollLines && kRectLines + i < values.size(); ++i)
        place.scroll[i] = values[kRectLines + i];
    if (values.size() > kRectLines + kScrollLines)
        place.maximized = values[kRectLines + kScrollLines] == 1;
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
