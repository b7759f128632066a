#include "monitoring/DetailedViewModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace quillon {

namespace {

constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;

std::string boundedCount(long long count)
{
    return std::to_string(std::clamp<long long>(count, 0, kCountShownLimit));
}

std::string percentText(int percent)
{
    return std::to_string(std::clamp(percent, 0, kPercentShownLimit));
}

// "a" for one station, "a/b" for two.
template <typename Format>
std::string perStation(const MachineRecord& record, Format format)
{
    std::string text = format(record.stations[0]);
    if (record.twoStations()) {
        text += '/';
        text += format(record.stations[1]);
    }
    return text;
}

bool isCycleStatus(std::string_view status)
{
    return status.starts_with(kCycleOnWords) || status.starts_with(kCycleOffWords);
}

bool inCycle(std::string_view status)
{
    return status.find(kCycleOnWords) != std::string_view::npos;
}

// A two-station machine reports its stations' cycles as "CYCLE ON\OFF" and the like:
// the first word pair for station 1, the word after the backslash for station 2. Without
// that word both stations are as the first says.
std::array<bool, 2> stationsOn(std::string_view status)
{
    const bool first = status.starts_with(kCycleOnWords);
    bool second = first;
    if (const std::size_t slash = status.find('\\'); slash != std::string_view::npos) {
        const std::string_view rest = status.substr(slash + 1);
        if (rest == "ON")
            second = true;
        else if (rest == "OFF")
            second = false;
    }
    return {first, second};
}

std::string partNumberText(const MachineRecord& record)
{
    std::string text = record.stations[0].partNumber;
    if (record.twoStations() && record.stations[1].partNumber != text) {
        text += '/';
        text += record.stations[1].partNumber;
    }
    if (text.size() > kPartNumberShown)
        text.resize(kPartNumberShown);
    return text;
}

std::string oeeText(const MachineRecord& record)
{
    const auto value = [&](int StationFigures::*field) {
        return perStation(record, [&](const StationFigures& s) { return percentText(s.*field); });
    };
    std::string text = "A:" + value(&StationFigures::availability) +
                       " P:" + value(&StationFigures::performance) + "\n";
    // A quality of 0 means the hub does not measure it.
    const bool quality = record.stations[0].quality != 0 ||
                         (record.twoStations() && record.stations[1].quality != 0);
    if (quality)
        text += "Q:" + value(&StationFigures::quality) + " ";
    text += "OEE:" + value(&StationFigures::oee);
    return text;
}

CellColors oeeBand(const MachineRecord& record)
{
    int oee = record.stations[0].oee;
    if (record.twoStations())
        oee = std::min(oee, record.stations[1].oee);
    return oeeColors(oee, record.oeeLowThreshold, record.oeeHighThreshold);
}

CycleBar currentCycleBar(const MachineRecord& record, std::int64_t now)
{
    const StationFigures& station = record.stations[0];
    CycleBar bar;
    if (record.rateMode) {
        const RateBand band = rateBand(station.nominalRate, station.rateTolerance);
        bar.low = static_cast<double>(band.low);
        bar.high = static_cast<double>(band.high);
        bar.value = std::isfinite(record.currentRate) ? record.currentRate : 0;
        bar.filled = true;
        bar.fill = rateColors(bar.value, band).background;
        bar.text = rateText(bar.value);
        return bar;
    }
    bar.low = station.minCycleSeconds;
    bar.high = station.maxCycleSeconds;
    if (!inCycle(record.status)) {
        bar.text = durationText(0);
        return bar;
    }
    const std::int64_t running = now - station.cycleStart;
    bar.value = static_cast<double>(std::max<std::int64_t>(running, 0));
    bar.filled = true;
    const bool overrun = running > station.maxCycleSeconds && !record.overrunNotHighlighted;
    bar.fill = overrun ? kLiveOrange : kLiveGreen;
    bar.text = durationText(running);
    return bar;
}

StatusCell statusCell(const MachineRecord& record, const StatusTable& table, bool blinkPhase)
{
    StatusCell cell;
    cell.text = record.status;
    cell.colors = onBackground(liveStatusColor(table, record.status));
    // An alert shows the status and its inverse in turn.
    if (record.alert && blinkPhase)
        cell.colors = {cell.colors.text, cell.colors.background};
    if (record.twoStations() && isCycleStatus(record.status)) {
        cell.split = true;
        cell.stationOn = stationsOn(record.status);
    }
    return cell;
}

}  // namespace

std::string durationText(std::int64_t seconds)
{
    if (seconds >= kDurationShownLimit)
        return std::string(kDurationTooLong);
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / kSecondsPerHour),
                  static_cast<int>(seconds / kSecondsPerMinute % kSecondsPerMinute),
                  static_cast<int>(seconds % kSecondsPerMinute));
    return text;
}

std::string rateText(double rate)
{
    if (!std::isfinite(rate))
        rate = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::clamp(rate, -1e9, 1e9));
    return text;
}

double CycleBar::fraction() const
{
    if (!filled || !(high > low))
        return filled && value > low ? 1.0 : 0.0;
    return std::clamp((value - low) / (high - low), 0.0, 1.0);
}

bool DetailedColumns::shown(DetailedColumn column) const
{
    switch (column) {
    case DetailedColumn::Count:
        return count;
    case DetailedColumn::FeedOverride:
        return feedOverride;
    case DetailedColumn::SpindleOverride:
        return spindleOverride;
    default:
        return true;
    }
}

std::string_view columnHeader(DetailedColumn column, const DetailedColumns& columns)
{
    switch (column) {
    case DetailedColumn::MachineName:
        return "MACHINE NAME";
    case DetailedColumn::Status:
        return "STATUS";
    case DetailedColumn::PartNumber:
        return "PART NUMBER";
    case DetailedColumn::Oee:
        return "Avail./Perf.\nQual./OEE [%]";
    case DetailedColumn::Count:
        return columns.pieces ? "PIECE COUNT" : "CYCLE COUNT";
    case DetailedColumn::LastCycle:
        return "LAST CYCLE";
    case DetailedColumn::CurrentCycle:
        return "CURRENT CYCLE";
    case DetailedColumn::ElapsedTime:
        return "ELAPSED TIME";
    case DetailedColumn::FeedOverride:
        return "FEED OVERRIDE";
    case DetailedColumn::SpindleOverride:
        return "SPINDLE OVERRIDE";
    }
    return {};
}

std::vector<MachineSlot> listedMachines(const std::vector<ListEntry>& entries)
{
    std::vector<MachineSlot> slots;
    for (const ListEntry& entry : entries) {
        if (entry.kind == ListEntryKind::Machine && entry.slot)
            slots.push_back(*entry.slot);
    }
    return slots;
}

DetailedViewModel::DetailedViewModel(std::vector<ListEntry> entries, const StatusTable& statuses,
                                     const MonitorViewSettings& settings, HubRequests& hub,
                                     std::function<std::int64_t()> now)
    : m_entries(shownEntries(entries)),
      m_statuses(statuses),
      m_settings(settings),
      m_now(now),
      m_startup(listedMachines(m_entries), hub, std::move(now))
{
}

void DetailedViewModel::start()
{
    m_startup.start();
}

DetailedChanges DetailedViewModel::datagramArrived(std::string_view bytes)
{
    DetailedChanges changes;
    const bool built = m_startup.rowsBuilt();
    const StartupReport report = m_startup.datagramArrived(bytes);
    if (report.startupApplied)
        m_columns = currentColumns();
    if (report.rowsReady && !built) {
        buildRows();
        changes.layout = true;
        return changes;
    }
    if (report.refreshed && built) {
        for (std::size_t index = 0; index < m_rows.size(); ++index) {
            if (m_rows[index].kind == DetailedRow::Kind::Machine &&
                m_rows[index].slot == *report.refreshed)
                refreshRow(index, changes);
        }
    }
    return changes;
}

DetailedChanges DetailedViewModel::tick()
{
    DetailedChanges changes;
    m_blinkPhase = !m_blinkPhase;
    const DetailedColumns columns = currentColumns();
    if (columns != m_columns) {
        m_columns = columns;
        changes.layout = true;
    }
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        if (m_rows[index].kind == DetailedRow::Kind::Machine)
            refreshRow(index, changes);
    }
    return changes;
}

std::optional<std::size_t> DetailedViewModel::rowOf(MachineSlot slot) const
{
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        if (m_rows[index].kind == DetailedRow::Kind::Machine && m_rows[index].slot == slot)
            return index;
    }
    return std::nullopt;
}

void DetailedViewModel::countsRestarted(MachineSlot slot)
{
    m_startup.restartCounts(slot);
    DetailedChanges ignored;
    if (const auto index = rowOf(slot))
        refreshRow(*index, ignored);
}

DetailedColumns DetailedViewModel::currentColumns() const
{
    const StartupList& startup = m_startup.startupList();
    return {startup.countsSupplied, startup.anyFeedOverride(), startup.anySpindleOverride(),
            m_settings.pieces};
}

void DetailedViewModel::buildRows()
{
    m_rows.clear();
    const std::vector<MachineSlot> listed = listedMachines(m_entries);
    for (const ListEntry& entry : m_entries) {
        if (entry.kind != ListEntryKind::Machine) {
            DetailedRow row;
            row.kind = entry.kind == ListEntryKind::MainTitle ? DetailedRow::Kind::MainTitle
                                                              : DetailedRow::Kind::SubTitle;
            row.title = entry.text;
            m_rows.push_back(std::move(row));
            continue;
        }
        // The row goes to the received machine of that name: the list's own slot first,
        // then any other the list asked for (the hub may have moved the machine).
        std::optional<MachineSlot> found;
        if (entry.slot && record(*entry.slot).name == entry.text)
            found = entry.slot;
        for (std::size_t i = 0; !found && i < listed.size(); ++i) {
            if (!m_startup.isPending(listed[i]) && record(listed[i]).name == entry.text)
                found = listed[i];
        }
        if (found && !entry.text.empty())
            m_rows.push_back(machineRow(*found));
    }
}

void DetailedViewModel::refreshRow(std::size_t index, DetailedChanges& changes)
{
    DetailedRow row = machineRow(m_rows[index].slot);
    if (row == m_rows[index])
        return;
    m_rows[index] = std::move(row);
    changes.rows.push_back(index);
}

DetailedRow DetailedViewModel::machineRow(MachineSlot slot) const
{
    const MachineRecord& record = m_startup.record(slot);
    const std::int64_t now = m_now();
    const bool running = inCycle(record.status);
    DetailedRow row;
    row.slot = slot;
    row.stations = record.twoStations() ? 2 : 1;
    row.name = record.name;
    row.number = std::to_string(static_cast<long long>(record.machineNumber) + 1);
    row.status = statusCell(record, m_statuses, m_blinkPhase);
    row.partNumber = partNumberText(record);
    row.operation = record.operation;
    row.oee = oeeText(record);
    row.oeeColors = oeeBand(record);
    if (m_columns.count)
        row.count =
            perStation(record, [](const StationFigures& s) { return boundedCount(s.goodCount); });
    const StationFigures& first = record.stations[0];
    if (record.rateMode) {
        row.lastCycle = rateText(record.lastRate);
        row.lastCycleColors =
            rateColors(record.lastRate, rateBand(first.nominalRate, first.rateTolerance));
    } else {
        row.lastCycle = perStation(
            record, [](const StationFigures& s) { return durationText(s.lastCycleSeconds); });
        row.lastCycleColors = cycleTimeColors(first.lastCycleSeconds, first.minCycleSeconds,
                                              first.maxCycleSeconds, record.overrunNotHighlighted);
    }
    row.currentCycle = currentCycleBar(record, now);
    row.elapsed = perStation(
        record, [now](const StationFigures& s) { return durationText(now - s.elapsedStart); });
    // Each station of a two-station machine feeds only while its own cycle runs.
    std::array<bool, 2> feeding = {running, running};
    if (record.twoStations() && isCycleStatus(record.status))
        feeding = stationsOn(record.status);
    for (std::size_t station = 0; station < 2; ++station)
        row.feedOverride[station] =
            feeding[station]
                ? std::clamp(record.stations[station].feedOverride, 0, kPercentShownLimit)
                : 0;
    row.spindleOverride = running ? std::clamp(record.spindleOverride, 0, kPercentShownLimit) : 0;
    return row;
}

}  // namespace quillon
