#include "monitoring/ui/DisplayListDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>

#include "monitoring/HubSetup.h"
#include "monitoring/ui/MachineSelectionDialog.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

DisplayListDialog::DisplayListDialog(const std::vector<std::string>& names, QWidget* parent)
    : QDialog(parent), m_machines(new QListWidget(this)), m_select(new QPushButton("Select", this))
{
    setWindowTitle(kDisplayListTitle);
    const std::size_t shown = std::min(names.size(), kDisplayListLimit);
    for (std::size_t index = 0; index < shown; ++index)
        m_machines->addItem(fromBytes(names[index]));
    if (m_machines->count() > 0)
        m_machines->setCurrentRow(0);
    m_select->setEnabled(m_machines->count() > 0);
    m_select->setDefault(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(m_select, QDialogButtonBox::AcceptRole);
    layOutMachinePicker(*this, m_machines, buttons);
}

std::optional<std::string> DisplayListDialog::chosen() const
{
    const QListWidgetItem* item = m_machines->currentItem();
    if (!item)
        return std::nullopt;
    return toBytes(item->text());
}

std::optional<DisplayedMachine> identifyMachine(std::string_view name,
                                                const HubConfiguration& configuration,
                                                const MonitorSetup& setup)
{
    const auto slot = configuration.slotOf(name);
    if (!slot)
        return std::nullopt;
    const auto kind = setup.stationKind(*slot);
    if (!kind || *kind == StationKind::Unknown)
        return std::nullopt;
    return DisplayedMachine{*slot, *kind};
}

std::optional<DisplayedMachine> chooseDisplayedMachine(std::string_view hubDirectory,
                                                       Notifier& notifier, QWidget* parent)
{
    const auto configuration =
        hubDirectory.empty() ? std::nullopt : readHubConfiguration(hubDirectory);
    if (!configuration) {
        notifier.message(std::string(kHubSetupNotFound));
        return std::nullopt;
    }
    const auto setup = readMonitorSetup(hubDirectory);
    if (!setup) {
        notifier.message(std::string(kMonitorSetupNotFound));
        return std::nullopt;
    }
    DisplayListDialog dialog(monitoredMachineNames(*configuration, *setup), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const auto name = dialog.chosen();
    if (!name)
        return std::nullopt;
    const auto machine = identifyMachine(*name, *configuration, *setup);
    if (!machine)
        notifier.message(std::string(kCannotIdentifyMachine));
    return machine;
}

}  // namespace quillon
