#include "app/ui/MqttBridgeCommand.h"

#include "bridge/ui/MqttBridgeDialog.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/ui/HubChannel.h"
#include "platform/Notifier.h"

namespace quillon {

MqttBridgeCommand::MqttBridgeCommand(QuillonApplication& app, QWidget* window)
    : QObject(window),
      m_app(app),
      m_window(window),
      m_runner(app.workDir(), app.clock(), m_steadyClock),
      m_saved(app, {.name = "The MQTT bridge",
                    .fileName = kBridgeSettingsFile,
                    .read = readBridgeSettings,
                    .write = writeBridgeSettings,
                    .start =
                        [this](const BridgeSettings& settings, HubLink& link, std::string& error) {
                            return m_runner.start(settings, link, error);
                        },
                    .stop = [this] { m_runner.stop(); },
                    .running = [this] { return m_runner.running(); }})
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
    m_saved.keep(dialog.chosen());
}

void MqttBridgeCommand::tick()
{
    m_saved.tick();
}

void MqttBridgeCommand::stop()
{
    m_saved.stop();
}

}  // namespace quillon
