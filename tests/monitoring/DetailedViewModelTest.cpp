// The detailed view's rows and cells, fed with datagrams as the hub sends them.
#include "monitoring/DetailedViewModel.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "monitoring/DetailedViewSamples.h"

namespace quillon {
namespace {

using test::withNul;

constexpr std::int64_t kStart = 1'700'000'000;

class SilentHub final : public HubRequests {
public:
    void sendWord(std::string_view word) override { requests.emplace_back(word); }
    void sendMachineRequest(std::string_view word, MachineSlot) override
    {
        requests.emplace_back(word);
    }
    void sendStatus(MachineSlot, std::string_view) override {}
    void sendSetup(MachineSlot, const SetupChange&) override {}
    std::vector<std::string> requests;
};

using Record = test::SampleRecord;

class DetailedViewModelTest : public ::testing::Test {
protected:
    // Opens the view over `list` and answers its start-up with `startup` and `records`.
    void open(std::string_view list, std::string_view startup, const std::vector<Record>& records)
    {
        model = std::make_unique<DetailedViewModel>(parseMonitorList(list), table, settings, hub,
                                                    [this] { return now; });
        model->start();
        model->datagramArrived(withNul(startup));
        for (const Record& record : records)
            last = model->datagramArrived(record.datagram());
    }
    // A view of one machine, hub 1 port 2 (slot {0, 1}), named MILL 1.
    const DetailedRow& single(const Record& record,
                              std::string_view startup = "_INI:@00,1,0,0,0\n")
    {
        open("MILL 1,0,1\n", startup, {record});
        EXPECT_EQ(model->rows().size(), 1u);
        return model->rows().front();
    }

    StatusTable table = StatusTable::defaults();
    MonitorViewSettings settings;
    SilentHub hub;
    std::int64_t now = kStart;
    std::unique_ptr<DetailedViewModel> model;
    DetailedChanges last;
};

TEST_F(DetailedViewModelTest, RowsFollowTheListOnceEveryMachineCame)
{
    std::string list = "_MT_Plant 1\nLATHE 3,1,3\n_ST_Cell A\nMILL 1,0,0\nGONE,0,4\n";
    for (int i = 0; i < 12; ++i)
        list += "_ST_extra " + std::to_string(i) + "\n";
    model = std::make_unique<DetailedViewModel>(parseMonitorList(list), table, settings, hub,
                                                [this] { return now; });
    model->start();
    model->datagramArrived(withNul("_INI:@00,0,0,0,0\n1,3,1,0,0\n0,4,0,0,0\n"));
    EXPECT_FALSE(model->datagramArrived(Record({0, 0}, "MILL 1").datagram()).any());
    EXPECT_FALSE(model->datagramArrived(Record({0, 4}, "RENAMED").datagram()).any());
    EXPECT_TRUE(model->rows().empty());
    const DetailedChanges built = model->datagramArrived(Record({1, 3}, "LATHE 3", 1).datagram());
    EXPECT_TRUE(built.layout);

    std::vector<std::string> shown;
    for (const DetailedRow& row : model->rows())
        shown.push_back(row.kind == DetailedRow::Kind::Machine     ? "M " + row.name
                        : row.kind == DetailedRow::Kind::MainTitle ? "MT " + row.title
                                                                   : "ST " + row.title);
    // A name the hub no longer gives has no row; sub titles past the tenth are left out.
    std::vector<std::string> expected = {"MT Plant 1", "M LATHE 3", "ST Cell A", "M MILL 1"};
    for (int i = 0; i < 9; ++i)
        expected.push_back("ST extra " + std::to_string(i));
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(model->rows()[1].stations, 2);
    EXPECT_EQ(model->rows()[1].number, "5");  // the sample's machine number 4, from 1
    EXPECT_EQ(model->rowOf({0, 0}), 3u);
    EXPECT_EQ(model->rowOf({0, 4}), std::nullopt);
}

TEST_F(DetailedViewModelTest, StatusCellColours)
{
    table.names[5] = "TOOL CHANGE";
    table.colors[5] = 0x123456;
    const std::string longStatus(200, 'S');
    struct Row {
        const char* scenario;
        std::string status;
        std::uint32_t color;
    } rows[] = {
        {"SETUP in its entry's colour", "SETUP", 0xFF0000},
        {"a hub-defined status", "TOOL CHANGE", 0x123456},
        {"unreachable", "NO Ostler", kLiveRed},
        {"locked", "LOCKED", kLiveRed},
        {"unknown with a cycle on", "CYCLE ON\\PALLET 2", 0x00FF00},
        {"unknown with cycle and spindle", "CYCLE ON SPINDLE ON X", 0x008000},
        {"unknown with a cycle off", "WAIT CYCLE OFF", 0x0000FF},
        {"unknown, locked", "LOCKED BY QA", kLiveRed},
        {"unknown, spindle", "SPINDLE ON WARMUP", 0xC0FFC0},
        {"unknown words", "LUNCH", kLiveUnknownStatus},
        {"empty", "", kLiveUnknownStatus},
        {"200 characters", longStatus, kLiveUnknownStatus},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(liveStatusColor(table, row.status), row.color) << row.scenario;
        const DetailedRow& shown = single(Record({0, 1}, "MILL 1").set(19, row.status));
        // The record keeps a bounded text whatever the hub sends.
        EXPECT_EQ(shown.status.text, row.status.substr(0, kRecordTextLimit)) << row.scenario;
        EXPECT_EQ(shown.status.colors.background, row.color) << row.scenario;
        EXPECT_FALSE(shown.status.split) << row.scenario;
    }
}

TEST_F(DetailedViewModelTest, DurationsAreBounded)
{
    struct Row {
        std::int64_t seconds;
        const char* text;
    } rows[] = {
        {std::numeric_limits<std::int64_t>::min(), "00:00:00"},
        {-5, "00:00:00"},
        {0, "00:00:00"},
        {3661, "01:01:01"},
        {356400, "99:00:00"},
        {356401, "--:--:--"},
        {360000, "--:--:--"},
        {std::numeric_limits<std::int64_t>::max(), "--:--:--"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(durationText(row.seconds), row.text) << row.seconds;

    // An elapsed time of 100 hours, a clock running backwards, a last cycle of 99 hours.
    const DetailedRow& shown =
        single(Record({0, 1}, "MILL 1").set(12, "360000").set(8, "356400").set(14, "-40"));
    EXPECT_EQ(shown.elapsed, "--:--:--");
    EXPECT_EQ(shown.lastCycle, "99:00:00");
    EXPECT_EQ(shown.count, "0");
    now = kStart - 1000;
    model->tick();
    EXPECT_EQ(model->rows().front().elapsed, "--:--:--");
}

TEST_F(DetailedViewModelTest, BandsOfTheLastCycleTheRateAndTheOee)
{
    struct CycleRow {
        const char* scenario;
        std::int64_t last;
        bool noOverrun;
        std::uint32_t color;
    } cycles[] = {
        {"below the minimum", 39, false, kLiveYellow},
        {"at the minimum", 40, false, kLiveGreen},
        {"at the maximum", 61, false, kLiveGreen},
        {"over the maximum", 62, false, kLiveOrange},
        {"over, overruns not marked", 62, true, kLiveGreen},
    };
    for (const CycleRow& row : cycles)
        EXPECT_EQ(cycleTimeColors(row.last, 40, 61, row.noOverrun).background, row.color)
            << row.scenario;

    // Nominal 10 with 15 %: 10 * 15 / 100 is 1 in whole numbers, the band 9..11.
    const RateBand band = rateBand(10.9, 15);
    EXPECT_EQ(band.low, 9);
    EXPECT_EQ(band.high, 11);
    EXPECT_EQ(rateColors(8.5, band).background, kLiveYellow);
    EXPECT_EQ(rateColors(11, band).background, kLiveGreen);
    EXPECT_EQ(rateColors(11.5, band).background, kLiveOrange);
    EXPECT_EQ(rateBand(std::numeric_limits<double>::infinity(), 50).high, 0);

    EXPECT_EQ(oeeColors(85, 40, 85), (CellColors{kLiveGreen, kLiveBlack}));
    EXPECT_EQ(oeeColors(40, 40, 85).background, kLiveOrange);
    EXPECT_EQ(oeeColors(39, 40, 85), (CellColors{kLiveRed, kLiveWhite}));

    // A two-station machine is as good as its worse station.
    const DetailedRow& two =
        single(Record({0, 1}, "MILL 1", 2).set(79, "90").set(83, "39"), "_INI:@00,1,2,0,0\n");
    EXPECT_EQ(two.oeeColors.background, kLiveRed);
    EXPECT_EQ(two.oee, "A:90/91 P:80/81\nQ:99/98 OEE:90/39");

    const DetailedRow& rate =
        single(Record({0, 1}, "MILL 1").set(23, "2").set(24, "10").set(26, "20").set(29, "7.3"));
    EXPECT_EQ(rate.lastCycle, "7.3");
    EXPECT_EQ(rate.lastCycleColors.background, kLiveYellow);
    EXPECT_EQ(rate.currentCycle.low, 8);
    EXPECT_EQ(rate.currentCycle.high, 12);
    EXPECT_DOUBLE_EQ(rate.currentCycle.value, 2.25);
}

TEST_F(DetailedViewModelTest, PartNumberOperationAndCounts)
{
    const DetailedRow& one = single(Record({0, 1}, "MILL 1").set(76, "88").set(78, "0"));
    EXPECT_EQ(one.partNumber, "P-100");
    EXPECT_EQ(one.operation, "OP20 ROUGH TURNING ");
    EXPECT_EQ(one.oee, "A:88 P:80\nOEE:71");
    EXPECT_EQ(one.count, "7");

    const DetailedRow& two =
        single(Record({0, 1}, "MILL 1", 1).set(17, "FLANGE-4711-REV-C").set(18, "COVER-2"),
               "_INI:@00,1,1,0,0\n");
    EXPECT_EQ(two.partNumber, "FLANGE-4711-REV-C");
    EXPECT_EQ(two.count, "7/8");
    const DetailedRow& same =
        single(Record({0, 1}, "MILL 1", 1).set(18, "P-100"), "_INI:@00,1,1,0,0\n");
    EXPECT_EQ(same.partNumber, "P-100");
    const DetailedRow& differ = single(Record({0, 1}, "MILL 1", 1), "_INI:@00,1,1,0,0\n");
    EXPECT_EQ(differ.partNumber, "P-100/P-200");
}

TEST_F(DetailedViewModelTest, ColumnsFollowTheStartupList)
{
    single(Record({0, 1}, "MILL 1"));
    EXPECT_EQ(model->columns(), (DetailedColumns{true, false, false, false}));
    EXPECT_EQ(columnHeader(DetailedColumn::Count, model->columns()), "CYCLE COUNT");

    settings.pieces = true;
    const DetailedRow& hidden = single(Record({0, 1}, "MILL 1"), "_INI:@10,1,0,0,1\n1,2,0,3,0\n");
    EXPECT_EQ(model->columns(), (DetailedColumns{false, true, true, true}));
    EXPECT_FALSE(model->columns().shown(DetailedColumn::Count));
    EXPECT_TRUE(model->columns().shown(DetailedColumn::FeedOverride));
    EXPECT_EQ(columnHeader(DetailedColumn::Count, model->columns()), "PIECE COUNT");
    EXPECT_EQ(hidden.count, "");
}

TEST_F(DetailedViewModelTest, TwoStationsInACycleSplitTheStatusCell)
{
    struct Row {
        const char* scenario;
        int kind;
        std::string status;
        bool split;
        std::array<bool, 2> on;
        // The sample's feed overrides are 95 and 105 %: a station out of cycle shows none.
        std::array<int, 2> feed;
    } rows[] = {
        {"both on", 1, "CYCLE ON", true, {true, true}, {95, 105}},
        {"first on, second off", 2, "CYCLE ON\\OFF", true, {true, false}, {95, 0}},
        {"first off, second on", 2, "CYCLE OFF\\ON", true, {false, true}, {0, 105}},
        {"both off", 1, "CYCLE OFF", true, {false, false}, {0, 0}},
        {"two stations in setup", 1, "SETUP", false, {false, false}, {0, 0}},
        {"one station in cycle", 0, "CYCLE ON", false, {false, false}, {95, 105}},
    };
    for (const Row& row : rows) {
        const std::string startup = "_INI:@00,1," + std::to_string(row.kind) + ",0,0\n";
        const DetailedRow& shown =
            single(Record({0, 1}, "MILL 1", row.kind).set(19, row.status), startup);
        EXPECT_EQ(shown.status.split, row.split) << row.scenario;
        EXPECT_EQ(shown.status.stationOn, row.on) << row.scenario;
        EXPECT_EQ(shown.feedOverride, row.feed) << row.scenario;
    }
}

TEST_F(DetailedViewModelTest, TicksRunTheClocksAndBlinkAlerts)
{
    open("MILL 1,0,1\nLATHE 3,0,2\n", "_INI:@00,1,0,4,5\n0,2,0,0,0\n",
         {Record({0, 1}, "MILL 1").set(19, "CYCLE ON").set(10, "20").set(16, "1"),
          Record({0, 2}, "LATHE 3").set(19, "SETUP").set(12, "0")});
    ASSERT_EQ(model->rows().size(), 2u);
    const DetailedRow& running = model->rows()[0];
    EXPECT_TRUE(running.currentCycle.filled);
    EXPECT_EQ(running.currentCycle.text, "00:00:20");
    EXPECT_EQ(running.currentCycle.fill, kLiveGreen);
    EXPECT_EQ(running.feedOverride[0], 95);
    EXPECT_EQ(running.spindleOverride, 110);
    const DetailedRow& idle = model->rows()[1];
    EXPECT_FALSE(idle.currentCycle.filled);
    EXPECT_EQ(idle.currentCycle.fraction(), 0);
    EXPECT_EQ(idle.feedOverride[0], 0);

    const CellColors steady = running.status.colors;
    const CellColors lathe = idle.status.colors;
    now += 50;  // 70 s into a cycle of at most 61
    DetailedChanges changes = model->tick();
    EXPECT_EQ(changes.rows, (std::vector<std::size_t>{0, 1}));
    EXPECT_NE(model->rows()[0].status.colors, steady);
    EXPECT_EQ(model->rows()[0].currentCycle.fill, kLiveOrange);
    EXPECT_EQ(model->rows()[0].currentCycle.fraction(), 1.0);
    EXPECT_EQ(model->rows()[1].elapsed, "00:00:50");

    // A tick that changes nothing but the blink repaints only the blinking row.
    model->datagramArrived(
        Record({0, 2}, "LATHE 3").set(19, "SETUP").set(12, "-100000").datagram());
    changes = model->tick();
    EXPECT_EQ(changes.rows, (std::vector<std::size_t>{0}));
    EXPECT_EQ(model->rows()[0].status.colors, steady);
    EXPECT_EQ(model->rows()[1].status.colors, lathe);
}

TEST_F(DetailedViewModelTest, RecordsRefreshTheirRowAndRestartedCountsShow)
{
    single(Record({0, 1}, "MILL 1"));
    const DetailedChanges changed =
        model->datagramArrived(Record({0, 1}, "MILL 1").set(14, "12").datagram());
    EXPECT_EQ(changed.rows, (std::vector<std::size_t>{0}));
    EXPECT_EQ(model->rows().front().count, "12");
    // Another machine's push changes no row of this view.
    EXPECT_FALSE(model->datagramArrived(Record({3, 3}, "OTHER").datagram()).any());
    model->countsRestarted({0, 1});
    EXPECT_EQ(model->rows().front().count, "0");
}

}  // namespace
}  // namespace quillon
