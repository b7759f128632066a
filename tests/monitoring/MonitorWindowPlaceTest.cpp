// The monitoring windows' place files: the order of the edges, what a short file gives,
// and windows saved partly off the screen.
#include "monitoring/MonitorWindowPlace.h"

#include <gtest/gtest.h>

#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(MonitorWindowPlace, ReadsTheEdgesLeftRightTopBottomAndTheExtrasTheFileHas)
{
    struct Row {
        const char* scenario;
        std::string bytes;
        std::optional<WindowRect> rect;
        std::vector<int> extras;
    };
    const Row rows[] = {
        {"whole", "10\r\n810\r\n20\r\n620\r\n90\r\n", WindowRect{10, 20, 810, 620}, {90}},
        {"no scroll line", "10\r\n810\r\n20\r\n620\r\n", WindowRect{10, 20, 810, 620}, {}},
        {"lines past the extras are left", "1\n2\n3\n4\n5\n6\n", WindowRect{1, 3, 2, 4}, {5}},
        {"short: the default place", "10\r\n810\r\n20\r\n", std::nullopt, {}},
        {"empty", "", std::nullopt, {}},
        {"left off the screen moves right",
         "-50\n750\n20\n620\n30\n",
         WindowRect{0, 20, 800, 620},
         {30}},
        {"top off the screen moves down", "10\n810\n-100\n500\n", WindowRect{10, 0, 810, 600}, {}},
        {"text reads as atoi does", "x\n 40abc\n0\n300\n", WindowRect{0, 0, 40, 300}, {}},
    };
    for (const Row& row : rows) {
        const auto place = parseMonitorWindowPlace(row.bytes, 1);
        EXPECT_EQ(place.rect, row.rect) << row.scenario;
        EXPECT_EQ(place.extras, row.extras) << row.scenario;
    }
}

TEST(MonitorWindowPlace, RoundTripsThroughItsFile)
{
    test::TempWorkDir dir;
    const std::string path = dir.workDir().file(kMachineDisplayPlaceFile);
    EXPECT_FALSE(readMonitorWindowPlace(path, 1));
    ASSERT_TRUE(writeMonitorWindowPlace(path, {15, 25, 735, 525}, {120}).ok);
    EXPECT_EQ(readFile(path), "15\r\n735\r\n25\r\n525\r\n120\r\n");
    const auto place = readMonitorWindowPlace(path, 1);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->rect, (WindowRect{15, 25, 735, 525}));
    EXPECT_EQ(place->extras, std::vector<int>{120});
}

}  // namespace
}  // namespace quillon
