// The live windows the remote menu opens, one factory per kind. Each window class has the
// constructor (const MonitorEnvironment&, QWidget* owner):
//   MonitorDisplay::Machines  MachineDisplayWindow
//   MonitorDisplay::Detailed  DetailedViewWindow
//   MonitorDisplay::Graph     GraphViewWindow
//   MonitorDisplay::TimeLine  TimelineViewWindow
// A kind without a factory opens nothing.
#include "monitoring/ui/MonitorDisplays.h"

namespace quillon {

void registerMonitorWindows(MonitorDisplays& displays)
{
    static_cast<void>(displays);
}

}  // namespace quillon
