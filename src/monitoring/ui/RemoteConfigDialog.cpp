#include "monitoring/ui/RemoteConfigDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/ui/Latin1.h"

namespace quillon {

RemoteConfigDialog::RemoteConfigDialog(const RemoteConfig& stored, FilePrompter& files,
                                       Notifier& notifier, HostResolver resolver, QWidget* parent)
    : QDialog(parent),
      m_files(files),
      m_notifier(notifier),
      m_resolver(std::move(resolver)),
      m_running(stored),
      m_directory(new QLineEdit(fromBytes(stored.hubDirectory), this)),
      m_name(new QLineEdit(fromBytes(stored.hubName), this)),
      m_address(new QLineEdit(this)),
      m_browse(new QPushButton("Full path for _Quillon directory", this)),
      m_resolve(new QPushButton("IP Address of  Quillon Computer", this))
{
    setWindowTitle(kRemoteConfigTitle);
    m_directory->setObjectName("directory");
    m_name->setObjectName("name");
    m_address->setObjectName("address");
    m_directory->setMinimumWidth(360);
    // Four numbers of up to three digits between points, or nothing.
    m_address->setValidator(new QRegularExpressionValidator(
        QRegularExpression(R"((\d{1,3}(\.\d{0,3}){0,3})?)"), m_address));
    showAddress(stored.hubAddress);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Hub directory:", this), 0, 0);
    layout->addWidget(m_directory, 0, 1);
    layout->addWidget(m_browse, 1, 1, Qt::AlignLeft);
    layout->addWidget(new QLabel("Computer name:", this), 2, 0);
    layout->addWidget(m_name, 2, 1);
    layout->addWidget(m_resolve, 3, 1, Qt::AlignLeft);
    layout->addWidget(new QLabel("IP address:", this), 4, 0);
    layout->addWidget(m_address, 4, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons, 5, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &RemoteConfigDialog::browse);
    connect(m_resolve, &QPushButton::clicked, this, [this] { resolve(false); });
    resolve(true);
}

RemoteConfig RemoteConfigDialog::chosen() const
{
    RemoteConfig config;
    config.hubDirectory = storedHubDirectory(toBytes(m_directory->text()));
    config.hubAddress = ipv4FromDottedText(toBytes(m_address->text())).value_or(0);
    config.hubName = toBytes(m_name->text().trimmed());
    return config;
}

void RemoteConfigDialog::browse()
{
    const auto file = m_files.openFile(
        {"Select remote _Quillon directory", toBytes(m_directory->text()), "QUILLON.EXE", {}});
    if (!file)
        return;
    m_directory->setText(fromBytes(std::string(paths::directoryOf(*file))));
}

void RemoteConfigDialog::resolve(bool quietly)
{
    const std::string name = toBytes(m_name->text().trimmed());
    if (name.empty())
        return;
    m_resolve->setEnabled(false);
    m_resolver(name, this, [this, quietly](std::optional<std::int32_t> address) {
        m_resolve->setEnabled(true);
        if (address) {
            showAddress(*address);
            if (quietly)
                m_running.hubAddress = *address;
        } else if (!quietly) {
            m_notifier.message(std::string(kRemoteComputerNotFound));
        }
    });
}

void RemoteConfigDialog::showAddress(std::int32_t address)
{
    m_address->setText(address == 0 ? QString() : fromBytes(ipv4ToDottedText(address)));
}

}  // namespace quillon
