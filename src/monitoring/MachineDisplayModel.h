// The machine display without its widgets: one button per hub machine in 16 groups of 8,
// the state each button shows, the order they stand in (slot order or sorted by name) and
// where each one is drawn.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "monitoring/IncomingDatagrams.h"
#include "monitoring/MachineSlot.h"

namespace quillon {

// What a button shows. The values are the ones the display has always counted with.
enum class ButtonState : int {
    NotCreated = 0,
    Unmonitored = -1,  // the menu colour
    Idle = 1,          // red, white text
    InCycle = 2,       // green, black text
};

// A button's rectangle on the display's canvas, before scrolling.
struct ButtonRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ButtonRect&) const = default;
};

// The canvas: two bands of eight groups, one column per group.
//
//   x:  0    90   180  ...  630
//   y:  30   [Group 1][Group 2] ... [Group 8]      first band
//       60   [hub 0 port 0] ...
//       ...
//       270  [hub 0 port 7] ...
//       330  [Group 9] ...  [Group 16]             second band: ten buttons lower
//       360  [hub 8 port 0] ...
namespace machine_display {
inline constexpr int kButtonWidth = 80;
inline constexpr int kButtonHeight = 30;
inline constexpr int kColumnPitch = 90;
inline constexpr int kFirstMachineTop = 60;
inline constexpr int kGroupsPerBand = 8;
inline constexpr int kBandShift = 10 * kButtonHeight;
// The canvas scrolls by button heights, a page of eight, over the second band's height
// and the gap above it.
inline constexpr int kScrollStep = 30;
inline constexpr int kScrollPage = 8 * kScrollStep;
inline constexpr int kScrollRange = 330;
}  // namespace machine_display

// Where a group's machine number `row` stands (row -1: the group's own button).
ButtonRect buttonRectAt(int group, int row);

// "Group 1" .. "Group 16".
std::string groupLabel(int group);

// The buttons a tick or a command changed; the window repaints only these.
struct DisplayChanges {
    std::vector<int> machines;  // slot indices
    std::vector<int> groups;    // 0..15
    // Buttons moved or groups were shown or hidden: everything is laid out again.
    bool layout = false;
    bool empty() const { return machines.empty() && groups.empty() && !layout; }
};

class MachineDisplayModel {
public:
    // "_MCHINI:": the names the buttons carry. While sorted, new names stand the buttons
    // in their new order.
    DisplayChanges setNames(const MachineNames& names);
    // "_MCHUPDATE:": kept for the next tick. The first states after opening create the
    // buttons: all eight of every hub that monitors at least one machine, red for a
    // monitored one and in the menu colour for the others. True when this created them.
    bool setStates(const MachineStates& states);
    bool created() const { return m_created; }

    // One second of the display's timer: each created button moves one step towards what
    // the last states say, then (unless sorted) each group follows its machines.
    DisplayChanges tick();

    // "&Sort": the group buttons go and the created machines stand in name order in the
    // places the created buttons take in slot order. "Un&sort" brings the slot order back.
    DisplayChanges sort();
    DisplayChanges unsort();
    bool sorted() const { return m_sorted; }

    ButtonState machineState(int slot) const { return m_machines.at(std::size_t(slot)); }
    ButtonState groupState(int group) const { return m_groups.at(std::size_t(group)); }
    const std::string& name(int slot) const { return m_names.at(std::size_t(slot)); }
    // Where a created machine's button stands now; nothing for one not created.
    std::optional<ButtonRect> machineRect(int slot) const;
    // Where a group's button stands; nothing while sorted or before the buttons exist.
    std::optional<ButtonRect> groupRect(int group) const;

private:
    void placeByName();

    MachineNames m_names{};
    MachineStates m_states{};
    std::array<ButtonState, kMachineSlots> m_machines{};
    std::array<ButtonState, kHubCount> m_groups{};
    // The slot standing in each place (slot order when not sorted).
    std::array<int, kMachineSlots> m_placeOf{};
    bool m_created = false;
    bool m_sorted = false;
};

}  // namespace quillon
