// The graph view's pies, titles and files, without the window.
#include "monitoring/GraphViewModel.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr std::int64_t kNow = 1'800'000'000;

StatusTable tableWithHubStatus()
{
    StatusTable table = StatusTable::defaults();
    table.names[7] = "TOOL CHANGE";
    return table;
}

TEST(GraphViewModel, CurrentStatusGoesToItsSlot)
{
    const StatusTable table = tableWithHubStatus();
    struct Row {
        const char* name;
        std::string status;
        int slot;
    };
    const Row rows[] = {
        {"cycle with spindle", "CYCLE ON\\SPINDLE ON", kStatusCycleOnSpindleOn},
        {"cycle alone", "CYCLE ON", kStatusCycleOn},
        {"one station of two in cycle", "CYCLE OFF\\ON", kStatusCycleOn},
        {"locked", "LOCKED", kStatusCycleOff},
        {"cycle off with more words", "HEAD 1 CYCLE OFF", kStatusCycleOff},
        {"table entry", "SETUP", kStatusSetup},
        {"hub-defined entry", "TOOL CHANGE", 7},
        {"unknown text", "COFFEE BREAK", kStatusNoOstler},
        {"empty text", "", kStatusNoOstler},
        {"200 characters", std::string(200, 'X'), kStatusNoOstler},
    };
    for (const auto& row : rows)
        EXPECT_EQ(currentStatusSlot(row.status, table), row.slot) << row.name;
}

TEST(GraphViewModel, RunningStatusAddsTheTimeSinceItStarted)
{
    const StatusTable table = StatusTable::defaults();
    MachineRecord record;
    record.statusSeconds[kStatusCycleOn] = 600;
    record.statusSeconds[kStatusSetup] = 120;
    record.status = "SETUP";
    record.stations[0].statusStart = kNow - 45;

    const auto seconds = pieSeconds(record, table, kNow);
    EXPECT_EQ(seconds[kStatusCycleOn], 600);
    EXPECT_EQ(seconds[kStatusSetup], 165);
    EXPECT_EQ(std::accumulate(seconds.begin(), seconds.end(), std::int64_t{0}), 765);
}

TEST(GraphViewModel, StatusStartEdges)
{
    const StatusTable table = StatusTable::defaults();
    struct Row {
        const char* name;
        StationKind kind;
        std::int64_t start1;
        std::int64_t start2;
        std::int64_t added;
    };
    const Row rows[] = {
        {"never set counts as now", StationKind::Single, 999, 0, 0},
        {"set at 1000 counts", StationKind::Single, 1000, 0, kNow - 1000},
        {"two stations take the later start", StationKind::TwoHeads, kNow - 300, kNow - 20, 20},
        {"station 2 ignored for one station", StationKind::Single, kNow - 300, kNow - 20, 300},
        {"start in the future adds nothing", StationKind::Single, kNow + 50, 0, 0},
    };
    for (const auto& row : rows) {
        MachineRecord record;
        record.stationKind = row.kind;
        record.status = "ALARM";
        record.stations[0].statusStart = row.start1;
        record.stations[1].statusStart = row.start2;
        EXPECT_EQ(pieSeconds(record, table, kNow)[kStatusAlarm], row.added) << row.name;
    }
}

TEST(GraphViewModel, NegativeAndHugeHubTimes)
{
    MachineRecord record;
    record.statusSeconds[kStatusAlarm] = -500;
    record.statusSeconds[kStatusCycleOn] = std::numeric_limits<int>::max();
    record.statusSeconds[kStatusCycleOff] = std::numeric_limits<int>::max();
    record.stations[0].statusStart = kNow;
    const auto seconds = pieSeconds(record, StatusTable::defaults(), kNow);
    EXPECT_EQ(seconds[kStatusAlarm], 0);
    EXPECT_EQ(seconds[kStatusCycleOn] + seconds[kStatusCycleOff],
              2 * std::int64_t{std::numeric_limits<int>::max()});
}

TEST(GraphViewModel, ContentFollowsTheList)
{
    const auto entries = parseMonitorList(
        "_MT_Plant 2\nLATHE 1,0,1\n_ST_Cell A\nNO SLOT\n"
        "MILL 4,3,7\n");
    MachineRecord lathe;
    lathe.statusSeconds[kStatusCycleOn] = 10;
    lathe.stations[0].statusStart = kNow;
    const MachineRecord other;
    const auto record = [&](MachineSlot slot) -> const MachineRecord& {
        return slot == MachineSlot{0, 1} ? lathe : other;
    };
    const auto content = buildGraphView(entries, record, StatusTable::defaults(), kNow);
    ASSERT_EQ(content.titles.size(), 2u);
    EXPECT_TRUE(content.titles[0].main);
    EXPECT_EQ(content.titles[1].text, "Cell A");
    EXPECT_FALSE(content.titles[1].main);
    ASSERT_EQ(content.pies.size(), 2u);
    EXPECT_EQ(content.pies[0].name, "LATHE 1");
    EXPECT_EQ(content.pies[0].seconds[kStatusCycleOn], 10);
    EXPECT_EQ(content.pies[1].slot, (MachineSlot{3, 7}));
}

TEST(GraphViewModel, PlaceFileRoundTrip)
{
    GraphPlace place;
    place.scale = 80;
    place.window = WindowRect{-20, 10, 1000, 700};
    place.pies = {{{0, 1}, {30, 90, 180, 240}}, {{15, 7}, {400, 90, 550, 240}}};
    place.lines = {{0, 0, 1279, 959}, {10, 500, 900, 500}};
    const std::string bytes = formatGraphPlace(place);
    EXPECT_TRUE(bytes.starts_with("MULT:80\n-20\n1000\n10\n700\n0,1:30,180,90,240\n"));
    EXPECT_NE(bytes.find("15,7:400,550,90,240\n"), std::string::npos);
    EXPECT_NE(bytes.find("LINE;10,500,900,500\n"), std::string::npos);
    EXPECT_EQ(parseGraphPlace(bytes), place);
}

TEST(GraphViewModel, DamagedPlaceFiles)
{
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<WindowRect> window;
        std::size_t pies;
        std::size_t lines;
    };
    std::string manyLines = "MULT:100\n0\n10\n0\n10\n";
    for (int i = 0; i < 40; ++i)
        manyLines += "LINE;1,2,3," + std::to_string(i) + "\n";
    const Row rows[] = {
        {"empty", "", std::nullopt, 0, 0},
        {"short window", "MULT:100\n5\n600\n", std::nullopt, 0, 0},
        {"CR LF lines", "MULT:100\r\n5\r\n600\r\n7\r\n400\r\n1,2:1,2,3,4\r\n",
         WindowRect{5, 7, 600, 400}, 1, 0},
        {"slot out of range", "MULT:100\n0\n10\n0\n10\n16,0:1,2,3,4\n2,8:1,2,3,4\n",
         WindowRect{0, 0, 10, 10}, 0, 0},
        {"pie with three numbers", "MULT:100\n0\n10\n0\n10\n1,2:1,2,3\n", WindowRect{0, 0, 10, 10},
         0, 0},
        {"same machine twice", "MULT:100\n0\n10\n0\n10\n1,2:1,2,3,4\n1,2:5,6,7,8\n",
         WindowRect{0, 0, 10, 10}, 1, 0},
        {"line of garbage", "MULT:100\n0\n10\n0\n10\nLINE;a,b,c,d\nLINE;1,2\n",
         WindowRect{0, 0, 10, 10}, 0, 0},
        {"more than 32 lines", manyLines, WindowRect{0, 0, 10, 10}, 0, kGraphLineLimit},
    };
    for (const auto& row : rows) {
        const GraphPlace place = parseGraphPlace(row.bytes);
        EXPECT_EQ(place.window, row.window) << row.name;
        EXPECT_EQ(place.pies.size(), row.pies) << row.name;
        EXPECT_EQ(place.lines.size(), row.lines) << row.name;
    }
    EXPECT_EQ(parseGraphPlace("MULT:-3\n").scale, 100);
    EXPECT_EQ(parseGraphPlace("MULT:99999999999999\n").scale, 100);
}

TEST(GraphViewModel, NewPiesDoNotOverlapAndStayOnTheCanvas)
{
    for (int n = 0; n < kMachineSlots; ++n) {
        const WindowRect rect = newPiePlace(n);
        EXPECT_GE(rect.left, 0);
        EXPECT_LE(rect.right, kGraphCanvasWidth);
        EXPECT_LE(rect.bottom, kGraphCanvasHeight);
        if (n > 0) {
            const WindowRect before = newPiePlace(n - 1);
            const bool apart = rect.left >= before.right || rect.top >= before.bottom ||
                               rect.right <= before.left || rect.bottom <= before.top;
            EXPECT_TRUE(apart) << n;
        }
    }
}

TEST(GraphViewModel, WindowSavedOffScreenComesBack)
{
    EXPECT_EQ(withoutNegativeCorner({-300, -40, 500, 560}), (WindowRect{0, 0, 800, 600}));
    EXPECT_EQ(withoutNegativeCorner({30, 40, 500, 560}), (WindowRect{30, 40, 500, 560}));
}

TEST(GraphViewModel, BackgroundFile)
{
    test::TempWorkDir dir;
    EXPECT_EQ(readBackgroundPath(dir.workDir()), dir.path("MONBKGND.bmp"));
    dir.write("GBKGND.sys", "\r\n");
    EXPECT_EQ(readBackgroundPath(dir.workDir()), dir.path("MONBKGND.bmp"));

    ASSERT_TRUE(writeBackgroundPath(dir.workDir(), "/plans/Hall 2.BMP").ok);
    EXPECT_EQ(readBackgroundPath(dir.workDir()), "/plans/Hall 2.BMP");

    const std::string longPath = "/" + std::string(400, 'p') + ".bmp";
    ASSERT_TRUE(writeBackgroundPath(dir.workDir(), longPath).ok);
    EXPECT_EQ(readBackgroundPath(dir.workDir()).size(), kGraphBackgroundPathLimit);
}

TEST(GraphViewModel, BackgroundChoiceRefusals)
{
    EXPECT_EQ(backgroundRefusal("/plans/hall.png", true), kBackgroundNotBmp);
    EXPECT_EQ(backgroundRefusal("bmp", true), kBackgroundNotBmp);
    EXPECT_EQ(backgroundRefusal("", false), kBackgroundNotBmp);
    EXPECT_EQ(backgroundRefusal("/plans/hall.bmp", false), kBackgroundMissing);
    EXPECT_EQ(backgroundRefusal("/plans/hall.Bmp", true), std::nullopt);
}

}  // namespace
}  // namespace quillon
