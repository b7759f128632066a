#include "monitoring/ui/SetMachineStatusDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "monitoring/StatusChange.h"
#include "platform/ui/Latin1.h"

namespace quillon {

SetMachineStatusDialog::SetMachineStatusDialog(std::vector<std::string> statuses,
                                               std::string_view currentStatus,
                                               std::string_view machineName, QWidget* parent)
    : QDialog(parent), m_statuses(std::move(statuses)), m_list(new QListWidget(this))
{
    setWindowTitle(fromBytes(setStatusTitle(machineName)));
    for (const std::string& status : m_statuses)
        m_list->addItem(fromBytes(status));
    if (const auto first = preselectedStatus(m_statuses, currentStatus))
        m_list->setCurrentRow(static_cast<int>(*first));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

std::string SetMachineStatusDialog::chosen() const
{
    const int row = m_list->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_statuses.size())
        return {};
    return m_statuses[static_cast<std::size_t>(row)];
}

}  // namespace quillon
