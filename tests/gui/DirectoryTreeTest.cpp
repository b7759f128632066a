#include "editor/ui/DirectoryTree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editor/ui/DirectoryViewDialog.h"
#include "editor/ui/SelectFolderDialog.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// base/  empty/  dots/.config/  dots/.profile  files/O1000.NC
//        nc/  .git/  alpha/deep/O2000.NC  Beta/  A.NC  zeta.nc
class DirectoryTreeTest : public ::testing::Test {
protected:
    DirectoryTreeTest()
    {
        for (const char* folder :
             {"empty", "dots/.config", "files", "nc/.git", "nc/alpha/deep", "nc/Beta"})
            makePath(path(folder));
        for (const char* file : {"dots/.profile", "files/O1000.NC", "nc/alpha/deep/O2000.NC",
                                 "nc/A.NC", "nc/zeta.nc"})
            test::writeBytes(path(file), "%\nO1000\nM30\n%\n");
    }

    std::string path(const std::string& name) const { return dir.base() + "/" + name; }

    static QTreeWidgetItem* child(QTreeWidgetItem* item, const QString& text)
    {
        for (int i = 0; i < item->childCount(); ++i) {
            if (item->child(i)->text(0) == text)
                return item->child(i);
        }
        return nullptr;
    }

    static QStringList childTexts(const QTreeWidgetItem* item)
    {
        QStringList texts;
        for (int i = 0; i < item->childCount(); ++i)
            texts << item->child(i)->text(0);
        return texts;
    }

    static bool hasExpandButton(const QTreeWidgetItem* item)
    {
        return item->childCount() == 1 && DirectoryTree::isPlaceholder(item->child(0));
    }

    // The temporary folder as the tree's only root, expanded.
    QTreeWidgetItem* openBase(DirectoryTree& tree)
    {
        EXPECT_TRUE(tree.fillRoots({dir.base()}));
        QTreeWidgetItem* root = tree.topLevelItem(0);
        EXPECT_TRUE(hasExpandButton(root));
        root->setExpanded(true);
        return root;
    }

    test::TempWorkDir dir;
};

TEST_F(DirectoryTreeTest, ExpandButtonsFollowWhatIsShown)
{
    const struct {
        const char* scenario;
        bool showFiles;
        QStringList expandable;
        QStringList plain;
    } cases[] = {
        {"with files", true, {"files", "nc"}, {"empty", "dots"}},
        {"folders only", false, {"nc"}, {"empty", "dots", "files"}},
    };
    for (const auto& c : cases) {
        DirectoryTree tree;
        tree.setShowFiles(c.showFiles);
        QTreeWidgetItem* root = openBase(tree);
        for (const auto& name : c.expandable)
            EXPECT_TRUE(hasExpandButton(child(root, name)))
                << c.scenario << ' ' << qPrintable(name);
        for (const auto& name : c.plain)
            EXPECT_EQ(child(root, name)->childCount(), 0) << c.scenario << ' ' << qPrintable(name);
    }
}

TEST_F(DirectoryTreeTest, ExpandingListsAfreshAndCollapsingKeepsTheSelectionVisible)
{
    DirectoryTree tree;
    QTreeWidgetItem* nc = child(openBase(tree), "nc");
    nc->setExpanded(true);
    EXPECT_EQ(childTexts(nc), (QStringList{"alpha", "Beta", "A.NC", "zeta.nc"}));
    EXPECT_TRUE(hasExpandButton(child(nc, "alpha")));

    tree.setCurrentItem(child(nc, "zeta.nc"));
    nc->setExpanded(false);
    EXPECT_EQ(tree.currentItem(), nc);
    EXPECT_EQ(tree.currentPath(), path("nc"));

    test::writeBytes(path("nc/b.nc"), "%\n");
    nc->setExpanded(true);
    EXPECT_EQ(childTexts(nc), (QStringList{"alpha", "Beta", "A.NC", "b.nc", "zeta.nc"}));
}

TEST_F(DirectoryTreeTest, SelectPathWalksDownFromTheLongestRoot)
{
    DirectoryTree tree;
    QStringList selected;
    QObject::connect(&tree, &DirectoryTree::pathSelected,
                     [&](const QString& path) { selected << path; });
    ASSERT_TRUE(tree.fillRoots());
    const std::string program = path("nc/alpha/deep/O2000.NC");
    ASSERT_TRUE(tree.selectPath(program));
    EXPECT_EQ(tree.currentItem()->text(0), "O2000.NC");
    EXPECT_EQ(tree.currentPath(), program);
    EXPECT_EQ(selected.value(selected.size() - 1), QString::fromStdString(program));

    const std::string home = dir.base();  // stands for the home folder
    const struct {
        const char* scenario;
        std::vector<std::string> roots;
        std::string path;
        bool found;
        std::string selected;
        int topLevel;  // the root the selection lies below
    } cases[] = {
        {"under home", {"/", home}, path("nc/Beta/"), true, path("nc/Beta"), 1},
        {"missing level", {home}, path("nc/alpha/missing/x"), false, path("nc/alpha"), 0},
        {"case differs", {home}, path("NC/alpha"), false, home, 0},
        {"dot name", {home}, path("nc/.git"), false, path("nc"), 0},
    };
    for (const auto& c : cases) {
        DirectoryTree tree;
        ASSERT_TRUE(tree.fillRoots(c.roots));
        EXPECT_EQ(tree.selectPath(c.path), c.found) << c.scenario;
        EXPECT_EQ(tree.currentPath(), c.selected) << c.scenario;
        QTreeWidgetItem* top = tree.currentItem();
        while (top->parent())
            top = top->parent();
        EXPECT_EQ(tree.indexOfTopLevelItem(top), c.topLevel) << c.scenario;
    }
    ASSERT_TRUE(tree.fillRoots({home}));
    EXPECT_FALSE(tree.selectPath("/etc/fstab"));
    EXPECT_EQ(tree.currentItem(), nullptr);
}

TEST_F(DirectoryTreeTest, DoubleClickActivatesTheFullPath)
{
    DirectoryTree tree;
    QStringList activated;
    QObject::connect(&tree, &DirectoryTree::pathActivated,
                     [&](const QString& path) { activated << path; });
    tree.resize(300, 400);
    tree.show();
    ASSERT_TRUE(tree.fillRoots({dir.base()}));
    ASSERT_TRUE(tree.selectPath(path("files/O1000.NC")));
    const QPoint at = tree.visualItemRect(tree.currentItem()).center();
    // A widget double click arrives as press, release, double click.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(activated, QStringList{QString::fromStdString(path("files/O1000.NC"))});
}

TEST_F(DirectoryTreeTest, RootsAreTheFileSystemAndHome)
{
    const auto roots = DirectoryTree::platformRoots();
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots.front(), "/");
    EXPECT_EQ(roots.back(), QDir::homePath().toStdString());

    DirectoryTree tree;
    EXPECT_FALSE(tree.fillRoots(std::vector<std::string>{}));
    EXPECT_EQ(tree.errorText(), "Cannot get Logical Drive strings!");
}

TEST_F(DirectoryTreeTest, DirectoryViewShowsAndHandsOverTheSelectedPath)
{
    DirectoryViewDialog dialog(path("nc/alpha"));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Directory View");
    QLineEdit* shown = test::edit(dialog, "path");
    EXPECT_TRUE(shown->isReadOnly());
    EXPECT_EQ(shown->text().toStdString(), path("nc/alpha"));
    test::saveScreenshot(dialog, "directory-view-dialog");

    dialog.tree()->selectPath(path("nc/zeta.nc"));
    EXPECT_EQ(shown->text().toStdString(), path("nc/zeta.nc"));
    test::findByText<QPushButton>(dialog, "Select")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedPath(), path("nc/zeta.nc"));

    DirectoryViewDialog exited(path("nc"));
    exited.show();
    test::findByText<QPushButton>(exited, "Exit")->click();
    EXPECT_EQ(exited.result(), QDialog::Rejected);
}

TEST_F(DirectoryTreeTest, SelectFolderOffersFoldersAndTheCallersFilter)
{
    SelectFolderDialog dialog(path("nc"));
    dialog.resize(720, 420);
    dialog.show();
    test::saveScreenshot(dialog, "select-folder-dialog");
    EXPECT_EQ(dialog.windowTitle(), "Select Folder");
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.directory().absolutePath().toStdString(), path("nc"));
    EXPECT_EQ(dialog.nameFilters(), (QStringList{"Show Folders Only (.)", "All Files (*)"}));
    EXPECT_EQ(dialog.labelText(QFileDialog::FileName), "Folder:");
    ASSERT_TRUE(dialog.folderEdit());
    EXPECT_EQ(dialog.selectButton()->text(), "Select");
    EXPECT_TRUE(dialog.selectButton()->isVisible() && dialog.selectButton()->isEnabled());

    SelectFolderDialog withFilter(path("nc"), "NC programs (*.nc)|*.nc||");
    EXPECT_EQ(withFilter.nameFilters(),
              (QStringList{"Show Folders Only (.)", "NC programs (*.nc)"}));
}

TEST_F(DirectoryTreeTest, SelectFolderStaysOpenUntilTheFolderPasses)
{
    ScriptedNotifier notifier;
    SelectFolderDialog dialog(dir.base());
    dialog.setNotifier(notifier);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // Typed into the field, as a user does: while it has the focus the dialog leaves its
    // text alone. The click takes the focus away.
    auto select = [&](const std::string& typed) {
        dialog.folderEdit()->setFocus();
        dialog.folderEdit()->setText(QString::fromStdString(typed));
        dialog.selectButton()->setFocus();
        dialog.selectButton()->click();
    };

    notifier.script({NoticeAnswer::Yes});
    select(path("files/O1000.NC/sub"));  // cannot be made below a file
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(notifier.texts().size(), 2u);
    EXPECT_EQ(notifier.texts()[1], "You do not have permission\nto create this folder.");
    EXPECT_EQ(dialog.focusWidget(), dialog.folderEdit());

    notifier.script({NoticeAnswer::Yes});
    select("NEW/SUB");  // relative to the folder shown
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.selectedFolder(), path("NEW/SUB"));
    EXPECT_TRUE(isDirectory(path("NEW/SUB")));
}

TEST_F(DirectoryTreeTest, SelectFolderReturnsTheFolderOrNothing)
{
    ScriptedNotifier notifier;
    test::onNextDialog<SelectFolderDialog>([](SelectFolderDialog& dialog) {
        dialog.folderEdit()->setText("nc/");
        QTest::keyClick(dialog.folderEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(selectFolder(nullptr, dir.base(), notifier), path("nc"));

    QString title;
    test::onNextDialog<SelectFolderDialog>([&title](SelectFolderDialog& dialog) {
        title = dialog.windowTitle();
        dialog.reject();
    });
    EXPECT_FALSE(selectFolder(nullptr, dir.base(), notifier));
    EXPECT_EQ(title, "Select Folder");
    // A caller names the dialog after its command.
    test::onNextDialog<SelectFolderDialog>([&title](SelectFolderDialog& dialog) {
        title = dialog.windowTitle();
        dialog.reject();
    });
    EXPECT_FALSE(selectFolder(nullptr, dir.base(), notifier, {}, "EOB cleanup"));
    EXPECT_EQ(title, "EOB cleanup");
    EXPECT_TRUE(notifier.shown().empty());
}

}  // namespace
}  // namespace quillon
