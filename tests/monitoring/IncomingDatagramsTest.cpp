// Reading the hub's datagrams: the machine feed's names and states, the start-up list,
// the 89-field record and the status list.
#include "monitoring/IncomingDatagrams.h"

#include <gtest/gtest.h>

#include <string>

#include "monitoring/HubDatagramSamples.h"

namespace quillon {
namespace {

using test::fullRecordFields;
using test::recordDatagram;
using test::withNul;

constexpr std::int64_t kNow = 1'700'000'000;

// ---- machine names ------------------------------------------------------------------

std::string namesDatagram(int count, const std::string& name)
{
    std::string bytes(kMachineNamesWord);
    for (int i = 0; i < count; ++i) {
        bytes += name + std::to_string(i);
        bytes += '\0';
    }
    return bytes;
}

TEST(MachineNamesTest, AllNamesAreReadEvenPastTwoKilobytes)
{
    // 128 names of 18 characters make 2440 bytes: longer than the old receive buffer.
    const std::string bytes = namesDatagram(kMachineSlots, "MILLING-CENTER-");
    ASSERT_GT(bytes.size(), 2048u);
    const auto names = parseMachineNames(bytes);
    ASSERT_TRUE(names);
    EXPECT_EQ((*names)[0], "MILLING-CENTER-0");
    EXPECT_EQ((*names)[127], "MILLING-CENTER-127");
}

TEST(MachineNamesTest, NamesAreCutAndAMissingTailIsEmpty)
{
    std::string bytes(kMachineNamesWord);
    bytes += std::string("A VERY LONG MACHINE NAME") + '\0' + '\0' + "LATHE";
    const auto names = parseMachineNames(bytes);
    ASSERT_TRUE(names);
    EXPECT_EQ((*names)[0], "A VERY LONG MACHIN");
    EXPECT_EQ((*names)[1], "");  // an absent machine
    EXPECT_EQ((*names)[2], "LATHE");
    EXPECT_EQ((*names)[3], "");  // the datagram ended
    EXPECT_EQ((*names)[127], "");
    EXPECT_FALSE(parseMachineNames(withNul("_MCHUPDATE:")));
}

// ---- machine states -----------------------------------------------------------------

TEST(MachineStatesTest, PairsMayHoldNulsAndAShortDatagramIsNothing)
{
    std::string bytes(kMachineStatesWord);
    std::string pairs(2 * kMachineSlots, '\0');
    pairs[2 * 9] = 1;           // hub 1 port 1 monitored
    pairs[2 * 9 + 1] = '\xff';  // and in cycle
    pairs[2 * 127] = 'Y';
    const auto states = parseMachineStates(bytes + pairs + '\0');
    ASSERT_TRUE(states);
    EXPECT_EQ((*states)[9], (MachineState{true, true}));
    EXPECT_EQ((*states)[127], (MachineState{true, false}));
    EXPECT_EQ((*states)[0], (MachineState{false, false}));

    pairs.pop_back();
    EXPECT_FALSE(parseMachineStates(bytes + pairs));
}

// ---- start-up list ------------------------------------------------------------------

TEST(StartupListTest, CountFlagMachineLinesAndOverrides)
{
    const auto list = parseStartupList(withNul("_INI:@1b,3,1,0,100,rest\n0,0,0,95,0\n"));
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->countsSupplied);
    ASSERT_EQ(list->machines.size(), 2u);
    EXPECT_EQ(list->machines[0].slot, (MachineSlot{11, 3}));
    EXPECT_EQ(list->machines[0].stationKind, 1);
    EXPECT_FALSE(list->machines[0].feedOverride);
    EXPECT_TRUE(list->machines[0].spindleOverride);
    EXPECT_TRUE(list->machines[1].feedOverride);
    EXPECT_TRUE(list->anyFeedOverride());
    EXPECT_TRUE(list->anySpindleOverride());
}

TEST(StartupListTest, ParsingStopsAtTheFirstLineThatDoesNotRead)
{
    struct Row {
        const char* scenario;
        std::string text;
        std::size_t machines;
    };
    const Row rows[] = {
        {"hub out of range", "_INI:@00,1,0,0,0\n10,1,0,0,0\n0,2,0,0,0\n", 1},
        {"port out of range", "_INI:@00,1,0,0,0\n0,8,0,0,0\n0,2,0,0,0\n", 1},
        {"missing comma", "_INI:@00,1,0,0,0\n0,2,0,0\n0,3,0,0,0\n", 1},
        {"last line without its line feed", "_INI:@00,1,0,0,0\n0,2,0,0,0", 2},
        {"no hub digits", "_INI:@0,1,0,0,0,\n", 0},
        {"only the word", "_INI:@", 0},
        {"a nul ends the text", std::string("_INI:@00,1,0,0,0\n") + '\0' + "0,2,0,0,0\n", 1},
    };
    for (const Row& row : rows) {
        const auto list = parseStartupList(row.text);
        ASSERT_TRUE(list) << row.scenario;
        EXPECT_EQ(list->machines.size(), row.machines) << row.scenario;
        EXPECT_TRUE(list->countsSupplied) << row.scenario;
    }
    EXPECT_FALSE(parseStartupList(withNul("x_INI:@0")));
}

// ---- the record ---------------------------------------------------------------------

TEST(RecordTest, AFullRecordFillsEveryField)
{
    const std::vector<std::string> fields = fullRecordFields();
    ASSERT_EQ(fields.size(), 89u);
    MachineRecords records;
    const auto receipt = applyRecord(recordDatagram(fields, fields.size()), kNow, records);
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->slot, (MachineSlot{11, 3}));
    EXPECT_TRUE(receipt->complete);

    const MachineRecord& r = records[MachineSlot{11, 3}.index()];
    const StationFigures& s1 = r.stations[0];
    const StationFigures& s2 = r.stations[1];
    EXPECT_EQ(r.stationKind, StationKind::TwoHeads);
    EXPECT_EQ(s1.minCycleSeconds, 40);
    EXPECT_EQ(s1.maxCycleSeconds, 61);
    EXPECT_EQ(s1.idealCycleSeconds, 50);  // integer division
    EXPECT_EQ(s2.idealCycleSeconds, 25);
    EXPECT_EQ(s1.lastCycleSeconds, 45);
    EXPECT_EQ(s2.lastCycleSeconds, 26);
    EXPECT_EQ(s1.cycleStart, kNow - 100);
    EXPECT_EQ(s2.cycleStart, kNow - 200);
    EXPECT_EQ(s1.elapsedStart, kNow - 300);
    EXPECT_EQ(s2.elapsedStart, kNow - 400);
    EXPECT_EQ(s1.goodCount, 7);
    EXPECT_EQ(s2.goodCount, 8);
    EXPECT_TRUE(r.alert);
    EXPECT_EQ(s1.partNumber, "P-100");
    EXPECT_EQ(s2.partNumber, "P-200");
    EXPECT_EQ(r.status, "CYCLE ON");
    EXPECT_EQ(r.name, "LATHE 3");
    EXPECT_TRUE(r.timesInMinutes);
    EXPECT_EQ(s1.feedOverride, 95);
    EXPECT_TRUE(r.rateMode);
    EXPECT_DOUBLE_EQ(s1.nominalRate, 2.5);
    EXPECT_DOUBLE_EQ(s2.nominalRate, 3.0);
    EXPECT_EQ(s1.rateTolerance, 10);
    EXPECT_EQ(s2.rateTolerance, 12);
    EXPECT_DOUBLE_EQ(r.currentRate, 2.25);
    EXPECT_DOUBLE_EQ(r.lastRate, 1.75);
    EXPECT_EQ(r.spindleOverride, 110);
    EXPECT_EQ(r.machineNumber, 4);
    EXPECT_EQ(r.operation, "OP20 ROUGH TURNING ");
    EXPECT_EQ(s1.piecesPerCycle, 100);  // 250 limited
    EXPECT_EQ(s2.piecesPerCycle, 3);
    EXPECT_EQ(s1.statusStart, kNow - 50);
    EXPECT_EQ(s2.statusStart, kNow - 60);
    EXPECT_EQ(r.statusSeconds[0], 1000);
    EXPECT_EQ(r.statusSeconds[36], 1036);
    EXPECT_EQ(r.oeeLowThreshold, 40);
    EXPECT_EQ(r.oeeHighThreshold, 85);
    EXPECT_EQ(s1.availability, 90);
    EXPECT_EQ(s1.performance, 80);
    EXPECT_EQ(s1.quality, 99);
    EXPECT_EQ(s1.oee, 71);
    EXPECT_EQ(s2.availability, 91);
    EXPECT_EQ(s2.oee, 72);
    EXPECT_EQ(s2.feedOverride, 105);
    EXPECT_EQ(s1.totalCount, 30);
    EXPECT_EQ(s2.totalCount, 31);
    EXPECT_TRUE(r.overrunNotHighlighted);
}

TEST(RecordTest, AShortRecordKeepsWhatItDidNotReach)
{
    struct Row {
        const char* scenario;
        std::size_t fields;
        int pieces1;
        int pieces2;
        std::string name;
        int spindle;
        bool complete;
    };
    // Before the record: pieces 5 and 6, name "OLD", spindle override 77.
    const Row rows[] = {
        {"ends after the name", 20, 5, 6, "LATHE 3", 77, false},
        {"ends after the operation text", 32, 1, 1, "LATHE 3", 110, false},
        {"ends after the first pieces", 33, 100, 1, "LATHE 3", 110, false},
        {"ends after the second pieces", 34, 100, 3, "LATHE 3", 110, false},
        {"ends before the last field", 88, 100, 3, "LATHE 3", 110, false},
        {"reaches the last field", 89, 100, 3, "LATHE 3", 110, true},
        {"ends after the station kind", 3, 5, 6, "OLD", 77, false},
    };
    const std::vector<std::string> fields = fullRecordFields();
    for (const Row& row : rows) {
        MachineRecords records;
        MachineRecord& r = records[MachineSlot{11, 3}.index()];
        r.stations[0].piecesPerCycle = 5;
        r.stations[1].piecesPerCycle = 6;
        r.name = "OLD";
        r.spindleOverride = 77;
        const auto receipt = applyRecord(recordDatagram(fields, row.fields), kNow, records);
        ASSERT_TRUE(receipt) << row.scenario;
        EXPECT_EQ(receipt->complete, row.complete) << row.scenario;
        EXPECT_EQ(r.stations[0].piecesPerCycle, row.pieces1) << row.scenario;
        EXPECT_EQ(r.stations[1].piecesPerCycle, row.pieces2) << row.scenario;
        EXPECT_EQ(r.name, row.name) << row.scenario;
        EXPECT_EQ(r.spindleOverride, row.spindle) << row.scenario;
    }
}

TEST(RecordTest, AnUnknownStationKindStoresTheKindAsSentAndNothingElse)
{
    std::vector<std::string> fields = fullRecordFields();
    fields[2] = "3";
    MachineRecords records;
    MachineRecord& r = records[MachineSlot{11, 3}.index()];
    r.stationKind = StationKind::TwoPallets;
    const auto receipt = applyRecord(recordDatagram(fields, fields.size()), kNow, records);
    ASSERT_TRUE(receipt);
    EXPECT_FALSE(receipt->complete);
    EXPECT_EQ(r.receivedStationKind, 3);
    EXPECT_EQ(r.stationKind, StationKind::TwoPallets);  // the kind that indexes stays valid
    EXPECT_EQ(r.name, "");
    EXPECT_EQ(r.stations[0].minCycleSeconds, 10);
}

TEST(RecordTest, RecordsThatNameNoMachineAreNothing)
{
    const std::vector<std::string> fields = fullRecordFields();
    struct Row {
        const char* scenario;
        std::string bytes;
    };
    auto with = [&](std::size_t index, const char* value) {
        std::vector<std::string> changed = fields;
        changed[index] = value;
        return recordDatagram(changed, changed.size());
    };
    const Row rows[] = {
        {"hub 16", with(0, "10")},
        {"negative hub", with(0, "-1")},
        {"port 8", with(1, "8")},
        {"no hub digits", with(0, "")},
        {"no comma before the port", withNul("_UPDATE:b")},
        {"no comma before the kind", withNul("_UPDATE:b,3")},
        {"the word not at the start", "ALARM _UPDATE:" + recordDatagram(fields, 89).substr(8)},
        {"a nul before the word", std::string(1, '\0') + recordDatagram(fields, 89)},
    };
    for (const Row& row : rows) {
        MachineRecords records;
        EXPECT_FALSE(applyRecord(row.bytes, kNow, records)) << row.scenario;
    }
}

TEST(RecordTest, TextFieldsAreBoundedAndRatesAreNumbers)
{
    std::vector<std::string> fields = fullRecordFields();
    fields[16] = std::string(5000, 'P');
    fields[19] = std::string(3000, 'N');
    fields[23] = "inf";
    fields[24] = "nan";
    fields[27] = std::string(400, '9');
    MachineRecords records;
    ASSERT_TRUE(applyRecord(recordDatagram(fields, fields.size()), kNow, records));
    const MachineRecord& r = records[MachineSlot{11, 3}.index()];
    EXPECT_EQ(r.stations[0].partNumber.size(), kRecordTextLimit);
    EXPECT_EQ(r.name.size(), kRecordTextLimit);
    EXPECT_EQ(r.status, "CYCLE ON");
    EXPECT_EQ(r.stations[0].nominalRate, 0.0);
    EXPECT_EQ(r.stations[1].nominalRate, 0.0);
    EXPECT_EQ(r.currentRate, 0.0);
}

TEST(RecordTest, TheLinkReadsTheMachineAfterTheWord)
{
    EXPECT_EQ(recordSlot("b,3,1"), (MachineSlot{11, 3}));
    EXPECT_EQ(recordSlot("F,7"), (MachineSlot{15, 7}));
    EXPECT_FALSE(recordSlot("b"));
    EXPECT_FALSE(recordSlot(",3"));
    EXPECT_FALSE(recordSlot("b,9"));
}

// ---- status list --------------------------------------------------------------------

TEST(StatusListTest, HubPortAndTheNamesThatEndWithAComma)
{
    const auto list = parseStatusList(withNul("_MON_LIST: 12,5,CYCLE OFF,SETUP,,ALARM,LOCK"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->slot, (MachineSlot{12, 5}));
    EXPECT_EQ(list->statuses, (std::vector<std::string>{"CYCLE OFF", "SETUP", "ALARM"}));
}

TEST(StatusListTest, TheListIsCutAt512Characters)
{
    std::string names;
    while (names.size() < 600)
        names += "STATUS" + std::to_string(names.size()) + ",";
    const auto list = parseStatusList(withNul("_MON_LIST:0,1," + names));
    ASSERT_TRUE(list);
    std::size_t kept = 0;
    for (const std::string& name : list->statuses)
        kept += name.size() + 1;
    EXPECT_LE(kept, kStatusListLimit);
    EXPECT_GT(kept, kStatusListLimit - 12);
}

TEST(StatusListTest, AMachineOutsideTheHubOrNoListIsNothing)
{
    for (const char* text : {"_MON_LIST:16,1,A,", "_MON_LIST:-1,1,A,", "_MON_LIST:1,9,A,",
                             "_MON_LIST:1,1", "_MON_LIST:", "_MON_LIST:-,1,A,", "MON_LIST:1,1,A,"})
        EXPECT_FALSE(parseStatusList(withNul(text))) << text;
}

}  // namespace
}  // namespace quillon
