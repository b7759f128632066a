#include "monitoring/ui/MachineSelectionDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "monitoring/HubSetup.h"
#include "platform/ui/Latin1.h"

namespace quillon {

MachineSelectionDialog::MachineSelectionDialog(const HubConfiguration& configuration,
                                               QWidget* parent)
    : QDialog(parent), m_machines(new QListWidget(this))
{
    setWindowTitle("Machine Selection");
    const auto& hubMachines = configuration.machines();
    for (std::size_t index = 0; index < hubMachines.size(); ++index) {
        if (hubMachines[index].name.empty())
            continue;
        auto* item = new QListWidgetItem(fromBytes(hubMachines[index].name), m_machines);
        item->setData(Qt::UserRole, static_cast<int>(index));
    }
    if (m_machines->count() > 0)
        m_machines->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_machines->count() > 0);
    layOutMachinePicker(*this, m_machines, buttons);
}

void layOutMachinePicker(QDialog& dialog, QListWidget* machines, QDialogButtonBox* buttons)
{
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(machines, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(machines);
    layout->addWidget(buttons);
    dialog.resize(320, 360);
}

std::optional<MachineSlot> MachineSelectionDialog::chosen() const
{
    const QListWidgetItem* item = m_machines->currentItem();
    if (!item)
        return std::nullopt;
    return MachineSlot::ofIndex(item->data(Qt::UserRole).toInt());
}

std::optional<MachineSlot> chooseMachine(const HubConfiguration& configuration, QWidget* parent)
{
    MachineSelectionDialog dialog(configuration, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

}  // namespace quillon
