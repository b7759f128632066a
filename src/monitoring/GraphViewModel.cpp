#include "monitoring/GraphViewModel.h"

#include <algorithm>
#include <cctype>

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {
namespace {

constexpr std::string_view kScaleMarker = "MULT:";
constexpr std::string_view kLineMarker = "LINE;";
// A status start the hub never set reads as a small number of seconds since 1970.
constexpr std::int64_t kUnsetStatusStart = 1000;

constexpr int kPieSize = 150;
constexpr int kPieGap = 30;
// The titles take the top of the canvas.
constexpr int kFirstPieTop = 90;

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

std::optional<std::vector<int>> numbersOf(std::string_view text, std::size_t count)
{
    const auto parts = splitAtCommas(text);
    if (parts.size() != count)
        return std::nullopt;
    std::vector<int> numbers;
    for (auto part : parts) {
        const auto number = numberIn(trimmed(part));
        if (!number || *number < -1'000'000 || *number > 1'000'000)
            return std::nullopt;
        numbers.push_back(static_cast<int>(*number));
    }
    return numbers;
}

std::optional<PiePlace> parsePiePlace(std::string_view line)
{
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto machine = numbersOf(line.substr(0, colon), 2);
    const auto rect = numbersOf(line.substr(colon + 1), 4);
    if (!machine || !rect)
        return std::nullopt;
    const auto slot = MachineSlot::checked((*machine)[0], (*machine)[1]);
    if (!slot)
        return std::nullopt;
    return PiePlace{*slot, WindowRect{(*rect)[0], (*rect)[2], (*rect)[1], (*rect)[3]}};
}

}  // namespace

int currentStatusSlot(std::string_view status, const StatusTable& table)
{
    if (contains(status, "CYCLE ON") && contains(status, "SPINDLE ON"))
        return kStatusCycleOnSpindleOn;
    if (contains(status, "CYCLE ON") || status == "CYCLE OFF\\ON")
        return kStatusCycleOn;
    if (status == "LOCKED" || contains(status, "CYCLE OFF"))
        return kStatusCycleOff;
    return table.find(status).value_or(kStatusNoOstler);
}

std::array<std::int64_t, kStatusCount> pieSeconds(const MachineRecord& record,
                                                  const StatusTable& table, std::int64_t now)
{
    std::array<std::int64_t, kStatusCount> seconds{};
    for (int i = 0; i < kStatusCount; ++i)
        seconds[i] = std::max(0, record.statusSeconds[i]);

    std::int64_t start = record.stations[0].statusStart;
    if (record.twoStations())
        start = std::max(start, record.stations[1].statusStart);
    if (start < kUnsetStatusStart)
        start = now;
    seconds[currentStatusSlot(record.status, table)] += std::max<std::int64_t>(0, now - start);
    return seconds;
}

GraphViewContent buildGraphView(const std::vector<ListEntry>& entries,
                                const std::function<const MachineRecord&(MachineSlot)>& record,
                                const StatusTable& table, std::int64_t now)
{
    GraphViewContent content;
    for (const auto& entry : shownEntries(entries)) {
        if (entry.kind != ListEntryKind::Machine) {
            content.titles.push_back({entry.kind == ListEntryKind::MainTitle, entry.text});
            continue;
        }
        if (!entry.slot)
            continue;
        const MachineRecord& last = record(*entry.slot);
        content.pies.push_back({*entry.slot, entry.text, pieSeconds(last, table, now)});
    }
    return content;
}

GraphPlace parseGraphPlace(std::string_view bytes)
{
    GraphPlace place;
    LineReader reader(bytes);
    std::vector<std::string_view> header;
    while (auto line = reader.next()) {
        if (line->starts_with(kScaleMarker)) {
            const auto scale = leadingInteger(line->substr(kScaleMarker.size()));
            if (scale > 0 && scale <= 1000)
                place.scale = static_cast<int>(scale);
            continue;
        }
        if (header.size() < 4 && !line->starts_with(kLineMarker) &&
            line->find(':') == std::string_view::npos) {
            header.push_back(*line);
            if (header.size() == 4)
                place.window = WindowRect{leadingInt32(header[0]), leadingInt32(header[2]),
                                          leadingInt32(header[1]), leadingInt32(header[3])};
            continue;
        }
        if (line->starts_with(kLineMarker)) {
            const auto numbers = numbersOf(line->substr(kLineMarker.size()), 4);
            if (numbers && place.lines.size() < kGraphLineLimit)
                place.lines.push_back(
                    {(*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]});
        } else if (const auto pie = parsePiePlace(*line)) {
            const bool known = std::any_of(place.pies.begin(), place.pies.end(),
                                           [&](const PiePlace& p) { return p.slot == pie->slot; });
            if (!known)
                place.pies.push_back(*pie);
        }
    }
    return place;
}

std::string formatGraphPlace(const GraphPlace& place)
{
    const auto number = [](auto value) { return std::to_string(value) + "\n"; };
    std::string bytes = std::string(kScaleMarker) + number(place.scale);
    const WindowRect window = place.window.value_or(WindowRect{});
    bytes +=
        number(window.left) + number(window.right) + number(window.top) + number(window.bottom);
    for (const auto& pie : place.pies)
        bytes += std::to_string(pie.slot.hub) + "," + std::to_string(pie.slot.port) + ":" +
                 std::to_string(pie.rect.left) + "," + std::to_string(pie.rect.right) + "," +
                 std::to_string(pie.rect.top) + "," + number(pie.rect.bottom);
    const std::size_t lines = std::min(place.lines.size(), kGraphLineLimit);
    for (std::size_t i = 0; i < lines; ++i) {
        const auto& line = place.lines[i];
        bytes += std::string(kLineMarker) + std::to_string(line.x1) + "," +
                 std::to_string(line.y1) + "," + std::to_string(line.x2) + "," + number(line.y2);
    }
    return bytes;
}

GraphPlace readGraphPlace(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kGraphPlaceFile));
    return bytes ? parseGraphPlace(*bytes) : GraphPlace{};
}

WriteResult writeGraphPlace(const WorkDir& workDir, const GraphPlace& place)
{
    return replaceFileAtomically(workDir.file(kGraphPlaceFile), formatGraphPlace(place));
}

WindowRect newPiePlace(int n)
{
    const int perRow = (kGraphCanvasWidth - kPieGap) / (kPieSize + kPieGap);
    const int rows = (kGraphCanvasHeight - kFirstPieTop) / (kPieSize + kPieGap);
    const int row = (std::max(n, 0) / perRow) % std::max(rows, 1);
    const int column = std::max(n, 0) % perRow;
    const int left = kPieGap + column * (kPieSize + kPieGap);
    const int top = kFirstPieTop + row * (kPieSize + kPieGap);
    return {left, top, left + kPieSize, top + kPieSize};
}

std::string readBackgroundPath(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kGraphBackgroundFile));
    if (bytes) {
        LineReader reader(*bytes, kGraphBackgroundPathLimit);
        if (const auto line = reader.next(); line && !trimmed(*line).empty())
            return std::string(trimmed(*line));
    }
    return workDir.file(kDefaultGraphBackground);
}

std::optional<std::string_view> backgroundRefusal(std::string_view path, bool exists)
{
    std::string extension(path.substr(path.size() < 4 ? 0 : path.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".bmp")
        return kBackgroundNotBmp;
    if (!exists)
        return kBackgroundMissing;
    return std::nullopt;
}

WriteResult writeBackgroundPath(const WorkDir& workDir, std::string_view path)
{
    return replaceFileAtomically(workDir.file(kGraphBackgroundFile),
                                 std::string(path.substr(0, kGraphBackgroundPathLimit)) + "\n");
}

}  // namespace quillon
