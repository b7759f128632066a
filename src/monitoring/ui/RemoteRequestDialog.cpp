#include "monitoring/ui/RemoteRequestDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "monitoring/ui/RemoteMachineListDialog.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// Wide enough for a full path on the hub's share.
constexpr int kNameEditWidth = 320;

}  // namespace

RemoteRequestDialog::RemoteRequestDialog(const WorkDir& workDir, std::string hubDirectory,
                                         RemoteRequestChoices& choices, Notifier& notifier,
                                         FilePrompter& files, QWidget* parent)
    : QDialog(parent),
      m_workDir(workDir),
      m_hubDirectory(std::move(hubDirectory)),
      m_choices(choices),
      m_notifier(notifier),
      m_files(files),
      m_machine(new QComboBox(this)),
      m_download(new QLineEdit(this)),
      m_upload(new QLineEdit(this)),
      m_downloadBrowse(new QPushButton("Browse", this)),
      m_uploadBrowse(new QPushButton("Browse", this)),
      m_fullPath(new QCheckBox("Use full path", this)),
      m_downloadRequest(new QPushButton("Comp -> MCH", this)),
      m_uploadRequest(new QPushButton("MCH -> Comp", this)),
      m_machineList(new QPushButton("Machine list", this)),
      m_exit(new QPushButton("Exit", this))
{
    setWindowTitle(kRemoteRequestTitle);
    m_machine->setObjectName("machine");
    m_download->setObjectName("downloadName");
    m_upload->setObjectName("uploadName");
    m_downloadBrowse->setObjectName("downloadBrowse");
    m_uploadBrowse->setObjectName("uploadBrowse");
    m_download->setMinimumWidth(kNameEditWidth);
    m_machine->setMinimumContentsLength(24);
    m_fullPath->setChecked(m_choices.fullPath);

    auto* layout = new QGridLayout(this);
    auto* machineRow = new QHBoxLayout;
    machineRow->addWidget(new QLabel("Machine:", this));
    machineRow->addWidget(m_machine, 1);
    layout->addLayout(machineRow, 0, 0, 1, 2);
    layout->addWidget(m_machineList, 0, 2);
    layout->addWidget(new QLabel("Download file name", this), 1, 0, 1, 3);
    layout->addWidget(m_download, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->addWidget(m_downloadBrowse, 2, 2);
    layout->addWidget(new QLabel("Upload file name", this), 3, 0, 1, 3);
    layout->addWidget(m_upload, 4, 0, 1, 2);
    layout->addWidget(m_uploadBrowse, 4, 2);
    layout->addWidget(m_fullPath, 5, 0, 1, 3);
    auto* requests = new QHBoxLayout;
    requests->addWidget(m_downloadRequest);
    requests->addWidget(m_uploadRequest);
    requests->addStretch();
    requests->addWidget(m_exit);
    layout->setRowMinimumHeight(6, 8);
    layout->addLayout(requests, 7, 0, 1, 3);
    // Enter in an edit must not send a request nobody asked for.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    fillMachines(readConfiguration());

    connect(m_machine, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_choices.machine = selectedMachine();
    });
    connect(m_fullPath, &QCheckBox::toggled, this, [this](bool on) { m_choices.fullPath = on; });
    connect(m_downloadBrowse, &QPushButton::clicked, this,
            [this] { browse(RequestKind::Download); });
    connect(m_uploadBrowse, &QPushButton::clicked, this, [this] { browse(RequestKind::Upload); });
    connect(m_downloadRequest, &QPushButton::clicked, this,
            [this] { request(RequestKind::Download); });
    connect(m_uploadRequest, &QPushButton::clicked, this,
            [this] { request(RequestKind::Upload); });
    connect(m_machineList, &QPushButton::clicked, this, &RemoteRequestDialog::editMachineList);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<HubConfiguration> RemoteRequestDialog::readConfiguration()
{
    auto configuration =
        m_hubDirectory.empty() ? std::nullopt : readHubConfiguration(m_hubDirectory);
    if (!configuration)
        m_notifier.message(std::string(kHubSetupNotFoundForRequest));
    return configuration;
}

void RemoteRequestDialog::fillMachines(const std::optional<HubConfiguration>& configuration)
{
    // Without the hub's configuration the list file still gives the names.
    const std::vector<std::string> machines =
        readOfferedRemoteMachines(m_workDir, configuration.value_or(HubConfiguration{}));
    const QSignalBlocker quiet(m_machine);
    m_machine->clear();
    for (const auto& name : machines)
        m_machine->addItem(fromBytes(name));
    // No machine is taken for the user: a request goes to the one they chose.
    m_machine->setCurrentIndex(m_machine->findText(fromBytes(m_choices.machine)));
}

std::string RemoteRequestDialog::selectedMachine() const
{
    return m_machine->currentIndex() < 0 ? std::string() : toBytes(m_machine->currentText());
}

void RemoteRequestDialog::browse(RequestKind kind)
{
    const auto configuration = readConfiguration();
    if (!configuration)
        return;
    const bool download = kind == RequestKind::Download;
    const std::string folder =
        requestMachineFolder(*configuration, selectedMachine(), kind).value_or(std::string());
    const auto chosen =
        m_files.openFile({std::string(download ? kDownloadBrowseTitle : kUploadBrowseTitle),
                          folder,
                          {},
                          std::string(download ? kDownloadBrowseFilter : kUploadBrowseFilter)});
    if (!chosen)
        return;
    // An upload request carries no full-path mark, so the hub reads its name inside DR:
    // whatever the box says: a full path there would name no file.
    const bool fullPath = download && m_fullPath->isChecked();
    (download ? m_download : m_upload)
        ->setText(fromBytes(browsedRequestName(*chosen, folder, fullPath)));
}

void RemoteRequestDialog::request(RequestKind kind)
{
    const auto configuration = readConfiguration();
    if (!configuration)
        return;
    const QLineEdit* name = kind == RequestKind::Download ? m_download : m_upload;
    const RequestInput input{kind, selectedMachine(), toBytes(name->text()),
                             m_fullPath->isChecked()};
    RemoteRequester requester(m_hubDirectory, *configuration, m_notifier);
    m_lastOutcome = requester.issue(input);
    if (m_lastOutcome == RequestOutcome::Issued)
        requester.followUp();
}

void RemoteRequestDialog::editMachineList()
{
    editRemoteMachineList(m_workDir, m_hubDirectory, m_notifier, this);
    // Quietly: the list dialog has said it when the hub's configuration is away.
    fillMachines(m_hubDirectory.empty() ? std::nullopt : readHubConfiguration(m_hubDirectory));
}

}  // namespace quillon
