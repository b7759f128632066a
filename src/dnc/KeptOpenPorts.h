// Ports that stay open between transfers: opened at start-up and after the port setup
// dialog, closed when their setup no longer asks for it and at exit.
#pragma once

#include "platform/SerialLine.h"

namespace quillon {

class ComDeviceMap;
class Notifier;
class PortSetups;

// Opens the port of every setup that asks to stay open and holds no handle yet: the
// handle goes into the setup and its field becomes "open" (2). A port that cannot be
// opened gives "Could not open COM<n>" and the field "wanted but not open" (1).
// The ports are opened through `opener`, as the communication windows open theirs.
void openKeptPorts(PortSetups& setups, const ComDeviceMap& devices, const LineOpener& opener,
                   Notifier& notifier);

// After the port setup dialog: closes (after purging both queues) the handles whose
// setups no longer keep the port open, and opens those newly asked for. A kept-open setup
// that was moved to another port has its old port closed and the new one opened.
void reconcileKeptPorts(PortSetups& setups, const ComDeviceMap& devices, const LineOpener& opener,
                        Notifier& notifier);

// At exit: purges and closes every handle held.
void closeKeptPorts(PortSetups& setups);

}  // namespace quillon
