// The statuses and their colours: the defaults, the hub's GraphColor.sys over them, and a
// file that is damaged.
#include "monitoring/StatusTable.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(StatusTableTest, DefaultsHaveTheFixedNamesAndColours)
{
    const StatusTable table = StatusTable::defaults();
    EXPECT_EQ(table.names[0], "CYCLE ON");
    EXPECT_EQ(table.names[35], "FEED HOLD");
    EXPECT_EQ(table.names[36], "CYCLE ON\\SPINDLE ON");
    EXPECT_TRUE(table.names[3].empty());
    EXPECT_EQ(table.colors[23], 0x936C8Eu);
    EXPECT_TRUE(table.gradient);
    EXPECT_EQ(table.foreground, 0xFFFFFFu);
    EXPECT_EQ(table.colorOf("SETUP"), 0xFF0000u);
    EXPECT_EQ(table.colorOf("NO Ostler"), 0x000080u);
    EXPECT_FALSE(table.colorOf("WAITING FOR CRANE"));
    EXPECT_FALSE(table.colorOf("")) << "the free places are empty, not a status";
}

TEST(StatusTableTest, TheHubsFileNamesItsStatusesButNotTheFixedOnes)
{
    const std::string file =
        "0,8421504,0\r\n"
        "65280,RENAMED CYCLE\r\n"  // place 0 keeps its name
        "no comma here\r\n"        // place 1 stays as it was
        "16711935,SETUP\r\n"
        "8388736,WAITING FOR CRANE\r\n"
        "junk,QUALITY CHECK\r\n";
    std::string lines = file;
    for (int place = 5; place < 35; ++place)
        lines += "0,\r\n";
    lines += "255,SPINDLE STOP\r\n";  // 35: the hub may rename it
    const StatusTable table = StatusTable::parse(lines);
    EXPECT_FALSE(table.gradient);
    EXPECT_EQ(table.background, 8421504u);
    EXPECT_EQ(table.foreground, 0u);
    EXPECT_EQ(table.names[0], "CYCLE ON");
    EXPECT_EQ(table.colors[0], 65280u);
    EXPECT_EQ(table.colors[1], 0x0000FFu);
    EXPECT_EQ(table.colors[2], 16711935u);
    EXPECT_EQ(table.names[3], "WAITING FOR CRANE");
    EXPECT_EQ(table.names[4], "QUALITY CHECK");
    EXPECT_EQ(table.colors[4], 0x008000u) << "a colour that is no number is left alone";
    EXPECT_EQ(table.names[35], "SPINDLE STOP");
    EXPECT_EQ(table.colorOf("WAITING FOR CRANE"), 8388736u);
    EXPECT_EQ(table.find("QUALITY CHECK"), 4);
    EXPECT_FALSE(table.find("QUALITY CHECK", 5, 30));
    EXPECT_EQ(table.names[31], "LOADING");
}

TEST(StatusTableTest, AnEmptyOrBinaryFileLeavesTheDefaults)
{
    EXPECT_EQ(StatusTable::parse("").colors, StatusTable::defaults().colors);
    std::string binary(5000, '\0');
    binary[100] = ',';
    const StatusTable table = StatusTable::parse(binary);
    EXPECT_TRUE(table.gradient) << "a NUL is not the '0' that turns the gradient off";
    EXPECT_EQ(table.names[0], "CYCLE ON");
    // One line of 10 000 characters, then the places: the long line is one line.
    const StatusTable longLine =
        StatusTable::parse("1,0,16777215\r\n" + std::string(10'000, '7') + "\r\n255,MINE\r\n");
    EXPECT_EQ(longLine.names[1], "CYCLE OFF");
    EXPECT_EQ(longLine.colors[1], 255u);
}

}  // namespace
}  // namespace quillon
