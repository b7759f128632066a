// "Configure / manualDNC": the editor of the ten port setups.
#pragma once

#include <QComboBox>
#include <QDialog>

#include <array>

#include "dnc/ComDeviceMap.h"
#include "dnc/PortSetup.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace quillon {

class FilePrompter;
class Notifier;
class PortSetups;
class WorkDir;

// The device behind a port as the setup dialogs show it: "COM1 — /dev/ttyUSB0", and
// why it cannot be used when that is so. Empty for a port outside COM1..COM10.
QString portDeviceText(int port, const ComDeviceMap& devices, const DeviceAccessCheck& check);

// A combo box that says when its list is about to drop down.
class NameComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;

signals:
    void aboutToDropDown();
};

class PortSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Opening loads the setups from ComConf.sys and shows the selected one.
    PortSetupDialog(PortSetups& setups, const WorkDir& workDir, Notifier& notifier,
                    FilePrompter& files, QWidget* parent = nullptr);

    // "Save && Exit": the shown setup goes into its record and all ten are saved.
    void accept() override;
    // "Cancel" (and closing the window): every edit since opening is discarded.
    void reject() override;

    NameComboBox* nameCombo() const { return m_nameCombo; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    // The device line under the port choice.
    QString portDevice() const;
    // How a device is checked; the tests stand in for a user outside the dialout group.
    void setDeviceAccessCheck(DeviceAccessCheck check);

private:
    QCheckBox* makeCheckBox(const QString& text);
    QLineEdit* makeEdit(const char* objectName, int maxLength);
    QButtonGroup* makeRadioGroup(const QString& title, const QStringList& texts, QWidget** box,
                                 int columns);

    void showSetup(const PortSetup& setup);
    void readControlsInto(PortSetup& setup) const;
    void fillNames();
    void showPortDevice();

    void onDropDown();
    void onNameSelected(int index);
    void onChangeName();
    void onXonXoffClicked(bool checked);
    void onProtocolClicked(QCheckBox* protocol, bool checked);
    void browseFolder(QLineEdit* edit, const char* title);

    PortSetups& m_setups;
    const WorkDir& m_workDir;
    Notifier& m_notifier;
    FilePrompter& m_files;
    // Read when the dialog opens, from the same files and variables as the program's map.
    ComDeviceMap m_devices;
    DeviceAccessCheck m_accessCheck = checkDeviceAccess;

    NameComboBox* m_nameCombo;
    QLineEdit* m_nameEdit;
    QButtonGroup* m_ports;
    QLabel* m_portDevice;
    QButtonGroup* m_bauds;
    QButtonGroup* m_endOfBlock;
    QButtonGroup* m_code;
    QButtonGroup* m_parity;
    QCheckBox* m_xonXoff;
    QCheckBox* m_waitForXon;
    QCheckBox* m_hardware;
    QCheckBox* m_mazak;
    QCheckBox* m_heidenhain;
    QCheckBox* m_fanuc;
    QCheckBox* m_looping;
    QCheckBox* m_mazakDelay;
    QCheckBox* m_smallBuffer;
    QCheckBox* m_includeStart;
    QCheckBox* m_keepOpen;
    QLineEdit* m_null;
    QLineEdit* m_txStart;
    QLineEdit* m_txEnd;
    QLineEdit* m_rxStart;
    QLineEdit* m_rxEnd;
    QLineEdit* m_commentFilter;
    QLineEdit* m_txDirectory;
    QLineEdit* m_rxDirectory;
};

}  // namespace quillon
