// The names of the hub's shift files: the current shift's per machine and station, the
// archived ones per month, shift and station, and what the file dialog makes of them.
#include "monitoring/ShiftFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/ShiftSamples.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::kShiftStart;

TEST(ShiftFilesTest, CurrentShiftFilesByHubPortAndStation)
{
    const struct {
        MachineSlot machine;
        std::optional<int> station;
        const char* name;
    } rows[] = {
        {{2, 5}, std::nullopt, "_TMP\\MonitorData25.SYS_"},
        {{2, 5}, 1, "_TMP\\MonitorData250.SYS_"},
        {{2, 5}, 2, "_TMP\\MonitorData251.SYS_"},
        {{10, 0}, std::nullopt, "_TMP\\MonitorDataA0.SYS_"},
        {{15, 7}, 2, "_TMP\\MonitorDataF71.SYS_"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(currentShiftFileName(row.machine, row.station), row.name) << row.name;

    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub/";
    std::filesystem::create_directories(hub + "_tmp");
    test::writeBytes(hub + "_tmp/monitordataa01.sys_", "");
    EXPECT_EQ(findCurrentShiftFile(hub, {10, 0}, 2), hub + "_tmp/monitordataa01.sys_")
        << "the share may spell it in any case";
    EXPECT_EQ(findCurrentShiftFile(hub, {10, 0}, 1), std::nullopt);
    EXPECT_EQ(findCurrentShiftFile(hub, {10, 0}, std::nullopt), std::nullopt);
}

TEST(ShiftFilesTest, ArchivedNamesReadBackAndMatchTheirDialogPattern)
{
    test::ScopedTimeZone zone;
    // The month is the shop's: 03:00 UTC on June 1st is still May 31st there.
    EXPECT_EQ(monthFolderName(kShiftStart), "_MONITORING\\2016-05");
    EXPECT_EQ(monthFolderName(1464750000), "_MONITORING\\2016-05");
    EXPECT_EQ(monthFolderName(1464750000 + 3 * 3600), "_MONITORING\\2016-06");

    const struct {
        StationKind kind;
        std::optional<int> station;
        const char* name;
        const char* pattern;
    } rows[] = {
        {StationKind::Single, std::nullopt, "MON12_LATHE1_SHIFT2.MON", "?????_LATHE1_SHIFT?.MON"},
        {StationKind::TwoHeads, 2, "MON12_LATHE1_SHIFT2_HEAD2.MON",
         "?????_LATHE1_SHIFT?_HEAD?.MON"},
        {StationKind::TwoPallets, 1, "MON12_LATHE1_SHIFT2_PALLET1.MON",
         "?????_LATHE1_SHIFT?_PALLET?.MON"},
        {StationKind::Unknown, 1, "MON12_LATHE1_SHIFT2.MON", "?????_LATHE1_SHIFT?.MON"},
    };
    for (const auto& row : rows) {
        const std::string name =
            archivedShiftFileName(kShiftStart, "LATHE1", 2, row.kind, row.station);
        EXPECT_EQ(name, row.name);
        EXPECT_EQ(archivedShiftFilePath(kShiftStart, "LATHE1", 2, row.kind, row.station),
                  std::string("_MONITORING\\2016-05\\") + row.name);
        EXPECT_EQ(shiftFilePattern("LATHE1", row.kind), row.pattern);
        EXPECT_TRUE(matchesShiftFilePattern("/mnt/hub/_MONITORING/2016-05/" + name, row.pattern))
            << name;
        EXPECT_EQ(machineNameOfShiftFile(name), "LATHE1");
        EXPECT_TRUE(hasShiftFileExtension(name));
    }
    // Another machine's, or another kind's, file is not offered.
    EXPECT_FALSE(matchesShiftFilePattern("MON12_LATHE2_SHIFT2.MON", "?????_LATHE1_SHIFT?.MON"));
    EXPECT_FALSE(
        matchesShiftFilePattern("MON12_LATHE1_SHIFT2_HEAD1.MON", "?????_LATHE1_SHIFT?.MON"));
    EXPECT_FALSE(matchesShiftFilePattern("MON1_LATHE1_SHIFT2.MON", "?????_LATHE1_SHIFT?.MON"));
    EXPECT_TRUE(matchesShiftFilePattern("ab3de_lathe1_shift9.mon", "?????_LATHE1_SHIFT?.MON"));
}

TEST(ShiftFilesTest, MachineNamesAndExtensionsOfChosenFiles)
{
    const struct {
        const char* file;
        std::optional<std::string> machine;
        bool extension;
    } rows[] = {
        {"C:\\HUB_1\\_MONITORING\\2016-05\\MON12_MILL 4_SHIFT1.MON", "MILL 4", true},
        {"/mnt/hub_1/MON12__SHIFT1.mon", "", true},
        {"MON12_MILL4.MON", std::nullopt, true},
        {"NOUNDERSCORE", std::nullopt, false},
        {"MON12_MILL4_SHIFT1.MONX", "MILL4", false},
        {"MON", std::nullopt, false},
        {"", std::nullopt, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(machineNameOfShiftFile(row.file), row.machine) << row.file;
        EXPECT_EQ(hasShiftFileExtension(row.file), row.extension) << row.file;
    }
}

}  // namespace
}  // namespace quillon
