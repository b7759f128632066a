#include "app/ui/MqttBridgeCommand.h"

#include "app/ui/QuillonApplication.h"
#include "bridge/ui/MqttBridgeDialog.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/Notifier.h"

namespace quillon {

MqttBridgeCommand::MqttBridgeCommand(QuillonApplication& app, QWidget* window)
    : QObject(window),
      m_app(app),
      m_window(window),
      m_runner(app.workDir(), app.clock(), m_steadyClock)
{
    connect(&m_runner, &BridgeRunner::statusChanged, this, [this] {
        if (m_dialog)
            m_dialog->setStatus(QString::fromStdString(statusText()));
    });
}

std::string MqttBridgeCommand::statusText() const
{
    if (!m_runner.running() && !m_app.hubChannel())
        return "Not running: " + std::string(kNoLinkText);
    return bridgeStatusText(m_runner.status());
}

void MqttBridgeCommand::configure()
{
    if (!m_app.passSettingsLock())
        return;
    MqttBridgeDialog dialog(readBridgeSettings(m_app.workDir()), m_app.workDir(),
                            m_app.filePrompter(), m_app.notifier(), m_window);
    dialog.setStatus(QString::fromStdString(statusText()));
    m_dialog = &dialog;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_dialog = nullptr;
    if (!accepted)
        return;
    const BridgeSettings chosen = dialog.chosen();
    const WriteResult written = writeBridgeSettings(m_app.workDir(), chosen);
    if (!written.ok) {
        m_app.notifier().error("Could not save " + std::string(kBridgeSettingsFile) + ": " +
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
        // being looked up): the bridge then starts with it.
        m_startPending = true;
        m_app.notifier().message("The MQTT bridge was saved but cannot run: " +
                                 std::string(kNoLinkText));
        return;
    }
    start(chosen);
}

void MqttBridgeCommand::tick()
{
    if (!m_startPending || !m_app.hubChannel())
        return;
    m_startPending = false;
    const BridgeSettings saved = readBridgeSettings(m_app.workDir());
    if (saved.enabled)
        start(saved);
}

void MqttBridgeCommand::stop()
{
    m_startPending = false;
    m_runner.stop();
}

void MqttBridgeCommand::start(const BridgeSettings& settings)
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
