// The character codes of a port setup: ISO (bytes as they are), EIA (the punched-tape code
// of older controls, translated both ways) and BIN (bytes as they are, no end-of-block
// handling).
#pragma once

#include <cstdint>
#include <string_view>

#include "dnc/PortSetup.h"

namespace quillon {

// The EIA code of a character; lower-case letters as upper-case ones; 7F for a character
// EIA has no code for.
std::uint8_t toEia(char character);
// The character of an EIA code; DEL (7F) for a code that stands for none.
char fromEia(std::uint8_t code);

// A character on its way to the control, and a byte from it, by the setup's code.
char translateForSending(CharacterCode code, char character);
char translateReceived(CharacterCode code, char byte);

// The bytes that end a block by the setup's end of block: LF, CR or CR LF (untranslated).
std::string_view endOfBlockBytes(EndOfBlock endOfBlock);

}  // namespace quillon
