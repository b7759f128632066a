// "Set Machine Status": the statuses the hub lets the user give one machine, the current
// one preselected.
#pragma once

#include <QDialog>

#include <string>
#include <string_view>
#include <vector>

class QListWidget;

namespace quillon {

class SetMachineStatusDialog : public QDialog {
    Q_OBJECT
public:
    SetMachineStatusDialog(std::vector<std::string> statuses, std::string_view currentStatus,
                           std::string_view machineName, QWidget* parent = nullptr);

    // The status picked; empty when none is.
    std::string chosen() const;
    QListWidget* list() const { return m_list; }

private:
    std::vector<std::string> m_statuses;
    QListWidget* m_list;
};

}  // namespace quillon
