// The timeline view's rows, header texts, segment labels, refreshes and place file.
#include "monitoring/TimelineViewModel.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/ShiftRecord.h"
#include "platform/LocalTime.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

MachineRecord lathe()
{
    MachineRecord record;
    record.name = "LATHE 3";
    auto& station = record.stations[0];
    station.partNumber = "P-100";
    station.totalCount = 48;
    station.goodCount = 45;
    station.availability = 90;
    station.performance = 80;
    station.oee = 72;
    station.idealCycleSeconds = 55;
    station.lastCycleSeconds = 61;
    record.oeeLowThreshold = 40;
    record.oeeHighThreshold = 85;
    return record;
}

MachineRecord twoHeads()
{
    MachineRecord record = lathe();
    record.stationKind = StationKind::TwoHeads;
    auto& second = record.stations[1];
    second.partNumber = "P-200";
    second.totalCount = 30;
    second.goodCount = 29;
    second.availability = 91;
    second.performance = 81;
    second.quality = 98;
    second.oee = 35;
    second.idealCycleSeconds = 25;
    second.lastCycleSeconds = 26;
    record.operation = "OP20 ROUGH";
    return record;
}

TEST(TimelineHeader, SingleStationInCycles)
{
    const TimelineHeader header = timelineHeader(lathe(), 2, false);
    EXPECT_EQ(header.lead,
              "LATHE 3  | Shift: 2  | P-100  | Total cycles: 48  Good cycles: 45"
              "  | Avail: 90 /Perf: 80 /OEE: 72 [%] ");
    EXPECT_EQ(header.tail, "  | Ideal cycle: 55/Last cycle: 61 [sec] ");
}

TEST(TimelineHeader, TwoStationsInPiecesWithQualityAndOperation)
{
    const TimelineHeader header = timelineHeader(twoHeads(), 1, true);
    EXPECT_EQ(header.lead,
              "LATHE 3  | Shift: 1  | P-100 / P-200  | Total pieces: 48/30  Good pieces: 45/29"
              "  | Avail: 90/91 /Perf: 80/81 /Quality: 0/98 /OEE: 72/35 [%] ");
    EXPECT_EQ(header.tail, "  | Op: OP20 ROUGH  | Ideal cycle: 55/25/Last cycle: 61/26 [sec] ");
}

TEST(TimelineHeader, UnknownShiftAndHostileTexts)
{
    MachineRecord record = lathe();
    record.name = std::string(200, 'N');
    record.stations[0].totalCount = -5;
    const TimelineHeader header = timelineHeader(record, std::nullopt, false);
    EXPECT_TRUE(header.lead.starts_with(std::string(200, 'N') + "  | Shift: -  |"));
    EXPECT_NE(header.lead.find("Total cycles: -5 "), std::string::npos);
}

TEST(TimelineHeader, OeeBandFollowsTheWeakerStation)
{
    struct Row {
        const char* name;
        int oee1;
        int oee2;
        StationKind kind;
        std::uint32_t fill;
        std::uint32_t text;
    };
    const Row rows[] = {
        {"at the high mark", 85, 0, StationKind::Single, 0x00FF00, 0x000000},
        {"between the marks", 84, 0, StationKind::Single, 0x0080FF, 0x000000},
        {"at the low mark", 40, 0, StationKind::Single, 0x0080FF, 0x000000},
        {"below the low mark", 39, 0, StationKind::Single, 0x0000FF, 0xFFFFFF},
        {"station 2 weaker", 95, 39, StationKind::TwoPallets, 0x0000FF, 0xFFFFFF},
        {"station 2 ignored alone", 95, 39, StationKind::Single, 0x00FF00, 0x000000},
    };
    for (const auto& row : rows) {
        MachineRecord record = lathe();
        record.stationKind = row.kind;
        record.stations[0].oee = row.oee1;
        record.stations[1].oee = row.oee2;
        const OeeBand band = oeeBand(record);
        EXPECT_EQ(band.fill, row.fill) << row.name;
        EXPECT_EQ(band.text, row.text) << row.name;
    }
}

TEST(TimelineSegments, LengthForms)
{
    struct Row {
        std::int64_t seconds;
        const char* text;
    };
    const Row rows[] = {
        {0, ""},           {-30, ""},
        {5, "0:05"},       {59, "0:59"},
        {60, "1:00"},      {754, "12:34"},
        {3599, "59:59"},   {3600, "1:00:00"},
        {3661, "1:01:01"}, {86'399, "23:59:59"},
        {86'400, ""},      {10'000'000'000, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(segmentLength(row.seconds), row.text) << row.seconds;
}

TEST(TimelineSegments, OverrideTexts)
{
    struct Row {
        const char* name;
        int feed;
        int spindle;
        RateClass rate;
        const char* text;
    };
    const Row rows[] = {
        {"both overrides", 80, 110, RateClass::None, "F:80 % S:110 %"},
        {"feed and rate", 100, -1, RateClass::Within, "F:100 % 12/min"},
        {"spindle wins over rate", -1, 0, RateClass::Above, "S:0 %"},
        {"rate alone", -1, -1, RateClass::Below, "12/min"},
        {"nothing known", -1, -1, RateClass::None, ""},
    };
    for (const auto& row : rows) {
        ShiftInterval interval;
        interval.feedOverride = row.feed;
        interval.spindleOverride = row.spindle;
        interval.rateClass = row.rate;
        interval.rate = 12;
        EXPECT_EQ(segmentOverrides(interval), row.text) << row.name;
    }
}

TEST(TimelineSegments, DateAndTimeWithoutLeadingZeros)
{
    test::ScopedTimeZone zone;
    const std::int64_t morning = *localToSeconds({2026, 12, 8, 9, 5, 7});
    EXPECT_EQ(timelineDate(morning), "8 Tue Dec 2026");
    EXPECT_EQ(timelineTime(morning), "9:05:07 AM");
    const std::int64_t evening = *localToSeconds({2026, 11, 23, 22, 0, 0});
    EXPECT_EQ(timelineDate(evening), "23 Mon Nov 2026");
    EXPECT_EQ(timelineTime(evening), "10:00:00 PM");

    EXPECT_EQ(shiftNumberOf(morning), 1);
    EXPECT_EQ(shiftNumberOf(*localToSeconds({2026, 12, 8, 14, 0, 0})), 2);
    EXPECT_EQ(shiftNumberOf(evening), 3);
    EXPECT_EQ(shiftNumberOf(*localToSeconds({2026, 12, 9, 5, 59, 0})), 3);
}

TEST(TimelineRows, AtMost32PlacedMachines)
{
    std::string list = "_MT_Hall\nNO SLOT\n";
    for (int i = 0; i < 40; ++i)
        list += "M" + std::to_string(i) + "," + std::to_string(i / 8) + "," +
                std::to_string(i % 8) + "\n";
    list += "::::10,0,0,0,1\n";
    const auto machines = timelineMachines(parseTimelineList(list).entries);
    ASSERT_EQ(machines.size(), kTimelineRowLimit);
    EXPECT_EQ(machines.front().name, "M0");
    EXPECT_EQ(machines.back().slot, (MachineSlot{3, 7}));
}

TEST(TimelineReloadsTest, OnlyUpdatedMachinesOncePerPeriod)
{
    TimelineReloads reloads(5);
    reloads.updated({2, 3});
    reloads.updated({0, 1});
    reloads.updated({2, 3});
    for (int second = 1; second < 5; ++second)
        EXPECT_TRUE(reloads.tick().empty()) << second;
    EXPECT_EQ(reloads.tick(), (std::vector<MachineSlot>{{0, 1}, {2, 3}}));

    // Nothing new: the next period reads nothing.
    for (int second = 0; second < 5; ++second)
        EXPECT_TRUE(reloads.tick().empty());

    // Stopped, the news wait for the refresh to start again.
    reloads.setRunning(false);
    reloads.updated({15, 7});
    for (int second = 0; second < 10; ++second)
        EXPECT_TRUE(reloads.tick().empty());
    reloads.setRunning(true);
    std::vector<MachineSlot> due;
    for (int second = 0; second < 5 && due.empty(); ++second)
        due = reloads.tick();
    EXPECT_EQ(due, (std::vector<MachineSlot>{{15, 7}}));
}

TEST(TimelineReloadsTest, PeriodIsKeptInRange)
{
    TimelineReloads fast(0);
    fast.updated({0, 0});
    int ticks = 1;
    while (fast.tick().empty())
        ++ticks;
    EXPECT_EQ(ticks, 5);
}

TEST(TimelinePlaceFile, RoundTripAndShortFiles)
{
    const TimelinePlace place{WindowRect{-10, 20, 900, 700}, true, 168};
    const std::string bytes = formatTimelinePlace(place);
    EXPECT_EQ(bytes, "-10\n900\n20\n700\n1\n168\n");
    EXPECT_EQ(parseTimelinePlace(bytes), place);

    EXPECT_EQ(parseTimelinePlace(""), TimelinePlace{});
    EXPECT_EQ(parseTimelinePlace("1\n2\n3\n"), TimelinePlace{});
    const TimelinePlace noFlags = parseTimelinePlace("1\r\n500\r\n2\r\n400\r\n");
    EXPECT_EQ(noFlags.window, (WindowRect{1, 2, 500, 400}));
    EXPECT_FALSE(noFlags.maximized);
    EXPECT_EQ(parseTimelinePlace("1\n2\n3\n4\n7\n-50\n").scroll, 0);
    EXPECT_FALSE(parseTimelinePlace("1\n2\n3\n4\n7\n").maximized);

    test::TempWorkDir dir;
    ASSERT_TRUE(writeTimelinePlace(dir.workDir(), place).ok);
    EXPECT_EQ(readTimelinePlace(dir.workDir()), place);
}

class TimelineBarTest : public ::testing::Test {
protected:
    void writeHub(const std::string& name, const std::string& bytes)
    {
        std::filesystem::create_directories(dir.base() + "/hub/_TMP");
        test::writeBytes(hub() + "_TMP/" + name, bytes);
    }
    std::string hub() const { return dir.base() + "/hub/"; }
    static std::int64_t at(int hour, int minute)
    {
        return *localToSeconds({2026, 12, 8, hour, minute, 0});
    }
    static std::string line(std::int64_t time, std::string_view event)
    {
        return shiftRecordLine(time, event) + "\r\n";
    }

    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    StatusTable table = StatusTable::defaults();
};

TEST_F(TimelineBarTest, OneStationEndsNow)
{
    writeHub("MonitorData21.SYS_",
             line(at(6, 0), "_SH_START") + line(at(6, 5), "_CON") + line(at(6, 20), "_COFF"));
    const ShiftGraph bar = loadTimelineBar(hub(), {2, 1}, false, table, at(7, 0));
    ASSERT_FALSE(bar.intervals.empty());
    EXPECT_EQ(bar.intervals.back().end, at(7, 0));
    EXPECT_EQ(shiftNumberOf(bar.firstTime), 1);
}

TEST_F(TimelineBarTest, TwoStationsAreMerged)
{
    writeHub("MonitorData210.SYS_",
             line(at(6, 0), "_SH_START") + line(at(6, 5), "_CON") + line(at(6, 10), "_COFF"));
    writeHub("MonitorData211.SYS_",
             line(at(6, 0), "_SH_START") + line(at(6, 8), "_CON") + line(at(6, 30), "_COFF"));
    const ShiftGraph bar = loadTimelineBar(hub(), {2, 1}, true, table, at(7, 0));
    // Cycling without a break from the first station's start to the second's end.
    std::int64_t cycleStart = 0;
    std::int64_t cycleEnd = 0;
    for (const auto& interval : bar.intervals) {
        if (interval.colorIndex != kStatusCycleOn)
            continue;
        if (cycleStart == 0)
            cycleStart = interval.start;
        EXPECT_TRUE(cycleEnd == 0 || interval.start == cycleEnd) << interval.start;
        cycleEnd = interval.end;
    }
    EXPECT_EQ(cycleStart, at(6, 5));
    EXPECT_EQ(cycleEnd, at(6, 30));
}

TEST_F(TimelineBarTest, MissingFileGivesAnEmptyBar)
{
    for (const bool twoStations : {false, true}) {
        const ShiftGraph bar = loadTimelineBar(hub(), {9, 1}, twoStations, table, at(7, 0));
        EXPECT_TRUE(bar.intervals.empty()) << twoStations;
        EXPECT_EQ(bar.spanEnd - bar.spanStart, 0) << twoStations;
    }
}

}  // namespace
}  // namespace quillon
