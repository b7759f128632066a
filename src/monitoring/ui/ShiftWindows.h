// The shift commands of the remote menu and the windows they open: "View &Current shift"
// (a monitored machine, for two stations which of them, then its current-shift file),
// "View &Graph" and "View &Piechart" (an archived file), the graphs' "&Cycle time", and
// the limits on how many are open.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "monitoring/ShiftViews.h"
#include "monitoring/StatusTable.h"
#include "monitoring/ui/DisplayListDialog.h"
#include "monitoring/ui/ShiftGraphWindow.h"

class QWidget;

namespace quillon {

class FilePrompter;
class ShiftPieWindow;

class ShiftWindows : public QObject {
    Q_OBJECT
public:
    // dontAskAgain: the "Don't ask again (*)" flag of the application's settings, which
    // "Other options" clears. owner: the main frame, which the windows stay in front of.
    ShiftWindows(const ShiftViewEnvironment& environment, FilePrompter& files, bool& dontAskAgain,
                 QWidget* owner);
    ~ShiftWindows() override;

    // The hub's folder and the refresh period the commands run with (read at each one).
    void setHubDirectory(std::string directory) { m_hubDirectory = std::move(directory); }
    void setRefreshSeconds(int seconds) { m_refreshSeconds = seconds; }
    // The link to the hub, when there is one: a current shift's window follows its machine's
    // records while it is open (the link takes as many windows as may be open).
    void setLink(HubLink* link) { m_link = link; }

    // How the machine is chosen: the "Display/List" dialog unless a test brings its own.
    using MachineChooser = std::function<std::optional<DisplayedMachine>()>;
    void setMachineChooser(MachineChooser chooser) { m_chooseMachine = std::move(chooser); }

    void viewCurrentShift();
    // The part after the machine is known: the question for two stations, then the window.
    void openCurrentShift(const DisplayedMachine& machine);
    void viewGraph();
    void viewPiechart();

    // The choice a "Don't ask again (*)" keeps.
    StationChoice rememberedChoice() const { return m_choice; }

    std::vector<ShiftGraphWindow*> graphs() const;
    std::vector<ShiftPieWindow*> pies() const;
    // The program ends: every window closes as the user would close it, so that each
    // keeps its place for the next run.
    void closeAll();
    // The machine's records changed: its current-shift windows reload.
    void refreshMachine(MachineSlot machine);

private:
    std::optional<StationChoice> askStations();
    ShiftGraphWindow* openGraph(ShiftGraphSource source);
    std::optional<std::string> chooseArchivedFile();
    StatusTable statusTable() const;
    void openCycleTime(ShiftGraphWindow& window);

    ShiftViewEnvironment m_environment;
    FilePrompter& m_files;
    bool& m_dontAskAgain;
    QWidget* m_owner;
    std::string m_hubDirectory;
    int m_refreshSeconds = 10;
    HubLink* m_link = nullptr;
    MachineChooser m_chooseMachine;
    StationChoice m_choice = StationChoice::First;
    WindowNumbers m_graphNumbers{kMaxShiftGraphs};
    WindowNumbers m_pieNumbers{kMaxShiftPies};
    std::vector<QPointer<ShiftGraphWindow>> m_graphs;
    std::vector<QPointer<ShiftPieWindow>> m_pies;
};

}  // namespace quillon
