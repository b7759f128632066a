#include "app/ui/BoardCommand.h"

#include "app/ui/QuillonApplication.h"
#include "board/ui/BoardDialog.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/Notifier.h"

namespace quillon {

BoardCommand::BoardCommand(QuillonApplication& app, QWidget* window)
    : QObject(window), m_app(app), m_window(window), m_runner(app.workDir(), app.clock())
{
    connect(&m_runner, &BoardRunner::statusChanged, this, &BoardCommand::showStatus);
}

std::string BoardCommand::statusText() const
{
    if (!m_runner.running() && !m_app.hubChannel())
        return "Not running: " + std::string(kNoLinkText);
    return m_runner.statusText();
}

void BoardCommand::showStatus()
{
    if (m_dialog) {
        m_dialog->setStatus(QString::fromStdString(statusText()),
                            QString::fromStdString(m_runner.url()));
    }
}

void BoardCommand::configure()
{
    if (!m_app.passSettingsLock())
        return;
    BoardDialog dialog(readBoardSettings(m_app.workDir()), m_app.notifier(), m_window);
    m_dialog = &dialog;
    showStatus();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_dialog = nullptr;
    if (!accepted)
        return;
    const BoardSettings chosen = dialog.chosen();
    const WriteResult written = writeBoardSettings(m_app.workDir(), chosen);
    if (!written.ok) {
        m_app.notifier().error("Could not save " + std::string(kBoardSettingsFile) + ": " +
                               written.error);
        return;
    }
    // What was saved decides from now on.
    m_startPending = false;
    if (!chosen.enabled) {
        m_runner.stop();
        return;
    }
    if (!m_app.hubChannel()) {
        // The link is bound at start-up only, but may still be on its way (the hub's name
        // being looked up): the board then starts with it.
        m_startPending = true;
        m_app.notifier().message("The shop-floor board was saved but cannot run: " +
                                 std::string(kNoLinkText));
        return;
    }
    start(chosen);
}

void BoardCommand::tick()
{
    if (!m_startPending || !m_app.hubChannel())
        return;
    m_startPending = false;
    const BoardSettings saved = readBoardSettings(m_app.workDir());
    if (saved.enabled)
        start(saved);
}

void BoardCommand::stop()
{
    m_startPending = false;
    m_runner.stop();
}

void BoardCommand::start(const BoardSettings& settings)
{
    if (m_runner.running() && settings == m_running)
        return;
    std::string error;
    if (m_runner.start(settings, m_app.hubChannel()->link(), error))
        m_running = settings;
    else
        m_app.notifier().message(error);
}

}  // namespace quillon
