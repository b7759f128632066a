// The application object: start-up, the process-wide settings, and the commands of the
// Settings, View and Tools menus that belong to no window.
#pragma once

#include <QObject>

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include <memory>

#include "app/AppSettings.h"
#include "app/OpenFileQueue.h"
#include "app/ui/RecentFileList.h"
#include "app/ui/SingleInstance.h"
#include "backplot/ui/PlotWindows.h"
#include "calculators/ShopCalculators.h"
#include "dnc/ComDeviceMap.h"
#include "dnc/PortsInUse.h"
#include "monitoring/MachineLists.h"
#include "monitoring/MachineSlot.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/StatusTable.h"
#include "monitoring/ui/HostResolver.h"
#include "platform/Clock.h"
#include "platform/PosixSerialLine.h"
#include "platform/WorkDir.h"
#include "platform/ui/QtFilePrompter.h"
#include "platform/ui/QtNotifier.h"
#include "utilities/FileCleanup.h"

namespace quillon {

class CMainFrame;
class EditorEnvironment;
class HubChannel;
class HubConfiguration;

enum class ViewToggle {
    LineNumbers,
    Spaces,
    EndOfBlock,
    Colorize,
    WheelScrollsAll,
    ScrollBarScrollsAll,
};

class QuillonApplication : public QObject {
    Q_OBJECT
public:
    enum class StartResult { Run, HandedOver, Failed };

    // notifier, files and clock: how the user is told and asked and where the time comes
    // from; the message boxes, file dialogs and clock of the system unless a test brings
    // its own.
    QuillonApplication(WorkDir workDir, QString instanceName, Notifier* notifier = nullptr,
                       FilePrompter* files = nullptr, const Clock* clock = nullptr,
                       QObject* parent = nullptr);
    ~QuillonApplication() override;

    // Runs the start-up for this command line (program first). HandedOver: another
    // instance runs and took the file; this process should end.
    StartResult start(const QStringList& commandLine);

    const WorkDir& workDir() const { return m_workDir; }
    AppSettings& settings() { return m_settings; }
    OpenFileQueue& openFileQueue() { return m_openFiles; }
    PortsInUse& portsInUse() { return m_portsInUse; }
    const ComDeviceMap& devices() const { return m_devices; }
    const LineOpener& lineOpener() const { return m_lineOpener; }
    RecentFileList& recentFiles() { return m_recentFiles; }
    Notifier& notifier() { return *m_notifier; }
    FilePrompter& filePrompter() { return *m_files; }
    CMainFrame* mainFrame() const { return m_mainFrame.get(); }
    // What the editor views share; exists once start() has read the settings.
    EditorEnvironment& editorEnvironment() { return *m_editorEnvironment; }
    SingleInstance& instance() { return m_instance; }
    const Clock& clock() const { return *m_clock; }
    // The plot settings new plot windows start from, and the open windows' count.
    PlotWindowsShared& plotWindows() { return m_plotWindows; }

    // Commands.
    void editFont(FontRole role);
    // Stores a font chosen for the role, saves C2Fonts.sys and tells the windows.
    void applyFont(FontRole role, const LogFont& font);
    void otherOptions();
    void editColors();
    // Settings > Colors > Backplot: the "Backplot colours" dialog over PColors.sys.
    void editBackplotColors();
    void fileUpdate();
    // Tools > File cleanup: the tool over a folder the user picks, after the question.
    void fileCleanup(CleanupTool tool);
    // How a folder is picked: the "Select Folder" dialog unless a test brings its own.
    using FolderPicker = std::function<std::optional<std::string>(const FilePrompt& prompt)>;
    void setFolderPicker(FolderPicker picker) { m_folderPicker = std::move(picker); }
    // Settings > "&Quillon remote": the hub's folder, name and address, written to
    // VoskCONF.SYS.
    void remoteConfiguration();
    // The remote menu's "&Quillon remote": the "Quillon remote" dialog, which asks the hub to
    // send a file to a machine or fetch one from it. Its machine is offered again for the
    // rest of the run; its "Use full path" goes to Margins.sys.
    void remoteRequests();
    // The hub as the program runs with it: read at start-up, its address looked up by name.
    const RemoteConfig& remoteConfig() const { return m_remote; }
    // Remote monitoring is configured: the hub's folder is known.
    bool remoteMonitoring() const { return m_remote.hasHub(); }
    // Once, when the main frame puts the remote menu in: the machine lists brought in line
    // with the hub's configuration, and the hub's status colours read.
    void reconcileMachineLists();
    const MonitorViewSettings& monitorViewSettings() const { return m_viewSettings; }
    // The statuses' names and colours the monitoring windows paint with: the hub's
    // GraphColor.sys as read at start-up (or when another hub folder is chosen), with what
    // the colour dialog changed for this run.
    const StatusTable& statusTable() const { return m_statusTable; }
    // Settings > Colors > "&View graph/pie colors".
    void statusColors();
    // The remote menu's "&Create list to Display": the "Monitoring list" dialog over the
    // lists of the views; the settings it writes are the ones the views run with from then.
    void monitoringList();
    // How names are looked up: the system's resolver unless a test brings its own.
    void setHostResolver(HostResolver resolver) { m_hostResolver = std::move(resolver); }
    // The link to the hub, once set up (nothing: no hub, no address, or binding failed).
    HubChannel* hubChannel() const { return m_hubChannel.get(); }
    // The main timer's share of the link: subscriptions kept alive.
    void hubTick();
    // A monitoring command: "No Ethernet communications" when there is no link.
    bool passLinkCheck();
    // How this computer's address is picked among several, and which it has: the "IP
    // addresses" chooser and the system's list unless a test brings its own.
    using AddressChooser =
        std::function<std::optional<std::int32_t>(const std::vector<std::int32_t>&)>;
    void setAddressChooser(AddressChooser chooser) { m_addressChooser = std::move(chooser); }
    void setLocalAddresses(std::function<std::vector<std::int32_t>()> addresses)
    {
        m_localAddresses = std::move(addresses);
    }
    // Tools > Directory log: the log of a program folder of a machine the hub configuration
    // names, made anew (create) or opened in the editor.
    void directoryLog(bool create);
    // How the machine is chosen: the "Machine Selection" dialog unless a test brings its own.
    using MachineChooser = std::function<std::optional<MachineSlot>(const HubConfiguration&)>;
    void setMachineChooser(MachineChooser chooser) { m_machineChooser = std::move(chooser); }
    void rs232Parameters();
    void toggleView(ViewToggle toggle);
    bool viewFlag(ViewToggle toggle) const;
    void calculator();
    // The shop calculators of the Tools menu. The triangle's texts stay here from one
    // opening to the next while the program runs.
    void boltHoleCircle();
    void rightAngleTriangle();
    void surfaceSpeed();
    // The lock in front of a guarded command.
    bool passSettingsLock();

    // A second start asked for DROPIN.TXT to be opened (30018) or for a transmit (30011;
    // fromHandOffFile: read the file from _DADUV.TMP, else it is already pending).
    void openDroppedFile();
    void transmitHandedOver(bool fromHandOffFile);

    // The steps of the exit sequence that belong to the application: Margins.sys, the
    // kept-open ports, the window rectangle, COMMAND.TXT.
    void shutDown(bool saveWindowRect);
    // A termination signal: the main frame closes without its questions (ports released,
    // window places written, unsaved programs left as they are on disk) and the event loop
    // ends with exit code 0; the lock goes with this object.
    void endWithoutQuestions();

signals:
    void fontChanged(quillon::FontRole role);
    void viewFlagsChanged();
    void openFileQueueChanged();
    void transmitRequested();

private:
    StartResult handOverToRunningInstance(const std::optional<FileArgument>& file);
    // Picks this computer's address and binds the link to the hub, when there is one.
    void setUpLink();

    WorkDir m_workDir;
    SystemClock m_systemClock;
    const Clock* m_clock;
    std::unique_ptr<QtNotifier> m_ownNotifier;
    std::unique_ptr<QtFilePrompter> m_ownFiles;
    Notifier* m_notifier;
    FilePrompter* m_files;
    FolderPicker m_folderPicker;
    MachineChooser m_machineChooser;
    HostResolver m_hostResolver = systemHostResolver();
    AddressChooser m_addressChooser;
    std::function<std::vector<std::int32_t>()> m_localAddresses;
    std::unique_ptr<HubChannel> m_hubChannel;
    RemoteConfig m_remote;
    // The machine the "Quillon remote" dialog chose last.
    std::string m_remoteRequestMachine;
    MonitorViewSettings m_viewSettings;
    StatusTable m_statusTable = StatusTable::defaults();
    SingleInstance m_instance;
    AppSettings m_settings;
    OpenFileQueue m_openFiles;
    PortsInUse m_portsInUse;
    ComDeviceMap m_devices;
    LineOpener m_lineOpener = posixLineOpener();
    RecentFileList m_recentFiles;
    PlotWindowsShared m_plotWindows;
    TriangleTexts m_triangleTexts;
    std::unique_ptr<EditorEnvironment> m_editorEnvironment;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

}  // namespace quillon
