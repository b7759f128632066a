// ComConf.sys: the ten port setups as key lines, a record header before each record.
//
//     <empty line>
//     1:
//     NM:Config 1          text keys NM DT DR: the rest of the line
//     ...
//     PT:0                 one-character keys: "0" + value, so baud code 10 is "BD::"
//     NU:0                 decimal
//     TE:%                 framing characters in display form ("^R" for 18)
//     <empty line>
//     2:
//     ...
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "dnc/PortSetup.h"

namespace quillon {

class Notifier;
class PortSetups;
class WorkDir;

inline constexpr std::string_view kComConfFile = "ComConf.sys";

// Reads the key lines into the records (which the caller has reset). An empty line
// announces a record header; a header outside 1..10 or the end of the file ends the read.
void parseComConf(std::string_view bytes, std::array<PortSetup, kPortCount>& records);

std::string formatComConf(const std::array<PortSetup, kPortCount>& records);

// Resets the records and reads ComConf.sys from the working directory or, when it is
// missing, from the second settings folder (then the selection returns to setup 1).
// The working copy becomes the selected record.
void loadPortSetups(PortSetups& setups, const WorkDir& workDir);

// Writes all ten records; "File open error" and nothing written when that fails.
bool savePortSetups(const PortSetups& setups, const WorkDir& workDir, Notifier& notifier);

}  // namespace quillon
