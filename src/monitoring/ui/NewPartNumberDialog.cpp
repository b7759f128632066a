#include "monitoring/ui/NewPartNumberDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/ui/Latin1.h"

namespace quillon {

NewPartNumberDialog::NewPartNumberDialog(const MachineRecord& record, Notifier& notifier,
                                         QWidget* parent)
    : QDialog(parent), m_record(record), m_notifier(notifier)
{
    setWindowTitle(fromBytes(std::string(kNewPartNumberTitle)));
    const PartNumberForm form = partNumberForm(record);
    using F = PartNumberField;
    struct Field {
        F which;
        std::string text;
    };
    std::vector<Field> fields = {{F::PartNumber1, form.partNumber1}};
    if (form.twoStations)
        fields.push_back({F::PartNumber2, form.partNumber2});
    fields.push_back({F::MinCycle1, form.minCycle1});
    fields.push_back({F::MaxCycle1, form.maxCycle1});
    if (form.twoStations) {
        fields.push_back({F::MinCycle2, form.minCycle2});
        fields.push_back({F::MaxCycle2, form.maxCycle2});
    }
    fields.push_back({F::Pieces1, std::to_string(form.pieces1)});
    if (form.twoStations)
        fields.push_back({F::Pieces2, std::to_string(form.pieces2)});

    auto* formLayout = new QFormLayout;
    for (const Field& field : fields) {
        auto* edit = new QLineEdit(fromBytes(field.text), this);
        if (field.which == F::PartNumber1 || field.which == F::PartNumber2)
            edit->setMaxLength(static_cast<int>(kRecordTextLimit));
        m_fields[field.which] = edit;
        formLayout->addRow(
            fromBytes(partNumberLabel(field.which, form.twoStations, form.inMinutes)), edit);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewPartNumberDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(formLayout);
    layout->addWidget(buttons);
}

QLineEdit* NewPartNumberDialog::field(PartNumberField which) const
{
    const auto found = m_fields.find(which);
    return found == m_fields.end() ? nullptr : found->second;
}

PartNumberForm NewPartNumberDialog::typed() const
{
    PartNumberForm form = partNumberForm(m_record);
    const auto text = [this](PartNumberField which, std::string& into) {
        if (const QLineEdit* edit = field(which))
            into = toBytes(edit->text());
    };
    using F = PartNumberField;
    text(F::PartNumber1, form.partNumber1);
    text(F::PartNumber2, form.partNumber2);
    text(F::MinCycle1, form.minCycle1);
    text(F::MaxCycle1, form.maxCycle1);
    text(F::MinCycle2, form.minCycle2);
    text(F::MaxCycle2, form.maxCycle2);
    std::string pieces;
    text(F::Pieces1, pieces);
    form.pieces1 = limitPiecesPerCycle(leadingInteger(pieces));
    if (form.twoStations) {
        text(F::Pieces2, pieces);
        form.pieces2 = limitPiecesPerCycle(leadingInteger(pieces));
    }
    return form;
}

void NewPartNumberDialog::accept()
{
    const SetupVerdict verdict = checkPartNumberForm(m_record, typed());
    if (!verdict.setup) {
        m_notifier.message(verdict.problem);
        return;
    }
    m_setup = verdict.setup;
    QDialog::accept();
}

}  // namespace quillon
