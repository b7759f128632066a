// The hub's CairnConf.sys and MonSetup.sys: slots, monitored flags and station kinds.
#include "monitoring/HubSetup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

std::string nmLines(int count)
{
    std::string bytes;
    for (int n = 0; n < count; ++n)
        bytes += "NM:M" + std::to_string(n) + "\nDT:/dl/" + std::to_string(n) + "\n";
    return bytes;
}

TEST(HubConfiguration, TheKthNameLineIsHubKDiv8PortKMod8)
{
    const auto config = HubConfiguration::parse(nmLines(12));
    ASSERT_EQ(config.machines().size(), 12u);
    EXPECT_EQ(config.nameOf({1, 0}), "M8");
    EXPECT_EQ(config.slotOf("M8"), (MachineSlot{1, 0}));
    EXPECT_EQ(config.slotOf("M11"), (MachineSlot{1, 3}));
    EXPECT_EQ(config.nameOf({1, 4}), "");
    EXPECT_EQ(config.nameOf({15, 7}), "");
}

TEST(HubConfiguration, FolderLinesBelongToTheNameBeforeThem)
{
    const auto config = HubConfiguration::parse(
        "DT:/stray\r\n"
        "NM:MILL 1\r\n"
        "XX:hub's own key\r\n"
        "DR:/up/mill\r\n"
        "DT:/down/mill\r\n"
        "NM:LATHE\r\n"
        "DR:/up/lathe\r\n");
    ASSERT_EQ(config.machines().size(), 2u);
    const auto* mill = config.machine({0, 0});
    ASSERT_NE(mill, nullptr);
    EXPECT_EQ(mill->name, "MILL 1");
    EXPECT_EQ(mill->downloadDirectory, "/down/mill");
    EXPECT_EQ(mill->uploadDirectory, "/up/mill");
    const auto* lathe = config.machine({0, 1});
    ASSERT_NE(lathe, nullptr);
    EXPECT_EQ(lathe->downloadDirectory, "");
    EXPECT_EQ(lathe->uploadDirectory, "/up/lathe");
}

TEST(HubConfiguration, ANameIsFoundOnlyAsWritten)
{
    const auto config = HubConfiguration::parse("NM:\nNM:MILL\nNM:mill\nNM:MILL\nNM:MILL \n");
    EXPECT_EQ(config.slotOf("MILL"), (MachineSlot{0, 1}));
    EXPECT_EQ(config.slotOf("mill"), (MachineSlot{0, 2}));
    EXPECT_EQ(config.slotOf("MILL "), (MachineSlot{0, 4}));
    EXPECT_FALSE(config.slotOf("Mill"));
    EXPECT_FALSE(config.slotOf("")) << "an unused slot is no machine called \"\"";
}

TEST(HubConfiguration, HostileFilesKeepEverySlotInPlace)
{
    // A thousand names: the 128 the hub can address are used, and the folder lines of
    // the 129th do not fall onto the last one.
    const auto many = HubConfiguration::parse(nmLines(1000));
    ASSERT_EQ(many.machines().size(), 128u);
    EXPECT_EQ(many.nameOf({15, 7}), "M127");
    EXPECT_EQ(many.machine({15, 7})->downloadDirectory, "/dl/127");

    // A 10 000-character name is cut to what the line buffer holds; the next line stays
    // the next machine.
    const auto longName = HubConfiguration::parse("NM:" + std::string(10000, 'x') + "\nNM:B\n");
    ASSERT_EQ(longName.machines().size(), 2u);
    EXPECT_EQ(longName.nameOf({0, 0}), std::string(256, 'x'));
    EXPECT_EQ(longName.nameOf({0, 1}), "B");

    std::string binary;
    for (int n = 0; n < 4096; ++n)
        binary += static_cast<char>((n * 37) % 256);
    EXPECT_LE(HubConfiguration::parse(binary).machines().size(), 128u);
    EXPECT_TRUE(HubConfiguration::parse("").machines().empty());
}

constexpr const char* kMonSetup =
    "hub's preamble\n"
    "ON:1\n"  // before any block: belongs to no slot
    "1,1\nON:1\nTH:0\n"
    "1,2\nXX:5\nON:0\nTH:1\n"
    "1,3\nON:1\nTH:7\n"
    "3,5\nON:1\n"
    "17,1\nON:1\nTH:2\n"
    "1,6\nON:x\nON:1\nTH:\n";

TEST(MonitorSetup, BlocksFollowTheNameLinesInOrder)
{
    const auto setup = MonitorSetup::parse(kMonSetup);
    ASSERT_EQ(setup.blocks().size(), 6u);
    const struct {
        const char* scenario;
        MachineSlot slot;
        bool monitored;
        std::optional<StationKind> kind;
        std::optional<MachineSlot> header;
    } cases[] = {
        {"single station", {0, 0}, true, StationKind::Single, MachineSlot{0, 0}},
        {"two heads, not monitored", {0, 1}, false, StationKind::TwoHeads, MachineSlot{0, 1}},
        {"a kind outside 0..2 is unknown", {0, 2}, true, StationKind::Unknown, MachineSlot{0, 2}},
        {"no TH: line: cannot identify", {0, 3}, true, std::nullopt, MachineSlot{2, 4}},
        {"header outside the hub's range", {0, 4}, true, StationKind::TwoPallets, std::nullopt},
        {"the first ON: line of a block counts",
         {0, 5},
         false,
         StationKind::Unknown,
         MachineSlot{0, 5}},
        {"no block at all", {3, 0}, false, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setup.isMonitored(c.slot), c.monitored) << c.scenario;
        EXPECT_EQ(setup.stationKind(c.slot), c.kind) << c.scenario;
        EXPECT_EQ(setup.headerSlot(c.slot), c.header) << c.scenario;
    }
}

TEST(MonitorSetup, MachinesMonitoredAreListedInSlotOrderEachOnce)
{
    const auto config = HubConfiguration::parse("NM:A\nNM:B\nNM:C\nNM:A\nNM:\nNM:F\n");
    const auto setup = MonitorSetup::parse(
        "1,1\nON:1\n1,2\nON:0\n1,3\nON:1\n"
        "1,4\nON:1\n1,5\nON:1\n1,6\nON:1\n");
    EXPECT_EQ(monitoredMachineNames(config, setup), (std::vector<std::string>{"A", "C", "F"}));
}

TEST(MonitorSetup, ThousandsOfBlocksStopAtTheLastSlot)
{
    std::string bytes;
    for (int n = 0; n < 1000; ++n)
        bytes += "1,1\nON:" + std::string(n < 128 ? "0" : "1") + "\nTH:1\n";
    const auto setup = MonitorSetup::parse(bytes);
    EXPECT_EQ(setup.blocks().size(), 128u);
    EXPECT_FALSE(setup.isMonitored({15, 7}));
}

TEST(HubSetupFiles, AreReadFromTheShareInWhateverCaseItSpellsThem)
{
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub/";
    std::filesystem::create_directories(hub + "_Setup");
    EXPECT_FALSE(readHubConfiguration(hub));
    EXPECT_FALSE(readMonitorSetup(hub));

    test::writeBytes(hub + "_Setup/CAIRNCONF.SYS", "NM:A\n");
    test::writeBytes(hub + "_Setup/monsetup.sys", "1,1\nON:1\nTH:2\n");
    const auto config = readHubConfiguration(hub);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->nameOf({0, 0}), "A");
    const auto setup = readMonitorSetup(hub);
    ASSERT_TRUE(setup);
    EXPECT_EQ(setup->stationKind({0, 0}), StationKind::TwoPallets);
}

}  // namespace
}  // namespace quillon
