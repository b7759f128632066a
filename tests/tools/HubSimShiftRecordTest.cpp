// The simulated hub's shift record files, read back by the program's own record reader and
// found under the names the program looks for.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "hubsim/HubFolder.h"
#include "hubsim/ShiftRecorder.h"
#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftRecord.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon::hubsim {
namespace {

// 2026-12-08 06:00 UTC, the start of a shift: midnight in the shop's zone.
constexpr std::int64_t kShiftStart = 1796709600;
constexpr std::int64_t kShiftEnd = kShiftStart + kShiftSeconds;

std::string bytesOf(const std::filesystem::path& path)
{
    return readFile(path.string()).value_or("");
}

// A file's lines after checking what every record file promises: nothing but records,
// whole lines, times that never go back, "_SH_START" first and, once the shift is
// archived, "_SH_END" last (and nowhere before).
std::vector<std::string> checkedLines(const std::filesystem::path& path, bool archived)
{
    SCOPED_TRACE(path.string());
    const std::string bytes = bytesOf(path);
    std::vector<std::string> lines;
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\n') << "a half line at the end";
    std::int64_t previous = 0;
    LineReader reader(bytes);
    while (const auto line = reader.next()) {
        const auto record = parseShiftRecord(*line);
        if (!record) {
            ADD_FAILURE() << "no record: " << *line;
            continue;
        }
        EXPECT_GE(record->time, previous) << *line;
        previous = record->time;
        lines.emplace_back(*line);
    }
    if (lines.empty())
        return lines;
    EXPECT_EQ(parseShiftRecord(lines.front())->event, ShiftEvent::ShiftStart);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_NE(parseShiftRecord(lines[i])->event, ShiftEvent::ShiftEnd) << lines[i];
    EXPECT_EQ(parseShiftRecord(lines.back())->event == ShiftEvent::ShiftEnd, archived);
    return lines;
}

std::vector<std::filesystem::path> archivedFiles(const std::string& hub)
{
    std::vector<std::filesystem::path> files;
    const auto root = std::filesystem::path(hub) / kMonitoringFolder;
    if (std::filesystem::exists(root))
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::optional<int> stationNumber(const Machine& machine, int station)
{
    return machine.kind == StationKind::Single ? std::nullopt : std::optional<int>(station + 1);
}

std::filesystem::path currentFile(const std::string& hub, const Machine& machine, int station)
{
    return std::filesystem::path(hub) / paths::normalizeSeparators(currentShiftFileName(
                                            machine.slot, stationNumber(machine, station)));
}

// A hub at work: the model and a live recorder writing below a temporary hub folder.
struct LiveHub {
    explicit LiveHub(const ModelSettings& settings, std::int64_t start = kShiftStart)
        : hub(dir.path("hub")),
          recorder(hub, settings.seed, ShiftRecorder::Mode::Live),
          model(settings, start, &recorder)
    {
    }
    void runTo(std::int64_t time)
    {
        model.advanceTo(time);
        const WriteResult flushed = recorder.flush();
        EXPECT_TRUE(flushed.ok) << flushed.error;
    }

    test::TempWorkDir dir;
    std::string hub;
    ShiftRecorder recorder;
    HubModel model;
};

TEST(HubSimShiftRecords, AFullShiftIsWrittenAsRecordsAReaderCanOpenAtAnyMoment)
{
    test::ScopedTimeZone zone;
    LiveHub live({40, 4});
    std::map<std::string, std::string> seen;  // current file -> what it held last
    for (std::int64_t t = kShiftStart + 1200; t < kShiftEnd; t += 1200) {
        live.runTo(t);
        for (const Machine& m : live.model.machines())
            for (int s = 0; s < m.stationCount(); ++s) {
                const auto path = currentFile(live.hub, m, s);
                const std::string bytes = bytesOf(path);
                // The file only grows, by whole lines.
                std::string& before = seen[path.string()];
                EXPECT_EQ(bytes.compare(0, before.size(), before), 0) << path;
                ASSERT_FALSE(bytes.empty()) << path;
                EXPECT_EQ(bytes.back(), '\n') << path;
                before = bytes;
            }
    }
    live.runTo(kShiftEnd + 3600);

    std::set<ShiftEvent> events;
    std::set<std::string> statuses;
    bool printMarks = false;
    std::size_t stations = 0;
    for (const Machine& m : live.model.machines()) {
        for (int s = 0; s < m.stationCount(); ++s) {
            ++stations;
            const auto archived = std::filesystem::path(live.hub) /
                                  paths::normalizeSeparators(archivedShiftFilePath(
                                      kShiftStart, m.name, 1, m.kind, stationNumber(m, s)));
            // The shift ended: what the current file held is the archive's beginning.
            const std::string bytes = bytesOf(archived);
            const std::string& before = seen[currentFile(live.hub, m, s).string()];
            EXPECT_EQ(bytes.compare(0, before.size(), before), 0) << archived;
            for (const std::string& line : checkedLines(archived, true)) {
                const auto record = parseShiftRecord(line);
                events.insert(record->event);
                if (record->event == ShiftEvent::Status)
                    statuses.insert(std::string(record->text));
                printMarks = printMarks || line.find(",_DPRINT_") != std::string::npos;
            }
            checkedLines(currentFile(live.hub, m, s), false);
        }
    }
    EXPECT_EQ(archivedFiles(live.hub).size(), stations);
    EXPECT_EQ(live.recorder.archivedFiles(), stations);
    for (const ShiftEvent event :
         {ShiftEvent::ShiftStart, ShiftEvent::ShiftEnd, ShiftEvent::CycleOn,
          ShiftEvent::CycleOnSpindle, ShiftEvent::CycleOnShaded, ShiftEvent::CycleOff,
          ShiftEvent::NoOstler, ShiftEvent::Setup, ShiftEvent::CycleCount, ShiftEvent::PartNumber,
          ShiftEvent::Operator, ShiftEvent::Employee})
        EXPECT_TRUE(events.count(event)) << "no event " << static_cast<int>(event);
    for (const char* status : {"LOADING", "ALARM", "FEED HOLD", "TOOL CHANGE"})
        EXPECT_TRUE(statuses.count(status)) << status;
    EXPECT_TRUE(printMarks);
}

TEST(HubSimShiftRecords, TheShiftRollsOverAtItsEnd)
{
    test::ScopedTimeZone zone;
    LiveHub live({6, 9});
    live.runTo(kShiftEnd - 1);
    EXPECT_TRUE(archivedFiles(live.hub).empty());
    const Machine& m = live.model.machines().front();
    const auto current = currentFile(live.hub, m, 0);
    const std::string before = bytesOf(current);

    live.runTo(kShiftEnd);
    const auto archived = std::filesystem::path(live.hub) / "_MONITORING" / "2026-12" /
                          ("MON08_" + m.name + "_SHIFT1" +
                           (m.kind == StationKind::TwoHeads     ? "_HEAD1"
                            : m.kind == StationKind::TwoPallets ? "_PALLET1"
                                                                : "") +
                           ".MON");
    const auto lines = checkedLines(archived, true);
    EXPECT_EQ(bytesOf(archived).compare(0, before.size(), before), 0);
    EXPECT_EQ(recordTime(lines.back()), kShiftEnd);

    // The next shift starts a new current file at the same moment, with the job and the
    // operator, and the state the machine is in.
    const auto next = checkedLines(current, false);
    ASSERT_GE(next.size(), 5u);
    for (const std::string& line : next)
        EXPECT_EQ(recordTime(line), kShiftEnd) << line;
    EXPECT_EQ(parseShiftRecord(next[1])->event, ShiftEvent::PartNumber);
    EXPECT_EQ(parseShiftRecord(next[1])->text, m.stations[0].partNumber);
    EXPECT_EQ(parseShiftRecord(next[2])->event, ShiftEvent::Operator);
    EXPECT_EQ(parseShiftRecord(next[3])->event, ShiftEvent::Employee);
}

TEST(HubSimShiftRecords, ArchivesGoToTheMonthAndDayTheirShiftStarted)
{
    // Shift 3 of 30 November runs into December and stays in November's folder.
    test::ScopedTimeZone utc("UTC0");
    constexpr std::int64_t kDecember1st = 1796083200;  // 2026-12-01 00:00 UTC
    test::TempWorkDir dir;
    const std::string hub = dir.path("hub");
    const ModelSettings settings{1, 2};
    std::size_t files = 0;
    ASSERT_TRUE(writeShiftHistory(settings, kDecember1st + 15 * 3600, 2, hub, &files).ok);
    const HubModel model(settings, kDecember1st);
    const std::string name = model.machines().front().name;
    const StationKind kind = model.machines().front().kind;
    const std::vector<std::pair<const char*, int>> expected = {
        {"2026-11/MON29_", 2}, {"2026-11/MON29_", 3}, {"2026-11/MON30_", 1},
        {"2026-11/MON30_", 2}, {"2026-11/MON30_", 3}, {"2026-12/MON01_", 1},
    };
    std::set<std::string> wanted;
    for (const auto& [start, shift] : expected) {
        const std::string base = std::string(start) + name + "_SHIFT" + std::to_string(shift);
        if (kind == StationKind::Single)
            wanted.insert(base + ".MON");
        for (int station = 1; kind != StationKind::Single && station <= 2; ++station)
            wanted.insert(base + (kind == StationKind::TwoHeads ? "_HEAD" : "_PALLET") +
                          std::to_string(station) + ".MON");
    }
    std::set<std::string> written;
    for (const auto& path : archivedFiles(hub))
        written.insert(path.parent_path().filename().string() + "/" + path.filename().string());
    EXPECT_EQ(written, wanted);
    EXPECT_EQ(files, wanted.size());
}

// Record events of two station files in time order, the second station's first at a tie.
std::vector<std::pair<int, ShiftRecord>> merged(const std::vector<std::string>& one,
                                                const std::vector<std::string>& two)
{
    std::vector<std::pair<int, ShiftRecord>> all;
    for (const std::string& line : one)
        all.emplace_back(0, *parseShiftRecord(line));
    for (const std::string& line : two)
        all.emplace_back(1, *parseShiftRecord(line));
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.second.time < b.second.time; });
    return all;
}

bool isInfo(ShiftEvent event)
{
    return event == ShiftEvent::PartNumber || event == ShiftEvent::Operator ||
           event == ShiftEvent::Employee || event == ShiftEvent::CycleCount ||
           event == ShiftEvent::ShiftStart;
}

TEST(HubSimShiftRecords, TwoStationMachinesWriteAFilePerStation)
{
    test::ScopedTimeZone zone;
    LiveHub live({40, 4});
    live.runTo(kShiftEnd - 60);
    int heads = 0, pallets = 0;
    for (const Machine& m : live.model.machines()) {
        if (m.kind == StationKind::Single) {
            for (int station = 1; station <= 2; ++station)
                EXPECT_FALSE(findCurrentShiftFile(live.hub, m.slot, station)) << m.name;
            EXPECT_TRUE(findCurrentShiftFile(live.hub, m.slot, std::nullopt)) << m.name;
            continue;
        }
        SCOPED_TRACE(m.name);
        const auto one = checkedLines(currentFile(live.hub, m, 0), false);
        const auto two = checkedLines(currentFile(live.hub, m, 1), false);
        if (m.kind == StationKind::TwoHeads) {
            // Heads cut together, so their records are the same but for the limits of
            // each head's part.
            ++heads;
            const auto withoutParts = [](std::vector<std::string> lines) {
                std::erase_if(lines, [](const std::string& line) {
                    return parseShiftRecord(line)->event == ShiftEvent::PartNumber;
                });
                return lines;
            };
            EXPECT_EQ(withoutParts(one), withoutParts(two));
            continue;
        }
        // Pallets take turns: never both in cycle once the records of a moment are read.
        ++pallets;
        std::array<bool, 2> cutting{};
        std::array<int, 2> cycles{};
        const auto all = merged(one, two);
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& [station, record] = all[i];
            if (!isInfo(record.event)) {
                cycles[static_cast<std::size_t>(station)] += isCycleOn(record.event);
                cutting[static_cast<std::size_t>(station)] = isCycleOn(record.event);
            }
            if (i + 1 == all.size() || all[i + 1].second.time != record.time) {
                EXPECT_FALSE(cutting[0] && cutting[1]) << "both at " << record.time;
            }
        }
        EXPECT_GT(cycles[0], 0);
        EXPECT_GT(cycles[1], 0);
    }
    EXPECT_GT(heads, 0);
    EXPECT_GT(pallets, 0);
}

TEST(HubSimShiftRecords, RateAndPrintMachinesMarkTheirCycles)
{
    test::ScopedTimeZone zone;
    LiveHub live({16, 4});
    live.runTo(kShiftEnd);
    int rateMachines = 0, printMachines = 0;
    for (const Machine& m : live.model.machines()) {
        const CycleReport report = cycleReportOf(m);
        if (report == CycleReport::PerCycle)
            continue;
        SCOPED_TRACE(m.name);
        const auto lines = checkedLines(
            std::filesystem::path(live.hub) / paths::normalizeSeparators(archivedShiftFilePath(
                                                  kShiftStart, m.name, 1, m.kind, std::nullopt)),
            true);
        bool open = false;
        std::int64_t openedAt = 0;
        long strokes = 0, minRate = 0, maxRate = 0;
        long runs = 0, runsWithin = 0;
        for (const std::string& line : lines) {
            const ShiftRecord r = *parseShiftRecord(line);
            if (report == CycleReport::Rate) {
                // Strokes are counted inside a run only, and every run ends with _COFF,
                // whose rate lies near the part's limits.
                if (r.event == ShiftEvent::CycleOn) {
                    EXPECT_FALSE(open) << line;
                    open = true;
                    openedAt = r.time;
                    strokes = 0;
                } else if (r.event == ShiftEvent::CycleCount) {
                    EXPECT_TRUE(open) << line;
                    strokes += r.cycles;
                    minRate = r.minRate;
                    maxRate = r.maxRate;
                } else if (r.event == ShiftEvent::CycleOff && open) {
                    if (r.time - openedAt >= 60) {
                        const long rate = strokes * 60 / static_cast<long>(r.time - openedAt);
                        ++runs;
                        runsWithin += rate >= minRate && rate <= maxRate;
                        EXPECT_GT(rate, minRate * 3 / 4)
                            << line << " strokes " << strokes << " from " << openedAt;
                        EXPECT_LT(rate, maxRate * 5 / 4) << line;
                    }
                    open = false;
                } else if (r.event != ShiftEvent::ShiftEnd && !isInfo(r.event)) {
                    EXPECT_FALSE(open) << "a run not ended before " << line;
                }
            } else {
                // A cycle marked at its start is marked at its end before the next one.
                const bool starts = line.ends_with(",_CON,_DPRINT_");
                const bool ends = line.ends_with(",_COFF,_DPRINT_");
                if (starts) {
                    EXPECT_FALSE(open) << line;
                    open = true;
                } else if (ends) {
                    EXPECT_TRUE(open) << line;
                    open = false;
                } else if (isCycleOn(r.event)) {
                    EXPECT_TRUE(open) << "a cycle resumed outside one: " << line;
                }
                runs += starts;
            }
        }
        EXPECT_GT(runs, 5);
        if (report == CycleReport::Rate) {
            ++rateMachines;
            EXPECT_GT(runsWithin, 0);
            EXPECT_LT(runsWithin, runs);
        } else {
            ++printMachines;
        }
    }
    EXPECT_GT(rateMachines, 0);
    EXPECT_GT(printMachines, 0);
}

TEST(HubSimShiftRecords, TheShiftGraphDrawsEveryArchiveOverTheWholeShift)
{
    test::ScopedTimeZone zone;
    LiveHub live({16, 4});
    live.runTo(kShiftEnd);
    // The statuses as the program learns them from the hub's colour file.
    const StatusTable table = StatusTable::parse(joinLinesCrLf(graphColorLines()));
    std::set<RateClass> rates;
    bool shaded = false;
    for (const Machine& m : live.model.machines()) {
        for (int s = 0; s < m.stationCount(); ++s) {
            const std::string bytes =
                bytesOf(std::filesystem::path(live.hub) /
                        paths::normalizeSeparators(archivedShiftFilePath(
                            kShiftStart, m.name, 1, m.kind, stationNumber(m, s))));
            SCOPED_TRACE(m.name + " station " + std::to_string(s + 1));
            const ShiftGraph graph = loadShiftGraph(bytes, table, std::nullopt);
            ASSERT_FALSE(graph.intervals.empty());
            EXPECT_EQ(graph.intervals.front().start, kShiftStart);
            EXPECT_EQ(graph.intervals.back().end, kShiftEnd);
            EXPECT_EQ(graph.spanStart, kShiftStart);
            EXPECT_EQ(graph.spanEnd, kShiftEnd);
            for (std::size_t i = 1; i < graph.intervals.size(); ++i)
                EXPECT_EQ(graph.intervals[i].start, graph.intervals[i - 1].end);
            for (const ShiftInterval& interval : graph.intervals) {
                // Every state the hub writes is one the program knows a colour of: none
                // falls back to the place of "NO Ostler".
                if (interval.colorIndex == kStatusNoOstler) {
                    EXPECT_EQ(interval.stateText, kNoOstler);
                }
                rates.insert(interval.rateClass);
                shaded = shaded || interval.shade >= 0;
            }
            EXPECT_EQ(graph.rateMode, cycleReportOf(m) == CycleReport::Rate);
        }
    }
    EXPECT_TRUE(shaded);
    EXPECT_TRUE(rates.count(RateClass::Within));
    EXPECT_TRUE(rates.count(RateClass::Below) || rates.count(RateClass::Above));
}

TEST(HubSimShiftRecords, PartRecordsCarryTheLimitsAndPiecesOfTheJob)
{
    const HubModel model({40, 4}, kShiftStart);
    bool minOnly = false;
    for (const Machine& m : model.machines()) {
        for (int s = 0; s < m.stationCount(); ++s) {
            const Station& station = m.stations[static_cast<std::size_t>(s)];
            const std::string record = partRecord(m, s);
            SCOPED_TRACE(record);
            const std::string limits = record.substr(0, record.rfind(';'));
            const auto fields = splitAtCommas(limits);
            ASSERT_GE(fields.size(), 3u);
            EXPECT_EQ(fields[0], "_PARTNO:" + station.partNumber);
            const long low = numberIn(fields[1]).value_or(-1);
            const long high = numberIn(fields[2]).value_or(-1);
            EXPECT_GT(low, 0);
            EXPECT_LE(low, high);
            if (cycleReportOf(m) != CycleReport::Rate) {
                EXPECT_EQ(low, station.minCycle);
                EXPECT_EQ(high, station.maxCycle);
            }
            EXPECT_EQ(numberIn(record.substr(record.rfind(';') + 1)), station.piecesPerCycle);
            minOnly = minOnly || record.find("_MIN_ONLY") != std::string::npos;
        }
    }
    EXPECT_TRUE(minOnly);
}

TEST(HubSimShiftRecords, HistoryFillsTheMonthFoldersTheSameWayForASeed)
{
    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    const ModelSettings settings{10, 3};
    const std::int64_t now = kShiftStart + 5000;
    std::size_t files = 0;
    ASSERT_TRUE(writeShiftHistory(settings, now, 2, dir.path("one"), &files).ok);
    std::size_t stations = 0;
    const HubModel model(settings, now);
    for (const Machine& m : model.machines())
        stations += static_cast<std::size_t>(m.stationCount());
    EXPECT_EQ(files, stations * 2 * 3);
    const auto one = archivedFiles(dir.path("one"));
    ASSERT_EQ(one.size(), files);
    for (const auto& path : one)
        checkedLines(path, true);
    // Nothing of the running shift: the hub writes that one as it happens.
    EXPECT_FALSE(std::filesystem::exists(dir.path("one/_TMP")));

    ASSERT_TRUE(writeShiftHistory(settings, now, 2, dir.path("two"), nullptr).ok);
    ASSERT_TRUE(writeShiftHistory({10, 4}, now, 2, dir.path("other"), nullptr).ok);
    const auto two = archivedFiles(dir.path("two"));
    ASSERT_EQ(two.size(), one.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(one[i].filename(), two[i].filename());
        EXPECT_EQ(bytesOf(one[i]), bytesOf(two[i])) << one[i];
    }
    // Another seed, other shifts (and other station kinds, so compare the first file).
    const auto other = archivedFiles(dir.path("other"));
    ASSERT_FALSE(other.empty());
    EXPECT_NE(bytesOf(one.front()), bytesOf(other.front()));

    ASSERT_TRUE(writeShiftHistory(settings, now, 0, dir.path("none"), &files).ok);
    EXPECT_EQ(files, 0u);
}

TEST(HubSimShiftRecords, AFolderThatCannotBeWrittenIsReported)
{
    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    dir.write("taken", "a file where the hub folder should go");
    const std::string hub = dir.path("taken");

    const WriteResult history = writeShiftHistory({3, 1}, kShiftStart + 60, 1, hub, nullptr);
    EXPECT_FALSE(history.ok);
    EXPECT_NE(history.error.find("taken"), std::string::npos) << history.error;

    ShiftRecorder recorder(hub, 1, ShiftRecorder::Mode::Live);
    HubModel model({3, 1}, kShiftStart + 60, &recorder);
    const WriteResult current = recorder.flush();
    EXPECT_FALSE(current.ok);
    EXPECT_NE(current.error.find("MonitorData"), std::string::npos) << current.error;
    // The failure is told once; the hub goes on and tells the next one.
    EXPECT_TRUE(recorder.flush().ok);
    model.advanceTo(kShiftEnd + 60);
    EXPECT_FALSE(recorder.flush().ok);
}

}  // namespace
}  // namespace quillon::hubsim
