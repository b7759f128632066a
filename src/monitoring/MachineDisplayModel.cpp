#include "monitoring/MachineDisplayModel.h"

#include <algorithm>
#include <numeric>

namespace quillon {

using namespace machine_display;

namespace {

bool hubMonitorsAny(const MachineStates& states, int hub)
{
    for (int port = 0; port < kPortsPerHub; ++port)
        if (states[std::size_t(MachineSlot{hub, port}.index())].monitored)
            return true;
    return false;
}

// One step of a machine's button: into red once monitored, between red and green as the
// cycle comes and goes. Nothing leads back to the menu colour: a machine the hub stops
// monitoring keeps its last colour until the display is opened again.
ButtonState nextMachineState(ButtonState state, const MachineState& reported)
{
    switch (state) {
    case ButtonState::Unmonitored:
        return reported.monitored ? ButtonState::Idle : state;
    case ButtonState::Idle:
        return reported.inCycle ? ButtonState::InCycle : state;
    case ButtonState::InCycle:
        return reported.inCycle ? state : ButtonState::Idle;
    case ButtonState::NotCreated:
        break;
    }
    return state;
}

bool isMonitored(ButtonState state)
{
    return state == ButtonState::Idle || state == ButtonState::InCycle;
}

}  // namespace

ButtonRect buttonRectAt(int group, int row)
{
    const int band = group / kGroupsPerBand;
    return {kColumnPitch * (group % kGroupsPerBand),
            kFirstMachineTop + kButtonHeight * row + kBandShift * band, kButtonWidth,
            kButtonHeight};
}

std::string groupLabel(int group)
{
    return "Group " + std::to_string(group + 1);
}

bool MachineDisplayModel::setStates(const MachineStates& states)
{
    m_states = states;
    if (m_created)
        return false;
    m_created = true;
    for (int hub = 0; hub < kHubCount; ++hub) {
        m_groups[std::size_t(hub)] = ButtonState::Unmonitored;
        if (!hubMonitorsAny(states, hub))
            continue;
        for (int port = 0; port < kPortsPerHub; ++port) {
            const auto slot = std::size_t(MachineSlot{hub, port}.index());
            m_machines[slot] =
                states[slot].monitored ? ButtonState::Idle : ButtonState::Unmonitored;
        }
    }
    std::iota(m_placeOf.begin(), m_placeOf.end(), 0);
    return true;
}

DisplayChanges MachineDisplayModel::tick()
{
    DisplayChanges changes;
    if (!m_created)
        return changes;
    for (int slot = 0; slot < kMachineSlots; ++slot) {
        ButtonState& state = m_machines[std::size_t(slot)];
        const ButtonState next = nextMachineState(state, m_states[std::size_t(slot)]);
        if (next != state) {
            state = next;
            changes.machines.push_back(slot);
        }
    }
    // Hidden while sorted, the groups wait for the slot order to come back.
    if (m_sorted)
        return changes;
    for (int hub = 0; hub < kHubCount; ++hub) {
        int monitored = 0;
        int inCycle = 0;
        for (int port = 0; port < kPortsPerHub; ++port) {
            const ButtonState machine = m_machines[std::size_t(MachineSlot{hub, port}.index())];
            monitored += isMonitored(machine) ? 1 : 0;
            inCycle += machine == ButtonState::InCycle ? 1 : 0;
        }
        ButtonState& group = m_groups[std::size_t(hub)];
        ButtonState next = group;
        if (group == ButtonState::Unmonitored && monitored > 0)
            next = ButtonState::Idle;
        else if (group == ButtonState::Idle && monitored > 0 && inCycle == monitored)
            next = ButtonState::InCycle;
        else if (group == ButtonState::InCycle && inCycle != monitored)
            next = ButtonState::Idle;
        if (next != group) {
            group = next;
            changes.groups.push_back(hub);
        }
    }
    return changes;
}

DisplayChanges MachineDisplayModel::setNames(const MachineNames& names)
{
    DisplayChanges changes;
    m_names = names;
    if (m_sorted) {
        placeByName();
        changes.layout = true;
    }
    return changes;
}

DisplayChanges MachineDisplayModel::sort()
{
    DisplayChanges changes;
    if (!m_created || m_sorted)
        return changes;
    placeByName();
    m_sorted = true;
    changes.layout = true;
    return changes;
}

void MachineDisplayModel::placeByName()
{
    std::vector<int> places;
    for (int slot = 0; slot < kMachineSlots; ++slot)
        if (m_machines[std::size_t(slot)] != ButtonState::NotCreated)
            places.push_back(slot);
    // Swapping neighbours until none is out of order keeps machines of one name in slot
    // order: a stable sort gives the same order.
    std::vector<int> byName = places;
    std::stable_sort(byName.begin(), byName.end(),
                     [this](int a, int b) { return name(a) < name(b); });
    for (std::size_t i = 0; i < places.size(); ++i)
        m_placeOf[std::size_t(byName[i])] = places[i];
}

DisplayChanges MachineDisplayModel::unsort()
{
    DisplayChanges changes;
    if (!m_sorted)
        return changes;
    std::iota(m_placeOf.begin(), m_placeOf.end(), 0);
    m_sorted = false;
    changes.layout = true;
    return changes;
}

std::optional<ButtonRect> MachineDisplayModel::machineRect(int slot) const
{
    if (machineState(slot) == ButtonState::NotCreated)
        return std::nullopt;
    const MachineSlot place = MachineSlot::ofIndex(m_placeOf[std::size_t(slot)]);
    return buttonRectAt(place.hub, place.port);
}

std::optional<ButtonRect> MachineDisplayModel::groupRect(int group) const
{
    if (!m_created || m_sorted)
        return std::nullopt;
    return buttonRectAt(group, -1);
}

}  // namespace quillon
