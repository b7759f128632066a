// Settings > "MQTT bridge...": the dialog over MqttBridge.sys, and the program's own bridge,
// started, restarted or stopped by what the dialog keeps and started at start-up when the
// saved settings say so.
#pragma once

#include <QObject>
#include <QPointer>

#include <string>

#include "app/ui/SavedFollower.h"
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
    void tick();
    // Before the program ends: says goodbye to the broker.
    void stop();

    BridgeRunner& runner() { return m_runner; }
    // What the dialog's status line says.
    std::string statusText() const;

private:
    QuillonApplication& m_app;
    QWidget* m_window;
    SystemSteadyClock m_steadyClock;
    BridgeRunner m_runner;
    SavedFollower<BridgeSettings> m_saved;
    QPointer<MqttBridgeDialog> m_dialog;
};

}  // namespace quillon
