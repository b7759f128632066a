// The main window: menu bar, status bar and the MDI area that holds the program windows.
#pragma once

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "app/CommandFile.h"
#include "app/TimeGuard.h"
#include "app/WindowCycler.h"
#include "app/ui/UtilityCommands.h"
#include "editor/Compare.h"
#include "monitoring/MonitorRotation.h"
#include "monitoring/ui/MonitorEnvironment.h"

class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace quillon {

class BoardCommand;
class CLiView;
class CommWindows;
class DirectoryTree;
class DocumentManager;
class MonitorDisplays;
class MqttBridgeCommand;
class OeeWindows;
class QuillonApplication;
class ReportWindows;
class ShiftWindows;
class SpreadsheetView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QuillonApplication& app);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    DocumentManager& documents() { return *m_documents; }

    // Restores a minimized window and brings it to the front.
    void bringToFront();
    // Opens the next file waiting in the open-file queue, one per pass of the event loop.
    void openNextQueuedFile();

    // Starts the main timer; false ("Computer time issue") when the clock is broken.
    bool startMainTimer(int intervalMs = kMainTimerMs);
    // The remote menu: "RemoteDNC" after "&Tools", when remote monitoring is configured.
    void insertRemoteMenu();
    QMenu* remoteMenu() const { return m_remoteMenu; }
    bool remoteMenuShown() const;
    QDockWidget* directoryWindow() const { return m_directoryDock; }
    DirectoryTree* directoryTree() const { return m_directoryTree; }
    QToolBar* toolBar() const { return m_toolBar; }
    const MonitorRequests& monitorRequests() const { return m_monitorRequests; }

    static constexpr int kMainTimerMs = 1000;

    // The Utilities compare commands: with exactly two programs open, tiles the windows side
    // by side and marks the lines that differ in both.
    void compare(CompareMode mode);
    void removeCompareResults();
    // The views last compared that are still open.
    std::vector<CLiView*> comparedViews() const;
    void tileVertically();
    // "&Terminal mode": the setup is chosen every time.
    void terminalMode();
    // "&Transmit" (chooseSetup) and the toolbar's Transmit (the selected setup).
    void transmit(bool chooseSetup);
    // "Tran&smit/REPOS": the program opens in the editor, and the transfer starts at the
    // line the cursor is on when the user confirms.
    void transmitRepositioning();
    // "&Receive" (chooseSetup) and the toolbar's Receive (the selected setup).
    void receive(bool chooseSetup);
    CommWindows& commWindows() { return *m_commWindows; }
    // The shift graphs and pies of the remote menu's commands.
    ShiftWindows& shiftWindows() { return *m_shiftWindows; }
    // "Report view &Graph/Pie": the "Select Report date" dialog and its report windows.
    ReportWindows& reportWindows() { return *m_reportWindows; }
    // The OEE graphs of the remote menu's commands.
    OeeWindows& oeeWindows() { return *m_oeeWindows; }
    // Report files in the spreadsheet program and the path of that program.
    SpreadsheetView& spreadsheetView() { return *m_spreadsheet; }

    // Closes as the close button does, without its questions: a transfer under way is
    // ended, and modified programs are left unsaved.
    void closeWithoutQuestions();

    // The live monitoring windows: from the remote menu, its toolbar button, a command line
    // that asked for one, or the rotation. Without a link to the hub they say so.
    void openMonitorDisplay(MonitorDisplay kind);
    MonitorDisplays& monitorDisplays() { return *m_monitorDisplays; }
    // Settings > "MQTT bridge..." and the program's own bridge.
    MqttBridgeCommand& mqttBridge() { return *m_mqttBridge; }
    // Settings > "Shop-floor board..." and the program's own board server.
    BoardCommand& board() { return *m_board; }
    // The wall-display rotation, which the main timer drives from its third tick while any
    // rotation time of the machine lists is set.
    const MonitorRotation& monitorRotation() const { return m_rotation; }

signals:
    // A monitoring window asked for on the command line is due.
    void monitorWindowDue(bool timeLine);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Programs dragged from a file manager open as if chosen with "&Open...".
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildDirectoryWindow();
    void mainTimerTick();
    void rotateMonitorViews();
    void fillWindowMenu(QMenu* menu);
    void showAbout();
    void fillRecentFiles();
    void showPendingWork();
    void showCaret(std::size_t line, std::size_t column);
    void showOverwrite(bool overwrite);
    void updateEditActions();
    // Runs the command on the active view, when there is one.
    void withView(void (CLiView::*command)());

    QuillonApplication& m_app;
    QMdiArea* m_mdiArea;
    DocumentManager* m_documents;
    std::unique_ptr<UtilityCommands> m_utilities;
    CommWindows* m_commWindows = nullptr;
    ShiftWindows* m_shiftWindows = nullptr;
    ReportWindows* m_reportWindows = nullptr;
    OeeWindows* m_oeeWindows = nullptr;
    std::unique_ptr<SpreadsheetView> m_spreadsheet;
    MonitorDisplays* m_monitorDisplays = nullptr;
    MqttBridgeCommand* m_mqttBridge = nullptr;
    BoardCommand* m_board = nullptr;
    MonitorRotation m_rotation;
    QMenu* m_recentMenu = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QMenu* m_remoteMenu = nullptr;
    QToolBar* m_toolBar = nullptr;
    QAction* m_remoteToolButton = nullptr;
    QTimer m_mainTimer;
    std::optional<TimeGuard> m_timeGuard;
    int m_ticks = 0;
    bool m_inTick = false;
    bool m_withoutQuestions = false;
    MonitorRequests m_monitorRequests;
    WindowCycler<QMdiSubWindow*> m_windowOrder;
    QLabel* m_caretPane = nullptr;
    QLabel* m_overwritePane = nullptr;
    QList<QAction*> m_documentActions;
    QAction* m_undo = nullptr;
    QAction* m_compareRaw = nullptr;
    QAction* m_compareSmart = nullptr;
    QAction* m_removeCompare = nullptr;
    std::array<QPointer<CLiView>, 2> m_comparedPair;
    // The last choice of the Fanuc "Select type of file" dialog, for sending and receiving.
    bool m_fanucProgram = true;
    bool m_fanucSetup = false;
    bool m_fanucReceiveProgram = true;
    bool m_fanucReceiveSetup = false;
    QString m_fanucProgramNumber;
    QAction* m_redo = nullptr;
    QAction* m_directoryAction = nullptr;
    QDockWidget* m_directoryDock = nullptr;
    DirectoryTree* m_directoryTree = nullptr;
    bool m_directoryFilled = false;
    QAction* m_toolBarAction = nullptr;
    QAction* m_statusBarAction = nullptr;
};

}  // namespace quillon
