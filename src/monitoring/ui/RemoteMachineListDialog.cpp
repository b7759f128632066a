#include "monitoring/ui/RemoteMachineListDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "monitoring/HubSetup.h"
#include "monitoring/MachineLists.h"
#include "monitoring/RemoteRequest.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

QListWidget* newList(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setMinimumSize(180, 260);
    return list;
}

}  // namespace

RemoteMachineListDialog::RemoteMachineListDialog(const WorkDir& workDir,
                                                 const std::vector<std::string>& hubNames,
                                                 Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_workDir(workDir),
      m_notifier(notifier),
      m_names(readRemoteMachineList(workDir)),
      m_remote(newList(this)),
      m_shown(newList(this)),
      m_add(new QPushButton("Add ->", this)),
      m_delete(new QPushButton("- Delete -", this)),
      m_sort(new QPushButton("Sort", this))
{
    setWindowTitle(kRemoteMachineListTitle);
    m_remote->setObjectName("remoteList");
    m_shown->setObjectName("machinesShown");
    for (const auto& name : hubNames)
        m_remote->addItem(fromBytes(name));
    showNames();

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Remote list", this), 0, 0);
    layout->addWidget(m_remote, 1, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    buttons->addSpacing(12);
    buttons->addWidget(m_sort);
    buttons->addStretch();
    layout->addLayout(buttons, 1, 1);
    layout->addWidget(new QLabel("Machines shown", this), 0, 2);
    layout->addWidget(m_shown, 1, 2);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(box, 2, 0, 1, 3);

    connect(m_add, &QPushButton::clicked, this, &RemoteMachineListDialog::addSelected);
    connect(m_remote, &QListWidget::itemDoubleClicked, this,
            &RemoteMachineListDialog::addSelected);
    connect(m_delete, &QPushButton::clicked, this, &RemoteMachineListDialog::deleteSelected);
    connect(m_sort, &QPushButton::clicked, this, &RemoteMachineListDialog::sortShown);
    connect(box, &QDialogButtonBox::accepted, this, &RemoteMachineListDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void RemoteMachineListDialog::showNames()
{
    m_shown->clear();
    for (const auto& name : m_names)
        m_shown->addItem(fromBytes(name));
}

void RemoteMachineListDialog::addSelected()
{
    const QListWidgetItem* item = m_remote->currentItem();
    if (!item || !item->isSelected()) {
        m_notifier.message(std::string(kSelectMachineFirst));
        return;
    }
    const std::string name = toBytes(item->text());
    if (std::ranges::find(m_names, name) != m_names.end())
        return;
    m_names.push_back(name);
    m_shown->addItem(item->text());
}

void RemoteMachineListDialog::deleteSelected()
{
    const QListWidgetItem* item = m_shown->currentItem();
    if (!item || !item->isSelected()) {
        m_notifier.message(std::string(kSelectMachineFirst));
        return;
    }
    m_names.erase(m_names.begin() + m_shown->row(item));
    showNames();
}

void RemoteMachineListDialog::sortShown()
{
    // Byte order, as the hub's names are compared everywhere else; equal names keep their
    // places.
    std::ranges::stable_sort(m_names);
    showNames();
}

void RemoteMachineListDialog::accept()
{
    if (m_names.empty()) {
        m_notifier.message(std::string(kNoMachineNamesSpecified));
        return;
    }
    const WriteResult written = writeRemoteMachineList(m_workDir, m_names);
    if (!written.ok) {
        m_notifier.error("Could not save " + std::string(kRemoteMachineListFile) + ": " +
                         written.error);
        return;
    }
    QDialog::accept();
}

bool editRemoteMachineList(const WorkDir& workDir, std::string_view hubDirectory,
                           Notifier& notifier, QWidget* parent)
{
    const auto configuration =
        hubDirectory.empty() ? std::nullopt : readHubConfiguration(hubDirectory);
    if (!configuration)
        notifier.message(std::string(kHubSetupNotFound));
    const std::vector<std::string> hubNames =
        configuration ? offeredRemoteMachines(std::nullopt, *configuration)
                      : std::vector<std::string>{};
    RemoteMachineListDialog dialog(workDir, hubNames, notifier, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace quillon
