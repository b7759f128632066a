// The monitoring list edit without its window: rows added, inserted, taken out and titled
// as the buttons of the window ask.
#include "monitoring/MonitoringListEdit.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

using Rows = std::vector<std::string>;

MonitoringListEdit sample()
{
    return MonitoringListEdit({"MILL 1", "MILL 2", "LATHE 3", "SAW 4"}, {"_MT_Cell A", "MILL 2"},
                              {"SAW 4"});
}

TEST(MonitoringListEdit, AddsThePickedMachinesInListOrderOnceEach)
{
    MonitoringListEdit edit = sample();
    // Picked bottom up, one twice, one out of range: added top down, each once.
    EXPECT_TRUE(edit.add(DisplayedList::DetailedGraph, {3, 0, 3, 9, -1}, std::nullopt));
    EXPECT_EQ(edit.rows(DisplayedList::DetailedGraph),
              (Rows{"_MT_Cell A", "MILL 2", "MILL 1", "SAW 4"}));
    // Insert before row 1; MILL 2 is there already and stays where it is.
    EXPECT_TRUE(edit.add(DisplayedList::TimeLine, {1, 2}, 0));
    EXPECT_EQ(edit.rows(DisplayedList::TimeLine), (Rows{"MILL 2", "LATHE 3", "SAW 4"}));
    EXPECT_TRUE(edit.add(DisplayedList::TimeLine, {0, 1}, 1));
    EXPECT_EQ(edit.rows(DisplayedList::TimeLine), (Rows{"MILL 2", "MILL 1", "LATHE 3", "SAW 4"}));
    // A row past the end is the end.
    MonitoringListEdit other = sample();
    EXPECT_TRUE(other.add(DisplayedList::TimeLine, {0}, 40));
    EXPECT_EQ(other.rows(DisplayedList::TimeLine), (Rows{"SAW 4", "MILL 1"}));
    // Nothing picked: nothing changes, and the window says so.
    EXPECT_FALSE(edit.add(DisplayedList::DetailedGraph, {}, std::nullopt));
    EXPECT_FALSE(edit.add(DisplayedList::DetailedGraph, {7}, std::nullopt));
    EXPECT_EQ(edit.rows(DisplayedList::DetailedGraph).size(), 4u);
}

TEST(MonitoringListEdit, TakesRowsOutAndPutsTitlesInTheDetailedList)
{
    MonitoringListEdit edit = sample();
    EXPECT_TRUE(edit.remove(DisplayedList::DetailedGraph, {1, 0, 1}));
    EXPECT_TRUE(edit.rows(DisplayedList::DetailedGraph).empty());
    EXPECT_FALSE(edit.remove(DisplayedList::DetailedGraph, {0}));
    EXPECT_FALSE(edit.remove(DisplayedList::TimeLine, {}));
    EXPECT_EQ(edit.rows(DisplayedList::TimeLine), Rows{"SAW 4"});

    edit.addTitle("_MT_", "Shop floor", std::nullopt);
    edit.addTitle("_ST_", "Cell B", 0);
    edit.addTitle("_ST_", "   ", std::nullopt);
    EXPECT_EQ(edit.rows(DisplayedList::DetailedGraph), (Rows{"_ST_Cell B", "_MT_Shop floor"}));
    EXPECT_EQ(edit.rows(DisplayedList::TimeLine), Rows{"SAW 4"});
}

}  // namespace
}  // namespace quillon
