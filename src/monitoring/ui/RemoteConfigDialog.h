// "Quillon remote configuration": where the hub's shared folder is mounted and which
// computer the hub is, by name and address.
#pragma once

#include <QDialog>

#include "monitoring/RemoteConfig.h"
#include "monitoring/ui/HostResolver.h"

class QLineEdit;
class QPushButton;

namespace quillon {

class FilePrompter;
class Notifier;

inline constexpr char kRemoteConfigTitle[] = "Quillon remote configuration";

class RemoteConfigDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the configuration and looks the stored name up at once, as the program does at
    // start-up; a name that resolves puts its address in the address field.
    RemoteConfigDialog(const RemoteConfig& stored, FilePrompter& files, Notifier& notifier,
                       HostResolver resolver, QWidget* parent = nullptr);

    // What OK takes: the folder as stored (cut before QUILLON.EXE, with its separator), the
    // address of the address field (0 when it holds none), the name as typed.
    RemoteConfig chosen() const;
    // The address and name the program runs with: the stored ones, the address as the
    // opening look-up found it.
    const RemoteConfig& running() const { return m_running; }

    QLineEdit* directoryEdit() const { return m_directory; }
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* addressEdit() const { return m_address; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* resolveButton() const { return m_resolve; }

private:
    void browse();
    // Looks the typed name up; `quietly`: a name that does not resolve is not told.
    void resolve(bool quietly);
    void showAddress(std::int32_t address);

    FilePrompter& m_files;
    Notifier& m_notifier;
    HostResolver m_resolver;
    RemoteConfig m_running;
    QLineEdit* m_directory;
    QLineEdit* m_name;
    QLineEdit* m_address;
    QPushButton* m_browse;
    QPushButton* m_resolve;
};

}  // namespace quillon
