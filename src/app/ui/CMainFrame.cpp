#include "app/ui/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "app/ui/QuillonApplication.h"

namespace quillon {

namespace {

constexpr char kExitWhilePortInUse[] =
    "If you exit, machine communications will be closed.\nAre you sure you want to exit?";

}  // namespace

CMainFrame::CMainFrame(QuillonApplication& app) : m_app(app), m_mdiArea(new QMdiArea(this))
{
    setWindowTitle("QuillonLT");
    setCentralWidget(m_mdiArea);
    buildMenus();
    statusBar()->showMessage("Ready");

    connect(&m_app, &QuillonApplication::openFileQueueChanged, this,
            &CMainFrame::showPendingWork);
    connect(&m_app, &QuillonApplication::transmitRequested, this,
            &CMainFrame::showPendingWork);
}

void CMainFrame::buildMenus()
{
    auto* file = menuBar()->addMenu("&File");
    m_recentMenu = file->addMenu("Recent &files");
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CMainFrame::fillRecentFiles);
    file->addSeparator();
    file->addAction("E&xit", this, &QWidget::close);

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
    settings->addAction("&RS232 parameters", this, [this] { m_app.rs232Parameters(); });
    settings->addAction("&Other options", this, [this] { m_app.otherOptions(); });

    auto* tools = menuBar()->addMenu("&Tools");
    tools->addAction("&Calculator", this, [this] { m_app.calculator(); });

    auto* help = menuBar()->addMenu("&Help");
    help->addAction("&About QuillonLT", this, [this] {
        QMessageBox::about(this, "About QuillonLT",
                           "QuillonLT\n\nNC program editor and manual DNC for CNC machine "
                           "shops.");
    });
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
                                [this, path] {
                                    if (m_app.openFileQueue().add(path.toStdString()))
                                        showPendingWork();
                                });
    }
}

void CMainFrame::showPendingWork()
{
    QStringList waiting;
    for (const auto& slot : m_app.openFileQueue().entries()) {
        if (!slot.empty())
            waiting << QString::fromStdString(slot);
    }
    QString message;
    if (!waiting.isEmpty())
        message = "Waiting to open: " + waiting.join(", ");
    const auto& pending = m_app.settings().pendingTransmit;
    if (!pending.empty()) {
        if (!message.isEmpty())
            message += "   ";
        message += "Waiting to transmit: " + QString::fromStdString(pending.path());
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
    m_app.shutDown(!isMinimized());
    event->accept();
}

}  // namespace quillon
