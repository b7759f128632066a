// "MQTT bridge": whether the program publishes the machines' states to an MQTT broker, and
// how it reaches the broker; with a line telling how the running bridge is doing.
#pragma once

#include <QDialog>

#include "bridge/BridgeSettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

class FilePrompter;
class Notifier;
class WorkDir;

inline constexpr char kMqttBridgeTitle[] = "MQTT bridge";

class MqttBridgeDialog : public QDialog {
    Q_OBJECT
public:
    MqttBridgeDialog(const BridgeSettings& stored, const WorkDir& workDir, FilePrompter& files,
                     Notifier& notifier, QWidget* parent = nullptr);

    // What OK keeps: the fields as typed, the prefix as topics are built from it.
    BridgeSettings chosen() const;
    // The running bridge's state, or why none runs.
    void setStatus(const QString& text);

    // With publishing switched on, OK closes only over settings that can work; otherwise
    // it tells what is wrong and puts the cursor in that field.
    void accept() override;

    QCheckBox* enabledBox() const { return m_enabled; }
    QLineEdit* brokerEdit() const { return m_broker; }
    QLineEdit* prefixEdit() const { return m_prefix; }
    QLineEdit* clientIdEdit() const { return m_clientId; }
    QLineEdit* userEdit() const { return m_user; }
    QLineEdit* passwordFileEdit() const { return m_passwordFile; }
    QLineEdit* tlsCaFileEdit() const { return m_tlsCaFile; }
    QPushButton* passwordBrowseButton() const { return m_passwordBrowse; }
    QPushButton* tlsCaBrowseButton() const { return m_tlsCaBrowse; }
    QLabel* statusLabel() const { return m_status; }

private:
    void browse(QLineEdit* field, const char* title, const char* filter);
    QLineEdit* fieldOf(std::string_view problem) const;

    const WorkDir& m_workDir;
    FilePrompter& m_files;
    Notifier& m_notifier;
    QCheckBox* m_enabled;
    QLineEdit* m_broker;
    QLineEdit* m_prefix;
    QLineEdit* m_clientId;
    QLineEdit* m_user;
    QLineEdit* m_passwordFile;
    QLineEdit* m_tlsCaFile;
    QPushButton* m_passwordBrowse;
    QPushButton* m_tlsCaBrowse;
    QLabel* m_status;
};

}  // namespace quillon
