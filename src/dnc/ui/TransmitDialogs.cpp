#include "dnc/ui/TransmitDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace quillon {

FanucFileTypeDialog::FanucFileTypeDialog(bool program, bool setup, QWidget* parent)
    : QDialog(parent),
      m_program(new QCheckBox("Program file", this)),
      m_setup(new QCheckBox("Setup file", this))
{
    setWindowTitle("Select type of file");
    m_program->setChecked(program);
    m_setup->setChecked(setup);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_program);
    layout->addWidget(m_setup);
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

RepositioningDialog::RepositioningDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Tx Repositioning");
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QLabel("Place the cursor on the first line\nto be transmitted\nand click on OK",
                            this);
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
