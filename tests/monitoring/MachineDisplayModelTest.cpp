// The machine display's buttons: how they are created, how their colours follow the
// hub's states tick by tick, how the groups follow their machines, and sorting by name.
#include "monitoring/MachineDisplayModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quillon {
namespace {

using State = ButtonState;

MachineState monitored(bool inCycle = false)
{
    return {true, inCycle};
}

int slotOf(int hub, int port)
{
    return MachineSlot{hub, port}.index();
}

class MachineDisplayModelTest : public ::testing::Test {
protected:
    // Opens the display on hub 2 with ports 0 and 1 monitored, and runs the first tick.
    void openOnHubTwo()
    {
        states[std::size_t(slotOf(2, 0))] = monitored();
        states[std::size_t(slotOf(2, 1))] = monitored();
        ASSERT_TRUE(model.setStates(states));
        model.tick();
    }
    void set(int hub, int port, MachineState state)
    {
        states[std::size_t(slotOf(hub, port))] = state;
    }
    DisplayChanges tickWith()
    {
        model.setStates(states);
        return model.tick();
    }

    MachineStates states{};
    MachineDisplayModel model;
};

TEST_F(MachineDisplayModelTest, TheFirstStatesCreateEveryButtonOfTheHubsThatMonitorAMachine)
{
    set(2, 3, monitored());
    set(9, 0, {false, true});  // in cycle but not monitored: its hub stays empty
    EXPECT_TRUE(model.setStates(states));
    EXPECT_TRUE(model.created());
    for (int port = 0; port < kPortsPerHub; ++port)
        EXPECT_EQ(model.machineState(slotOf(2, port)),
                  port == 3 ? State::Idle : State::Unmonitored)
            << port;
    EXPECT_EQ(model.machineState(slotOf(9, 0)), State::NotCreated);
    EXPECT_FALSE(model.machineRect(slotOf(9, 0)));
    EXPECT_EQ(model.groupState(2), State::Unmonitored);

    // Later states never create buttons again, even for a hub that starts monitoring.
    set(5, 0, monitored());
    EXPECT_FALSE(model.setStates(states));
    model.tick();
    EXPECT_EQ(model.machineState(slotOf(5, 0)), State::NotCreated);
}

TEST_F(MachineDisplayModelTest, NothingHappensBeforeTheFirstStates)
{
    EXPECT_TRUE(model.tick().empty());
    EXPECT_TRUE(model.sort().empty());
    EXPECT_FALSE(model.groupRect(0));
}

TEST_F(MachineDisplayModelTest, AMachineMonitoredAfterOpeningTurnsRedThenGreenWithItsCycle)
{
    openOnHubTwo();
    ASSERT_EQ(model.machineState(slotOf(2, 5)), State::Unmonitored);

    set(2, 5, monitored(true));
    auto changes = tickWith();
    EXPECT_EQ(model.machineState(slotOf(2, 5)), State::Idle) << "one step per tick";
    EXPECT_EQ(changes.machines, std::vector<int>{slotOf(2, 5)});

    changes = tickWith();
    EXPECT_EQ(model.machineState(slotOf(2, 5)), State::InCycle);
    EXPECT_EQ(changes.machines, std::vector<int>{slotOf(2, 5)});

    set(2, 5, monitored(false));
    tickWith();
    EXPECT_EQ(model.machineState(slotOf(2, 5)), State::Idle);

    // Dropped by the hub, it stays red rather than going back to the menu colour.
    set(2, 5, {});
    EXPECT_TRUE(tickWith().machines.empty());
    EXPECT_EQ(model.machineState(slotOf(2, 5)), State::Idle);
}

TEST_F(MachineDisplayModelTest, OnlyTheButtonsWhoseStateChangedAreRepainted)
{
    openOnHubTwo();
    EXPECT_TRUE(tickWith().empty()) << "nothing new: nothing to repaint";

    set(2, 0, monitored(true));
    const auto changes = tickWith();
    EXPECT_EQ(changes.machines, std::vector<int>{slotOf(2, 0)});
    EXPECT_TRUE(changes.groups.empty()) << "port 1 is monitored and not in cycle";
    EXPECT_FALSE(changes.layout);
}

TEST_F(MachineDisplayModelTest, AGroupIsGreenWhileAllItsMonitoredMachinesCycle)
{
    openOnHubTwo();
    EXPECT_EQ(model.groupState(2), State::Idle) << "a monitored machine makes the group red";
    EXPECT_EQ(model.groupState(3), State::Unmonitored);

    struct Row {
        const char* scenario;
        bool port0InCycle;
        bool port1InCycle;
        State group;
    };
    const Row rows[] = {
        {"one of two in cycle", true, false, State::Idle},
        {"both in cycle", true, true, State::InCycle},
        {"the unmonitored ports do not count", true, true, State::InCycle},
        {"one leaves the cycle", false, true, State::Idle},
    };
    for (const Row& row : rows) {
        set(2, 0, monitored(row.port0InCycle));
        set(2, 1, monitored(row.port1InCycle));
        // The machines move on the first tick, the group on the same tick after them.
        tickWith();
        EXPECT_EQ(model.groupState(2), row.group) << row.scenario;
    }
}

TEST_F(MachineDisplayModelTest, SortingStandsTheCreatedMachinesInNameOrderAndHidesTheGroups)
{
    MachineNames names{};
    names[std::size_t(slotOf(0, 0))] = "MILL";
    names[std::size_t(slotOf(0, 1))] = "BORER";
    names[std::size_t(slotOf(1, 0))] = "ANVIL";
    names[std::size_t(slotOf(1, 1))] = "BORER";
    names[std::size_t(slotOf(4, 0))] = "AAA";  // not created: keeps out of the order
    model.setNames(names);
    set(0, 0, monitored());
    set(1, 0, monitored());
    model.setStates(states);

    const auto changes = model.sort();
    EXPECT_TRUE(changes.layout);
    EXPECT_TRUE(model.sorted());
    EXPECT_FALSE(model.groupRect(0));
    // The created places, hub 0 then hub 1, filled in name order: the six unnamed machines
    // first (in slot order), then ANVIL, the two BORERs in slot order, and MILL.
    EXPECT_EQ(model.machineRect(slotOf(0, 2)), buttonRectAt(0, 0));
    EXPECT_EQ(model.machineRect(slotOf(1, 7)), buttonRectAt(1, 3));
    EXPECT_EQ(model.machineRect(slotOf(1, 0)), buttonRectAt(1, 4));
    EXPECT_EQ(model.machineRect(slotOf(0, 1)), buttonRectAt(1, 5));
    EXPECT_EQ(model.machineRect(slotOf(1, 1)), buttonRectAt(1, 6));
    EXPECT_EQ(model.machineRect(slotOf(0, 0)), buttonRectAt(1, 7));
    EXPECT_FALSE(model.machineRect(slotOf(4, 0)));
    EXPECT_TRUE(model.sort().empty()) << "sorting twice changes nothing";

    // New names while sorted take their places at once.
    names[std::size_t(slotOf(0, 0))] = "ABBEY";
    EXPECT_TRUE(model.setNames(names).layout);
    EXPECT_EQ(model.machineRect(slotOf(0, 0)), buttonRectAt(1, 4));
    EXPECT_EQ(model.machineRect(slotOf(1, 0)), buttonRectAt(1, 5));

    // The groups stand still while sorted and catch up after "Un&sort".
    set(0, 0, monitored(true));
    tickWith();
    tickWith();
    EXPECT_EQ(model.groupState(0), State::Unmonitored);
    EXPECT_TRUE(model.unsort().layout);
    for (int slot : {slotOf(0, 0), slotOf(0, 1), slotOf(1, 7)})
        EXPECT_EQ(model.machineRect(slot),
                  buttonRectAt(MachineSlot::ofIndex(slot).hub, MachineSlot::ofIndex(slot).port));
    EXPECT_EQ(model.groupRect(0), buttonRectAt(0, -1));
    EXPECT_EQ(tickWith().groups, (std::vector<int>{0, 1})) << "both hubs monitor a machine";
    EXPECT_EQ(model.groupState(0), State::Idle);
}

TEST(MachineDisplayLayout, ButtonsStandInTwoBandsOfEightGroups)
{
    struct Row {
        const char* scenario;
        int group;
        int row;
        ButtonRect rect;
    };
    const Row rows[] = {
        {"first group button", 0, -1, {0, 30, 80, 30}},
        {"first machine", 0, 0, {0, 60, 80, 30}},
        {"last machine of the first band", 7, 7, {630, 270, 80, 30}},
        {"second band's first group", 8, -1, {0, 330, 80, 30}},
        {"second band's first machine", 8, 0, {0, 360, 80, 30}},
        {"last machine of all", 15, 7, {630, 570, 80, 30}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(buttonRectAt(row.group, row.row), row.rect) << row.scenario;
    EXPECT_EQ(groupLabel(0), "Group 1");
    EXPECT_EQ(groupLabel(15), "Group 16");
}

}  // namespace
}  // namespace quillon
