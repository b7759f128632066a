// "Directory View": a folder or file picked from the directory tree.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;

namespace quillon {

class DirectoryTree;

// The tree with folders and files and a read-only line showing the selected item's path.
// "Select" accepts the shown path, "Exit" rejects.
class DirectoryViewDialog : public QDialog {
    Q_OBJECT
public:
    // Opens the tree at startPath (as far down as it is found).
    explicit DirectoryViewDialog(const std::string& startPath, QWidget* parent = nullptr);

    // The path the dialog shows, which Select hands to the caller.
    std::string selectedPath() const;

    DirectoryTree* tree() const { return m_tree; }

private:
    DirectoryTree* m_tree;
    QLineEdit* m_path;
};

}  // namespace quillon
