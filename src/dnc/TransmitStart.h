// How a transmit begins: which file dialog asks for the program, and what it offers.
#pragma once

#include <string>

#include "dnc/PortSetup.h"
#include "platform/FilePrompter.h"

namespace quillon {

inline constexpr char kTxFileFilter[] = "Tx File (*.*)|*.*||";

// The dialog of "&Transmit" for the setup. Fanuc DNC asks for the PROGRAM or the SETUP file
// in the default transmit folder; other setups ask "Transmit on <setup>", offering the
// pending transmit file (blanks restored), else the program being edited (when the
// "Transfer" option offers it), else nothing, in the default transmit folder.
FilePrompt transmitFilePrompt(const PortSetup& setup, const std::string& pendingPath,
                              const std::string& editedFile, bool fanucProgram);

// The dialog of "Tran&smit/REPOS".
FilePrompt repositioningFilePrompt(const PortSetup& setup);

}  // namespace quillon
