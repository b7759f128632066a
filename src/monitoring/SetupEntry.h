// The "New Part Number" entry's OK: which of the typed cycle times a SETUP takes over from
// the machine's record, and whether it starts the machine's counts again.
#pragma once

#include <optional>

#include "monitoring/Datagrams.h"
#include "monitoring/MachineRecord.h"

namespace quillon {

struct ConfirmedSetup {
    SetupChange change;  // ready for setupDatagram
    // A part number differs from the record's: the machine's counts start from 0.
    bool partNumberChanged = false;
};

// `typed` holds what the entry shows on OK, cycle times already in seconds. A minimum is
// taken when it is 0 or more and not above its maximum, a maximum when it is not below its
// minimum; station 1's values stand for both stations unless station 2's own are taken.
// Whatever is not taken stays as the record has it. Nothing while a part number is empty.
std::optional<ConfirmedSetup> confirmSetup(const MachineRecord& record, const SetupChange& typed);

}  // namespace quillon
