#include "backplot/ui/CycleTimeDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/Notifier.h"
#include "platform/ui/WidgetHelpers.h"

namespace quillon {

namespace {

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

}  // namespace

CycleTimeDialog::CycleTimeDialog(const CycleTimeSettings& settings, Notifier& notifier,
                                 QWidget* parent)
    : QDialog(parent),
      m_notifier(notifier),
      m_toolChange(new QLineEdit(numberText(settings.toolChangeSeconds), this)),
      m_rapidRate(new QLineEdit(numberText(settings.rapidRate), this)),
      m_mill(new QRadioButton("Mill", this)),
      m_lathe(new QRadioButton("Lathe", this))
{
    setWindowTitle("Cycle time");

    auto* form = new QGridLayout;
    form->addWidget(new QLabel("Average tool change time [sec]:", this), 0, 0);
    form->addWidget(m_toolChange, 0, 1);
    form->addWidget(new QLabel("G00 feed rate [in/min]:", this), 1, 0);
    form->addWidget(m_rapidRate, 1, 1);

    // The two buttons exclude each other through their box.
    auto* machine = new QGroupBox(this);
    auto* machineLayout = new QHBoxLayout(machine);
    machineLayout->addWidget(m_mill);
    machineLayout->addWidget(m_lathe);
    (settings.lathe ? m_lathe : m_mill)->setChecked(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Continue", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(machine);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void CycleTimeDialog::accept()
{
    struct Range {
        QLineEdit* edit;
        double low;
        double high;
    };
    for (const Range& range : {Range{m_toolChange, kToolChangeSecondsMin, kToolChangeSecondsMax},
                               Range{m_rapidRate, kRapidRateMin, kRapidRateMax}}) {
        if (!numberIn(range.edit, range.low, range.high)) {
            refuseNumber(m_notifier, range.edit, range.low, range.high);
            return;
        }
    }
    QDialog::accept();
}

CycleTimeSettings CycleTimeDialog::settings() const
{
    CycleTimeSettings settings;
    settings.toolChangeSeconds =
        numberIn(m_toolChange, kToolChangeSecondsMin, kToolChangeSecondsMax)
            .value_or(settings.toolChangeSeconds);
    settings.rapidRate =
        numberIn(m_rapidRate, kRapidRateMin, kRapidRateMax).value_or(settings.rapidRate);
    settings.lathe = m_lathe->isChecked();
    return settings;
}

}  // namespace quillon
