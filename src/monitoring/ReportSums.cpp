// The report windows' sums, the checks of a saved report and the compressed shift: the
// readers of a report's text once the selection has made it.
#include <algorithm>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "monitoring/StatusReport.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// Calls onLine with every report line of the text; headers, blank and damaged lines are
// left out.
template <typename OnLine>
void forEachReportLine(std::string_view text, OnLine onLine)
{
    LineReader lines(text, std::string_view::npos);
    while (const auto line = lines.next()) {
        if (line->find(kReportHeaderMark) != std::string_view::npos)
            continue;
        if (const auto view = viewReportLine(*line))
            onLine(*view);
    }
}

// Indexes of texts in order of first appearance, with room for a limited number.
class FirstSeen {
public:
    explicit FirstSeen(std::size_t room) : m_room(room) {}

    // The text's index; nothing when it came after the room was full.
    std::optional<std::size_t> indexOf(std::string_view text)
    {
        const std::string key(text);
        if (const auto found = m_index.find(key); found != m_index.end())
            return found->second;
        if (m_texts.size() >= m_room) {
            m_dropped.insert(key);
            return std::nullopt;
        }
        m_index.emplace(key, m_texts.size());
        m_texts.push_back(key);
        return m_texts.size() - 1;
    }

    std::vector<std::string>& texts() { return m_texts; }
    std::size_t dropped() const { return m_dropped.size(); }

private:
    std::size_t m_room;
    std::unordered_map<std::string, std::size_t> m_index;
    std::unordered_set<std::string> m_dropped;
    std::vector<std::string> m_texts;
};

// Minutes cut to the whole number a pie's label shows: 0.49 added first, so that a total a
// hair above the half (10.52) goes up and one on the half (10.50) stays.
constexpr double kPieTotalRounding = 0.49;

}  // namespace

// ---- Sums ------------------------------------------------------------------------------

double ReportSums::total(std::size_t key) const
{
    return std::accumulate(minutes[key].begin(), minutes[key].end(), 0.0);
}

std::vector<double> ReportSums::percent(std::size_t key) const
{
    const double sum = total(key);
    std::vector<double> shares(minutes[key].size(), 0.0);
    if (sum > 0) {
        std::transform(minutes[key].begin(), minutes[key].end(), shares.begin(),
                       [sum](double value) { return value * 100.0 / sum; });
    }
    return shares;
}

long long ReportSums::shownTotal(std::size_t key) const
{
    // A damaged file may claim more minutes than a whole number holds: the label stops at
    // the largest rather than wrapping round to a negative.
    const double shown = total(key) + kPieTotalRounding;
    constexpr auto kLargest = std::numeric_limits<long long>::max();
    return shown < static_cast<double>(kLargest) ? static_cast<long long>(shown) : kLargest;
}

std::string ReportSums::pieLabel(std::size_t key) const
{
    return keys[key] + " / Total: " + std::to_string(shownTotal(key)) + " [min]";
}

ReportSums sumReport(std::string_view reportText, ReportGrouping grouping, std::size_t mostKeys,
                     std::size_t mostStatuses)
{
    ReportSums sums;
    sums.grouping = grouping;
    FirstSeen keys(mostKeys);
    FirstSeen statuses(mostStatuses);
    forEachReportLine(reportText, [&](const ReportLineView& line) {
        if (line.isPartNumber() || !line.elapsedSeconds)
            return;
        const auto key =
            keys.indexOf(grouping == ReportGrouping::PerDate ? line.dateText : line.machine);
        const auto status = statuses.indexOf(line.status);
        if (!key || !status)
            return;
        if (*key >= sums.minutes.size())
            sums.minutes.resize(*key + 1);
        auto& row = sums.minutes[*key];
        if (*status >= row.size())
            row.resize(*status + 1, 0.0);
        row[*status] += *line.elapsedSeconds / 60.0;
    });
    sums.keys = std::move(keys.texts());
    sums.statuses = std::move(statuses.texts());
    sums.minutes.resize(sums.keys.size());
    for (auto& row : sums.minutes)
        row.resize(sums.statuses.size(), 0.0);
    sums.droppedKeys = keys.dropped();
    sums.droppedStatuses = statuses.dropped();
    return sums;
}

std::optional<ReportSums> sumsForKind(std::string_view reportText, ReportKind kind)
{
    switch (kind) {
    case ReportKind::Graph:
        return sumReport(reportText, ReportGrouping::PerDate, kReportMostDates,
                         kReportMostBarStatuses);
    case ReportKind::PiePerDate:
        return sumReport(reportText, ReportGrouping::PerDate, kReportMostPies,
                         kReportMostPieSlices);
    case ReportKind::PiePerMachine:
        return sumReport(reportText, ReportGrouping::PerMachine, kReportMostPies,
                         kReportMostPieSlices);
    case ReportKind::None:
        break;
    }
    return std::nullopt;
}

// ---- "View saved .CSV" -----------------------------------------------------------------

std::string checkSavedReportText(std::string_view bytes, ReportKind kind)
{
    std::unordered_set<std::string_view> machines;
    std::unordered_set<std::string_view> dates;
    bool corrupt = false;
    bool records = false;
    LineReader lines(bytes, std::string_view::npos);
    while (const auto next = lines.next()) {
        const std::string_view line = *next;
        if (line.empty() || line.find(kReportHeaderMark) != std::string_view::npos)
            continue;
        // The machines are counted before the lines are judged: a file of another kind
        // with many first columns says so rather than being called corrupt.
        machines.insert(line.substr(0, line.find(',')));
        const auto view = viewReportLine(line);
        if (!view) {
            corrupt = true;
            continue;
        }
        dates.insert(view->dateText);
        // A record is what the charts sum: a status with its time.
        records = records || (!view->isPartNumber() && view->elapsedSeconds);
    }
    if (machines.size() > kReportMostMachines)
        return std::string(kSavedReportTooManyMachines);
    if (corrupt)
        return std::string(kSavedReportCorrupt);
    if (dates.size() > kReportMostDates)
        return std::string(kSavedReportTooManyDays);
    if (!records)
        return std::string(kRecordsNotFound);
    if (kind == ReportKind::None)
        return std::string(kNoReportKind);
    return {};
}

namespace {

bool hasCsvExtension(std::string_view path)
{
    constexpr std::string_view kExtension = ".csv";
    if (path.size() < kExtension.size())
        return false;
    const std::string_view tail = path.substr(path.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

}  // namespace

SavedReport checkSavedReport(const std::string& path, ReportKind kind)
{
    SavedReport saved;
    if (!hasCsvExtension(path)) {
        saved.message = kSavedReportExtension;
        return saved;
    }
    auto bytes = readFile(path);
    if (!bytes) {
        saved.message = kSavedReportReadError;
        return saved;
    }
    saved.message = checkSavedReportText(*bytes, kind);
    if (saved.ok())
        saved.reportText = std::move(*bytes);
    return saved;
}

// ---- "Compressed shift" ----------------------------------------------------------------
//
// A shop reads a compressed report to see how a shift was spent, not when each interval
// fell: the intervals of one machine, day, shift, station and status become one line.
//
//   LATHE-1,12/08/2026,1,06:00:00,06:42:10,2530,CYCLE ON,0,     LATHE-1,...,1,06:00:00,
//   LATHE-1,12/08/2026,1,06:42:10,06:50:00,470,SETUP,0,     ->    07:30:00,4930,CYCLE ON,0,
//   LATHE-1,12/08/2026,1,06:50:00,07:30:00,2400,CYCLE ON,0,     LATHE-1,...,1,06:42:10,
//                                                                  06:50:00,470,SETUP,0,
//
// Part-number lines join only with the same part number, so every part of the shift stays
// named once.

namespace {

struct CompressedGroup {
    ReportLine line;  // the first line, its end time and elapsed time updated
    std::string partNumber;
};

struct MachineDay {
    std::vector<CompressedGroup> groups;
};

struct Day {
    std::unordered_map<std::string, std::size_t> machineIndex;
    std::vector<MachineDay> machines;
};

bool joins(const CompressedGroup& group, const ReportLineView& line)
{
    const ReportLine& first = group.line;
    return first.shift == line.shift && first.headPallet == line.headPallet &&
           first.status == line.status &&
           first.elapsedSeconds.has_value() == line.elapsedSeconds.has_value() &&
           (!line.isPartNumber() || group.partNumber == line.comment);
}

ReportLine ownedLine(const ReportLineView& view)
{
    return ReportLine{std::string(view.machine),
                      view.date,
                      view.shift,
                      std::string(view.startTime),
                      std::string(view.endTime),
                      view.elapsedSeconds,
                      std::string(view.status),
                      view.headPallet,
                      std::string(view.comment)};
}

}  // namespace

std::string compressReport(std::string_view reportText)
{
    std::unordered_map<std::string_view, std::size_t> dayIndex;
    std::vector<Day> days;
    forEachReportLine(reportText, [&](const ReportLineView& line) {
        const auto [dayAt, newDay] = dayIndex.try_emplace(line.dateText, days.size());
        if (newDay)
            days.emplace_back();
        Day& day = days[dayAt->second];
        const auto [machineAt, newMachine] =
            day.machineIndex.try_emplace(std::string(line.machine), day.machines.size());
        if (newMachine)
            day.machines.emplace_back();
        auto& groups = day.machines[machineAt->second].groups;
        const auto group = std::find_if(groups.begin(), groups.end(),
                                        [&](const auto& each) { return joins(each, line); });
        if (group == groups.end()) {
            groups.push_back({ownedLine(line), std::string(line.comment)});
            return;
        }
        group->line.endTime = line.endTime;
        if (line.elapsedSeconds)
            *group->line.elapsedSeconds += *line.elapsedSeconds;
    });

    std::string text(kTempReportHeader);
    for (const Day& day : days) {
        for (const MachineDay& machine : day.machines) {
            for (const CompressedGroup& group : machine.groups) {
                text += formatReportLine(group.line);
                text += '\n';
            }
        }
    }
    return text;
}

}  // namespace quillon
