// The hub's own description of its machines, read from its shared directory:
//
//   _SETUP\CairnConf.sys   NM:<name> names the slots in order (the k-th is hub k / 8,
//                          port k % 8); DT:<dir> and DR:<dir> after it are that machine's
//                          download and upload folders.
//   _SETUP\MonSetup.sys    one block per slot in the same order: a header "hub,port"
//                          counted from 1, ON:1 when the machine is monitored, TH:<digit>
//                          its station kind, and lines of the hub's own.
//
// Both are the hub's business: keys we do not know are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"

namespace quillon {

inline constexpr std::string_view kHubConfigurationFile = "_SETUP\\CairnConf.sys";
inline constexpr std::string_view kMonitorSetupFile = "_SETUP\\MonSetup.sys";

// What callers show when a file of the hub cannot be opened or a machine is not described.
inline constexpr std::string_view kHubSetupNotFound =
    "Quillon setup is not found - check Quillon remote configuration";
inline constexpr std::string_view kHubSetupNotFoundForRequest =
    "Quillon setup is not found - read access denied/check Quillon remote configuration";
inline constexpr std::string_view kMonitorSetupNotFound =
    "Quillon monitoring setup is not found - check Quillon remote configuration";
inline constexpr std::string_view kMonitorSetupNotFoundForList =
    "Quillon Monitor setup is not found - check Quillon remote configuration";
inline constexpr std::string_view kCannotIdentifyMachine = "Can not identify machine";

struct HubMachine {
    // Empty for a slot the hub leaves unused.
    std::string name;
    std::string downloadDirectory;
    std::string uploadDirectory;
};

// The slots of CairnConf.sys, at most one per machine the hub can address.
class HubConfiguration {
public:
    static HubConfiguration parse(std::string_view bytes);

    // Indexed by the slot's flat index.
    const std::vector<HubMachine>& machines() const { return m_machines; }
    // Empty when the slot is not named.
    std::string_view nameOf(MachineSlot slot) const;
    // The slot of the first NM: line with exactly this name; nothing for an empty name.
    std::optional<MachineSlot> slotOf(std::string_view name) const;
    const HubMachine* machine(MachineSlot slot) const;

private:
    std::vector<HubMachine> m_machines;
};

struct MonitorBlock {
    // The header's hub and port, when both lie in the hub's range.
    std::optional<MachineSlot> slot;
    bool monitored = false;
    // Nothing when the block has no TH: line.
    std::optional<StationKind> stationKind;
};

// The blocks of MonSetup.sys, the i-th block describing the i-th NM: slot.
class MonitorSetup {
public:
    static MonitorSetup parse(std::string_view bytes);

    const std::vector<MonitorBlock>& blocks() const { return m_blocks; }
    bool isMonitored(MachineSlot slot) const;
    // Nothing when the slot has no block or its block no TH: line ("Can not identify
    // machine").
    std::optional<StationKind> stationKind(MachineSlot slot) const;
    // The hub and port the slot's block header gives.
    std::optional<MachineSlot> headerSlot(MachineSlot slot) const;

private:
    std::vector<MonitorBlock> m_blocks;
};

// Nothing when the file cannot be opened below the hub directory.
std::optional<HubConfiguration> readHubConfiguration(std::string_view hubDirectory);
std::optional<MonitorSetup> readMonitorSetup(std::string_view hubDirectory);

// The "Machines monitored" list: the name of every slot whose block says ON:1, in slot
// order, each name once.
std::vector<std::string> monitoredMachineNames(const HubConfiguration& configuration,
                                               const MonitorSetup& setup);

}  // namespace quillon
