// The pace of every exchange on a port: the one tick that drives the communication windows
// and the command line's transfers, and by which the engines count time.
#pragma once

#include <chrono>

namespace quillon {

// The original's RS-232 thread ticked its windows every 50 ms; the engines' amounts per tick
// (chunks, read limits, the Mazak delay) are sized for it.
inline constexpr std::chrono::milliseconds kCommTick{50};

}  // namespace quillon
