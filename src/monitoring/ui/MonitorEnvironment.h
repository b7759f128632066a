// What every live monitoring window is given by the program: where settings and files are,
// how to tell the user, the clock, the link to the hub, and the shared status table.
#pragma once

#include <string>

#include "monitoring/MachineLists.h"
#include "monitoring/StatusTable.h"
#include "platform/WorkDir.h"

namespace quillon {

class Clock;
class HubLink;
class Notifier;

// The four live windows, in the order of the remote menu.
enum class MonitorDisplay { Machines, Detailed, Graph, TimeLine };

struct MonitorEnvironment {
    WorkDir workDir;
    Notifier& notifier;
    const Clock& clock;
    // The link the windows register with (HubLink::machineDisplayOpened,
    // monitoringViewOpened, ...) and send through; the windows open only with a link.
    HubLink& link;
    // The hub's shared folder (with its trailing separator).
    std::string hubDirectory;
    // Names and colours of the statuses: GraphColor.sys as read at start-up, with what the
    // colour dialog changed for this run. The windows read it at every paint.
    const StatusTable& statuses;
    // MonList2.sys's settings line: refresh period, rotation times, pieces or cycles.
    const MonitorViewSettings& viewSettings;
};

}  // namespace quillon
