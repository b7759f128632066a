// The JSON a subscriber reads: a machine's state and its events. Names and values are
// documented for the shop's dashboards in docs/mqtt.md; change them only together.
#pragma once

#include <cstdint>
#include <string>

#include "bridge/MachineSnapshot.h"

namespace quillon {

// "2026-12-09T06:31:07+01:00": this computer's local time with its offset from UTC.
std::string isoTime(std::int64_t seconds);

std::string stateJson(const MachineSnapshot& state);
std::string eventJson(const MachineEvent& event);

// A JSON string of bytes taken as Latin-1, as every text of the hub is: quotes included.
std::string jsonString(std::string_view latin1);

}  // namespace quillon
