#include "app/ui/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

#include "app/ui/BoardCommand.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/MqttBridgeCommand.h"
#include "app/ui/ProgramPlots.h"
#include "app/ui/QuillonApplication.h"
#include "app/ui/SpreadsheetView.h"
#include "backplot/ui/PlotWindows.h"
#include "dnc/ReceiveStart.h"
#include "dnc/TransmitStart.h"
#include "dnc/ui/CommWindows.h"
#include "dnc/ui/SelectConfigurationDialog.h"
#include "dnc/ui/TransmitDialogs.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/DirectoryTree.h"
#include "editor/ui/EditorEnvironment.h"
#include "editor/ui/NcPrinter.h"
#include "monitoring/ui/HubChannel.h"
#include "monitoring/ui/MonitorDisplays.h"
#include "monitoring/ui/OeeGraphWindow.h"
#include "monitoring/ui/ReportWindows.h"
#include "monitoring/ui/ShiftStartDialog.h"
#include "monitoring/ui/ShiftWindows.h"
#include "platform/ui/FontMapping.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

constexpr char kExitWhilePortInUse[] =
    "If you exit, machine communications will be closed.\nAre you sure you want to exit?";
// The caret pane is as wide as this text.
constexpr char kCaretPaneTemplate[] = "Ln ######,  Ch ######";
constexpr char kDetailedCommand[] = "&Remote monitor/Detailed";

// The remote menu's commands of the live windows, in the menu's order.
struct DisplayCommand {
    const char* text;
    MonitorDisplay kind;
};
constexpr DisplayCommand kDisplayCommands[] = {
    {"&Machine Remote View", MonitorDisplay::Machines},
    {kDetailedCommand, MonitorDisplay::Detailed},
    {"Display machines/&Graph", MonitorDisplay::Graph},
    {"Remote monitor/&TimeLine", MonitorDisplay::TimeLine},
};

MonitorDisplay displayOf(MonitoringView view)
{
    switch (view) {
    case MonitoringView::Detailed:
        return MonitorDisplay::Detailed;
    case MonitoringView::Graph:
        return MonitorDisplay::Graph;
    case MonitoringView::TimeLine:
        return MonitorDisplay::TimeLine;
    }
    return MonitorDisplay::Detailed;
}

}  // namespace

CMainFrame::CMainFrame(QuillonApplication& app) : m_app(app), m_mdiArea(new QMdiArea(this))
{
    setWindowTitle("QuillonLT");
    setCentralWidget(m_mdiArea);
    setAcceptDrops(true);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_documents = new DocumentManager(m_app, m_app.editorEnvironment(), *m_mdiArea);
    m_utilities = std::make_unique<UtilityCommands>(m_app, this);
    m_commWindows = new CommWindows(m_app.portsInUse(), m_app.devices(), m_app.lineOpener(),
                                    m_app.notifier(), m_app.filePrompter(), this);
    m_commWindows->setPortFont(toQFont(m_app.settings().fonts[FontRole::PortWindows]));
    connect(&m_app, &QuillonApplication::fontChanged, this, [this](FontRole role) {
        if (role == FontRole::PortWindows)
            m_commWindows->setPortFont(toQFont(m_app.settings().fonts[FontRole::PortWindows]));
    });
    m_commWindows->start();
    m_spreadsheet = std::make_unique<SpreadsheetView>(m_app.workDir(), m_app.notifier(),
                                                      m_app.filePrompter(), this);
    m_shiftWindows =
        new ShiftWindows(ShiftViewEnvironment{m_app.workDir(), m_app.notifier(), m_app.clock()},
                         m_app.filePrompter(), m_app.settings().headsPalletsDontAsk, this);
    m_reportWindows =
        new ReportWindows(ShiftViewEnvironment{m_app.workDir(), m_app.notifier(), m_app.clock()},
                          m_app.filePrompter(), this);
    m_oeeWindows = new OeeWindows(m_app.notifier(), m_app.clock(), this);
    // The windows are only made after a passed link check, so the link is there for them.
    m_monitorDisplays = new MonitorDisplays(
        *this, [this] { return m_app.passLinkCheck(); },
        [this] {
            return MonitorEnvironment{m_app.workDir(),
                                      m_app.notifier(),
                                      m_app.clock(),
                                      m_app.hubChannel()->link(),
                                      m_app.remoteConfig().hubDirectory,
                                      m_app.statusTable(),
                                      m_app.monitorViewSettings()};
        },
        m_app.notifier(), this);
    registerMonitorWindows(*m_monitorDisplays);
    m_mqttBridge = new MqttBridgeCommand(m_app, this);
    m_board = new BoardCommand(m_app, this);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildDirectoryWindow();
    connect(m_statusBarAction, &QAction::triggered, statusBar(), &QWidget::setVisible);
    m_statusBarAction->setCheckable(true);
    m_statusBarAction->setChecked(true);

    // Ctrl+Tab goes through the program windows in the order they were used.
    qApp->installEventFilter(this);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (!window)
            return;
        if (!m_windowOrder.contains(window))
            connect(window, &QObject::destroyed, this,
                    [this, window] { m_windowOrder.closed(window); });
        m_windowOrder.activated(window);
    });

    connect(&m_app, &QuillonApplication::openFileQueueChanged, this, [this] {
        showPendingWork();
        QTimer::singleShot(0, this, &CMainFrame::openNextQueuedFile);
    });
    // A handed-over file: the transmit command offers it.
    connect(&m_app, &QuillonApplication::transmitRequested, this, [this] {
        showPendingWork();
        QTimer::singleShot(0, this, [this] { transmit(true); });
    });
    connect(m_documents, &DocumentManager::activeViewChanged, this, [this](CLiView* view) {
        if (view)
            showCaret(view->caretState().caret.line + 1, view->caretState().caret.column + 1);
        else
            m_caretPane->clear();  // no program left to show a position of
        updateEditActions();
    });
    // Files changed by another program are asked about when the program is used again.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    QTimer::singleShot(0, m_documents, &DocumentManager::checkFilesOnDisk);
            });
}

CMainFrame::~CMainFrame()
{
    // The program windows go after this frame's members: nothing may call back into it.
    m_documents->disconnect(this);
    m_app.editorEnvironment().disconnect(this);
}

void CMainFrame::withView(void (CLiView::*command)())
{
    if (CLiView* view = m_documents->activeView())
        (view->*command)();
}

namespace {

// The printing part of the program's settings: the margins and print flags of
// "Other options", the printer font, the tab width and the editor colours.
PrintSettings printSettingsOf(const AppSettings& settings)
{
    const MarginsSettings& margins = settings.margins;
    PageSetup page{margins.leftMargin,       margins.rightMargin,    margins.topMargin,
                   margins.bottomMargin,     margins.printHeader,    margins.printFullPath,
                   margins.printPageNumbers, margins.printTwoColumns};
    return {std::move(page), toQFont(settings.fonts[FontRole::Printer]), settings.flags.tabWidth,
            settings.colors};
}

}  // namespace

void CMainFrame::buildMenus()
{
    auto* file = menuBar()->addMenu("&File");
    file->addAction("&New", QKeySequence::New, this, [this] {
        if (m_app.passSettingsLock())
            m_documents->newDocument();
    });
    file->addAction("&Open...", QKeySequence::Open, this,
                    [this] { m_documents->openWithDialog(); });
    auto onFrame = [this](auto command) {
        return [this, command] {
            if (CChildFrame* frame = m_documents->activeFrame())
                command(*frame);
        };
    };
    m_documentActions << file->addAction(
        "&Save", QKeySequence::Save, this,
        onFrame([this](CChildFrame& frame) { m_documents->save(frame); }));
    m_documentActions << file->addAction(
        "Save &As...", QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_S), this,
        onFrame([this](CChildFrame& frame) { m_documents->saveAs(frame); }));
    m_documentActions << file->addAction("Save A&ll", this, [this] { m_documents->saveAll(); });
    file->addSeparator();
    m_documentActions << file->addAction(
        "Insert &File as text", QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_F), this,
        onFrame([this](CChildFrame& frame) { m_documents->insertFileAsText(frame); }));
    file->addSeparator();
    m_documentActions << file->addAction(
        "&Print...", QKeySequence::Print, this, onFrame([this](CChildFrame& frame) {
            const auto outcome = printWithDialog(
                frame.document(), printSettingsOf(m_app.settings()), m_app.clock(), this);
            if (outcome == PrintOutcome::Failed)
                m_app.notifier().message("The program could not be printed.");
        }));
    m_documentActions << file->addAction(
        "Print Pre&view", QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_P), this,
        onFrame([this](CChildFrame& frame) {
            showPrintPreview(frame.document(), printSettingsOf(m_app.settings()), m_app.clock(),
                             this);
        }));
    file->addSeparator();
    m_recentMenu = file->addMenu("Recent &files");
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CMainFrame::fillRecentFiles);
    file->addSeparator();
    file->addAction("E&xit", this, &QWidget::close);

    auto* edit = menuBar()->addMenu("&Edit");
    m_undo = edit->addAction("&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), this,
                             [this] { withView(&CLiView::undo); });
    m_redo = edit->addAction("&Redo", QKeySequence(Qt::CTRL | Qt::Key_Y), this,
                             [this] { withView(&CLiView::redo); });
    edit->addSeparator();
    m_documentActions << edit->addAction("Cu&t", QKeySequence::Cut, this,
                                         [this] { withView(&CLiView::cut); });
    m_documentActions << edit->addAction("&Copy", QKeySequence::Copy, this,
                                         [this] { withView(&CLiView::copy); });
    m_documentActions << edit->addAction("&Paste", QKeySequence::Paste, this,
                                         [this] { withView(&CLiView::paste); });
    m_documentActions << edit->addAction("Select &All", QKeySequence::SelectAll, this,
                                         [this] { withView(&CLiView::selectAll); });
    edit->addSeparator();
    const std::tuple<const char*, QKeySequence, void (CLiView::*)()> viewCommands[] = {
        {"&Find...", QKeySequence(Qt::CTRL | Qt::Key_F), &CLiView::find},
        {"R&eplace...", QKeySequence(Qt::CTRL | Qt::Key_H), &CLiView::replace},
        {"Find &Next", QKeySequence(Qt::Key_F3), &CLiView::findNext},
        {"Find &Prev", QKeySequence(Qt::SHIFT | Qt::Key_F3), &CLiView::findPrevious},
        {nullptr, {}, nullptr},
        {"&Toggle Bookmark", QKeySequence(Qt::CTRL | Qt::Key_F2), &CLiView::toggleBookmark},
        {"Ne&xt Bookmark", QKeySequence(Qt::Key_F2), &CLiView::goToNextBookmark},
        {"Pr&ev Bookmark", QKeySequence(Qt::SHIFT | Qt::Key_F2), &CLiView::goToPreviousBookmark},
    };
    for (const auto& [text, keys, command] : viewCommands) {
        if (!text) {
            edit->addSeparator();
            continue;
        }
        m_documentActions << edit->addAction(text, keys, this,
                                             [this, command = command] { withView(command); });
    }
    // The matching-text searches have keys only.
    const std::tuple<const char*, QKeySequence, void (CLiView::*)()> wordSearches[] = {
        {"Find the next matching text", QKeySequence(Qt::CTRL | Qt::Key_F3),
         &CLiView::findWordNext},
        {"Find the previous matching text", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F3),
         &CLiView::findWordPrevious},
    };
    for (const auto& [text, keys, command] : wordSearches) {
        auto* action = new QAction(text, this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this,
                [this, command = command] { withView(command); });
        addAction(action);
        m_documentActions << action;
    }
    connect(edit, &QMenu::aboutToShow, this, &CMainFrame::updateEditActions);

    auto* view = menuBar()->addMenu("&View");
    const std::pair<const char*, ViewToggle> toggles[] = {
        {"Show &line numbers", ViewToggle::LineNumbers},
        {"Show &Spaces", ViewToggle::Spaces},
        {"Show &EOB", ViewToggle::EndOfBlock},
        {"&Colorize editor", ViewToggle::Colorize},
        {"&Mouse wheel scrolls all", ViewToggle::WheelScrollsAll},
        {"Scroll &bar scrolls all", ViewToggle::ScrollBarScrollsAll},
    };
    for (const auto& [text, toggle] : toggles) {
        QAction* action = view->addAction(text);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, toggle = toggle] { m_app.toggleView(toggle); });
        // The check marks follow the live flags, which "Other options" also sets.
        connect(view, &QMenu::aboutToShow, action,
                [this, action, toggle = toggle] { action->setChecked(m_app.viewFlag(toggle)); });
    }
    view->addSeparator();
    m_directoryAction = view->addAction("&Directory Window");
    m_directoryAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_D));
    m_directoryAction->setCheckable(true);
    view->addSeparator();
    m_toolBarAction = view->addAction("&Toolbar");
    m_statusBarAction = view->addAction("&Status Bar");

    auto* utilities = menuBar()->addMenu("&Utilities");
    const auto utility = [&](const QString& text, const QString& tip,
                             void (UtilityCommands::*command)(CChildFrame&)) {
        QAction* action =
            utilities->addAction(text, this, onFrame([this, command](CChildFrame& frame) {
                                     (m_utilities.get()->*command)(frame);
                                 }));
        action->setStatusTip(tip);
        m_documentActions << action;
    };
    utility("&Renumber", "Insert 'N' blocknumbers in each line", &UtilityCommands::renumber);
    utility("Remove &Blocknumbers", "Remove 'N' blocknumbers from each line",
            &UtilityCommands::removeBlockNumbers);
    utility("&Compress", "Remove spaces", &UtilityCommands::compress);
    utility("&Expand", "Insert spaces", &UtilityCommands::expand);
    utility("&Modify (+/*)", "Add, divide, multiply an address value", &UtilityCommands::modify);
    utility("R&otate (X->Y->Z)", "Rotate X, Y, Z axes", &UtilityCommands::rotate);
    utility("M&in/Max", {}, &UtilityCommands::minMax);
    utility("C&ycle time", {}, &UtilityCommands::cycleTime);
    utilities->addSeparator();
    const auto plot = [&](const QString& text, PlotKind kind, bool stepMode) {
        QAction* action =
            utilities->addAction(text, this, onFrame([this, kind, stepMode](CChildFrame& frame) {
                                     plotWindowsOf(frame, m_app, this).open(kind, stepMode);
                                 }));
        m_documentActions << action;
    };
    plot("&2D Plotting", PlotKind::TwoD, false);
    plot("2D Step by Step", PlotKind::TwoD, true);
    plot("&3D Plotting", PlotKind::ThreeD, false);
    plot("3D Step by Step", PlotKind::ThreeD, true);
    utilities->addSeparator();
    m_compareRaw =
        utilities->addAction("Compare/Raw (2 files)", this, [this] { compare(CompareMode::Raw); });
    m_compareSmart = utilities->addAction("Compare/Smart (2 files)", this,
                                          [this] { compare(CompareMode::Smart); });
    m_removeCompare =
        utilities->addAction("Remove Compare results", this, &CMainFrame::removeCompareResults);
    connect(utilities, &QMenu::aboutToShow, this, &CMainFrame::updateEditActions);
    utilities->addSeparator();
    QAction* undoForUtilities = utilities->addAction("Enable '&Undo' for Utility functions");
    undoForUtilities->setCheckable(true);
    undoForUtilities->setStatusTip("If checked, the 'Utility' menu items can be undone");
    connect(utilities, &QMenu::aboutToShow, undoForUtilities, [this, undoForUtilities] {
        undoForUtilities->setChecked(m_app.settings().undoForUtilities);
    });
    connect(undoForUtilities, &QAction::triggered, this,
            [this](bool on) { m_app.settings().undoForUtilities = on; });

    auto* dnc = menuBar()->addMenu("D&NC");
    dnc->addAction("&Transmit", this, [this] { transmit(true); });
    dnc->addAction("Tran&smit/REPOS", this, &CMainFrame::transmitRepositioning);
    dnc->addAction("&Receive", this, [this] { receive(true); });
    dnc->addAction("&Terminal mode", this, &CMainFrame::terminalMode);

    auto* settings = menuBar()->addMenu("&Settings");
    auto* fonts = settings->addMenu("F&onts");
    fonts->addAction("&Edit", this, [this] { m_app.editFont(FontRole::Editor); });
    fonts->addAction("&Printer", this, [this] { m_app.editFont(FontRole::Printer); });
    fonts->addAction("&RS232 port", this, [this] { m_app.editFont(FontRole::PortWindows); });
    auto* colors = settings->addMenu("&Colors");
    colors->addAction("&Edit", this, [this] { m_app.editColors(); });
    colors->addAction("&Backplot", this, [this] { m_app.editBackplotColors(); });
    colors->addAction("&View graph/pie colors", this, [this] { m_app.statusColors(); });
    settings->addAction("&RS232 parameters", this, [this] { m_app.rs232Parameters(); });
    settings->addAction("&Other options", this, [this] { m_app.otherOptions(); });
    settings->addSeparator();
    settings->addAction("&Quillon remote", this, [this] { m_app.remoteConfiguration(); });
    settings->addAction("&MQTT bridge...", m_mqttBridge, &MqttBridgeCommand::configure);
    settings->addAction("Shop-floor &board...", m_board, &BoardCommand::configure);
    settings->addAction("E&XCEL.EXE path", this, [this] {
        if (m_app.passSettingsLock())
            m_spreadsheet->editPath();
    });

    m_toolsMenu = menuBar()->addMenu("&Tools");
    m_toolsMenu->addAction("&Calculator", this, [this] { m_app.calculator(); });
    m_toolsMenu->addAction("&Bolt hole circle", this, [this] { m_app.boltHoleCircle(); })
        ->setStatusTip("Bolt hole circle calculation");
    m_toolsMenu->addAction("&Right angle triangle", this, [this] { m_app.rightAngleTriangle(); })
        ->setStatusTip("Calculate side(s) and/or angle(s) in a right angle triangle");
    m_toolsMenu->addAction("S&urface speed", this, [this] { m_app.surfaceSpeed(); })
        ->setStatusTip("Surface speed calculation");
    m_toolsMenu->addSeparator();
    m_toolsMenu->addAction("&File update", this, [this] { m_app.fileUpdate(); });
    auto* cleanup = m_toolsMenu->addMenu("&File cleanup");
    for (const CleanupTool tool : kCleanupTools)
        cleanup->addAction(fromBytes(std::string(cleanupToolInfo(tool).menuText)), this,
                           [this, tool] { m_app.fileCleanup(tool); });
    auto* directoryLog = m_toolsMenu->addMenu("Directory log");
    directoryLog->addAction("&Create", this, [this] { m_app.directoryLog(true); });
    directoryLog->addAction("&View", this, [this] { m_app.directoryLog(false); });

    // The remote menu stands ready; it goes in after "&Tools" once remote monitoring is
    // configured.
    m_remoteMenu = new QMenu("RemoteDNC", this);
    for (const DisplayCommand& command : kDisplayCommands) {
        m_remoteMenu->addAction(command.text, this,
                                [this, kind = command.kind] { openMonitorDisplay(kind); });
    }
    m_remoteMenu->addAction("&Create list to Display", this, [this] { m_app.monitoringList(); });
    m_remoteMenu->addSeparator();
    // The shift commands run with the hub and the refresh period of the moment.
    const auto shiftCommand = [this](const char* text, void (ShiftWindows::*command)()) {
        m_remoteMenu->addAction(text, this, [this, command] {
            m_shiftWindows->setHubDirectory(m_app.remoteConfig().hubDirectory);
            m_shiftWindows->setRefreshSeconds(m_app.monitorViewSettings().refreshSeconds);
            m_shiftWindows->setLink(m_app.hubChannel() ? &m_app.hubChannel()->link() : nullptr);
            (m_shiftWindows->*command)();
        });
    };
    shiftCommand("View &Current shift", &ShiftWindows::viewCurrentShift);
    shiftCommand("View &Graph", &ShiftWindows::viewGraph);
    shiftCommand("View &Piechart", &ShiftWindows::viewPiechart);
    m_remoteMenu->addAction("&Start of current shift", this, [this] {
        showCurrentShiftStarts(m_app.workDir(), m_app.remoteConfig().hubDirectory,
                               m_app.notifier(), m_app.filePrompter(), this);
    });
    m_remoteMenu->addAction("Start &of previous shift", this, [this] {
        showPreviousShiftStarts(m_app.remoteConfig().hubDirectory, m_app.clock().now(),
                                m_app.notifier(), m_app.filePrompter(), this);
    });
    m_remoteMenu->addSeparator();
    // The reports read the hub's files as they are now, with the settings of the moment.
    // Choosing and viewing reports is kept behind the settings lock.
    m_remoteMenu->addAction("Report view &Graph/Pie", this, [this] {
        if (!m_app.passSettingsLock())
            return;
        m_reportWindows->setHubDirectory(m_app.remoteConfig().hubDirectory);
        m_reportWindows->setMonthly(m_app.settings().margins.monthlyCsv);
        m_reportWindows->setStatusTable(m_app.statusTable());
        m_reportWindows->showDialog();
    });
    // The OEE commands read the year's file of the hub of the moment.
    const auto oeeCommand = [this](const char* text, void (OeeWindows::*command)()) {
        m_remoteMenu->addAction(text, this, [this, command] {
            m_oeeWindows->setHubDirectory(m_app.remoteConfig().hubDirectory);
            (m_oeeWindows->*command)();
        });
    };
    oeeCommand("OEE - &Overall", &OeeWindows::viewOverall);
    oeeCommand("OEE/&Machine", &OeeWindows::viewMachine);
    m_remoteMenu->addAction("View report &file", this, [this] {
        if (m_app.passSettingsLock())
            m_spreadsheet->viewReportFile(m_app.remoteConfig().hubDirectory);
    });
    m_remoteMenu->addSeparator();
    // Here the requests to the hub; the hub itself is set up under Settings.
    m_remoteMenu->addAction("&Quillon remote", this, [this] { m_app.remoteRequests(); });

    auto* window = menuBar()->addMenu("&Window");
    connect(window, &QMenu::aboutToShow, this, [this, window] { fillWindowMenu(window); });
    fillWindowMenu(window);

    auto* help = menuBar()->addMenu("&Help");
    help->addAction("&About QuillonLT", this, &CMainFrame::showAbout);
}

void CMainFrame::fillWindowMenu(QMenu* menu)
{
    menu->clear();
    menu->addAction("&Cascade", m_mdiArea, &QMdiArea::cascadeSubWindows);
    menu->addAction("&Tile", m_mdiArea, &QMdiArea::tileSubWindows);
    QAction* split = menu->addAction("S&plit", this, [this] {
        if (CChildFrame* frame = m_documents->activeFrame())
            frame->splitPanes(true, true);
    });
    split->setEnabled(m_documents->activeFrame() != nullptr);
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    if (!windows.isEmpty())
        menu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        const auto* frame = qobject_cast<CChildFrame*>(window->widget());
        const QString title = frame ? frame->documentTitle() : window->windowTitle();
        QAction* action =
            menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title), this,
                            [this, window] { m_mdiArea->setActiveSubWindow(window); });
        action->setCheckable(true);
        action->setChecked(window == m_mdiArea->activeSubWindow());
    }
}

void CMainFrame::buildToolBar()
{
    m_toolBar = addToolBar("Toolbar");
    // Saved with the window state under this name, as the toolbar state always was.
    m_toolBar->setObjectName("QuillonLTtoolbar");
    m_toolBar->setIconSize(QSize(20, 20));
    // The desktop's icon theme where there is one, the style's own icons otherwise.
    const auto icon = [this](const char* themeName, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(themeName, style()->standardIcon(fallback));
    };
    const auto actionOf = [this](const QString& text) {
        for (QAction* action : menuBar()->findChildren<QAction*>()) {
            if (action->text() == text)
                return action;
        }
        return static_cast<QAction*>(nullptr);
    };
    struct Button {
        const char* text;
        const char* themeIcon;
        QStyle::StandardPixmap fallback;
    };
    const Button buttons[] = {
        {"&New", "document-new", QStyle::SP_FileIcon},
        {"&Open...", "document-open", QStyle::SP_DialogOpenButton},
        {"&Save", "document-save", QStyle::SP_DialogSaveButton},
        {nullptr, nullptr, QStyle::SP_CustomBase},
        {"Cu&t", "edit-cut", QStyle::SP_CustomBase},
        {"&Copy", "edit-copy", QStyle::SP_CustomBase},
        {"&Paste", "edit-paste", QStyle::SP_CustomBase},
        {nullptr, nullptr, QStyle::SP_CustomBase},
        {"&Print...", "document-print", QStyle::SP_CustomBase},
    };
    for (const auto& button : buttons) {
        if (!button.text) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = actionOf(button.text);
        if (!action)
            continue;
        action->setIcon(button.fallback == QStyle::SP_CustomBase
                            ? QIcon::fromTheme(button.themeIcon)
                            : icon(button.themeIcon, button.fallback));
        m_toolBar->addAction(action);
    }
    m_toolBar->addSeparator();
    // Transmit and receive with the selected setup, without the selection dialog.
    m_toolBar->addAction(icon("go-up", QStyle::SP_ArrowUp), "Transmit", this,
                         [this] { transmit(false); });
    m_toolBar->addAction(icon("go-down", QStyle::SP_ArrowDown), "Receive", this,
                         [this] { receive(false); });
    m_toolBar->addSeparator();
    m_remoteToolButton =
        m_toolBar->addAction(icon("network-server", QStyle::SP_ComputerIcon), kDetailedCommand);
    connect(m_remoteToolButton, &QAction::triggered, this,
            [this] { openMonitorDisplay(MonitorDisplay::Detailed); });
    // Remote monitoring is not configured: its button is hidden.
    m_remoteToolButton->setVisible(false);
    m_toolBar->addAction(icon("help-about", QStyle::SP_MessageBoxQuestion), "&About QuillonLT",
                         this, &CMainFrame::showAbout);
    connect(m_toolBarAction, &QAction::triggered, m_toolBar, &QWidget::setVisible);
    m_toolBarAction->setCheckable(true);
    m_toolBarAction->setChecked(true);
    connect(m_toolBar, &QToolBar::visibilityChanged, m_toolBarAction, &QAction::setChecked);
}

void CMainFrame::buildDirectoryWindow()
{
    m_directoryDock = new QDockWidget("Directory tree", this);
    m_directoryDock->setObjectName("DirectoryTree");
    m_directoryTree = new DirectoryTree(m_directoryDock);
    m_directoryTree->setShowFiles(true);
    auto* inset = new QWidget(m_directoryDock);
    auto* layout = new QVBoxLayout(inset);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_directoryTree);
    m_directoryDock->setWidget(inset);
    m_directoryDock->resize(200, 480);
    addDockWidget(Qt::LeftDockWidgetArea, m_directoryDock);
    m_directoryDock->hide();

    // Filled the first time it is shown, at the editor's folder.
    connect(m_directoryDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        m_directoryAction->setChecked(m_directoryDock->isVisible());
        if (!visible || m_directoryFilled)
            return;
        m_directoryFilled = true;
        m_directoryTree->fillRoots();
        m_directoryTree->selectPath(m_app.settings().editorDirectory);
    });
    connect(m_directoryAction, &QAction::triggered, m_directoryDock, &QWidget::setVisible);
    // A double click on a file opens it.
    connect(m_directoryTree, &DirectoryTree::pathActivated, this, [this](const QString& path) {
        if (QFileInfo(path).isFile())
            m_documents->openFile(path);
    });
}

void CMainFrame::showAbout()
{
    QMessageBox::about(this, "About QuillonLT",
                       "QuillonLT\n\nNC program editor and manual DNC for CNC machine shops.");
}

bool CMainFrame::remoteMenuShown() const
{
    return menuBar()->actions().contains(m_remoteMenu->menuAction());
}

void CMainFrame::insertRemoteMenu()
{
    if (remoteMenuShown())
        return;
    const QList<QAction*> menus = menuBar()->actions();
    const int tools = static_cast<int>(menus.indexOf(m_toolsMenu->menuAction()));
    QAction* after = tools + 1 < menus.size() ? menus[tools + 1] : nullptr;
    menuBar()->insertMenu(after, m_remoteMenu);
    m_remoteToolButton->setVisible(true);
}

bool CMainFrame::startMainTimer(int intervalMs)
{
    m_timeGuard = TimeGuard::start(m_app.clock());
    if (!m_timeGuard)
        return false;
    m_mainTimer.setInterval(intervalMs);
    connect(&m_mainTimer, &QTimer::timeout, this, &CMainFrame::mainTimerTick,
            Qt::UniqueConnection);
    m_mainTimer.start();
    return true;
}

void CMainFrame::mainTimerTick()
{
    if (m_inTick)
        return;
    m_inTick = true;
    m_timeGuard->now(m_app.clock());
    ++m_ticks;
    // Remote monitoring configured (at start-up or since): its menu goes in, and the machine
    // lists are brought in line with the hub's configuration, once.
    if (m_app.remoteMonitoring() && !remoteMenuShown()) {
        insertRemoteMenu();
        m_app.reconcileMachineLists();
    }
    m_app.hubTick();
    m_mqttBridge->tick();
    m_board->tick();
    if (m_ticks == 2) {
        // A wall display in rotation leaves the command line's words unread: the rotation
        // decides what is up.
        processCommandFile(m_app.workDir(), m_app.openFileQueue(), m_monitorRequests,
                           m_app.monitorViewSettings().rotationOn());
        if (!m_app.openFileQueue().empty())
            QTimer::singleShot(0, this, &CMainFrame::openNextQueuedFile);
    }
    if (m_ticks >= 3)
        rotateMonitorViews();
    const MonitorRequests::Due due = m_monitorRequests.tick();
    if (due.monitor) {
        emit monitorWindowDue(false);
        openMonitorDisplay(MonitorDisplay::Detailed);
    }
    if (due.timeLine) {
        emit monitorWindowDue(true);
        openMonitorDisplay(MonitorDisplay::TimeLine);
    }
    m_inTick = false;
}

void CMainFrame::rotateMonitorViews()
{
    // Without a link there is nothing to show; the rotation waits rather than telling the
    // wall "No Ethernet communications" at every turn.
    if (!m_app.hubChannel())
        return;
    const RotationStep step = m_rotation.tick(m_app.monitorViewSettings());
    if (step.hide)
        m_monitorDisplays->hide(displayOf(*step.hide));
    if (step.show)
        m_monitorDisplays->open(displayOf(*step.show));
}

void CMainFrame::openMonitorDisplay(MonitorDisplay kind)
{
    m_monitorDisplays->open(kind);
}

void CMainFrame::buildStatusBar()
{
    m_caretPane = new QLabel(this);
    m_caretPane->setAlignment(Qt::AlignCenter);
    m_caretPane->setMinimumWidth(m_caretPane->fontMetrics().horizontalAdvance(kCaretPaneTemplate));
    m_overwritePane = new QLabel(this);
    m_overwritePane->setAlignment(Qt::AlignCenter);
    m_overwritePane->setMinimumWidth(m_overwritePane->fontMetrics().horizontalAdvance("OVR") + 12);
    statusBar()->addPermanentWidget(m_caretPane);
    statusBar()->addPermanentWidget(m_overwritePane);
    statusBar()->showMessage("Ready");
    showOverwrite(m_app.editorEnvironment().overwrite());
    connect(&m_app.editorEnvironment(), &EditorEnvironment::caretMoved, this,
            &CMainFrame::showCaret);
    connect(&m_app.editorEnvironment(), &EditorEnvironment::overwriteChanged, this,
            &CMainFrame::showOverwrite);
    updateEditActions();  // no program yet
}

void CMainFrame::showCaret(std::size_t line, std::size_t column)
{
    m_caretPane->setText(QStringLiteral("Ln %1, Col %2").arg(line).arg(column));
    updateEditActions();
}

void CMainFrame::showOverwrite(bool overwrite)
{
    m_overwritePane->setText(overwrite ? "OVR" : "INS");
}

void CMainFrame::updateEditActions()
{
    CLiView* view = m_documents->activeView();
    for (QAction* action : m_documentActions)
        action->setEnabled(view != nullptr);
    m_undo->setEnabled(view && view->document().CanUndo());
    m_redo->setEnabled(view && view->document().CanRedo());
    const bool twoPrograms = m_app.editorEnvironment().registeredViews().size() == 2;
    m_compareRaw->setEnabled(twoPrograms);
    m_compareSmart->setEnabled(twoPrograms);
    m_removeCompare->setEnabled(comparedViews().size() > 0);
}

std::vector<CLiView*> CMainFrame::comparedViews() const
{
    const auto registered = m_app.editorEnvironment().registeredViews();
    std::vector<CLiView*> views;
    for (const QPointer<CLiView>& view : m_comparedPair) {
        if (view && std::find(registered.begin(), registered.end(), view) != registered.end())
            views.push_back(view);
    }
    return views;
}

void CMainFrame::compare(CompareMode mode)
{
    const auto views = m_app.editorEnvironment().registeredViews();
    if (views.size() != 2) {
        m_app.notifier().message("You need to have two files to be open for 'Compare' function");
        return;
    }
    tileVertically();
    if (CLiView* other = views.front()->compare(mode))
        m_comparedPair = {views.front(), other};
    updateEditActions();
}

void CMainFrame::terminalMode()
{
    PortSetups& setups = m_app.settings().portSetups;
    SelectConfigurationDialog dialog(setups, m_app.workDir(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_commWindows->openTerminal(setups.workingCopy(), this);
}

void CMainFrame::transmit(bool chooseSetup)
{
    if (!m_app.passSettingsLock())
        return;
    AppSettings& settings = m_app.settings();
    PortSetups& setups = settings.portSetups;
    if (chooseSetup) {
        SelectConfigurationDialog dialog(setups, m_app.workDir(), this);
        if (dialog.exec() != QDialog::Accepted) {
            settings.pendingTransmit.clear();
            showPendingWork();
            return;
        }
    } else {
        setups.refreshWorkingCopy();
    }
    TransmitJob job;
    job.setup = setups.workingCopy();
    if (portBusy(job.setup, m_app.portsInUse(), m_app.notifier()))
        return;
    if (job.setup.handshake == Handshake::FanucDnc) {
        FanucFileTypeDialog types(m_fanucProgram, m_fanucSetup, this);
        if (types.exec() != QDialog::Accepted || (!types.program() && !types.setup()))
            return;
        m_fanucProgram = job.fanucProgram = types.program();
        m_fanucSetup = job.fanucSetup = types.setup();
    }
    std::string edited;
    if (settings.margins.offerTransfer) {
        if (CChildFrame* frame = m_documents->activeFrame())
            edited = frame->document().pathName();
    }
    const std::string pending = job.setup.handshake == Handshake::FanucDnc
                                    ? std::string()
                                    : settings.pendingTransmit.path();
    const FilePrompt prompt = transmitFilePrompt(job.setup, pending, edited, job.fanucProgram);
    if (!pending.empty()) {
        settings.pendingTransmit.clear();
        showPendingWork();
    }
    const auto path = m_app.filePrompter().openFile(prompt);
    if (!path)
        return;
    job.path = *path;
    m_commWindows->openTransmit(job, this);
}

void CMainFrame::receive(bool chooseSetup)
{
    if (!m_app.passSettingsLock())
        return;
    PortSetups& setups = m_app.settings().portSetups;
    if (chooseSetup) {
        SelectConfigurationDialog dialog(setups, m_app.workDir(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    } else {
        setups.refreshWorkingCopy();
    }
    ReceiveJob job;
    job.setup = setups.workingCopy();
    if (portBusy(job.setup, m_app.portsInUse(), m_app.notifier()))
        return;
    if (job.setup.handshake == Handshake::FanucDnc) {
        FanucFileTypeDialog types(m_fanucReceiveProgram, m_fanucReceiveSetup, m_fanucProgramNumber,
                                  this);
        if (types.exec() != QDialog::Accepted || (!types.program() && !types.setup()))
            return;
        m_fanucReceiveProgram = job.fanucProgram = types.program();
        m_fanucReceiveSetup = job.fanucSetup = types.setup();
        m_fanucProgramNumber = types.programNumber();
        job.programNumber = toBytes(m_fanucProgramNumber);
    }
    const auto path =
        m_app.filePrompter().saveFile(receiveFilePrompt(job.setup, job.fanucProgram));
    if (!path)
        return;
    job.path = cutAtWildcard(*path);
    m_commWindows->openReceive(job, this);
}

void CMainFrame::transmitRepositioning()
{
    if (!m_app.passSettingsLock())
        return;
    PortSetups& setups = m_app.settings().portSetups;
    SelectConfigurationDialog dialog(setups, m_app.workDir(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TransmitJob job;
    job.setup = setups.workingCopy();
    if (portBusy(job.setup, m_app.portsInUse(), m_app.notifier()))
        return;
    const auto path = m_app.filePrompter().openFile(repositioningFilePrompt(job.setup));
    if (!path)
        return;
    CChildFrame* frame = m_documents->openFile(fromBytes(*path));
    if (!frame) {
        m_app.notifier().message("Could not open file");
        return;
    }
    job.path = *path;
    QPointer<CChildFrame> editor = frame;
    auto* ask = new RepositioningDialog(this);
    connect(ask, &QDialog::accepted, this, [this, editor, job]() mutable {
        if (!editor)
            return;
        const std::size_t line = editor->activeView()->caretState().caret.line + 1;
        editor->parentWidget()->close();
        const auto offset = lineStartOffset(job.path, line);
        if (!offset) {
            m_app.notifier().message(kOpenTxFileFailedText);
            return;
        }
        job.resumeOffset = *offset;
        m_commWindows->openTransmit(job, this);
    });
    connect(ask, &QDialog::rejected, this, [editor] {
        if (editor)
            editor->parentWidget()->close();
    });
    ask->show();
    ask->move(geometry().center() - ask->rect().center());
}

void CMainFrame::removeCompareResults()
{
    for (CLiView* view : comparedViews())
        view->removeCompareResults();
    m_comparedPair = {};
    updateEditActions();
}

void CMainFrame::tileVertically()
{
    // Side by side, each window the full height of the area.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (window->isVisible() && !window->isMinimized())
            windows << window;
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int width = area.width() / static_cast<int>(windows.size());
    for (int i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        const int left = area.left() + i * width;
        const int right = i + 1 == windows.size() ? area.right() : left + width - 1;
        windows[i]->setGeometry(QRect(QPoint(left, area.top()), QPoint(right, area.bottom())));
    }
}

void CMainFrame::fillRecentFiles()
{
    m_recentMenu->clear();
    const QStringList& files = m_app.recentFiles().files();
    if (files.isEmpty()) {
        m_recentMenu->addAction("(none)")->setEnabled(false);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), this,
                                [this, path] { m_documents->openFile(path); });
    }
}

void CMainFrame::openNextQueuedFile()
{
    const auto next = m_app.openFileQueue().takeNext();
    if (next && QFileInfo::exists(fromBytes(*next)))
        m_documents->openFile(fromBytes(*next));
    if (!m_app.openFileQueue().empty())
        QTimer::singleShot(0, this, &CMainFrame::openNextQueuedFile);
    showPendingWork();
}

void CMainFrame::showPendingWork()
{
    QStringList waiting;
    for (const auto& slot : m_app.openFileQueue().entries()) {
        if (!slot.empty())
            waiting << fromBytes(slot);
    }
    QString message;
    if (!waiting.isEmpty())
        message = "Waiting to open: " + waiting.join(", ");
    const auto& pending = m_app.settings().pendingTransmit;
    if (!pending.empty()) {
        if (!message.isEmpty())
            message += "   ";
        message += "Waiting to transmit: " + fromBytes(pending.path());
    }
    statusBar()->showMessage(message.isEmpty() ? QString("Ready") : message);
}

void CMainFrame::bringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // Keys sent to any widget of this window (a modal dialog has its own window).
    const auto* widget = qobject_cast<QWidget*>(watched);
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && widget &&
        widget->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool press = event->type() == QEvent::KeyPress;
        if (key->key() == Qt::Key_Control && !key->isAutoRepeat()) {
            if (press)
                m_windowOrder.ctrlPressed();
            else
                m_windowOrder.ctrlReleased(m_mdiArea->activeSubWindow());
        } else if (press && key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            if (const auto next = m_windowOrder.tab())
                m_mdiArea->setActiveSubWindow(*next);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeWithoutQuestions()
{
    // Hidden: a close is already under way.
    if (m_withoutQuestions || !isVisible())
        return;
    m_withoutQuestions = true;
    close();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedFiles(*event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = droppedFiles(*event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    for (const QString& file : files)
        m_documents->openFile(file);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_withoutQuestions) {
        // Nobody may be there to answer; nothing the user did not save is written.
        m_documents->dropCloseChecks();
    } else {
        if (m_app.portsInUse().anyInUse() &&
            !m_app.notifier().askYesNo(kExitWhilePortInUse, "Warning", NoticeIcon::Exclamation)) {
            event->ignore();
            return;
        }
        // Modified programs are offered for saving before anything is closed, so that a
        // Cancel leaves the program running as it was.
        if (!m_documents->queryCloseAll()) {
            event->ignore();
            return;
        }
    }
    m_shiftWindows->closeAll();
    m_reportWindows->closeAll();
    m_oeeWindows->closeAll();
    m_monitorDisplays->closeAll();
    m_mqttBridge->stop();
    m_board->stop();
    m_app.shutDown(!isMinimized());
    event->accept();
}

}  // namespace quillon
