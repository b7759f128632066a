#include "monitoring/ui/ShiftCycleTimeDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

void fill(QListWidget* list, const std::vector<std::string>& lines)
{
    list->clear();
    for (const std::string& line : lines)
        list->addItem(fromBytes(line));
}

}  // namespace

ShiftCycleTimeDialog::ShiftCycleTimeDialog(const std::string& recordFile,
                                           const CycleTimeInputs& inputs, QWidget* parent)
    : QDialog(parent),
      m_parts(new QComboBox(this)),
      m_details(new QListWidget(this)),
      m_summary(new QListWidget(this)),
      m_minimum(new QLineEdit(this)),
      m_maximum(new QLineEdit(this)),
      m_multiplier(new QLineEdit(this)),
      m_minimumLabel(new QLabel(kCycleMinTimeLabel, this)),
      m_maximumLabel(new QLabel(kCycleMaxTimeLabel, this)),
      m_recalculate(new QPushButton("Recalculate", this))
{
    setWindowTitle(kShiftCycleTimeTitle);
    for (QLineEdit* edit : {m_minimum, m_maximum})
        edit->setMaxLength(static_cast<int>(kCycleLimitChars));
    m_multiplier->setMaxLength(3);
    m_details->setFont(QFont("Monospace"));

    auto* limits = new QGridLayout;
    limits->addWidget(m_minimumLabel, 0, 0);
    limits->addWidget(m_minimum, 0, 1);
    limits->addWidget(m_maximumLabel, 1, 0);
    limits->addWidget(m_maximum, 1, 1);
    limits->addWidget(new QLabel("Cycle multiplier", this), 2, 0);
    limits->addWidget(m_multiplier, 2, 1);
    limits->addWidget(m_recalculate, 3, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel("Part number", this));
    side->addWidget(m_parts);
    side->addLayout(limits);
    side->addWidget(new QLabel("Summary", this));
    side->addWidget(m_summary, 1);
    auto* exit = new QPushButton("Exit", this);
    side->addWidget(exit);

    auto* detailColumn = new QVBoxLayout;
    detailColumn->addWidget(new QLabel("Details", this));
    detailColumn->addWidget(m_details, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(detailColumn, 3);
    layout->addLayout(side, 2);
    resize(860, 480);

    m_analysis.open(recordFile, inputs);
    for (const std::string& part : m_analysis.partNumbers())
        m_parts->addItem(fromBytes(part));
    m_parts->setEnabled(m_analysis.partChoice());
    m_parts->setCurrentIndex(m_parts->findText(fromBytes(m_analysis.selectedPart())));
    showAnalysis();
    connect(m_parts, &QComboBox::activated, this, &ShiftCycleTimeDialog::selectPart);
    connect(m_recalculate, &QPushButton::clicked, this, &ShiftCycleTimeDialog::recalculate);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

void ShiftCycleTimeDialog::selectPart(int index)
{
    if (index < 0 || index >= m_parts->count())
        return;
    {
        const QSignalBlocker quiet(m_parts);
        m_parts->setCurrentIndex(index);
    }
    if (m_analysis.selectPart(toBytes(m_parts->itemText(index))))
        showAnalysis();
}

void ShiftCycleTimeDialog::recalculate()
{
    m_analysis.recalculate(toBytes(m_minimum->text()), toBytes(m_maximum->text()),
                           toBytes(m_multiplier->text()));
    showAnalysis();
}

void ShiftCycleTimeDialog::showAnalysis()
{
    fill(m_details, m_analysis.details());
    fill(m_summary, m_analysis.summary());
    m_minimum->setText(QString::number(m_analysis.minimum()));
    m_maximum->setText(QString::number(m_analysis.maximum()));
    m_multiplier->setText(QString::number(m_analysis.multiplier()));
    m_minimumLabel->setText(m_analysis.minimumLabel());
    m_maximumLabel->setText(m_analysis.maximumLabel());
}

}  // namespace quillon
