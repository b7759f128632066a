// The hub's shared folder as clients read it: the setup files that name the machines,
// say which are monitored and with how many stations, and colour the statuses.
#pragma once

#include <string>

#include "hubsim/HubModel.h"
#include "platform/AtomicFile.h"

namespace quillon::hubsim {

// Every machine keeps three folders below the hub folder, _NC/M<slot + 1>/:
//
//   DOWNLOAD   its DT: folder, what the hub sends to the machine when asked
//   UPLOAD     its DR: folder, where what the hub fetches from the machine lands
//   MACHINE    the control's own memory: sent programs arrive here, fetched ones come
//              from here
enum class MachineFolder { Download, Upload, Memory };

// The folder as an absolute path, so that CairnConf.sys names it for readers anywhere.
std::string machineFolder(int slotIndex, const std::string& hubDirectory, MachineFolder which);

// The lines of _SETUP/CairnConf.sys: per machine "NM:" name, "DT:" its download folder and
// "DR:" its upload folder.
std::vector<std::string> hubConfigurationLines(const HubModel& model,
                                               const std::string& hubDirectory);
// The lines of _SETUP/MonSetup.sys: per machine a block "hub,port" (from 1), "ON:1",
// "TH:" station kind, and the override flags as lines of the hub's own ("FO:", "SO:").
std::vector<std::string> monitorSetupLines(const HubModel& model);
// The lines of _SETUP/GraphColor.sys: "1,0,16777215" (gradient on, black background,
// white text), then per status index "colour,name" with the colour a Windows COLORREF
// (0x00BBGGRR) in decimal.
std::vector<std::string> graphColorLines();

// Makes the hub's folders (_SETUP, _TMP, _MONITORING, _REPORTS and the three folders of
// every machine) and writes the three files, each line ended by CR LF as the hub on
// Windows writes them. Every DOWNLOAD folder gets two sample programs to send and every
// MACHINE folder one to fetch, where no file of that name is there yet: a folder used
// before keeps what the user put in. Stops at the first failure.
WriteResult writeHubFolder(const HubModel& model, const std::string& hubDirectory);

}  // namespace quillon::hubsim
