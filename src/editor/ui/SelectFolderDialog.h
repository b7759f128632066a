// "Select Folder": a file dialog that picks a folder and offers to create a missing one.
#pragma once

#include <QFileDialog>

#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/QtNotifier.h"

class QLineEdit;
class QPushButton;

namespace quillon {

// Qt's own (not the desktop's) file dialog, listing folders only unless the user picks the
// caller's file filter. The typed folder is judged by confirmFolder when Select is pressed;
// the dialog closes with OK only for a folder that passed.
class SelectFolderDialog : public QFileDialog {
    Q_OBJECT
public:
    // filter: the caller's stored filter ("NC files (*.nc)|*.nc||"); empty: all files.
    explicit SelectFolderDialog(const std::string& startFolder, std::string_view filter = {},
                                QWidget* parent = nullptr);

    // Messages and the question go here instead of to message boxes over the dialog.
    void setNotifier(Notifier& notifier) { m_notifier = &notifier; }

    // The folder accepted by the last Select.
    const std::string& selectedFolder() const { return m_selectedFolder; }

    QLineEdit* folderEdit() const { return m_folderEdit; }
    QPushButton* selectButton() const { return m_selectButton; }

    void accept() override;

private:
    QtNotifier m_ownNotifier;
    Notifier* m_notifier;
    std::string m_selectedFolder;
    QLineEdit* m_folderEdit = nullptr;
    QPushButton* m_selectButton = nullptr;
};

// Runs the dialog (titled "Select Folder" unless the caller names it); the accepted
// folder, or nothing when the user cancelled.
std::optional<std::string> selectFolder(QWidget* parent, const std::string& startFolder,
                                        Notifier& notifier, std::string_view filter = {},
                                        std::string_view title = {});

}  // namespace quillon
