// "Machine Selection": one machine of the hub's configuration, picked by name, for the
// commands that work on a machine's folders (the directory log) or, later, its records.
#pragma once

#include <QDialog>

#include <optional>

#include "monitoring/MachineSlot.h"

class QDialogButtonBox;
class QListWidget;

namespace quillon {

class HubConfiguration;

class MachineSelectionDialog : public QDialog {
    Q_OBJECT
public:
    // Lists the named slots of the configuration in slot order.
    MachineSelectionDialog(const HubConfiguration& configuration, QWidget* parent = nullptr);

    QListWidget* machines() const { return m_machines; }
    // The slot of the highlighted machine.
    std::optional<MachineSlot> chosen() const;

private:
    QListWidget* m_machines;
};

// The shape of the dialogs that pick one machine from a list: the list above the buttons,
// a double click on a machine as good as the accepting button.
void layOutMachinePicker(QDialog& dialog, QListWidget* machines, QDialogButtonBox* buttons);

// Shows the dialog; the chosen slot on OK, nothing on Cancel or with no machine chosen.
std::optional<MachineSlot> chooseMachine(const HubConfiguration& configuration, QWidget* parent);

}  // namespace quillon
