// The shell-style tree of roots, folders and files behind the "Directory tree" window and
// the "Directory View" dialog.
#pragma once

#include <QFileIconProvider>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace quillon {

// Folders are listed when they are expanded, not before: an item that has something below
// it carries one empty placeholder child so that its expand button shows, and expanding it
// replaces the placeholder by the folder's contents (listed afresh each time).
class DirectoryTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirectoryTree(QWidget* parent = nullptr);

    // Files are listed below the folders; off: only roots and folders. Applies to the
    // folders listed from then on.
    void setShowFiles(bool showFiles) { m_showFiles = showFiles; }
    bool showFiles() const { return m_showFiles; }

    // "/" and the user's home folder.
    static std::vector<std::string> platformRoots();

    // Clears the tree and adds the roots; false, with errorText() set, when there are none.
    bool fillRoots();
    bool fillRoots(const std::vector<std::string>& roots);

    // Selects the item of the path and scrolls to it, expanding every level on the way. When
    // only part of the path is found the deepest item found is selected and the result is
    // false; false without any change when no root holds the path.
    bool selectPath(const std::string& path);

    // The texts from the root down to the item joined with "/".
    std::string fullPath(const QTreeWidgetItem* item) const;

    // The full path of the selected item; kept when the selection is cleared.
    const std::string& currentPath() const { return m_currentPath; }
    const std::string& errorText() const { return m_errorText; }

    static bool isPlaceholder(const QTreeWidgetItem* item);

signals:
    // The selection moved to another item.
    void pathSelected(const QString& path);
    // The user double-clicked an item. The owner of the "Directory tree" window opens the
    // path when it names an existing file.
    void pathActivated(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Scrolls the item to the middle of the view.
    void reveal(QTreeWidgetItem* item);
    void expandItem(QTreeWidgetItem* item);
    QTreeWidgetItem* addItem(QTreeWidgetItem* parent, const std::string& text,
                             const std::string& path, bool expandable);
    void takeSelectionFromHiddenItem(QTreeWidgetItem* collapsed);
    void selectionMoved(QTreeWidgetItem* current);

    bool m_showFiles = true;
    bool m_revealOnShow = false;
    std::string m_currentPath;
    std::string m_errorText;
    std::vector<std::string> m_roots;
    QFileIconProvider m_icons;
};

}  // namespace quillon
