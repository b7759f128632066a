// "Remote machine list": which of the hub's machines the "Quillon remote" dialog offers, kept
// in _TMP/RemoteMchList.sys.
#pragma once

#include <QDialog>

#include <string>
#include <string_view>
#include <vector>

#include "platform/WorkDir.h"

class QListWidget;
class QPushButton;

namespace quillon {

class Notifier;

inline constexpr char kRemoteMachineListTitle[] = "Remote machine list";
inline constexpr std::string_view kSelectMachineFirst = "Select a machine first";
inline constexpr std::string_view kNoMachineNamesSpecified = "No machine names are specified";

class RemoteMachineListDialog : public QDialog {
    Q_OBJECT
public:
    // hubNames: the machines the hub names, offered on the left (none when its configuration
    // could not be read). The right list starts as RemoteMchList.sys holds it.
    RemoteMachineListDialog(const WorkDir& workDir, const std::vector<std::string>& hubNames,
                            Notifier& notifier, QWidget* parent = nullptr);

    QListWidget* remoteList() const { return m_remote; }
    QListWidget* shownList() const { return m_shown; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* sortButton() const { return m_sort; }

    // The right list, in its order.
    const std::vector<std::string>& shown() const { return m_names; }

    // Writes the right list; an empty one, or one that cannot be written, is said and the
    // dialog stays open.
    void accept() override;

private:
    void addSelected();
    void deleteSelected();
    void sortShown();
    void showNames();

    WorkDir m_workDir;
    Notifier& m_notifier;
    std::vector<std::string> m_names;
    QListWidget* m_remote;
    QListWidget* m_shown;
    QPushButton* m_add;
    QPushButton* m_delete;
    QPushButton* m_sort;
};

// The request dialog's "Machine list" button: offers the names of the hub's configuration
// below the hub directory (a configuration that cannot be read is said, and the dialog opens
// with nothing to add) and shows the dialog. True when a new list was written.
bool editRemoteMachineList(const WorkDir& workDir, std::string_view hubDirectory,
                           Notifier& notifier, QWidget* parent);

}  // namespace quillon
