// The simulated hub's machines: the same shift for the same seed, and a shift that a
// monitoring client can believe.
#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "hubsim/HubDatagrams.h"
#include "hubsim/HubModel.h"
#include "hubsim/ShiftRecorder.h"

namespace quillon::hubsim {
namespace {

// 2026-12-08 06:00 UTC, the start of a shift.
constexpr std::int64_t kShiftStart = 1796709600;
static_assert(kShiftStart % kShiftSeconds == kFirstShiftOffset % kShiftSeconds);

std::vector<std::string> records(const HubModel& model)
{
    std::vector<std::string> all;
    for (const Machine& m : model.machines())
        all.push_back(recordDatagram(m, model.now()));
    return all;
}

TEST(HubSimModel, TheSameSeedLivesTheSameShiftHoweverItIsWatched)
{
    const ModelSettings settings{40, 7};
    HubModel inOneStep(settings, kShiftStart);
    HubModel minuteByMinute(settings, kShiftStart);
    HubModel otherSeed({40, 8}, kShiftStart);
    const std::int64_t later = kShiftStart + 5 * 3600 + 17;
    for (std::int64_t t = kShiftStart; t < later; t += 61)
        minuteByMinute.advanceTo(t);
    minuteByMinute.advanceTo(later);
    inOneStep.advanceTo(later);
    otherSeed.advanceTo(later);
    EXPECT_EQ(records(inOneStep), records(minuteByMinute));
    EXPECT_NE(records(inOneStep), records(otherSeed));

    // A hub started in the middle of the shift reports the shift so far.
    HubModel startedLate(settings, later);
    EXPECT_EQ(records(startedLate), records(inOneStep));
}

TEST(HubSimModel, MoreMachinesLeaveTheFirstOnesAsTheyWere)
{
    HubModel few({3, 5}, kShiftStart + 3600);
    HubModel many({128, 5}, kShiftStart + 3600);
    ASSERT_EQ(many.machines().size(), 128u);
    for (std::size_t i = 0; i < few.machines().size(); ++i)
        EXPECT_EQ(recordDatagram(few.machines()[i], few.now()),
                  recordDatagram(many.machines()[i], many.now()));
    EXPECT_EQ(many.machines()[127].slot, (MachineSlot{15, 7}));
}

TEST(HubSimModel, AShiftStaysPlausibleMinuteByMinute)
{
    HubModel model({128, 11}, kShiftStart);
    std::vector<std::array<long long, 4>> counts(model.machines().size());
    std::set<std::string_view> seen;
    std::set<StationKind> kinds;
    for (std::int64_t t = kShiftStart + 60; t < kShiftStart + kShiftSeconds; t += 60) {
        model.advanceTo(t);
        for (std::size_t i = 0; i < model.machines().size(); ++i) {
            const Machine& m = model.machines()[i];
            SCOPED_TRACE(m.name + " at " + std::to_string(t - kShiftStart));
            kinds.insert(m.kind);
            const std::string_view status = statusName(m.status);
            ASSERT_FALSE(status.empty());
            seen.insert(status);
            EXPECT_EQ(
                std::accumulate(m.statusSeconds.begin(), m.statusSeconds.end(), std::int64_t{0}),
                t - kShiftStart);
            EXPECT_LE(m.statusStart, t);
            const std::array<long long, 4> now = {
                m.stations[0].goodCount, m.stations[0].totalCount, m.stations[1].goodCount,
                m.stations[1].totalCount};
            for (std::size_t c = 0; c < now.size(); ++c)
                EXPECT_GE(now[c], counts[i][c]) << "count " << c << " went back";
            counts[i] = now;
            for (int s = 0; s < m.stationCount(); ++s) {
                const Station& station = m.stations[static_cast<std::size_t>(s)];
                EXPECT_LE(station.goodCount, station.totalCount);
                EXPECT_LE(station.cycleStart, t);
                EXPECT_LE(station.minCycle, station.maxCycle);
                const Efficiency e = m.efficiency(s, t);
                for (const int part : {e.availability, e.performance, e.quality, e.oee}) {
                    EXPECT_GE(part, 0);
                    EXPECT_LE(part, 100);
                }
                EXPECT_LE(e.oee, std::min({e.availability, e.performance, e.quality}));
            }
        }
    }
    for (const char* status :
         {"CYCLE ON", "LOADING", "NO Ostler", "ALARM", "FEED HOLD", "SETUP", "TOOL CHANGE"})
        EXPECT_TRUE(seen.count(status)) << status << " never happened";
    EXPECT_EQ(kinds.size(), 3u);

    // By the end of the shift the machines made parts at a believable pace.
    long long cycles = 0;
    for (const Machine& m : model.machines()) {
        cycles += m.stations[0].cycles;
        const Efficiency e = m.efficiency(0, model.now());
        EXPECT_GT(e.availability, 20) << m.name;
        if (m.stations[0].cycles > 0) {
            EXPECT_GT(e.performance, 60) << m.name;
        }
        if (m.kind == StationKind::Single) {
            EXPECT_EQ(m.stations[1].totalCount, 0) << m.name;
        }
    }
    EXPECT_GT(cycles, 128 * 10);
}

TEST(HubSimModel, PalletsTakeTurnsAndHeadsCutTogether)
{
    HubModel model({128, 3}, kShiftStart + kShiftSeconds - 60);
    int pallets = 0, heads = 0;
    for (const Machine& m : model.machines()) {
        const Station& one = m.stations[0];
        const Station& two = m.stations[1];
        if (m.kind == StationKind::TwoPallets) {
            ++pallets;
            EXPECT_LE(std::abs(one.cycles - two.cycles), 1) << m.name;
            EXPECT_GT(two.cycles, 0) << m.name;
        } else if (m.kind == StationKind::TwoHeads) {
            ++heads;
            EXPECT_EQ(one.cycles, two.cycles) << m.name;
        }
    }
    EXPECT_GT(pallets, 0);
    EXPECT_GT(heads, 0);
}

// The n-th comma-separated field of a record datagram, counted from 1.
std::string fieldOf(const std::string& record, std::size_t n)
{
    std::size_t start = 0;
    for (std::size_t i = 1; i < n; ++i)
        start = record.find(',', start) + 1;
    return record.substr(start, record.find(',', start) - start);
}

TEST(HubSimModel, TheDemonstrationFloorHasItsShowPiecesAndOtherwiseTheSeedsShift)
{
    const std::int64_t late = kShiftStart + kShiftSeconds - 60;
    HubModel demo({16, 4, true}, late);
    HubModel plain({16, 4}, late);
    const auto& machines = demo.machines();
    EXPECT_EQ(machines[kDemoTwoHeads].kind, StationKind::TwoHeads);
    EXPECT_EQ(machines[kDemoTwoPallets].kind, StationKind::TwoPallets);

    const Machine& rate = machines[kDemoRateMode];
    EXPECT_TRUE(rate.rateMode);
    // Its live record and its shift records both count strokes a minute, at one rate.
    EXPECT_EQ(cycleReportOf(rate), CycleReport::Rate);
    const std::string record = recordDatagram(rate, demo.now());
    EXPECT_EQ(fieldOf(record, 23), "2");
    EXPECT_EQ(fieldOf(record, 24), std::to_string(strokeRateOf(rate.stations[0])));
    EXPECT_EQ(fieldOf(record, 29), std::to_string(strokeRateOf(rate.stations[0])));

    // The operator of the outage machine was away for longer than any other one.
    const auto away = [](const Machine& m) { return m.statusSeconds[kNoOperator]; };
    for (std::size_t i = 0; i < machines.size(); ++i) {
        if (i != kDemoOutages) {
            EXPECT_GT(away(machines[kDemoOutages]), away(machines[i])) << machines[i].name;
        }
    }

    for (std::size_t i = 0; i < machines.size(); ++i) {
        if (i == kDemoTwoHeads || i == kDemoTwoPallets || i == kDemoRateMode || i == kDemoOutages)
            continue;
        EXPECT_FALSE(machines[i].rateMode);
        EXPECT_EQ(recordDatagram(machines[i], demo.now()),
                  recordDatagram(plain.machines()[i], plain.now()))
            << machines[i].name;
    }
}

TEST(HubSimModel, ANewShiftCountsFromNothing)
{
    HubModel model({20, 2}, kShiftStart + kShiftSeconds - 1);
    long long before = 0;
    for (const Machine& m : model.machines())
        before += m.stations[0].totalCount;
    ASSERT_GT(before, 0);
    model.advanceTo(kShiftStart + kShiftSeconds + 30);
    for (const Machine& m : model.machines()) {
        EXPECT_EQ(m.shiftStart, kShiftStart + kShiftSeconds);
        EXPECT_LE(m.stations[0].cycles, 1) << m.name;
        EXPECT_EQ(std::accumulate(m.statusSeconds.begin(), m.statusSeconds.end(), std::int64_t{0}),
                  30);
    }
}

TEST(HubSimModel, ClientStatusesHoldAWhileAndCycleStatusesAreTheMachines)
{
    HubModel model({4, 9}, kShiftStart + 3600);
    const MachineSlot slot{0, 1};
    struct Row {
        const char* name;
        const char* status;
        bool taken;
    };
    const Row rows[] = {
        {"a hub status", "TOOL CHANGE", true},
        {"a fixed status", "CYCLE OFF", true},
        {"the machine's own cycle", "CYCLE ON", false},
        {"an alarm is raised by the machine", "ALARM", false},
        {"an unknown word", "COFFEE", false},
        {"a comma would break the record", "CYCLE OFF,x", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string before = statusName(model.machine(slot)->status).data();
        EXPECT_EQ(model.setStatus(slot, row.status), row.taken);
        EXPECT_EQ(statusName(model.machine(slot)->status), row.taken ? row.status : before);
    }
    EXPECT_FALSE(model.setStatus({5, 0}, "CYCLE OFF"));

    const long long made = model.machine(slot)->stations[0].totalCount;
    model.advanceTo(model.now() + 9 * 60);
    EXPECT_EQ(statusName(model.machine(slot)->status), "CYCLE OFF");
    model.advanceTo(model.now() + 3 * 3600);
    EXPECT_GT(model.machine(slot)->stations[0].totalCount, made);
}

TEST(HubSimModel, ASetupWithANewPartNumberStartsTheCountAgain)
{
    HubModel model({8, 4}, kShiftStart + 4 * 3600);
    const auto single = std::find_if(model.machines().begin(), model.machines().end(),
                                     [](const Machine& m) { return m.stationCount() == 1; });
    ASSERT_NE(single, model.machines().end());
    const Machine& m = *single;
    ASSERT_GT(m.stations[0].totalCount, 0);
    const std::string part = m.stations[0].partNumber;

    SetupOrder same;
    same.partNumbers = {part, " "};
    same.minCycles = {50, 50};
    same.maxCycles = {70, 70};
    same.piecesPerCycle = {3, 250};
    ASSERT_TRUE(model.setup(m.slot, same));
    EXPECT_GT(m.stations[0].totalCount, 0);
    EXPECT_EQ(statusName(m.status), "SETUP");
    EXPECT_EQ(m.stations[0].idealCycle(), 60);
    EXPECT_EQ(m.stations[0].piecesPerCycle, 3);

    SetupOrder changed = same;
    changed.partNumbers[0] = "NEW-1";
    changed.minCycles[0] = 80;  // above its maximum: refused, nothing changes
    EXPECT_FALSE(model.setup(m.slot, changed));
    EXPECT_EQ(m.stations[0].partNumber, part);
    changed.minCycles[0] = 50;
    changed.partNumbers[0] = "";
    EXPECT_FALSE(model.setup(m.slot, changed));

    changed.partNumbers[0] = "NEW-1";
    ASSERT_TRUE(model.setup(m.slot, changed));
    EXPECT_EQ(m.stations[0].totalCount, 0);
    EXPECT_EQ(m.stations[0].goodCount, 0);
    EXPECT_EQ(m.stations[1].partNumber, "NEW-1");
    // The new job is made at its own pace.
    model.advanceTo(model.now() + 2 * 3600);
    EXPECT_GT(m.stations[0].totalCount, 0);
    EXPECT_EQ(m.stations[0].totalCount % 3, 0);
}

}  // namespace
}  // namespace quillon::hubsim
