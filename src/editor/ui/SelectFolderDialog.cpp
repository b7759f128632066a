#include "editor/ui/SelectFolderDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>

#include "editor/FolderCheck.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtFilePrompter.h"

namespace quillon {

namespace {

// The first entry's pattern "." matches no file, so the list shows only folders.
constexpr std::string_view kFoldersOnlyFilter = "Show Folders Only|.|";
constexpr std::string_view kAllFilesFilter = "All Files (*.*)|*.*||";

StorageKind storageKindOf(const std::string& folder)
{
    const QStorageInfo storage(fromBytes(folder));
    return classifyStorage(storage.fileSystemType().toStdString(), toBytes(storage.rootPath()),
                           storage.isReadOnly());
}

}  // namespace

SelectFolderDialog::SelectFolderDialog(const std::string& startFolder, std::string_view filter,
                                       QWidget* parent)
    : QFileDialog(parent, "Select Folder", fromBytes(startFolder)),
      m_ownNotifier(this),
      m_notifier(&m_ownNotifier)
{
    setOption(QFileDialog::DontUseNativeDialog);
    // In this mode a folder clicked in the list puts its name into the field.
    setFileMode(QFileDialog::Directory);
    std::string filters(kFoldersOnlyFilter);
    filters += filter.empty() ? kAllFilesFilter : filter;
    setNameFilter(toQtFilter(filters));
    setLabelText(QFileDialog::FileName, "Folder:");
    setLabelText(QFileDialog::Accept, "Select");

    m_folderEdit = findChild<QLineEdit*>("fileNameEdit");
    // The dialog's own Open button is enabled only for a folder that exists, but a missing
    // folder is to be offered for creation and an empty field accepted: Select replaces it
    // and is always enabled. QFileDialog copes with the Open button being gone.
    auto* buttons = findChild<QDialogButtonBox*>("buttonBox");
    buttons->setStandardButtons(QDialogButtonBox::Cancel);
    m_selectButton = buttons->addButton("Select", QDialogButtonBox::AcceptRole);
    m_selectButton->setDefault(true);
}

void SelectFolderDialog::accept()
{
    const std::string typed = toBytes(m_folderEdit->text());
    const std::string shown = toBytes(directory().absolutePath());
    if (auto folder = confirmFolder(typed, shown, *m_notifier, storageKindOf)) {
        m_selectedFolder = std::move(*folder);
        QDialog::accept();
        return;
    }
    m_folderEdit->setFocus();
}

std::optional<std::string> selectFolder(QWidget* parent, const std::string& startFolder,
                                        Notifier& notifier, std::string_view filter,
                                        std::string_view title)
{
    SelectFolderDialog dialog(startFolder, filter, parent);
    if (!title.empty())
        dialog.setWindowTitle(fromBytes(std::string(title)));
    dialog.setNotifier(notifier);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFolder();
}

}  // namespace quillon
