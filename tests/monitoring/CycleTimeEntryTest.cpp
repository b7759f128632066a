// Cycle times in the "New Part Number" entry, in minutes with tenths or in seconds.
#include "monitoring/CycleTimeEntry.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillon {
namespace {

TEST(CycleTimeEntryTest, ShownInTheMachinesUnit)
{
    struct Row {
        int seconds;
        bool minutes;
        const char* shown;
    };
    const Row rows[] = {
        {95, true, "1.5"},    {138, true, "2.3"},  {59, true, "0.9"}, {5, true, "0.0"},
        {3600, true, "60.0"}, {-90, true, "-1.5"}, {95, false, "95"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(cycleTimeText(row.seconds, row.minutes), row.shown) << row.seconds;
}

TEST(CycleTimeEntryTest, ReadInTheMachinesUnit)
{
    struct Row {
        const char* typed;
        bool minutes;
        int seconds;
    };
    const Row rows[] = {
        {"2.3", true, 138},  {"1.5", true, 90},   {"2", true, 120},  {" 2.35", true, 138},
        {".5", true, 30},    {"2.x", true, 120},  {"abc", true, 0},  {"-1.5", true, -90},
        {"-0.5", true, -30}, {"138", false, 138}, {"2.3", false, 2},
    };
    for (const Row& row : rows)
        EXPECT_EQ(cycleTimeSeconds(row.typed, row.minutes), row.seconds) << row.typed;
}

TEST(CycleTimeEntryTest, HugeEntriesDoNotOverflow)
{
    EXPECT_GT(cycleTimeSeconds("99999999999999999999.9", true), 0);
    EXPECT_EQ(cycleTimeSeconds("99999999999999999999", false), std::numeric_limits<int>::max());
}

}  // namespace
}  // namespace quillon
