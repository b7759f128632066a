#include "app/ui/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include "app/ui/DocumentManager.h"
#include "app/ui/QuillonApplication.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/EditorEnvironment.h"
#include "editor/ui/NcPrinter.h"
#include "platform/ui/QtNotifier.h"

namespace quillon {

namespace {

constexpr char kExitWhilePortInUse[] =
    "If you exit, machine communications will be closed.\nAre you sure you want to exit?";
// The caret pane is as wide as this text.
constexpr char kCaretPaneTemplate[] = "Ln ######,  Ch ######";

}  // namespace

CMainFrame::CMainFrame(QuillonApplication& app)
    : m_app(app), m_mdiArea(new QMdiArea(this))
{
    setWindowTitle("QuillonLT");
    setCentralWidget(m_mdiArea);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_documents = new DocumentManager(m_app, m_app.editorEnvironment(), *m_mdiArea);
    buildMenus();
    buildStatusBar();

    connect(&m_app, &QuillonApplication::openFileQueueChanged, this, [this] {
        showPendingWork();
        QTimer::singleShot(0, this, &CMainFrame::openNextQueuedFile);
    });
    connect(&m_app, &QuillonApplication::transmitRequested, this, &CMainFrame::showPendingWork);
    connect(m_documents, &DocumentManager::activeViewChanged, this, [this](CLiView* view) {
        if (view)
            showCaret(view->caretState().caret.line + 1, view->caretState().caret.column + 1);
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
            const auto outcome = printWithDialog(frame.document(),
                                                 PrintSettings::of(m_app.settings()),
                                                 m_app.clock(), this);
            if (outcome == PrintOutcome::Failed)
                m_app.notifier().message("The program could not be printed.");
        }));
    m_documentActions << file->addAction(
        "Print Pre&view", QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_P), this,
        onFrame([this](CChildFrame& frame) {
            showPrintPreview(frame.document(), PrintSettings::of(m_app.settings()),
                             m_app.clock(), this);
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

    auto* settings = menuBar()->addMenu("&Settings");
    auto* fonts = settings->addMenu("F&onts");
    fonts->addAction("&Edit", this, [this] { m_app.editFont(FontRole::Editor); });
    fonts->addAction("&Printer", this, [this] { m_app.editFont(FontRole::Printer); });
    fonts->addAction("&RS232 port", this, [this] { m_app.editFont(FontRole::PortWindows); });
    auto* colors = settings->addMenu("&Colors");
    colors->addAction("&Edit", this, [this] { m_app.editColors(); });
    settings->addAction("&RS232 parameters", this, [this] { m_app.rs232Parameters(); });
    settings->addAction("&Other options", this, [this] { m_app.otherOptions(); });

    auto* tools = menuBar()->addMenu("&Tools");
    tools->addAction("&Calculator", this, [this] { m_app.calculator(); });

    auto* window = menuBar()->addMenu("&Window");
    window->addAction("&Cascade", m_mdiArea, &QMdiArea::cascadeSubWindows);
    window->addAction("&Tile", m_mdiArea, &QMdiArea::tileSubWindows);
    m_documentActions << window->addAction("S&plit", this, [this] {
        if (CChildFrame* frame = m_documents->activeFrame())
            frame->splitPanes(true, true);
    });

    auto* help = menuBar()->addMenu("&Help");
    help->addAction("&About QuillonLT", this, [this] {
        QMessageBox::about(this, "About QuillonLT",
                           "QuillonLT\n\nNC program editor and manual DNC for CNC machine "
                           "shops.");
    });
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

void CMainFrame::closeEvent(QCloseEvent* event)
{
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
    m_app.shutDown(!isMinimized());
    event->accept();
}

}  // namespace quillon
