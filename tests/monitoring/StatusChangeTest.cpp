// Setting a machine's status: the click, the list's preselection, the "New Part Number"
// entry and the datagrams its OK sends.
#include "monitoring/StatusChange.h"

#include <gtest/gtest.h>

#include "monitoring/Datagrams.h"

namespace quillon {
namespace {

constexpr std::int32_t kLocal = 167772165;  // 10.0.0.5
constexpr MachineSlot kLathe{11, 3};

MachineRecord machine(StationKind kind, bool inMinutes)
{
    MachineRecord record;
    record.stationKind = kind;
    record.timesInMinutes = inMinutes;
    record.stations[0].minCycleSeconds = 95;
    record.stations[0].maxCycleSeconds = 138;
    record.stations[0].partNumber = "P-1";
    record.stations[0].piecesPerCycle = 2;
    record.stations[1].minCycleSeconds = 30;
    record.stations[1].maxCycleSeconds = 42;
    record.stations[1].partNumber = "P-2";
    return record;
}

TEST(StatusChangeTest, WhoMayChangeAndWhatIsOfferedFirst)
{
    EXPECT_FALSE(statusChangeAllowed("NO Ostler"));
    EXPECT_FALSE(statusChangeAllowed("CYCLE ON"));
    EXPECT_FALSE(statusChangeAllowed("CYCLE ON\\SPINDLE ON"));
    EXPECT_TRUE(statusChangeAllowed("CYCLE OFF"));
    EXPECT_TRUE(statusChangeAllowed("SETUP"));
    EXPECT_EQ(setStatusTitle("LATHE 3"), "Set machine status: LATHE 3");

    const std::vector<std::string> offered = {"CYCLE OFF", "SETUP", "LOADING", "UNLOCK"};
    struct Row {
        const char* scenario;
        std::string current;
        std::optional<std::size_t> chosen;
    } rows[] = {
        {"locked: the last", "LOCKED", 3}, {"the first beginning with it", "LOAD", 2},
        {"an exact name", "SETUP", 1},     {"not offered: the first", "ALARM", 0},
        {"no status: the first", "", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(preselectedStatus(offered, row.current), row.chosen) << row.scenario;
    EXPECT_EQ(preselectedStatus({}, "LOCKED"), std::nullopt);
}

TEST(StatusChangeTest, TheEntryIsLabelledAndPrefilledInTheMachinesUnit)
{
    const PartNumberForm minutes = partNumberForm(machine(StationKind::Single, true));
    EXPECT_EQ(minutes.minCycle1, "1.5");
    EXPECT_EQ(minutes.maxCycle1, "2.3");
    EXPECT_EQ(minutes.partNumber1, "P-1");
    EXPECT_EQ(minutes.pieces1, 2);
    const PartNumberForm seconds = partNumberForm(machine(StationKind::TwoPallets, false));
    EXPECT_TRUE(seconds.twoStations);
    EXPECT_EQ(seconds.maxCycle2, "42");

    using F = PartNumberField;
    EXPECT_EQ(partNumberLabel(F::PartNumber1, false, true), "Enter new part number:");
    EXPECT_EQ(partNumberLabel(F::PartNumber1, true, true), "Enter new part number 1:");
    EXPECT_EQ(partNumberLabel(F::MinCycle1, false, true), "Min. Cyc.Time[min]:");
    EXPECT_EQ(partNumberLabel(F::MaxCycle1, false, false), "Max. Cyc.Time[sec]:");
    EXPECT_EQ(partNumberLabel(F::MinCycle1, true, true), "Min. Cyc.Time 1 [min]:");
    EXPECT_EQ(partNumberLabel(F::MaxCycle2, true, false), "Max. Cyc.Time 2 [sec]:");
    EXPECT_EQ(partNumberLabel(F::Pieces1, false, false), "Cycle multiplier: ");
    EXPECT_EQ(partNumberLabel(F::Pieces2, true, false), "Cycle multiplier 2: ");
}

TEST(StatusChangeTest, DatagramsByteForByte)
{
    EXPECT_EQ(setStatusDatagram(kLocal, kLathe, "LOADING"),
              std::string("_SETMON_STATUS,167772165,b,3,LOADING\0", 37));

    struct Row {
        const char* scenario;
        StationKind kind;
        bool inMinutes;
        PartNumberForm typed;
        std::string sent;
    };
    const auto form = [](std::string part1, std::string part2, std::string min1, std::string max1,
                         std::string min2, std::string max2, int pieces1, int pieces2) {
        PartNumberForm typed;
        typed.partNumber1 = std::move(part1);
        typed.partNumber2 = std::move(part2);
        typed.minCycle1 = std::move(min1);
        typed.maxCycle1 = std::move(max1);
        typed.minCycle2 = std::move(min2);
        typed.maxCycle2 = std::move(max2);
        typed.pieces1 = pieces1;
        typed.pieces2 = pieces2;
        return typed;
    };
    const Row rows[] = {
        {"one station, seconds", StationKind::Single, false,
         form("FL-20", "", "50", "70", "", "", 3, 1),
         "_SETMON_STATUS,167772165,b,3,SETUP,FL-20,50,70,50,70, ,3,1,"},
        {"one station, minutes", StationKind::Single, true,
         form("FL-20", "ignored", "1.5", "2.3", "", "", 250, 0),
         "_SETMON_STATUS,167772165,b,3,SETUP,FL-20,90,138,90,138, ,100,1,"},
        {"two heads, seconds", StationKind::TwoHeads, false,
         form("FL-20", "CV-7", "50", "70", "20", "25", 1, 4),
         "_SETMON_STATUS,167772165,b,3,SETUP,FL-20,50,70,20,25,CV-7,1,4,"},
        {"two pallets, minutes", StationKind::TwoPallets, true,
         form("FL-20", "CV-7", "0.5", "1.0", "0.2", "0.7", 1, 1),
         "_SETMON_STATUS,167772165,b,3,SETUP,FL-20,30,60,12,42,CV-7,1,1,"},
    };
    for (const Row& row : rows) {
        PartNumberForm typed = row.typed;
        typed.twoStations = row.kind != StationKind::Single;
        typed.inMinutes = row.inMinutes;
        const MachineRecord record = machine(row.kind, row.inMinutes);
        const SetupVerdict verdict = checkPartNumberForm(record, typed);
        ASSERT_TRUE(verdict.setup) << row.scenario << ": " << verdict.problem;
        EXPECT_EQ(setupDatagram(kLocal, kLathe, verdict.setup->change), row.sent + '\0')
            << row.scenario;
        EXPECT_TRUE(verdict.setup->partNumberChanged) << row.scenario;
    }
}

TEST(StatusChangeTest, AnEntryThatCannotGoSaysWhy)
{
    struct Row {
        const char* scenario;
        StationKind kind;
        std::string part1, part2, min1, max1, min2, max2;
        std::string problem;
    } rows[] = {
        {"no part number", StationKind::Single, "", "", "5", "9", "", "",
         "Enter the part number."},
        {"second part number missing", StationKind::TwoHeads, "A", "", "5", "9", "5", "9",
         "Enter both part numbers."},
        {"a comma would shift the hub's fields", StationKind::Single, "A,B", "", "5", "9", "", "",
         "A part number cannot hold a comma."},
        {"a comma in part number 2", StationKind::TwoHeads, "A", "B,", "5", "9", "5", "9",
         "A part number cannot hold a comma."},
        {"a negative minimum", StationKind::Single, "A", "", "-5", "9", "", "",
         "The minimum cycle time cannot be negative."},
        {"minimum above maximum", StationKind::Single, "A", "", "90", "60", "", "",
         "The minimum cycle time is above the maximum: neither was taken."},
        {"station 2's range", StationKind::TwoHeads, "A", "B", "5", "9", "9", "5",
         "The minimum cycle time 2 is above the maximum: neither was taken."},
    };
    for (const Row& row : rows) {
        const MachineRecord record = machine(row.kind, false);
        PartNumberForm typed = partNumberForm(record);
        typed.partNumber1 = row.part1;
        typed.partNumber2 = row.part2;
        typed.minCycle1 = row.min1;
        typed.maxCycle1 = row.max1;
        typed.minCycle2 = row.min2;
        typed.maxCycle2 = row.max2;
        const SetupVerdict verdict = checkPartNumberForm(record, typed);
        EXPECT_FALSE(verdict.setup) << row.scenario;
        EXPECT_EQ(verdict.problem, row.problem) << row.scenario;
    }
    // The same part numbers keep the machine's counts.
    const MachineRecord record = machine(StationKind::TwoHeads, false);
    const SetupVerdict same = checkPartNumberForm(record, partNumberForm(record));
    ASSERT_TRUE(same.setup);
    EXPECT_FALSE(same.setup->partNumberChanged);
}

}  // namespace
}  // namespace quillon
