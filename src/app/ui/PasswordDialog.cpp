#include "app/ui/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/SettingsLock.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

PasswordDialog::PasswordDialog(const WorkDir& workDir, Notifier& notifier, QWidget* parent)
    : QDialog(parent), m_workDir(workDir), m_notifier(notifier), m_edit(new QLineEdit(this))
{
    setWindowTitle("Password");
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setObjectName("password");
    m_edit->setMinimumWidth(220);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasswordDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Password:", this));
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void PasswordDialog::accept()
{
    switch (checkPassword(m_workDir, toBytes(m_edit->text()))) {
    case PasswordVerdict::Accepted:
        QDialog::accept();
        return;
    case PasswordVerdict::NoPasswordEntered:
        m_notifier.message(std::string(kNoPasswordEntered));
        break;
    case PasswordVerdict::BadPassword:
        m_notifier.message(std::string(kBadPasswordEntered));
        break;
    }
    m_edit->setFocus();
    m_edit->selectAll();
}

bool passSettingsLock(const WorkDir& workDir, Notifier& notifier, QWidget* parent)
{
    if (!settingsLockActive(workDir))
        return true;
    PasswordDialog dialog(workDir, notifier, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace quillon
