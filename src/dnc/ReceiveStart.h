// How a reception begins: the save dialog that asks where the program goes.
#pragma once

#include "dnc/PortSetup.h"
#include "platform/FilePrompter.h"

namespace quillon {

inline constexpr char kRxFileFilter[] = "Rx File (*.*)|*.*||";

// The dialog of "&Receive" for the setup, in its default receive folder: Fanuc DNC asks
// for the PROGRAM file (or the SETUP file when only that was chosen), other setups
// "Receive on <setup>".
FilePrompt receiveFilePrompt(const PortSetup& setup, bool fanucProgram);
// The dialog that asks for the Fanuc setup file after the program.
FilePrompt receiveSetupFilePrompt(const std::string& folder);

}  // namespace quillon
