// The hub's two ways of counting a machine: hub and port, and the flat index.
#include "monitoring/MachineSlot.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(MachineSlotTest, HubAndPortAgainstTheFlatIndex)
{
    EXPECT_EQ(MachineSlot::ofIndex(8), (MachineSlot{1, 0}));
    EXPECT_EQ((MachineSlot{15, 7}).index(), 127);
    EXPECT_EQ(MachineSlot::checked(11, 3), (MachineSlot{11, 3}));
    EXPECT_FALSE(MachineSlot::checked(16, 0));
    EXPECT_FALSE(MachineSlot::checked(0, 8));
    EXPECT_FALSE(MachineSlot::checked(-1, 0));
}

}  // namespace
}  // namespace quillon
