#include "hubsim/ReportWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>
#include <tuple>

#include "hubsim/HubFolder.h"
#include "monitoring/OeeReport.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/StatusReport.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

namespace quillon::hubsim {

namespace {

// Report lines are far shorter than this; a line is never cut when the files are reread.
constexpr std::size_t kWholeLine = std::string_view::npos;

// The hub writes its report files as it writes its setup files, for the spreadsheet on
// Windows that opens them.
constexpr std::string_view kLineEnd = "\r\n";

bool isRun(int statusIndex)
{
    return statusIndex == kStatusCycleOn || statusIndex == kStatusCycleOnSpindleOn;
}

// ---------------------------------------------------------------------------------------
// A shift as its record files tell it
// ---------------------------------------------------------------------------------------

struct PartRun {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::string partNumber;
};

struct StationShift {
    std::vector<ShiftInterval> intervals;
    std::vector<PartRun> parts;
    ProductionTally made;
};

// The parts a station ran, each from its part record to the next one or the shift's end.
// A part record followed by another at the same moment ran nothing and is left out.
std::vector<PartRun> partRunsOf(std::string_view records, std::int64_t shiftEnd)
{
    std::vector<PartRun> runs;
    LineReader lines(records, kWholeLine);
    while (const auto line = lines.next()) {
        const auto record = parseShiftRecord(*line);
        if (!record || record->event != ShiftEvent::PartNumber)
            continue;
        if (!runs.empty())
            runs.back().end = record->time;
        runs.push_back({record->time, shiftEnd, std::string(record->text)});
    }
    std::erase_if(runs, [](const PartRun& run) { return run.end <= run.start; });
    return runs;
}

std::vector<StationShift> stationsOf(const EndedShift& shift, const StatusTable& table)
{
    std::vector<StationShift> stations;
    for (const EndedStation& ended : shift.stations) {
        StationShift station;
        station.intervals = loadShiftGraph(ended.records, table, std::nullopt).intervals;
        station.parts = partRunsOf(ended.records, shift.end);
        station.made = ended.made;
        stations.push_back(std::move(station));
    }
    return stations;
}

// Seconds covered by the intervals of any station whose status passes the test: the
// stations of a machine share its stops, and two heads run at the same time.
template <typename Test>
std::int64_t coveredSeconds(const std::vector<StationShift>& stations, Test test)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    for (const StationShift& station : stations)
        for (const ShiftInterval& interval : station.intervals)
            if (test(interval.colorIndex) && interval.end > interval.start)
                spans.emplace_back(interval.start, interval.end);
    std::sort(spans.begin(), spans.end());
    std::int64_t covered = 0;
    std::optional<std::pair<std::int64_t, std::int64_t>> open;
    for (const auto& span : spans) {
        if (open && span.first <= open->second) {
            open->second = std::max(open->second, span.second);
            continue;
        }
        if (open)
            covered += open->second - open->first;
        open = span;
    }
    if (open)
        covered += open->second - open->first;
    return covered;
}

std::int64_t runSeconds(const StationShift& station)
{
    std::int64_t seconds = 0;
    for (const ShiftInterval& interval : station.intervals)
        if (isRun(interval.colorIndex))
            seconds += interval.end - interval.start;
    return seconds;
}

// A share in percent with the two decimals the file keeps, within 0..100; 0 when there is
// nothing to share.
double percentOf(double part, double whole)
{
    if (whole <= 0 || part <= 0)
        return 0;
    return std::round(std::min(part / whole, 1.0) * 10000) / 100;
}

ShiftEfficiency efficiencyOf(const std::vector<StationShift>& stations, std::int64_t length)
{
    const std::int64_t planned = length - coveredSeconds(stations, isPlannedStop);
    std::int64_t ideal = 0, run = 0;
    long long good = 0, total = 0;
    for (const StationShift& station : stations) {
        ideal += station.made.idealSeconds;
        run += runSeconds(station);
        good += station.made.goodPieces;
        total += station.made.totalPieces;
    }
    ShiftEfficiency e;
    e.availability = percentOf(static_cast<double>(coveredSeconds(stations, isRun)),
                               static_cast<double>(planned));
    e.performance = percentOf(static_cast<double>(ideal), static_cast<double>(run));
    e.quality = percentOf(static_cast<double>(good), static_cast<double>(total));
    e.oee = std::round(e.availability * e.performance * e.quality / 100) / 100;
    return e;
}

// ---------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------

ReportDate dateOf(const LocalDateTime& local)
{
    return {local.year, local.month, local.day};
}

std::string clockText(const LocalDateTime& local)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.hour, local.minute, local.second);
    return text;
}

// The local midnights within the shift: a report line is dated by the day it lies in, so
// an interval that runs over midnight is cut there and each day's lines add up to its time.
std::vector<std::int64_t> midnightsWithin(std::int64_t start, std::int64_t end)
{
    std::vector<std::int64_t> midnights;
    std::int64_t from = start;
    for (;;) {
        const ReportDate next = dateOf(secondsToLocal(from)).plusDays(1);
        const auto midnight = localToSeconds({next.year, next.month, next.day, 0, 0, 0});
        if (!midnight || *midnight >= end || *midnight <= from)
            return midnights;
        midnights.push_back(*midnight);
        from = *midnight;
    }
}

// The time a line of a report file stands for: its start, or the shift's for an OEE line;
// nothing for a header or a line that cannot be read.
std::optional<std::int64_t> lineTime(std::string_view line, bool oee)
{
    if (oee) {
        const auto parsed = parseOeeLine(line);
        return parsed ? localToSeconds(parsed->time) : std::nullopt;
    }
    const auto parsed = viewReportLine(line);
    if (!parsed || parsed->startTime.size() != 8)
        return std::nullopt;
    const auto digits = [&](std::size_t at) {
        return (parsed->startTime[at] - '0') * 10 + (parsed->startTime[at + 1] - '0');
    };
    return localToSeconds({parsed->date.year, parsed->date.month, parsed->date.day, digits(0),
                           digits(3), digits(6)});
}

// The last line of a file, read from its end, when the file ends with a whole line: a
// year's file of a big floor runs to hundreds of megabytes.
std::optional<std::string> lastLineOf(const std::string& path)
{
    constexpr std::streamoff kTail = 4096;  // many times the longest line
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    const std::streamoff size = in.tellg();
    const std::streamoff from = std::max<std::streamoff>(0, size - kTail);
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    in.seekg(from);
    if (!in.read(tail.data(), static_cast<std::streamsize>(tail.size())) || !tail.ends_with('\n'))
        return std::nullopt;
    tail.pop_back();
    if (tail.ends_with('\r'))
        tail.pop_back();
    const std::size_t cut = tail.rfind('\n');
    if (cut == std::string::npos && from > 0)
        return std::nullopt;
    return tail.substr(cut == std::string::npos ? 0 : cut + 1);
}

}  // namespace

bool isPlannedStop(int statusIndex)
{
    return statusIndex == kMaintenance;
}

ShiftEfficiency shiftEfficiency(const EndedShift& shift, const StatusTable& table)
{
    return efficiencyOf(stationsOf(shift, table), shift.end - shift.start);
}

ReportWriter::ReportWriter(std::string hubDirectory)
    : m_hubDirectory(std::move(hubDirectory)),
      // The names the program learns from GraphColor.sys, so that it finds every status of
      // a report in its table.
      m_table(StatusTable::parse(joinLinesCrLf(graphColorLines())))
{
}

void ReportWriter::shiftEnded(const EndedShift& shift)
{
    if (!m_firstShift || shift.start < *m_firstShift)
        m_firstShift = shift.start;
    const std::vector<StationShift> stations = stationsOf(shift, m_table);
    const std::vector<std::int64_t> midnights = midnightsWithin(shift.start, shift.end);

    // An interval is written in pieces that each lie within one day.
    const auto addPieces = [&](int station, std::int64_t start, std::int64_t end,
                               std::string_view status, std::string_view comment) {
        for (const std::int64_t midnight : midnights) {
            if (midnight <= start || midnight >= end)
                continue;
            addStatusLine(shift, station, start, midnight, status, comment);
            start = midnight;
        }
        if (end > start)
            addStatusLine(shift, station, start, end, status, comment);
    };
    for (std::size_t s = 0; s < stations.size(); ++s) {
        const int station = static_cast<int>(s);
        for (const PartRun& part : stations[s].parts)
            addPieces(station, part.start, part.end, kPartNumberStatus, part.partNumber);
        for (const ShiftInterval& interval : stations[s].intervals)
            addPieces(station, interval.start, interval.end,
                      m_table.names[static_cast<std::size_t>(interval.colorIndex)], {});
    }

    const ShiftEfficiency e = efficiencyOf(stations, shift.end - shift.start);
    OeeLine line;
    line.machine = shift.machine;
    line.time = secondsToLocal(shift.start);
    line.values = {e.availability, e.performance, e.quality, e.oee};
    m_oeeLines.push_back({shift.start, shift.slot.index(), 0, m_sequence++, dateOf(line.time),
                          formatOeeLine(line)});
}

void ReportWriter::addStatusLine(const EndedShift& shift, int station, std::int64_t start,
                                 std::int64_t end, std::string_view status,
                                 std::string_view comment)
{
    const LocalDateTime from = secondsToLocal(start);
    ReportLine line;
    line.machine = shift.machine;
    line.date = dateOf(from);
    line.shift = shift.shift;
    line.startTime = clockText(from);
    line.endTime = clockText(secondsToLocal(end));
    line.elapsedSeconds = static_cast<double>(end - start);
    line.status = status;
    line.headPallet = shift.kind == StationKind::Single ? 0 : station + 1;
    line.comment = comment;
    std::string text = formatReportLine(line);
    text += kLineEnd;
    m_statusLines.push_back(
        {start, shift.slot.index(), station, m_sequence++, line.date, std::move(text)});
}

WriteResult ReportWriter::flush()
{
    // Shifts end machine by machine: the lines of all of them go in by time.
    const auto byTime = [](const PendingLine& a, const PendingLine& b) {
        return std::tie(a.time, a.machine, a.station, a.sequence) <
               std::tie(b.time, b.machine, b.station, b.sequence);
    };
    std::sort(m_statusLines.begin(), m_statusLines.end(), byTime);
    std::sort(m_oeeLines.begin(), m_oeeLines.end(), byTime);

    // Every status line goes into its month's file and its year's.
    std::map<std::string, std::string> statusFiles, oeeFiles;
    std::optional<ReportDate> lastDate;
    std::string* month = nullptr;
    std::string* year = nullptr;
    for (const PendingLine& line : m_statusLines) {
        if (line.date != lastDate) {
            lastDate = line.date;
            month = &statusFiles[statusReportFileName(line.date, true)];
            year = &statusFiles[statusReportFileName(line.date, false)];
        }
        *month += line.text;
        *year += line.text;
    }
    for (const PendingLine& line : m_oeeLines)
        oeeFiles[oeeFileName(line.date.year)] += line.text;
    m_statusLines.clear();
    m_oeeLines.clear();

    WriteResult first{true, {}};
    const auto write = [&](const std::map<std::string, std::string>& files, FileKind kind) {
        for (const auto& [name, lines] : files) {
            const WriteResult written = writeFile(name, kind, lines);
            if (!written.ok && first.ok)
                first = {false, name + ": " + written.error};
        }
    };
    write(statusFiles, FileKind::StatusReport);
    write(oeeFiles, FileKind::Oee);
    return first;
}

WriteResult ReportWriter::writeFile(const std::string& relativePath, FileKind kind,
                                    std::string_view lines)
{
    const std::string path =
        (std::filesystem::path(m_hubDirectory) / paths::normalizeSeparators(relativePath))
            .string();
    if (m_written.contains(path))
        return appendToFile(path, lines);
    m_written.insert(path);

    // The first write of this run: a file from an earlier run keeps what it held before
    // the shifts lived again now, so that a restarted hub does not write them twice.
    // Mostly it ends before them (the past shifts written at the start, then the running
    // ones) and the new lines simply follow.
    const bool oee = kind == FileKind::Oee;
    const std::string_view header = oee ? kOeeFileHeader : kStatusReportHeader;
    if (const auto last = lastLineOf(path)) {
        const auto time = lineTime(*last, oee);
        if (*last == header || (time && *time < *m_firstShift))
            return appendToFile(path, lines);
    }
    std::string kept;
    if (const auto old = readFile(path)) {
        LineReader reader(*old, kWholeLine);
        bool header = true;
        while (const auto line = reader.next()) {
            if (line->empty())
                continue;
            const auto time = lineTime(*line, oee);
            if (header || !time || *time < *m_firstShift) {
                kept += *line;
                kept += kLineEnd;
            }
            header = false;
        }
    }
    if (kept.empty()) {
        kept = header;
        kept += kLineEnd;
    }
    kept += lines;
    std::error_code ignored;  // a folder that cannot be made fails the write
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return replaceFileAtomically(path, kept);
}

}  // namespace quillon::hubsim
