// Setting a machine's status from the detailed view, without the dialogs: whether a click
// may start it, which status the list offers first, and the "New Part Number" entry of a
// SETUP with its labels, its prefilled fields and what OK makes of them.
//
//   click on status    refused while the machine is in cycle or unreachable, else
//                      "_GETMON_LIST," goes out
//   "_MON_LIST:"       the statuses offered, one preselected
//   status chosen      "_SETMON_STATUS," with it, or for SETUP the new job asked for and
//                      sent with its part number(s), cycle times and pieces per cycle
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineRecord.h"
#include "monitoring/SetupEntry.h"

namespace quillon {

inline constexpr std::string_view kSetStatusTitle = "Set machine status: ";
inline constexpr std::string_view kNewPartNumberTitle = "New Part Number";

// The hub decides a running machine's status itself, and an unreachable one has nobody
// to take it.
bool statusChangeAllowed(std::string_view status);

std::string setStatusTitle(std::string_view machineName);

// The entry the list opens on: the last for a locked machine (where the hub puts its
// unlock), else the first that begins with the current status, else the first. Nothing
// for an empty list.
std::optional<std::size_t> preselectedStatus(const std::vector<std::string>& statuses,
                                             std::string_view current);

// The "New Part Number" entry: what its fields are called and what they hold, cycle
// times in the machine's unit.
struct PartNumberForm {
    bool twoStations = false;
    bool inMinutes = false;
    std::string partNumber1;
    std::string partNumber2;
    std::string minCycle1;
    std::string maxCycle1;
    std::string minCycle2;
    std::string maxCycle2;
    int pieces1 = 1;
    int pieces2 = 1;
};
PartNumberForm partNumberForm(const MachineRecord& record);

enum class PartNumberField {
    PartNumber1,
    PartNumber2,
    MinCycle1,
    MaxCycle1,
    MinCycle2,
    MaxCycle2,
    Pieces1,
    Pieces2
};
std::string partNumberLabel(PartNumberField field, bool twoStations, bool inMinutes);

// What OK makes of the entry: the setup to send, or why it cannot go. The hub splits the
// SETUP form at commas, so a part number holding one would shift every later field; a
// cycle time range that cannot be taken is said so rather than silently keeping the
// machine's old one.
struct SetupVerdict {
    std::optional<ConfirmedSetup> setup;
    std::string problem;
};
SetupVerdict checkPartNumberForm(const MachineRecord& record, const PartNumberForm& typed);

}  // namespace quillon
