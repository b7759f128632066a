#include "monitoring/ShiftViews.h"

#include <gtest/gtest.h>

#include "platform/LocalTime.h"
#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

TEST(ShiftViewsTest, EachChoiceOpensItsStationsFiles)
{
    const MachineSlot slot{10, 3};
    const struct {
        const char* scenario;
        StationKind kind;
        StationChoice choice;
        std::vector<std::vector<std::string>> files;
    } cases[] = {
        {"single ignores the choice",
         StationKind::Single,
         StationChoice::Separate,
         {{"_TMP\\MonitorDataA3.SYS_"}}},
        {"station 1",
         StationKind::TwoHeads,
         StationChoice::First,
         {{"_TMP\\MonitorDataA30.SYS_"}}},
        {"station 2",
         StationKind::TwoPallets,
         StationChoice::Second,
         {{"_TMP\\MonitorDataA31.SYS_"}}},
        {"merged: one window over both",
         StationKind::TwoHeads,
         StationChoice::Merged,
         {{"_TMP\\MonitorDataA30.SYS_", "_TMP\\MonitorDataA31.SYS_"}}},
        {"apart: a window each",
         StationKind::TwoHeads,
         StationChoice::Separate,
         {{"_TMP\\MonitorDataA30.SYS_"}, {"_TMP\\MonitorDataA31.SYS_"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        std::vector<std::vector<std::string>> files;
        for (const CurrentShiftWindow& window : currentShiftWindows(slot, c.kind, c.choice))
            files.push_back(window.files);
        EXPECT_EQ(files, c.files);
    }
}

TEST(ShiftViewsTest, TheArchiveOpensInTheLocalMonthOfNow)
{
    // 23:30 on New Year's Eve in the shop is already January in UTC.
    const test::ScopedTimeZone zone;
    const auto now = *localToSeconds({2026, 12, 31, 23, 30, 0});
    EXPECT_EQ(archivedShiftPrompt("/mnt/hub/", now).directory, "/mnt/hub/_MONITORING/2026-12");
    EXPECT_EQ(archivedShiftPrompt("\\\\srv\\hub\\", now).directory,
              "//srv/hub/_MONITORING/2026-12");
}

TEST(ShiftViewsTest, WindowNumbersReuseTheLowestFreeOne)
{
    WindowNumbers numbers(3);
    EXPECT_EQ(numbers.take(), 1);
    EXPECT_EQ(numbers.take(), 2);
    EXPECT_EQ(numbers.take(), 3);
    EXPECT_EQ(numbers.take(), std::nullopt);
    numbers.release(2);
    numbers.release(7);  // never handed out: ignored
    EXPECT_EQ(numbers.taken(), 2);
    EXPECT_EQ(numbers.take(), 2);
    EXPECT_EQ(numbers.take(), std::nullopt);
}

}  // namespace
}  // namespace quillon
