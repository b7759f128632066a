#include "bridge/BridgeJson.h"

#include <gtest/gtest.h>

#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

// 2026-12-09 12:34:56 UTC: 06:34:56 in the shop's winter time (UTC-6).
constexpr std::int64_t kNoon = 1'796'819'696;

MachineSnapshot lathe()
{
    MachineSnapshot state;
    state.slot = {0, 2};
    state.name = "LATHE \"3\"";
    state.number = 3;
    state.status = "CYCLE ON";
    state.statusSince = kNoon - 60;
    StationSnapshot station;
    station.partNumber = "P-100";
    station.goodCount = 7;
    station.totalCount = 8;
    station.lastCycleSeconds = 61;
    station.idealCycleSeconds = 55;
    station.minCycleSeconds = 10;
    station.maxCycleSeconds = 100;
    station.feedOverride = 95;
    station.availability = 85;
    station.performance = 90;
    station.quality = 99;
    station.oee = 76;
    state.stations = {station};
    state.spindleOverride = 110;
    state.time = kNoon;
    return state;
}

TEST(BridgeJson, TimesCarryTheLocalOffset)
{
    const test::ScopedTimeZone shop;
    EXPECT_EQ(isoTime(kNoon), "2026-12-09T06:34:56-06:00");
    const test::ScopedTimeZone india("IST-5:30");
    EXPECT_EQ(isoTime(kNoon), "2026-12-09T18:04:56+05:30");
}

TEST(BridgeJson, TextsAreEscapedAndLatin1BecomesUtf8)
{
    EXPECT_EQ(jsonString("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(jsonString(std::string("tab\there\x01")), R"("tab\u0009here\u0001")");
    EXPECT_EQ(jsonString("S\xE4ge \xB0"), "\"S\xC3\xA4ge \xC2\xB0\"");
}

TEST(BridgeJson, OurOwnUtf8TextsStayUtf8AndAlwaysGiveValidJson)
{
    const struct {
        const char* name;
        std::string utf8;
        std::string json;
    } rows[] = {
        {"plain, escaped", "a\"b\\c\n", R"("a\"b\\c\u000a")"},
        {"two-byte letter",
         "S\xC3\xBC"
         "d",
         "\"S\xC3\xBC"
         "d\""},
        {"euro sign", "\xE2\x82\xAC", "\"\xE2\x82\xAC\""},
        {"four-byte symbol", "\xF0\x9F\x94\xA7", "\"\xF0\x9F\x94\xA7\""},
        {"a Latin-1 byte among UTF-8", "\xE4\xC3\xA4", "\"\xC3\xA4\xC3\xA4\""},
        {"sequence cut short at the end", "x\xE2\x82", "\"x\xC3\xA2\xC2\x82\""},
        {"overlong slash", "\xC0\xAF", "\"\xC3\x80\xC2\xAF\""},
        {"surrogate half", "\xED\xA0\x80", "\"\xC3\xAD\xC2\xA0\xC2\x80\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(jsonUtf8String(row.utf8), row.json) << row.name;
}

TEST(BridgeJson, StateOfASingleStationMachineOnCycleTimes)
{
    const test::ScopedTimeZone shop;
    EXPECT_EQ(stateJson(lathe()),
              R"({"machine":"LATHE \"3\"","number":3,"hub":1,"port":3,"station_kind":"single",)"
              R"("status":"CYCLE ON","status_since":"2026-12-09T06:33:56-06:00","stations":[)"
              R"({"part_number":"P-100","good":7,"total":8,"last_cycle_s":61,"ideal_cycle_s":55,)"
              R"("min_cycle_s":10,"max_cycle_s":100,"cycle_band":"within","feed_override":95,)"
              R"("availability":85,"performance":90,"quality":99,"oee":76}],)"
              R"("spindle_override":110,"oee_band":"within","alert":false,"stale":false,)"
              R"("time":"2026-12-09T06:34:56-06:00"})");
}

TEST(BridgeJson, RateModeGivesRatesInPlaceOfCycleTimes)
{
    MachineSnapshot state = lathe();
    state.rateMode = true;
    state.lastRate = 12.5;
    state.nominalRate = 14;
    state.rateBand = Band::Below;
    state.stationKind = StationKind::TwoPallets;
    state.stations.push_back(state.stations[0]);
    const std::string json = stateJson(state);
    EXPECT_NE(json.find(R"("last_rate":12.5,"nominal_rate":14,"rate_band":"below")"),
              std::string::npos)
        << json;
    EXPECT_EQ(json.find("cycle_s"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("station_kind":"two_pallets")"), std::string::npos);
}

TEST(BridgeJson, Events)
{
    const test::ScopedTimeZone shop;
    MachineEvent status;
    status.slot = {15, 7};
    status.name = "MILL";
    status.number = 128;
    status.oldText = "IDLE";
    status.newText = "CYCLE ON";
    status.time = kNoon;
    EXPECT_EQ(eventJson(status),
              R"({"machine":"MILL","number":128,"hub":16,"port":8,"event":"status","station":1,)"
              R"("old":"IDLE","new":"CYCLE ON","time":"2026-12-09T06:34:56-06:00"})");
    MachineEvent count = status;
    count.kind = MachineEvent::Kind::Count;
    count.station = 2;
    count.oldGood = 4;
    count.newGood = 5;
    count.oldTotal = 6;
    count.newTotal = 7;
    EXPECT_NE(
        eventJson(count).find(
            R"("event":"count","station":2,"old":{"good":4,"total":6},"new":{"good":5,"total":7})"),
        std::string::npos);
}

TEST(MachineSnapshot, BandsFollowTheLiveDisplaysLimits)
{
    MachineRecord record;
    record.stations[0].minCycleSeconds = 10;
    record.stations[0].maxCycleSeconds = 100;
    record.stations[0].lastCycleSeconds = 101;
    // A machine that does not want overruns highlighted still reports them as above.
    record.overrunNotHighlighted = true;
    record.oeeLowThreshold = 60;
    record.oeeHighThreshold = 85;
    record.stationKind = StationKind::TwoHeads;
    record.stations[0].oee = 90;
    record.stations[1].oee = 59;
    const MachineSnapshot state = snapshotOf({0, 0}, record, kNoon);
    EXPECT_EQ(state.stations.size(), 2u);
    EXPECT_EQ(state.stations[0].cycleBand, Band::Above);
    EXPECT_EQ(state.oeeBand, Band::Below) << "the weaker station sets the machine's band";
}

}  // namespace
}  // namespace quillon
