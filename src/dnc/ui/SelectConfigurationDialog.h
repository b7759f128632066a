// "Select configuration": the setup a transfer is to use, picked by name, with a summary.
#pragma once

#include <QDialog>

#include <vector>

#include "dnc/ComDeviceMap.h"

class QComboBox;
class QLabel;

namespace quillon {

class PortSetups;
class WorkDir;

class SelectConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    // Opening loads the setups from ComConf.sys. After "Continue" the working copy holds
    // the chosen setup.
    SelectConfigurationDialog(PortSetups& setups, const WorkDir& workDir,
                              QWidget* parent = nullptr);

    QComboBox* nameCombo() const { return m_nameCombo; }
    // The summary texts as shown, one per line of the summary.
    QStringList summaryTexts() const;
    // The device behind the chosen setup's port, under the summary.
    QString portDevice() const;
    // How a device is checked; the tests stand in for a user outside the dialout group.
    void setDeviceAccessCheck(DeviceAccessCheck check);

private:
    void showSummary();

    PortSetups& m_setups;
    ComDeviceMap m_devices;
    DeviceAccessCheck m_accessCheck = checkDeviceAccess;
    QComboBox* m_nameCombo;
    std::vector<QLabel*> m_summary;
    QLabel* m_portDevice;
};

}  // namespace quillon
