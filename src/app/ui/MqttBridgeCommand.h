// Settings > "MQTT bridge...": the dialog over MqttBridge.sys, and the program's own bridge,
// started, restarted or stopped by what the dialog keeps and started at start-up when the
// saved settings say so.
#pragma once

#include <QObject>
#include <QPointer>

#include <string>

#include "bridge/ui/BridgeRunner.h"
#include "platform/Clock.h"

namespace quillon {

class MqttBridgeDialog;
class QuillonApplication;

class MqttBridgeCommand : public QObject {
    Q_OBJECT
public:
    MqttBridgeCommand(QuillonApplication& app, QWidget* window);

    // The dialog; OK saves the file and brings the running bridge in line with it.
    void configure();
    // The main timer: a bridge saved as switched on starts once the hub link is there.
    // Once it has started or failed for a reason other than the missing link, this waits no
    // more.
    void tick();
    // Before the program ends: says goodbye to the broker.
    void stop();

    BridgeRunner& runner() { return m_runner; }
    // What the dialog's status line says.
    std::string statusText() const;

private:
    // Starts the bridge, or restarts it when the settings changed; a failure is told to the
    // user.
    void start(const BridgeSettings& settings);

    QuillonApplication& m_app;
    QWidget* m_window;
    SystemSteadyClock m_steadyClock;
    BridgeRunner m_runner;
    bool m_startPending = true;
    // What the running bridge started with: OK over the same settings leaves it alone.
    BridgeSettings m_running;
    QPointer<MqttBridgeDialog> m_dialog;
};

}  // namespace quillon
