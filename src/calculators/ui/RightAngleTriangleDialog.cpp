#include "calculators/ui/RightAngleTriangleDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "calculators/ui/CalculatorFields.h"
#include "calculators/ui/TriangleDrawing.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// A titled box with one labelled field a row, and a note under the fields. The labels are
// one letter, so the fields of the two boxes line up.
QGroupBox* fieldBox(QWidget* parent, const QString& title,
                    std::initializer_list<std::pair<const char*, QLineEdit*>> rows,
                    const QString& note = {})
{
    auto* box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const auto& [label, edit] : rows) {
        grid->addWidget(new QLabel(label, box), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    if (!note.isEmpty())
        grid->addWidget(new QLabel(note, box), row++, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return box;
}

}  // namespace

RightAngleTriangleDialog::RightAngleTriangleDialog(TriangleTexts& kept, Notifier& notifier,
                                                   QWidget* parent)
    : QDialog(parent), m_kept(kept), m_notifier(notifier)
{
    setWindowTitle("Right Angle Triangle");
    for (std::size_t i = 0; i < kTriangleFields; ++i) {
        m_fields[i] = calculatorField(this);
        m_fields[i]->setText(fromBytes(kept[i]));
    }

    auto* sides = fieldBox(this, "Sides",
                           {{"A", field(TriangleField::A)},
                            {"B", field(TriangleField::B)},
                            {"C", field(TriangleField::C)}});
    auto* angles =
        fieldBox(this, "Opposing angles",
                 {{"a", field(TriangleField::AngleA)}, {"b", field(TriangleField::AngleB)}},
                 "c = 90");  // the third angle is always the right one

    auto* calculateButton = new QPushButton("Calculate", this);
    auto* clearButton = new QPushButton("Clear", this);
    auto* exitButton = new QPushButton("Exit", this);
    connect(calculateButton, &QPushButton::clicked, this, &RightAngleTriangleDialog::calculate);
    connect(clearButton, &QPushButton::clicked, this, &RightAngleTriangleDialog::clear);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QVBoxLayout;
    fields->addWidget(sides);
    fields->addWidget(angles);
    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addWidget(new TriangleDrawing(this), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(calculatorButtons({calculateButton, clearButton, exitButton}));
    setFixedSize(sizeHint());
}

TriangleTexts RightAngleTriangleDialog::fieldTexts() const
{
    TriangleTexts texts;
    for (std::size_t i = 0; i < kTriangleFields; ++i)
        texts[i] = calculatorFieldText(m_fields[i], kTriangleFieldLimit);
    return texts;
}

void RightAngleTriangleDialog::calculate()
{
    const TriangleTexts texts = fieldTexts();
    const TriangleResult result = rightAngleTriangle(texts);
    if (result.message) {
        m_notifier.message(*result.message);
        return;
    }
    showCalculatorTexts(m_fields, texts, result.texts);
}

void RightAngleTriangleDialog::clear()
{
    for (QLineEdit* edit : m_fields)
        edit->clear();
    m_kept = {};
}

void RightAngleTriangleDialog::done(int result)
{
    m_kept = fieldTexts();
    QDialog::done(result);
}

}  // namespace quillon
