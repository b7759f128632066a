#include "board/ui/BoardDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/Notifier.h"

namespace quillon {

namespace {

// Every field is UTF-8: the address and port are ASCII, the title goes to the page.
std::string typed(const QLineEdit* field)
{
    return field->text().trimmed().toStdString();
}

QLineEdit* makeEdit(const std::string& text, const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

BoardDialog::BoardDialog(const BoardSettings& stored, Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_notifier(notifier),
      m_enabled(new QCheckBox("Serve the shop-floor board to browsers", this)),
      m_address(makeEdit(stored.address, "address", this)),
      m_port(makeEdit(stored.port, "port", this)),
      m_title(makeEdit(stored.title, "title", this)),
      m_status(new QLabel("Not running", this)),
      m_link(new QLabel(this))
{
    setWindowTitle(kBoardDialogTitle);
    m_enabled->setChecked(stored.enabled);
    m_address->setMinimumWidth(260);
    m_address->setPlaceholderText("127.0.0.1: this computer only; 0.0.0.0: every network");
    m_port->setPlaceholderText("1 to 65535");
    m_title->setPlaceholderText("the header of the page");
    m_status->setObjectName("status");
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_link->setObjectName("link");
    m_link->setTextFormat(Qt::RichText);
    m_link->setOpenExternalLinks(true);
    m_link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_link->hide();

    auto* form = new QFormLayout;
    form->addRow("&Address:", m_address);
    form->addRow("&Port:", m_port);
    form->addRow("&Title:", m_title);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* statusRows = new QFormLayout;
    statusRows->addRow("Status:", m_status);
    statusRows->addRow("", m_link);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addLayout(form);
    layout->addWidget(line);
    layout->addLayout(statusRows);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

BoardSettings BoardDialog::chosen() const
{
    BoardSettings settings;
    settings.enabled = m_enabled->isChecked();
    settings.address = typed(m_address);
    settings.port = typed(m_port);
    settings.title = typed(m_title);
    return settings;
}

void BoardDialog::setStatus(const QString& text, const QString& url)
{
    m_status->setText(text);
    if (url.isEmpty()) {
        m_link->clear();
        m_link->hide();
        return;
    }
    m_link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()));
    m_link->show();
}

void BoardDialog::accept()
{
    const BoardSettings settings = chosen();
    // Switched off, the fields are kept as they are, right or not, for a later day.
    if (settings.enabled) {
        if (const auto problem = boardSettingsProblem(settings)) {
            m_notifier.message(*problem);
            QLineEdit* field = *problem == kBadBoardPortText ? m_port : m_address;
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    QDialog::accept();
}

}  // namespace quillon
