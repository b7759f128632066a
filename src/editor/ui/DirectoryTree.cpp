#include "editor/ui/DirectoryTree.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

#include "editor/FolderListing.h"
#include "platform/Paths.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// Marks the empty child that only makes the expand button of its parent show.
constexpr int kPlaceholderRole = Qt::UserRole + 1;

bool isBelow(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor)
{
    for (auto* parent = item ? item->parent() : nullptr; parent; parent = parent->parent()) {
        if (parent == ancestor)
            return true;
    }
    return false;
}

}  // namespace

DirectoryTree::DirectoryTree(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Long names scroll sideways instead of being cut off.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    connect(this, &QTreeWidget::itemExpanded, this, &DirectoryTree::expandItem);
    connect(this, &QTreeWidget::itemCollapsed, this, &DirectoryTree::takeSelectionFromHiddenItem);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { selectionMoved(current); });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (!isPlaceholder(item))
            emit pathActivated(fromBytes(fullPath(item)));
    });
}

std::vector<std::string> DirectoryTree::platformRoots()
{
    std::vector<std::string> roots;
    auto add = [&roots](const QString& path) {
        std::string root = toBytes(path);
        if (!root.empty() && std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(std::move(root));
    };
    for (const QFileInfo& drive : QDir::drives())
        add(drive.absoluteFilePath());
    add(QDir::homePath());
    return roots;
}

bool DirectoryTree::fillRoots()
{
    return fillRoots(platformRoots());
}

bool DirectoryTree::fillRoots(const std::vector<std::string>& roots)
{
    clear();
    m_roots = roots;
    if (m_roots.empty()) {
        // The only failure left of the Windows tree's three: no roots to show.
        m_errorText = "Cannot get Logical Drive strings!";
        return false;
    }
    m_errorText.clear();
    for (const auto& root : m_roots)
        addItem(nullptr, root, root, hasChildren(root, m_showFiles));
    return true;
}

QTreeWidgetItem* DirectoryTree::addItem(QTreeWidgetItem* parent, const std::string& text,
                                        const std::string& path, bool expandable)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, fromBytes(text));
    item->setIcon(0, m_icons.icon(QFileInfo(fromBytes(path))));
    if (expandable) {
        auto* placeholder = new QTreeWidgetItem(item);
        placeholder->setData(0, kPlaceholderRole, true);
        placeholder->setFlags(Qt::NoItemFlags);
    }
    return item;
}

bool DirectoryTree::isPlaceholder(const QTreeWidgetItem* item)
{
    return item && item->data(0, kPlaceholderRole).toBool();
}

std::string DirectoryTree::fullPath(const QTreeWidgetItem* item) const
{
    std::vector<std::string> texts;
    for (; item; item = item->parent())
        texts.push_back(toBytes(item->text(0)));
    std::string path;
    for (auto text = texts.rbegin(); text != texts.rend(); ++text)
        path = path.empty() ? *text : paths::join(path, *text);
    return path;
}

void DirectoryTree::expandItem(QTreeWidgetItem* item)
{
    const std::string folder = fullPath(item);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    qDeleteAll(item->takeChildren());
    const FolderEntries entries = listFolder(folder, m_showFiles);
    for (const auto& name : entries.folders) {
        const std::string path = paths::join(folder, name);
        addItem(item, name, path, hasChildren(path, m_showFiles));
    }
    for (const auto& name : entries.files)
        addItem(item, name, paths::join(folder, name), false);
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

// The children of a collapsed item are listed afresh when it is expanded again; the
// selection must not be among them then, so it moves up to the collapsed item as it does
// in the Windows tree.
void DirectoryTree::takeSelectionFromHiddenItem(QTreeWidgetItem* collapsed)
{
    if (isBelow(currentItem(), collapsed))
        setCurrentItem(collapsed);
}

bool DirectoryTree::selectPath(const std::string& path)
{
    const auto located = locateUnderRoots(m_roots, path);
    if (!located)
        return false;
    QTreeWidgetItem* item = topLevelItem(static_cast<int>(located->root));
    bool complete = true;
    for (const auto& name : located->names) {
        item->setExpanded(true);  // lists the folder when it was collapsed
        const QString text = fromBytes(name);
        QTreeWidgetItem* match = nullptr;
        // Linux names are case-sensitive: "o1234.nc" is another file than "O1234.NC".
        for (int i = 0; i < item->childCount() && !match; ++i) {
            if (item->child(i)->text(0) == text && !isPlaceholder(item->child(i)))
                match = item->child(i);
        }
        if (!match) {
            complete = false;
            break;
        }
        item = match;
    }
    setCurrentItem(item);
    reveal(item);
    // Before the tree is shown its height is not known yet: reveal again then.
    m_revealOnShow = !isVisible();
    return complete;
}

void DirectoryTree::reveal(QTreeWidgetItem* item)
{
    scrollToItem(item, QAbstractItemView::PositionAtCenter);
    // Sideways, scroll only as far as a deep item's indentation needs, so that the names
    // are read from their beginnings.
    QScrollBar* sideways = horizontalScrollBar();
    const int left = visualItemRect(item).left() + sideways->value();
    sideways->setValue(left + 2 * indentation() > viewport()->width() ? left - indentation() : 0);
}

void DirectoryTree::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    if (m_revealOnShow && currentItem())
        reveal(currentItem());
    m_revealOnShow = false;
}

void DirectoryTree::selectionMoved(QTreeWidgetItem* current)
{
    if (!current || isPlaceholder(current))
        return;
    m_currentPath = fullPath(current);
    emit pathSelected(fromBytes(m_currentPath));
}

}  // namespace quillon
