#include "monitoring/StatusTable.h"

#include <algorithm>

#include "monitoring/HubFiles.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr std::array<std::uint32_t, kStatusCount> kDefaultColors = {
    0x00FF00, 0x0000FF, 0xFF0000, 0x80FF80, 0x008000, 0xFFFF80, 0xFF8000, 0xFF80FF,
    0x8080FF, 0x0000FF, 0x000080, 0x0080FF, 0x00FFFF, 0x808080, 0xA00000, 0xC0C0C0,
    0x008080, 0xFF8080, 0x800080, 0x808040, 0xFF8080, 0x8000FF, 0x400000, 0x936C8E,
    0xC6D9A8, 0x008080, 0xFF8080, 0x8080FF, 0x000080, 0x0080FF, 0x00FFFF, 0x008000,
    0x000080, 0x0000C0, 0xC0FFC0, 0x0000FF, 0x008000,
};

std::optional<std::uint32_t> colorIn(std::string_view text)
{
    const auto value = numberIn(trimmed(text));
    if (!value || *value < 0 || *value > 0xFFFFFF)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

}  // namespace

bool isFixedStatusName(int index)
{
    return index == kStatusCycleOn || index == kStatusCycleOff || index == kStatusSetup ||
           (index >= kStatusLoading && index != kStatusFeedHold);
}

StatusTable StatusTable::defaults()
{
    StatusTable table;
    table.colors = kDefaultColors;
    table.names[kStatusCycleOn] = "CYCLE ON";
    table.names[kStatusCycleOff] = "CYCLE OFF";
    table.names[kStatusSetup] = "SETUP";
    table.names[kStatusLoading] = "LOADING";
    table.names[kStatusNoOstler] = std::string(kNoOstler);
    table.names[kStatusAlarm] = "ALARM";
    table.names[kStatusSpindleOn] = "SPINDLE ON";
    table.names[kStatusFeedHold] = "FEED HOLD";
    table.names[kStatusCycleOnSpindleOn] = "CYCLE ON\\SPINDLE ON";
    return table;
}

StatusTable StatusTable::parse(std::string_view bytes)
{
    StatusTable table = defaults();
    LineReader lines(bytes);
    const auto first = lines.next();
    if (!first)
        return table;
    const auto head = splitAtCommas(*first);
    if (!head.empty() && !head[0].empty() && head[0].front() == '0')
        table.gradient = false;
    if (head.size() > 1)
        table.background = colorIn(head[1]).value_or(table.background);
    if (head.size() > 2)
        table.foreground = colorIn(head[2]).value_or(table.foreground);
    for (int index = 0; index < kStatusCount; ++index) {
        const auto line = lines.next();
        if (!line)
            break;
        const auto comma = line->find(',');
        if (comma == std::string_view::npos)
            continue;
        if (const auto color = colorIn(line->substr(0, comma)))
            table.colors[static_cast<std::size_t>(index)] = *color;
        if (!isFixedStatusName(index))
            table.names[static_cast<std::size_t>(index)] = std::string(line->substr(comma + 1));
    }
    return table;
}

std::optional<int> StatusTable::find(std::string_view name, int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, kStatusCount - 1);
    for (int index = first; index <= last; ++index)
        if (!names[static_cast<std::size_t>(index)].empty() &&
            names[static_cast<std::size_t>(index)] == name)
            return index;
    return std::nullopt;
}

std::optional<std::uint32_t> StatusTable::colorOf(std::string_view name) const
{
    if (name == kNoOstler)
        return colors[kStatusNoOstler];
    const auto index = find(name);
    if (!index)
        return std::nullopt;
    return colors[static_cast<std::size_t>(*index)];
}

StatusTable readStatusTable(std::string_view hubDirectory)
{
    if (hubDirectory.empty())
        return StatusTable::defaults();
    const auto bytes = readHubFile(hubDirectory, kGraphColorFile);
    return bytes ? StatusTable::parse(*bytes) : StatusTable::defaults();
}

}  // namespace quillon
