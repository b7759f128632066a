#include "monitoring/ui/HeadsPalletsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quillon {

HeadsPalletsDialog::HeadsPalletsDialog(StationChoice initial, QWidget* parent)
    : QDialog(parent), m_dontAsk(new QCheckBox("Don't ask again (*)", this))
{
    setWindowTitle(kHeadsPalletsTitle);
    auto* layout = new QVBoxLayout(this);
    const char* texts[] = {"Head 1/Pallet 1", "Head 2/Pallet 2", "Both/Same graph",
                           "Both/Separate graphs"};
    for (std::size_t index = 0; index < m_options.size(); ++index) {
        m_options[index] = new QRadioButton(texts[index], this);
        layout->addWidget(m_options[index]);
    }
    option(initial)->setChecked(true);
    layout->addSpacing(8);
    layout->addWidget(m_dontAsk);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

HeadsPalletsAnswer HeadsPalletsDialog::answer() const
{
    HeadsPalletsAnswer answer;
    for (std::size_t index = 0; index < m_options.size(); ++index) {
        if (m_options[index]->isChecked())
            answer.choice = static_cast<StationChoice>(index);
    }
    answer.dontAskAgain = m_dontAsk->isChecked();
    return answer;
}

}  // namespace quillon
