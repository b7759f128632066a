#include "monitoring/ShiftPie.h"

#include <algorithm>

#include "monitoring/ShiftRecord.h"
#include "platform/LocalTime.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr int kMinutesPerDay = 1440;

// The minute of the day of a record's local time: its hours and minutes as written.
int minuteOfDay(std::int64_t time)
{
    const LocalDateTime local = secondsToLocal(time);
    return local.hour * 60 + local.minute;
}

// The minutes from one record to the next, or nothing for a gap that is no shift time.
std::optional<int> intervalMinutes(int from, int to)
{
    int minutes = to - from;
    if (to / 60 < from / 60) {
        minutes += kMinutesPerDay;
        if (minutes > kPieLongestNightMinutes)
            return std::nullopt;
    }
    return std::max(minutes, 0);
}

// The name a record's state has in the pie, or nothing for a record that only tells
// something (part number, operator, count...) and leaves the state as it was.
std::optional<std::string_view> stateOf(const ShiftRecord& record)
{
    switch (record.event) {
    case ShiftEvent::CycleOn:
    case ShiftEvent::CycleOnShaded:
        return "_CON";
    case ShiftEvent::CycleOnSpindle:
        return "_CON,SPINDLE_ON";
    case ShiftEvent::CycleOff:
        return "_COFF";
    case ShiftEvent::NoOstler:
        return "NO Ostler";
    case ShiftEvent::Setup:
        return "_SETUP";
    case ShiftEvent::Status:
        return record.text;
    case ShiftEvent::ShiftStart:
    case ShiftEvent::ShiftEnd:
    case ShiftEvent::CycleCount:
    case ShiftEvent::PartNumber:
    case ShiftEvent::Operator:
    case ShiftEvent::Employee:
    case ShiftEvent::OperationSequence:
        break;
    }
    return std::nullopt;
}

// The minutes of every (part number, state) pair, each pair where it first came up.
class PieTally {
public:
    // False when the part number is one too many.
    bool notePart(std::string_view part)
    {
        if (part.empty() || std::ranges::find(m_named, part) != m_named.end())
            return true;
        if (m_named.size() == kPieNamedPartNumbers)
            return false;
        m_named.emplace_back(part);
        return true;
    }

    void add(std::string_view part, std::string_view state, int minutes)
    {
        const auto same = [&](const PieSlice& slice) {
            return slice.partNumber == part && slice.state == state;
        };
        if (const auto it = std::ranges::find_if(m_pairs, same); it != m_pairs.end()) {
            it->minutes += minutes;
            return;
        }
        const auto statesOfPart = std::ranges::count_if(
            m_pairs, [&](const PieSlice& slice) { return slice.partNumber == part; });
        if (static_cast<std::size_t>(statesOfPart) < kPieStatesPerPart)
            m_pairs.push_back({std::string(part), std::string(state), minutes});
    }

    std::vector<PieSlice> slices() &&
    {
        std::erase_if(m_pairs, [](const PieSlice& slice) { return slice.minutes == 0; });
        return std::move(m_pairs);
    }

private:
    std::vector<std::string> m_named;
    std::vector<PieSlice> m_pairs;
};

// "c:\hub\_MONITORING\2016-05\A0001_MILL1_SHIFT1.MON" -> "A0001 MILL1 SHIFT1".
std::string titleOf(std::string_view fileName)
{
    if (const std::size_t slash = fileName.find_last_of("/\\"); slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    if (const std::size_t dot = fileName.rfind('.'); dot != std::string_view::npos)
        fileName = fileName.substr(0, dot);
    std::string title(fileName);
    std::ranges::replace(title, '_', ' ');
    return title;
}

}  // namespace

ShiftPieLoad loadShiftPie(std::string_view bytes, std::string_view fileName)
{
    PieTally tally;
    std::string part;
    std::optional<std::string> state;
    std::optional<int> previousMinute;
    std::string firstDate;

    // Lines are read whole: a line longer than the hub ever writes is still one record.
    LineReader lines(bytes, bytes.size());
    while (const auto line = lines.next()) {
        const auto record = parseShiftRecord(*line);
        if (!record)
            continue;
        if (firstDate.empty())
            firstDate = line->substr(0, line->find(','));

        const int minute = minuteOfDay(record->time);
        if (previousMinute && state) {
            if (const auto minutes = intervalMinutes(*previousMinute, minute))
                tally.add(part, *state, *minutes);
        }
        previousMinute = minute;

        if (record->event == ShiftEvent::PartNumber) {
            if (!tally.notePart(record->text))
                return {std::nullopt, kTooManyPartNumbers};
            part = record->text;
            if (!state)
                state = "_COFF";
        } else if (record->event == ShiftEvent::ShiftEnd) {
            state.reset();
        } else if (const auto next = stateOf(*record)) {
            state = std::string(*next);
        }
    }

    ShiftPie pie;
    pie.slices = std::move(tally).slices();
    pie.title = titleOf(fileName);
    if (!firstDate.empty())
        pie.title += ' ' + firstDate;
    return {std::move(pie), {}};
}

ShiftPieLoad readShiftPie(const std::string& path)
{
    const auto bytes = readFile(path);
    if (!bytes)
        return {std::nullopt, path + kPieReadError};
    return loadShiftPie(*bytes, path);
}

}  // namespace quillon
