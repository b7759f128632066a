#include "editor/ui/DirectoryViewDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/DirectoryTree.h"
#include "platform/ui/Latin1.h"

namespace quillon {

DirectoryViewDialog::DirectoryViewDialog(const std::string& startPath, QWidget* parent)
    : QDialog(parent), m_tree(new DirectoryTree(this)), m_path(new QLineEdit(this))
{
    setWindowTitle("Directory View");

    m_path->setObjectName("path");
    m_path->setReadOnly(true);
    connect(m_tree, &DirectoryTree::pathSelected, m_path, &QLineEdit::setText);

    auto* buttons = new QDialogButtonBox(this);
    auto* select = buttons->addButton("Select", QDialogButtonBox::AcceptRole);
    buttons->addButton("Exit", QDialogButtonBox::RejectRole);
    select->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_path);
    layout->addWidget(buttons);
    resize(360, 480);

    m_tree->fillRoots();
    m_tree->selectPath(startPath);
    m_tree->setFocus();
}

std::string DirectoryViewDialog::selectedPath() const
{
    return toBytes(m_path->text());
}

}  // namespace quillon
