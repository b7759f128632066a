#include "monitoring/ui/YearDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "monitoring/OeeReport.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

YearDialog::YearDialog(std::string_view prompt, int proposed, Notifier& notifier, QWidget* parent)
    : QDialog(parent), m_notifier(notifier), m_year(new QLineEdit(this))
{
    const QString text = fromBytes(std::string(prompt));
    setWindowTitle(text);
    m_year->setObjectName("year");
    m_year->setText(QString::number(proposed));
    m_year->selectAll();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &YearDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text, this));
    layout->addWidget(m_year);
    layout->addWidget(buttons);
}

void YearDialog::accept()
{
    const std::string typed = toBytes(m_year->text());
    if (const auto problem = yearEntryProblem(typed)) {
        m_notifier.message(std::string(*problem));
        m_year->setFocus();
        m_year->selectAll();
        return;
    }
    m_accepted = typedYear(typed);
    QDialog::accept();
}

std::optional<int> askYear(std::string_view prompt, int proposed, Notifier& notifier,
                           QWidget* parent)
{
    YearDialog dialog(prompt, proposed, notifier, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.year();
}

}  // namespace quillon
