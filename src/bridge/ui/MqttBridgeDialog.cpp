#include "bridge/ui/MqttBridgeDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/WorkDir.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// Broker, prefix, client id and user go on the wire, where MQTT wants UTF-8; the paths are
// file names, shown byte for byte as every other path of the program.
QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string toUtf8(const QLineEdit* field)
{
    return field->text().trimmed().toStdString();
}

QLineEdit* makeEdit(const QString& text, const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

// A path field with its Browse button after it.
QWidget* withBrowse(QLineEdit* field, QPushButton* browse, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    layout->addWidget(browse);
    return row;
}

}  // namespace

MqttBridgeDialog::MqttBridgeDialog(const BridgeSettings& stored, const WorkDir& workDir,
                                   FilePrompter& files, Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_workDir(workDir),
      m_files(files),
      m_notifier(notifier),
      m_enabled(new QCheckBox("Publish machine states to an MQTT broker", this)),
      m_broker(makeEdit(fromUtf8(stored.broker), "broker", this)),
      m_prefix(makeEdit(fromUtf8(stored.prefix), "prefix", this)),
      m_clientId(makeEdit(fromUtf8(stored.clientId), "clientId", this)),
      m_user(makeEdit(fromUtf8(stored.user), "user", this)),
      m_passwordFile(makeEdit(fromBytes(stored.passwordFile), "passwordFile", this)),
      m_tlsCaFile(makeEdit(fromBytes(stored.tlsCaFile), "tlsCaFile", this)),
      m_passwordBrowse(new QPushButton("Browse...", this)),
      m_tlsCaBrowse(new QPushButton("Browse...", this)),
      m_status(new QLabel("Not running", this))
{
    setWindowTitle(kMqttBridgeTitle);
    m_enabled->setChecked(stored.enabled);
    m_broker->setMinimumWidth(320);
    m_broker->setPlaceholderText("host or host:port");
    m_clientId->setPlaceholderText("made of host name and process id");
    m_user->setPlaceholderText("none");
    m_passwordFile->setPlaceholderText("the password is its first line");
    m_tlsCaFile->setPlaceholderText("none: no TLS");
    m_passwordBrowse->setObjectName("passwordBrowse");
    m_tlsCaBrowse->setObjectName("tlsCaBrowse");
    m_status->setObjectName("status");
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    form->addRow("&Broker:", m_broker);
    form->addRow("Topic &prefix:", m_prefix);
    form->addRow("&Client ID:", m_clientId);
    form->addRow("&User:", m_user);
    form->addRow("Pass&word file:", withBrowse(m_passwordFile, m_passwordBrowse, this));
    form->addRow("&TLS CA file:", withBrowse(m_tlsCaFile, m_tlsCaBrowse, this));

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* statusRow = new QFormLayout;
    statusRow->addRow("Status:", m_status);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addLayout(form);
    layout->addWidget(line);
    layout->addLayout(statusRow);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_passwordBrowse, &QPushButton::clicked, this,
            [this] { browse(m_passwordFile, "Password file", "All files (*)|*||"); });
    connect(m_tlsCaBrowse, &QPushButton::clicked, this, [this] {
        browse(m_tlsCaFile, "TLS CA file",
               "Certificates (*.pem;*.crt)|*.pem;*.crt|All files (*)|*||");
    });
}

BridgeSettings MqttBridgeDialog::chosen() const
{
    BridgeSettings settings;
    settings.enabled = m_enabled->isChecked();
    settings.broker = toUtf8(m_broker);
    const std::string typed = toUtf8(m_prefix);
    const TopicPrefix prefix = checkedTopicPrefix(typed);
    settings.prefix = prefix.error.empty() ? prefix.prefix : typed;
    settings.clientId = toUtf8(m_clientId);
    settings.user = toUtf8(m_user);
    settings.passwordFile = toBytes(m_passwordFile->text().trimmed());
    settings.tlsCaFile = toBytes(m_tlsCaFile->text().trimmed());
    return settings;
}

void MqttBridgeDialog::setStatus(const QString& text)
{
    m_status->setText(text);
}

void MqttBridgeDialog::accept()
{
    const BridgeSettings settings = chosen();
    // Switched off, the fields are kept as they are, right or not, for a later day.
    if (settings.enabled) {
        if (const auto problem = settingsProblem(settings)) {
            m_notifier.message(*problem);
            QLineEdit* field = fieldOf(*problem);
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    QDialog::accept();
}

QLineEdit* MqttBridgeDialog::fieldOf(std::string_view problem) const
{
    if (problem == kBadBrokerText)
        return m_broker;
    if (problem == kPasswordWithoutUserText)
        return m_user;
    return m_prefix;
}

void MqttBridgeDialog::browse(QLineEdit* field, const char* title, const char* filter)
{
    const std::string current = toBytes(field->text().trimmed());
    std::string directory(paths::directoryOf(current));
    if (directory.empty() || !paths::isSeparator(current.front()))
        directory = m_workDir.root() + directory;
    const auto file = m_files.openFile({title, directory, {}, filter});
    if (file)
        field->setText(fromBytes(*file));
}

}  // namespace quillon
