// The serial line seen from the port setups: the line settings each kind of communication
// window asks for, and the texts its errors show as.
#pragma once

#include <cstdint>
#include <string>

#include "platform/SerialLine.h"

namespace quillon {

struct PortSetup;

// The three kinds of communication window; the numbers are those of the window registry.
enum class CommWindowKind : std::uint8_t { Transmit = 0, Receive = 1, Terminal = 2 };

// The line settings a window of the kind uses for the setup.
LineSettings lineSettings(const PortSetup& setup, CommWindowKind kind);

// The text a line error word shows: "Framing error", "Parity error", "Overrun error",
// "General I/O error", tested in that order with the last one found winning; empty when
// none is set.
std::string lineErrorText(std::uint32_t errors);
// "Generic Receive Error " and the number.
std::string genericReceiveErrorText(int error);
// "I/O write error: " and the number.
std::string ioWriteErrorText(int error);

}  // namespace quillon
