#include "dnc/ui/TransmitDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quillon {

FanucFileTypeDialog::FanucFileTypeDialog(bool program, bool setup, QWidget* parent)
    : QDialog(parent)
{
    build(program, setup, nullptr);
}

FanucFileTypeDialog::FanucFileTypeDialog(bool program, bool setup, const QString& number,
                                         QWidget* parent)
    : QDialog(parent)
{
    build(program, setup, &number);
}

void FanucFileTypeDialog::build(bool program, bool setup, const QString* number)
{
    setWindowTitle("Select type of file");
    m_program = new QCheckBox("Program file", this);
    m_setup = new QCheckBox("Setup file", this);
    m_program->setChecked(program);
    m_setup->setChecked(setup);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_program);
    layout->addWidget(m_setup);
    if (number) {
        m_number = new QLineEdit(*number, this);
        auto* numberRow = new QHBoxLayout;
        numberRow->addWidget(new QLabel("Four digit program number:", this));
        numberRow->addWidget(m_number);
        layout->addLayout(numberRow);
    }
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

bool FanucFileTypeDialog::program() const
{
    return m_program->isChecked();
}

bool FanucFileTypeDialog::setup() const
{
    return m_setup->isChecked();
}

QString FanucFileTypeDialog::programNumber() const
{
    return m_number ? m_number->text().left(4) : QString();
}

RepositioningDialog::RepositioningDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Tx Repositioning");
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* text =
        new QLabel("Place the cursor on the first line\nto be transmitted\nand click on OK", this);
    text->setAlignment(Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}  // namespace quillon
