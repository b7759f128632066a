#include "calculators/ui/SurfaceSpeedDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "calculators/ui/CalculatorFields.h"
#include "platform/Notifier.h"

namespace quillon {

SurfaceSpeedDialog::SurfaceSpeedDialog(Notifier& notifier, QWidget* parent)
    : QDialog(parent), m_notifier(notifier)
{
    setWindowTitle("RPM/Diameter/Surface speed");
    for (QLineEdit*& edit : m_fields)
        edit = calculatorField(this);

    // Labels at the left, units at the right; the two surface speeds share one label.
    auto* form = new QGridLayout;
    form->addWidget(new QLabel("RPM", this), 0, 0);
    form->addWidget(rpmEdit(), 0, 1);
    form->addWidget(new QLabel("DIA [inch]", this), 1, 0);
    form->addWidget(diameterEdit(), 1, 1);
    form->addWidget(new QLabel("Surface speed", this), 2, 0);
    form->addWidget(inchPerSecondEdit(), 2, 1);
    form->addWidget(new QLabel("[inch/sec]", this), 2, 2);
    form->addWidget(feetPerMinuteEdit(), 3, 1);
    form->addWidget(new QLabel("[feet/min]", this), 3, 2);
    form->setColumnStretch(1, 1);

    auto* calculateButton = new QPushButton("Calculate", this);
    auto* clearButton = new QPushButton("Clear", this);
    auto* exitButton = new QPushButton("Exit", this);
    connect(calculateButton, &QPushButton::clicked, this, &SurfaceSpeedDialog::calculate);
    connect(clearButton, &QPushButton::clicked, this, &SurfaceSpeedDialog::clear);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(calculatorButtons({calculateButton, clearButton, exitButton}));
    setFixedSize(sizeHint());
}

void SurfaceSpeedDialog::calculate()
{
    SurfaceSpeedTexts texts;
    for (std::size_t i = 0; i < kSurfaceSpeedFields; ++i)
        texts[i] = calculatorFieldText(m_fields[i], kSurfaceSpeedFieldLimit);
    const SurfaceSpeedResult result = surfaceSpeed(texts);
    if (result.message) {
        m_notifier.message(*result.message);
        return;
    }
    showCalculatorTexts(m_fields, texts, result.texts);
}

void SurfaceSpeedDialog::clear()
{
    for (QLineEdit* edit : m_fields)
        edit->clear();
}

}  // namespace quillon
