#include "monitoring/ui/ListTitleDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// A title is one line of the list, read back up to its first comma, and the views read a
// list line into 260 bytes: commas and line breaks would cut the title the user sees here,
// and the marker and the line end take the rest of the room.
constexpr int kMaxTitleLength = 250;

}  // namespace

ListTitleDialog::ListTitleDialog(const QString& prompt, QWidget* parent)
    : QDialog(parent), m_title(new QLineEdit(this))
{
    setWindowTitle(kListTitleDialogTitle);
    m_title->setObjectName("title");
    m_title->setMaxLength(kMaxTitleLength);
    m_title->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[^,\\r\\n]*"), m_title));
    m_title->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(prompt, this));
    layout->addWidget(m_title);
    layout->addWidget(buttons);
}

std::optional<std::string> ListTitleDialog::title() const
{
    const QString text = m_title->text();
    if (text.isEmpty())
        return std::nullopt;
    return toBytes(text);
}

std::optional<std::string> askListTitle(const QString& prompt, QWidget* parent)
{
    ListTitleDialog dialog(prompt, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.title();
}

}  // namespace quillon
