// The OK of the "New Part Number" entry: which typed cycle times a SETUP takes over.
#include "monitoring/SetupEntry.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

MachineRecord machine(StationKind kind)
{
    MachineRecord record;
    record.stationKind = kind;
    record.stations[0] = {};
    record.stations[0].minCycleSeconds = 60;
    record.stations[0].maxCycleSeconds = 120;
    record.stations[0].partNumber = "P-1";
    record.stations[1].minCycleSeconds = 30;
    record.stations[1].maxCycleSeconds = 40;
    record.stations[1].partNumber = "P-2";
    return record;
}

SetupChange typed(int min1, int max1, int min2 = 0, int max2 = 0)
{
    SetupChange change;
    change.partNumber1 = "P-1";
    change.partNumber2 = "P-2";
    change.minCycle1 = min1;
    change.maxCycle1 = max1;
    change.minCycle2 = min2;
    change.maxCycle2 = max2;
    return change;
}

TEST(SetupEntryTest, WhichTypedCycleTimesAreTaken)
{
    struct Row {
        const char* scenario;
        StationKind kind;
        SetupChange typed;
        int min1, max1, min2, max2;
    };
    const Row rows[] = {
        {"single: both taken, for both stations", StationKind::Single, typed(90, 138), 90, 138, 90,
         138},
        {"single: a negative minimum is not", StationKind::Single, typed(-5, 138), 60, 138, 30,
         138},
        {"single: a maximum below the minimum is not, nor that minimum", StationKind::Single,
         typed(100, 50), 60, 120, 30, 40},
        {"two heads: station 2 keeps its own", StationKind::TwoHeads, typed(90, 138, 20, 25), 90,
         138, 20, 25},
        {"two heads: station 2's bad range falls back to station 1's", StationKind::TwoHeads,
         typed(90, 138, 50, 10), 90, 138, 90, 138},
        {"two pallets: station 2's minimum 0 is taken", StationKind::TwoPallets,
         typed(90, 138, 0, 25), 90, 138, 0, 25},
    };
    for (const Row& row : rows) {
        const auto confirmed = confirmSetup(machine(row.kind), row.typed);
        ASSERT_TRUE(confirmed) << row.scenario;
        const SetupChange& change = confirmed->change;
        EXPECT_EQ(change.minCycle1, row.min1) << row.scenario;
        EXPECT_EQ(change.maxCycle1, row.max1) << row.scenario;
        EXPECT_EQ(change.minCycle2, row.min2) << row.scenario;
        EXPECT_EQ(change.maxCycle2, row.max2) << row.scenario;
        EXPECT_FALSE(confirmed->partNumberChanged) << row.scenario;
    }
}

TEST(SetupEntryTest, PartNumbersDecideWhetherItIsSentAndWhetherCountsRestart)
{
    SetupChange entry = typed(90, 138);
    entry.partNumber2 = "";
    EXPECT_TRUE(confirmSetup(machine(StationKind::Single), entry));
    EXPECT_FALSE(confirmSetup(machine(StationKind::TwoHeads), entry));

    entry.partNumber2 = "P-9";
    EXPECT_FALSE(confirmSetup(machine(StationKind::Single), entry)->partNumberChanged);
    EXPECT_TRUE(confirmSetup(machine(StationKind::TwoHeads), entry)->partNumberChanged);
    entry.partNumber1 = "";
    EXPECT_FALSE(confirmSetup(machine(StationKind::Single), entry));

    entry = typed(90, 138);
    entry.pieces1 = 0;
    entry.pieces2 = 101;
    const auto confirmed = confirmSetup(machine(StationKind::TwoHeads), entry);
    EXPECT_EQ(confirmed->change.pieces1, 1);
    EXPECT_EQ(confirmed->change.pieces2, 100);
}

}  // namespace
}  // namespace quillon
