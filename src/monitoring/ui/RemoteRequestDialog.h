// "Quillon remote": asks the hub to send a file to a machine ("Comp -> MCH") or to fetch one
// from it ("MCH -> Comp") by leaving a request in its shared folder.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <string_view>

#include "monitoring/HubSetup.h"
#include "monitoring/RemoteRequest.h"
#include "platform/WorkDir.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace quillon {

class FilePrompter;
class Notifier;

inline constexpr char kRemoteRequestTitle[] = "Quillon remote";
inline constexpr std::string_view kDownloadBrowseTitle = "Select download file..";
inline constexpr std::string_view kDownloadBrowseFilter = "Download File (*.*)|*.*||";
inline constexpr std::string_view kUploadBrowseTitle = "Select upload file..";
inline constexpr std::string_view kUploadBrowseFilter = "Upload File (*.*)|*.*||";

// What the dialog leaves behind for the program: the machine last chosen, offered first the
// next time for the rest of the run, and "Use full path", which the program keeps in
// Margins.sys. The dialog updates both as the user changes them.
struct RemoteRequestChoices {
    std::string machine;
    bool fullPath = false;
};

class RemoteRequestDialog : public QDialog {
    Q_OBJECT
public:
    // hubDirectory: the hub's shared folder (empty: none configured). The machines offered
    // are those of RemoteMchList.sys, else those of the hub's configuration.
    RemoteRequestDialog(const WorkDir& workDir, std::string hubDirectory,
                        RemoteRequestChoices& choices, Notifier& notifier, FilePrompter& files,
                        QWidget* parent = nullptr);

    QComboBox* machineBox() const { return m_machine; }
    QLineEdit* downloadEdit() const { return m_download; }
    QLineEdit* uploadEdit() const { return m_upload; }
    QPushButton* downloadBrowseButton() const { return m_downloadBrowse; }
    QPushButton* uploadBrowseButton() const { return m_uploadBrowse; }
    QCheckBox* fullPathBox() const { return m_fullPath; }
    QPushButton* downloadButton() const { return m_downloadRequest; }
    QPushButton* uploadButton() const { return m_uploadRequest; }
    QPushButton* machineListButton() const { return m_machineList; }
    QPushButton* exitButton() const { return m_exit; }

    // The last request's outcome; nothing before the first.
    std::optional<RequestOutcome> lastOutcome() const { return m_lastOutcome; }

private:
    // The drop-down anew, with the machine of the choices selected when it is offered.
    void fillMachines(const std::optional<HubConfiguration>& configuration);
    void browse(RequestKind kind);
    void request(RequestKind kind);
    void editMachineList();
    // The hub's configuration as it is now; said when it cannot be read.
    std::optional<HubConfiguration> readConfiguration();
    std::string selectedMachine() const;

    WorkDir m_workDir;
    std::string m_hubDirectory;
    RemoteRequestChoices& m_choices;
    Notifier& m_notifier;
    FilePrompter& m_files;
    std::optional<RequestOutcome> m_lastOutcome;
    QComboBox* m_machine;
    QLineEdit* m_download;
    QLineEdit* m_upload;
    QPushButton* m_downloadBrowse;
    QPushButton* m_uploadBrowse;
    QCheckBox* m_fullPath;
    QPushButton* m_downloadRequest;
    QPushButton* m_uploadRequest;
    QPushButton* m_machineList;
    QPushButton* m_exit;
};

}  // namespace quillon
