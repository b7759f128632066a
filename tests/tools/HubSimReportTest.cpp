// The simulated hub's report files, read back by the program's own report and OEE readers
// and held against the shift record files of the same shifts.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include "hubsim/HubFolder.h"
#include "hubsim/ReportWriter.h"
#include "hubsim/ShiftRecorder.h"
#include "monitoring/OeeReport.h"
#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/StatusReport.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon::hubsim {
namespace {

// 2027-01-01 00:00 UTC. The shop works in UTC here, so the night shift (22:00 to 06:00)
// runs over midnight and, on the last day of the year, into the next year's files.
constexpr std::int64_t kNewYear = 1798761600;
// Two days of history before 14:00 on New Year's Day: shifts 2 and 3 of 30 December, all
// three of the 31st and shift 1 of 1 January.
constexpr std::int64_t kNow = kNewYear + 16 * 3600;
constexpr int kDays = 2;
constexpr int kShifts = kDays * kShiftsPerDay;
// Eight machines of the demonstration floor: two heads, two pallets, a rate-mode one.
const ModelSettings kFloor{8, 3, true};

std::string reportPath(const std::string& hub, const std::string& relative)
{
    return (std::filesystem::path(hub) / paths::normalizeSeparators(relative)).string();
}

std::string bytesOf(const std::string& path)
{
    return readFile(path).value_or("");
}

std::int64_t timeOf(const ReportDate& date, std::string_view clock)
{
    const auto digits = [&](std::size_t at) {
        return (clock[at] - '0') * 10 + (clock[at + 1] - '0');
    };
    return *localToSeconds({date.year, date.month, date.day, digits(0), digits(3), digits(6)});
}

// A hub folder with kDays of history written the way the program's start writes it.
struct HistoryHub {
    explicit HistoryHub(const ModelSettings& settings = kFloor, std::int64_t now = kNow,
                        int days = kDays, std::string name = "hub")
        : hub(dir.path(name)), model(settings, now)
    {
        const WriteResult folder = writeHubFolder(model, hub);
        EXPECT_TRUE(folder.ok) << folder.error;
        const WriteResult history = writeShiftHistory(settings, now, days, hub);
        EXPECT_TRUE(history.ok) << history.error;
        table = readStatusTable(hub);
        for (const Machine& m : model.machines())
            kinds[m.name] = m.kind;
    }

    std::string file(const std::string& relative) const { return reportPath(hub, relative); }

    test::TempWorkDir dir;
    std::string hub;
    HubModel model;
    StatusTable table;
    std::map<std::string, StationKind> kinds;
};

// The lines of a status report file after checking what every line promises: the
// header first, then lines the program reads at their fixed places, of the file's month
// or year, in date order, each within its day, its status one the program's table knows,
// its head/pallet value that of its machine's stations, whole lines only.
std::vector<ReportLine> checkedReportLines(const HistoryHub& hub, const ReportDate& day,
                                           bool monthly)
{
    const std::string path = hub.file(statusReportFileName(day, monthly));
    SCOPED_TRACE(path);
    const std::string bytes = bytesOf(path);
    EXPECT_TRUE(bytes.ends_with("\r\n")) << "a half line at the end";
    LineReader reader(bytes, std::string_view::npos);
    EXPECT_EQ(reader.next(), kStatusReportHeader);
    std::vector<ReportLine> lines;
    std::int64_t previous = 0;
    while (const auto text = reader.next()) {
        const auto line = parseReportLine(*text);
        if (!line) {
            ADD_FAILURE() << "unreadable: " << *text;
            continue;
        }
        EXPECT_EQ(line->date.year, day.year) << *text;
        if (monthly) {
            EXPECT_EQ(line->date.month, day.month) << *text;
        }
        const std::int64_t start = timeOf(line->date, line->startTime);
        EXPECT_GE(start, previous) << "out of date order: " << *text;
        previous = start;
        const std::int64_t dayStart = timeOf(line->date, "00:00:00");
        if (!line->elapsedSeconds) {
            ADD_FAILURE() << "no elapsed time: " << *text;
            continue;
        }
        EXPECT_GT(*line->elapsedSeconds, 0) << *text;
        EXPECT_LE(start + static_cast<std::int64_t>(*line->elapsedSeconds), dayStart + 86400)
            << "runs over midnight: " << *text;
        const std::int64_t end = timeOf(line->date, line->endTime);
        EXPECT_EQ((end - start + 86400) % 86400,
                  static_cast<std::int64_t>(*line->elapsedSeconds) % 86400)
            << *text;
        EXPECT_TRUE(line->isPartNumber() || hub.table.find(line->status)) << *text;
        const auto kind = hub.kinds.find(line->machine);
        if (kind == hub.kinds.end()) {
            ADD_FAILURE() << "no such machine: " << *text;
            continue;
        }
        if (kind->second == StationKind::Single)
            EXPECT_EQ(line->headPallet, 0) << *text;
        else
            EXPECT_TRUE(line->headPallet == 1 || line->headPallet == 2) << *text;
        lines.push_back(std::move(*line));
    }
    return lines;
}

// The station of an archived file's name: 1 or 2 for a head or pallet, 0 for one station.
int stationOfFile(std::string_view name)
{
    for (const int station : {1, 2})
        for (const std::string_view kind : {"_HEAD", "_PALLET"})
            if (name.find(std::string(kind) + std::to_string(station) + ".MON") !=
                std::string_view::npos)
                return station;
    return 0;
}

// Seconds per machine, station (0 for a single one), shift start and status.
using StatusSeconds = std::map<std::tuple<std::string, int, std::int64_t, std::string>, double>;

TEST(HubSimReports, EveryShiftIsInTheFilesOfItsMonthAndYearReadableInDateOrder)
{
    test::ScopedTimeZone utc("UTC0");
    const HistoryHub hub;
    const ReportDate december{2026, 12, 31}, january{2027, 1, 1};
    for (const auto& file : {"_MACHINE_2026-12.CSV", "_MACHINE_2027-01.CSV", "_MACHINE_2026.CSV",
                             "_MACHINE_2027.CSV"})
        EXPECT_TRUE(std::filesystem::exists(hub.file(std::string("_REPORTS/") + file))) << file;

    const auto decemberLines = checkedReportLines(hub, december, true);
    const auto januaryLines = checkedReportLines(hub, january, true);
    // A year's file is its months' files together: the same lines in the same order.
    const auto asText = [](const std::vector<ReportLine>& lines) {
        std::vector<std::string> texts;
        for (const ReportLine& line : lines)
            texts.push_back(formatReportLine(line));
        return texts;
    };
    EXPECT_EQ(asText(checkedReportLines(hub, december, false)), asText(decemberLines));
    EXPECT_EQ(asText(checkedReportLines(hub, january, false)), asText(januaryLines));

    // The night shift of New Year's Eve: begun in December's files, ended in January's.
    const auto nightOfTheYearEnd = [](const ReportLine& line) {
        return line.shift == 3 && !line.isPartNumber();
    };
    EXPECT_TRUE(std::any_of(decemberLines.begin(), decemberLines.end(), [&](const auto& l) {
        return nightOfTheYearEnd(l) && l.date == ReportDate{2026, 12, 31};
    }));
    EXPECT_TRUE(std::any_of(januaryLines.begin(), januaryLines.end(), [&](const auto& l) {
        return nightOfTheYearEnd(l) && l.startTime < "06:00:00";
    }));
    // No shift of 30 December before the history began.
    EXPECT_FALSE(std::any_of(decemberLines.begin(), decemberLines.end(), [](const auto& l) {
        return l.date == ReportDate{2026, 12, 30} && l.shift == 1;
    }));
}

TEST(HubSimReports, EveryStatusOfEveryShiftTakesAsLongAsInItsShiftGraph)
{
    test::ScopedTimeZone utc("UTC0");
    const HistoryHub hub;

    StatusSeconds reported;
    std::map<std::tuple<std::string, int, std::int64_t>, double> partSeconds;
    for (const ReportDate& day : {ReportDate{2026, 12, 1}, ReportDate{2027, 1, 1}})
        for (const ReportLine& line : checkedReportLines(hub, day, true)) {
            const std::int64_t shift = shiftStartOf(timeOf(line.date, line.startTime));
            if (line.isPartNumber())
                partSeconds[{line.machine, line.headPallet, shift}] += *line.elapsedSeconds;
            else
                reported[{line.machine, line.headPallet, shift, line.status}] +=
                    *line.elapsedSeconds;
        }

    StatusSeconds graphed;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(hub.hub) / kMonitoringFolder)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string name = entry.path().filename().string();
        const std::string machine = *machineNameOfShiftFile(name);
        const int station = stationOfFile(name);
        const ShiftGraph graph = loadShiftGraph(bytesOf(entry.path().string()), hub.table, {});
        ASSERT_FALSE(graph.intervals.empty()) << name;
        const std::int64_t shift = shiftStartOf(graph.firstTime);
        // The parts of a shift cover it whole.
        EXPECT_EQ((partSeconds[{machine, station, shift}]), kShiftSeconds) << name;
        for (const ShiftInterval& interval : graph.intervals)
            if (interval.end > interval.start)
                graphed[{machine, station, shift,
                         hub.table.names[static_cast<std::size_t>(interval.colorIndex)]}] +=
                    static_cast<double>(interval.end - interval.start);
    }
    EXPECT_GE(files, static_cast<std::size_t>(kFloor.machines * kShifts));
    EXPECT_EQ(reported, graphed);
    EXPECT_TRUE(std::any_of(reported.begin(), reported.end(), [](const auto& entry) {
        return std::get<3>(entry.first) == "CYCLE ON" && entry.second > 3600;
    }));
}

TEST(HubSimReports, OeeLinesOfEveryMachineAndShiftAddUp)
{
    test::ScopedTimeZone utc("UTC0");
    const HistoryHub hub;
    std::size_t lines = 0;
    for (const int year : {2026, 2027}) {
        SCOPED_TRACE(year);
        const std::string bytes = bytesOf(hub.file(oeeFileName(year)));
        EXPECT_TRUE(bytes.starts_with(std::string(kOeeFileHeader) + "\r\n"));
        EXPECT_TRUE(bytes.ends_with("\r\n"));
        const OeeFile file = parseOeeFile(bytes);
        EXPECT_EQ(file.unreadable, 0u);
        std::int64_t previous = 0;
        std::set<std::pair<std::string, std::int64_t>> shifts;
        for (const OeeLine& line : file.lines) {
            const std::int64_t start = *localToSeconds(line.time);
            SCOPED_TRACE(line.machine + " " + std::to_string(start));
            EXPECT_EQ(line.time.year, year);
            EXPECT_EQ(shiftStartOf(start), start) << "not a shift's start";
            EXPECT_GE(start, previous);
            previous = start;
            EXPECT_TRUE(shifts.emplace(line.machine, start).second) << "twice";
            for (const double value : line.values) {
                EXPECT_GE(value, 0);
                EXPECT_LE(value, 100);
            }
            const auto value = [&line](OeeMeasure measure) {
                return line.values[static_cast<std::size_t>(measure)];
            };
            const double product = value(OeeMeasure::Availability) *
                                   value(OeeMeasure::Performance) * value(OeeMeasure::Quality) /
                                   10000;
            EXPECT_NEAR(value(OeeMeasure::Oee), product, 0.005);
        }
        lines += file.lines.size();
    }
    // One line per machine and shift; the shift that runs now has none yet.
    EXPECT_EQ(lines, kFloor.machines * static_cast<std::size_t>(kShifts));
}

// ---------------------------------------------------------------------------------------
// The efficiency of one shift
// ---------------------------------------------------------------------------------------

constexpr std::int64_t kShiftStart = kNewYear + 6 * 3600;
constexpr std::int64_t kHour = 3600;

// A station's record file from (hours into the shift, event) pairs, with the shift's
// start, part and end around them.
std::string recordsOf(std::vector<std::pair<double, std::string>> events)
{
    std::string bytes = shiftRecordLine(kShiftStart, "_SH_START") + "\n" +
                        shiftRecordLine(kShiftStart, "_PARTNO:P100-A,90,110;1") + "\n";
    events.emplace_back(8, "_SH_END");
    for (const auto& [hours, event] : events)
        bytes +=
            shiftRecordLine(kShiftStart + static_cast<std::int64_t>(hours * kHour), event) + "\n";
    return bytes;
}

// Runs 5 of its 8 hours, one of the others in planned maintenance.
const std::string kFiveHoursRun = recordsOf(
    {{0, "_CON"}, {3, "_COFF"}, {3, "MAINTENANCE"}, {4, "_CON"}, {6, "LOADING"}, {7, "ALARM"}});

struct EfficiencyCase {
    const char* scenario;
    StationKind kind;
    std::vector<EndedStation> stations;
    ShiftEfficiency expected;
};

TEST(HubSimReports, AShiftsEfficiencyComesFromItsRunsStopsAndPieces)
{
    test::ScopedTimeZone utc("UTC0");
    const StatusTable table = StatusTable::parse(joinLinesCrLf(graphColorLines()));
    const ProductionTally made{95, 100, 16200};  // 4.5 hours of ideal cycles
    const std::string palletOne = recordsOf({{0, "_CON"}, {2, "_COFF"}});
    const std::string palletTwo = recordsOf({{0, "_COFF"}, {2, "_CON"}, {4, "_COFF"}});
    const std::vector<EfficiencyCase> cases = {
        {"maintenance is taken off the planned time, alarms and loading are not",
         StationKind::Single,
         {{kFiveHoursRun, made}},
         {71.43, 90.00, 95.00, 61.07}},
        {"cycles run faster than their ideal are held at full performance",
         StationKind::Single,
         {{kFiveHoursRun, {100, 100, 20000}}},
         {71.43, 100.00, 100.00, 71.43}},
        {"two heads cutting together run their time once and make twice",
         StationKind::TwoHeads,
         {{kFiveHoursRun, made}, {kFiveHoursRun, made}},
         {71.43, 90.00, 95.00, 61.07}},
        {"pallets taking turns run the time of both",
         StationKind::TwoPallets,
         {{palletOne, {10, 10, 2 * kHour}}, {palletTwo, {10, 10, 2 * kHour}}},
         {50.00, 100.00, 100.00, 50.00}},
        {"a shift without its operator makes nothing and reports nothing",
         StationKind::Single,
         {{recordsOf({{0, "_COFF,NO Ostler"}}), {}}},
         {0, 0, 0, 0}},
        {"a shift of nothing but maintenance has no planned time",
         StationKind::Single,
         {{recordsOf({{0, "MAINTENANCE"}}), {}}},
         {0, 0, 0, 0}},
    };
    for (const EfficiencyCase& c : cases) {
        SCOPED_TRACE(c.scenario);
        const EndedShift shift{"LATHE-1",   MachineSlot::ofIndex(0),     c.kind,
                               kShiftStart, kShiftStart + kShiftSeconds, 1,
                               c.stations};
        const ShiftEfficiency e = shiftEfficiency(shift, table);
        EXPECT_DOUBLE_EQ(e.availability, c.expected.availability);
        EXPECT_DOUBLE_EQ(e.performance, c.expected.performance);
        EXPECT_DOUBLE_EQ(e.quality, c.expected.quality);
        EXPECT_DOUBLE_EQ(e.oee, c.expected.oee);
    }
}

// ---------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------

TEST(HubSimReports, AShiftsLinesArriveWhenItEndsAndLaterShiftsAreAppended)
{
    test::ScopedTimeZone utc("UTC0");
    test::TempWorkDir dir;
    const std::string hub = dir.path("hub");
    ShiftRecorder recorder(hub, 5, ShiftRecorder::Mode::Live);
    HubModel model({4, 5}, kShiftStart + 60, &recorder);
    const std::string month = reportPath(hub, "_REPORTS/_MACHINE_2027-01.CSV");
    const std::string oee = reportPath(hub, "_REPORTS/_OEE_2027.CSV");

    model.advanceTo(kShiftStart + kShiftSeconds - 1);
    ASSERT_TRUE(recorder.flush().ok);
    EXPECT_FALSE(std::filesystem::exists(month)) << "a shift under way is not reported";

    model.advanceTo(kShiftStart + kShiftSeconds + 60);
    ASSERT_TRUE(recorder.flush().ok);
    const std::string first = bytesOf(month);
    EXPECT_TRUE(first.starts_with(std::string(kStatusReportHeader) + "\r\n"));
    EXPECT_EQ(parseOeeFile(bytesOf(oee)).lines.size(), 4u);

    model.advanceTo(kShiftStart + 2 * kShiftSeconds + 60);
    ASSERT_TRUE(recorder.flush().ok);
    const std::string second = bytesOf(month);
    EXPECT_GT(second.size(), first.size());
    EXPECT_TRUE(second.starts_with(first)) << "the file only grows";
    const auto secondShift = second.substr(first.size());
    EXPECT_NE(secondShift.find(",01/01/2027,2,14:00:00,"), std::string::npos);
    EXPECT_EQ(secondShift.find(",01/01/2027,1,"), std::string::npos);
    EXPECT_EQ(parseOeeFile(bytesOf(oee)).lines.size(), 8u);
}

struct RestartCase {
    const char* scenario;
    std::int64_t firstNow;  // the first run's start and days of history
    int firstDays;
};

TEST(HubSimReports, AHubStartedAgainWritesEveryShiftOnceAndKeepsTheOlderOnes)
{
    test::ScopedTimeZone utc("UTC0");
    // The second run always starts at kNow with kDays of history.
    const std::vector<RestartCase> cases = {
        {"the last two of four days are lived anew", kNow, 4},
        {"the new run begins where the last one stopped", kNow - kDays * 86400, kDays},
    };
    const std::vector<std::string> files = {
        "_REPORTS/_MACHINE_2026-12.CSV", "_REPORTS/_MACHINE_2026.CSV",
        "_REPORTS/_MACHINE_2027.CSV", "_REPORTS/_OEE_2026.CSV"};
    const HistoryHub alone(kFloor, kNow, kDays, "alone");
    const std::int64_t restart = shiftStartOf(kNow) - kDays * kShiftsPerDay * kShiftSeconds;
    for (const RestartCase& c : cases) {
        SCOPED_TRACE(c.scenario);
        const HistoryHub again(kFloor, c.firstNow, c.firstDays);
        std::map<std::string, std::string> before;
        for (const std::string& file : files)
            before[file] = bytesOf(again.file(file));
        ASSERT_TRUE(writeShiftHistory(kFloor, kNow, kDays, again.hub).ok);

        for (const std::string& file : files) {
            SCOPED_TRACE(file);
            const bool oee = file.find("_OEE_") != std::string::npos;
            // What the first run wrote before the restart, then what the second run wrote
            // on its own (a new file with its header).
            const std::string second = bytesOf(alone.file(file));
            const std::size_t headerEnd = second.find('\n') + 1;
            std::string expected;
            LineReader old(before[file], std::string_view::npos);
            while (const auto line = old.next()) {
                const auto report = viewReportLine(*line);
                const auto oeeLine = parseOeeLine(*line);
                const std::int64_t time =
                    oee ? (oeeLine ? *localToSeconds(oeeLine->time) : 0)
                        : (report ? timeOf(report->date, report->startTime) : 0);
                if (time < restart)
                    expected += std::string(*line) + "\r\n";
            }
            if (expected.empty())
                expected = second.substr(0, headerEnd);
            expected += second.substr(headerEnd);
            EXPECT_EQ(bytesOf(again.file(file)), expected);
        }
    }
}

}  // namespace
}  // namespace quillon::hubsim
