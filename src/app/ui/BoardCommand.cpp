#include "app/ui/BoardCommand.h"

#include "board/ui/BoardDialog.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/Notifier.h"

namespace quillon {

BoardCommand::BoardCommand(QuillonApplication& app, QWidget* window)
    : QObject(window),
      m_app(app),
      m_window(window),
      m_runner(app.workDir(), app.clock()),
      m_saved(app, {.name = "The shop-floor board",
                    .fileName = kBoardSettingsFile,
                    .read = readBoardSettings,
                    .write = writeBoardSettings,
                    .start =
                        [this](const BoardSettings& settings, HubLink& link, std::string& error) {
                            return m_runner.start(settings, link, error);
                        },
                    .stop = [this] { m_runner.stop(); },
                    .running = [this] { return m_runner.running(); }})
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
    m_saved.keep(dialog.chosen());
}

void BoardCommand::tick()
{
    m_saved.tick();
}

void BoardCommand::stop()
{
    m_saved.stop();
}

}  // namespace quillon
