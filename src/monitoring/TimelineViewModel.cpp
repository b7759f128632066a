#include "monitoring/TimelineViewModel.h"

#include <algorithm>
#include <cstdio>

#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftMerge.h"
#include "platform/LocalTime.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {
namespace {

constexpr std::uint32_t kBandGreen = 0x0000FF00;
constexpr std::uint32_t kBandRed = 0x000000FF;
constexpr std::uint32_t kBandOrange = 0x000080FF;
constexpr std::uint32_t kBlack = 0x00000000;
constexpr std::uint32_t kWhite = 0x00FFFFFF;

constexpr int kFirstShiftHour = 6;
constexpr int kShiftHours = 8;

// A station value, then "/" and station 2's for a machine of two stations.
template <typename Value>
std::string perStation(const MachineRecord& record, Value value, std::string_view separator = "/")
{
    std::string text = std::to_string(value(record.stations[0]));
    if (record.twoStations())
        text += std::string(separator) + std::to_string(value(record.stations[1]));
    return text;
}

std::string twoDigits(std::int64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
    return text;
}

// strftime's day or hour without its leading zero, so "%d" and "%I" read as on the shop's
// other screens ("8", not "08").
std::string withoutLeadingZero(std::string text)
{
    if (text.size() > 1 && text[0] == '0')
        text.erase(0, 1);
    return text;
}

}  // namespace

OeeBand oeeBand(const MachineRecord& record)
{
    int oee = record.stations[0].oee;
    if (record.twoStations())
        oee = std::min(oee, record.stations[1].oee);
    if (oee >= record.oeeHighThreshold)
        return {kBandGreen, kBlack};
    if (oee < record.oeeLowThreshold)
        return {kBandRed, kWhite};
    return {kBandOrange, kBlack};
}

TimelineHeader timelineHeader(const MachineRecord& record, std::optional<int> shift, bool pieces)
{
    const auto& first = record.stations[0];
    const auto& second = record.stations[1];
    TimelineHeader header;
    std::string& lead = header.lead;
    lead = record.name;
    lead += "  | Shift: " + (shift ? std::to_string(*shift) : std::string("-"));
    lead += "  | " + first.partNumber;
    if (record.twoStations())
        lead += " / " + second.partNumber;
    lead += pieces ? "  | Total pieces: " : "  | Total cycles: ";
    lead += perStation(record, [](const StationFigures& s) { return s.totalCount; });
    lead += pieces ? "  Good pieces: " : "  Good cycles: ";
    lead += perStation(record, [](const StationFigures& s) { return s.goodCount; });
    lead +=
        "  | Avail: " + perStation(record, [](const StationFigures& s) { return s.availability; });
    lead += " /Perf: " + perStation(record, [](const StationFigures& s) { return s.performance; });
    const bool quality = first.quality != 0 || (record.twoStations() && second.quality != 0);
    if (quality)
        lead +=
            " /Quality: " + perStation(record, [](const StationFigures& s) { return s.quality; });
    lead += " /OEE: " + perStation(record, [](const StationFigures& s) { return s.oee; });
    lead += " [%] ";
    header.band = oeeBand(record);

    if (!record.operation.empty())
        header.tail += "  | Op: " + record.operation;
    header.tail += "  | Ideal cycle: " +
                   perStation(record, [](const StationFigures& s) { return s.idealCycleSeconds; });
    header.tail += "/Last cycle: " +
                   perStation(record, [](const StationFigures& s) { return s.lastCycleSeconds; });
    header.tail += " [sec] ";
    return header;
}

int shiftNumberOf(std::int64_t shiftStart)
{
    const int hour = secondsToLocal(shiftStart).hour;
    const int sinceFirst = (hour - kFirstShiftHour + 24) % 24;
    return sinceFirst / kShiftHours + 1;
}

std::string segmentLength(std::int64_t seconds)
{
    if (seconds <= 0 || seconds >= kLongestLabelledSegment)
        return {};
    if (seconds < 60)
        return "0:" + twoDigits(seconds);
    if (seconds < 3600)
        return std::to_string(seconds / 60) + ":" + twoDigits(seconds % 60);
    return std::to_string(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           twoDigits(seconds % 60);
}

std::string segmentOverrides(const ShiftInterval& interval)
{
    std::string text;
    if (interval.feedOverride >= 0)
        text = "F:" + std::to_string(interval.feedOverride) + " %";
    std::string second;
    if (interval.spindleOverride >= 0)
        second = "S:" + std::to_string(interval.spindleOverride) + " %";
    else if (interval.rateClass != RateClass::None)
        second = std::to_string(interval.rate) + "/min";
    if (!text.empty() && !second.empty())
        text += " ";
    return text + second;
}

std::string timelineDate(std::int64_t seconds)
{
    return withoutLeadingZero(formatLocal(seconds, "%d")) + formatLocal(seconds, " %a %b %Y");
}

std::string timelineTime(std::int64_t seconds)
{
    return withoutLeadingZero(formatLocal(seconds, "%I")) + formatLocal(seconds, ":%M:%S %p");
}

std::vector<TimelineMachine> timelineMachines(const std::vector<ListEntry>& entries)
{
    std::vector<TimelineMachine> machines;
    for (const auto& entry : entries) {
        if (machines.size() == kTimelineRowLimit)
            break;
        if (entry.kind == ListEntryKind::Machine && entry.slot)
            machines.push_back({*entry.slot, entry.text});
    }
    return machines;
}

ShiftGraph loadTimelineBar(std::string_view hubDirectory, MachineSlot slot, bool twoStations,
                           const StatusTable& table, std::int64_t now)
{
    const auto bytesOf = [&](std::optional<int> station) -> std::string {
        const auto path = findCurrentShiftFile(hubDirectory, slot, station);
        if (!path)
            return {};
        return readFile(*path).value_or(std::string());
    };
    if (!twoStations)
        return loadShiftGraph(bytesOf(std::nullopt), table, now);
    const std::string first = bytesOf(1);
    const std::string second = bytesOf(2);
    // Merging two missing files would still close them "now" and draw a shift of nothing.
    if (first.empty() && second.empty())
        return {};
    return loadShiftGraph(mergeStationRecords(first, second, now), table, now);
}

TimelineReloads::TimelineReloads(int refreshSeconds) : m_period(std::clamp(refreshSeconds, 5, 120))
{
}

std::vector<MachineSlot> TimelineReloads::tick()
{
    if (!m_running || ++m_elapsed < m_period)
        return {};
    m_elapsed = 0;
    std::vector<MachineSlot> due;
    for (int i = 0; i < kMachineSlots; ++i)
        if (m_updated.test(static_cast<std::size_t>(i)))
            due.push_back(MachineSlot::ofIndex(i));
    m_updated.reset();
    return due;
}

TimelinePlace parseTimelinePlace(std::string_view bytes)
{
    TimelinePlace place;
    LineReader reader(bytes);
    std::vector<std::int32_t> numbers;
    while (auto line = reader.next())
        numbers.push_back(leadingInt32(*line));
    if (numbers.size() >= 4)
        place.window = WindowRect{numbers[0], numbers[2], numbers[1], numbers[3]};
    if (numbers.size() >= 5)
        place.maximized = numbers[4] == 1;
    if (numbers.size() >= 6)
        place.scroll = std::max(0, numbers[5]);
    return place;
}

std::string formatTimelinePlace(const TimelinePlace& place)
{
    const WindowRect window = place.window.value_or(WindowRect{});
    std::string bytes;
    for (int value : {window.left, window.right, window.top, window.bottom})
        bytes += std::to_string(value) + "\n";
    bytes += place.maximized ? "1\n" : "0\n";
    bytes += std::to_string(place.scroll) + "\n";
    return bytes;
}

TimelinePlace readTimelinePlace(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kTimelinePlaceFile));
    return bytes ? parseTimelinePlace(*bytes) : TimelinePlace{};
}

WriteResult writeTimelinePlace(const WorkDir& workDir, const TimelinePlace& place)
{
    return replaceFileAtomically(workDir.file(kTimelinePlaceFile), formatTimelinePlace(place));
}

}  // namespace quillon
