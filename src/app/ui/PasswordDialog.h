// The "Password" dialog of the settings lock.
#pragma once

#include <QDialog>

class QLineEdit;

namespace quillon {

class Notifier;
class WorkDir;

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    PasswordDialog(const WorkDir& workDir, Notifier& notifier, QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return m_edit; }

    // OK checks the entry against psw.sys and stays open on a wrong one.
    void accept() override;

private:
    const WorkDir& m_workDir;
    Notifier& m_notifier;
    QLineEdit* m_edit;
};

// The settings lock in front of a guarded command: true when the command may run (no
// psw.sys, or the password dialog ended with OK).
bool passSettingsLock(const WorkDir& workDir, Notifier& notifier, QWidget* parent);

}  // namespace quillon
