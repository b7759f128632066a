// The live windows the remote menu opens, one factory per kind. Each window class has the
// constructor (const MonitorEnvironment&, QWidget* owner):
//   MonitorDisplay::Machines  MachineDisplayWindow
//   MonitorDisplay::Detailed  DetailedViewWindow
//   MonitorDisplay::Graph     GraphViewWindow
//   MonitorDisplay::TimeLine  TimelineViewWindow
// A kind without a factory opens nothing.
#include "monitoring/ui/MonitorDisplays.h"

#include "monitoring/ui/DetailedViewWindow.h"
#include "monitoring/ui/GraphViewWindow.h"
#include "monitoring/ui/MachineDisplayWindow.h"
#include "monitoring/ui/TimelineViewWindow.h"

namespace quillon {

namespace {

template <typename Window>
MonitorDisplays::Factory factoryOf()
{
    return [](const MonitorEnvironment& env, QWidget* owner) -> QWidget* {
        return new Window(env, owner);
    };
}

}  // namespace

void registerMonitorWindows(MonitorDisplays& displays)
{
    displays.registerFactory(MonitorDisplay::Machines, factoryOf<MachineDisplayWindow>());
    displays.registerFactory(MonitorDisplay::Detailed, factoryOf<DetailedViewWindow>());
    displays.registerFactory(MonitorDisplay::Graph, factoryOf<GraphViewWindow>());
    displays.registerFactory(MonitorDisplay::TimeLine, factoryOf<TimelineViewWindow>());
}

}  // namespace quillon
