#include "editor/ui/UtilityDialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

#include "platform/Notifier.h"
#include "platform/ui/WidgetHelpers.h"

namespace quillon {

namespace {

// The whole text as an integer in the range, or nothing.
std::optional<int> integerIn(const QLineEdit* edit, int low, int high)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

char firstCharacter(const QLineEdit* edit)
{
    const QByteArray bytes = edit->text().toLatin1();
    return bytes.isEmpty() ? '\0' : bytes.front();
}

QString characterText(char character)
{
    return character == 0 ? QString() : QString(QLatin1Char(character));
}

QDialogButtonBox* buttons(QDialog* dialog, const QString& acceptText)
{
    auto* box = new QDialogButtonBox(dialog);
    box->addButton(acceptText, QDialogButtonBox::AcceptRole)->setDefault(true);
    box->addButton(QDialogButtonBox::Cancel);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

}  // namespace

// ---- Renumbering ------------------------------------------------------------------------

RenumberDialog::RenumberDialog(const RenumberSettings& settings, Notifier& notifier,
                               QWidget* parent)
    : QDialog(parent),
      m_notifier(notifier),
      m_start(new QLineEdit(QString::number(settings.start), this)),
      m_increment(new QLineEdit(QString::number(settings.increment), this)),
      m_digits(new QLineEdit(QString::number(settings.digits), this)),
      m_zeroes(new QCheckBox("Include leading zeroes", this)),
      m_letterO(new QCheckBox("letter O", this)),
      m_colon(new QCheckBox("column", this)),
      m_parenthesis(new QCheckBox("opening parenthesis", this)),
      m_skip(new QLineEdit(characterText(settings.skip), this))
{
    setWindowTitle("Configure renumbering method");
    m_zeroes->setChecked(settings.leadingZeroes);
    m_letterO->setChecked(settings.letterO);
    m_colon->setChecked(settings.colon);
    m_parenthesis->setChecked(settings.parenthesis);
    m_skip->setMaxLength(1);
    m_skip->setMaximumWidth(m_skip->fontMetrics().horizontalAdvance("MMM"));

    auto* numbers = new QGroupBox("Block number info", this);
    auto* numbersLayout = new QGridLayout(numbers);
    numbersLayout->addWidget(new QLabel("Starting", numbers), 0, 0);
    numbersLayout->addWidget(m_start, 0, 1);
    numbersLayout->addWidget(new QLabel("Increment", numbers), 1, 0);
    numbersLayout->addWidget(m_increment, 1, 1);
    numbersLayout->addWidget(new QLabel("No. of digits", numbers), 2, 0);
    numbersLayout->addWidget(m_digits, 2, 1);
    numbersLayout->addWidget(m_zeroes, 3, 0, 1, 2);

    auto* starts = new QGroupBox("RENUMBER if line starts with: ", this);
    auto* startsLayout = new QVBoxLayout(starts);
    startsLayout->addWidget(m_letterO);
    startsLayout->addWidget(m_colon);
    startsLayout->addWidget(m_parenthesis);

    auto* skipRow = new QHBoxLayout;
    skipRow->addWidget(new QLabel("DON'T RENUMBER if line starts with: ", this));
    skipRow->addWidget(m_skip);
    skipRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(numbers);
    layout->addWidget(starts);
    layout->addLayout(skipRow);
    for (const char* text :
         {"ONLY G70, G71, G72 and G73 CANNED", "CYCLES ARE SUPPORTED FOR RENUMBERING.",
          "OTHER BLOCK NUMBER RELIANT CANNED OR", "OTHER CYCLES CURRENTLY ARE NOT SUPPORTED!"})
        layout->addWidget(new QLabel(text, this));
    layout->addWidget(buttons(this, "OK"));
    setFixedSize(sizeHint());
}

void RenumberDialog::accept()
{
    struct Range {
        QLineEdit* edit;
        int low;
        int high;
    };
    for (const Range& range :
         {Range{m_start, 0, 10000}, Range{m_increment, 1, 10000}, Range{m_digits, 1, 6}}) {
        if (!integerIn(range.edit, range.low, range.high)) {
            refuse(m_notifier, range.edit,
                   QStringLiteral("Please enter an integer between %1 and %2.")
                       .arg(range.low)
                       .arg(range.high));
            return;
        }
    }
    QDialog::accept();
}

RenumberSettings RenumberDialog::settings() const
{
    RenumberSettings settings;
    settings.start = integerIn(m_start, 0, 10000).value_or(settings.start);
    settings.increment = integerIn(m_increment, 1, 10000).value_or(settings.increment);
    settings.digits = integerIn(m_digits, 1, 6).value_or(settings.digits);
    settings.leadingZeroes = m_zeroes->isChecked();
    settings.letterO = m_letterO->isChecked();
    settings.colon = m_colon->isChecked();
    settings.parenthesis = m_parenthesis->isChecked();
    settings.skip = firstCharacter(m_skip);
    return settings;
}

// ---- Modify -----------------------------------------------------------------------------

ModifyDialog::ModifyDialog(const ModifySettings& settings, Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_notifier(notifier),
      m_value(new QLineEdit(QString::number(settings.value, 'g', 12), this)),
      m_operations{new QRadioButton("Add", this), new QRadioButton("Multiply", this),
                   new QRadioButton("Divide", this)},
      m_address(new QLineEdit(QString::fromStdString(settings.address), this)),
      m_exclude(new QLineEdit(QString::fromStdString(settings.exclude), this)),
      m_decimals{new QRadioButton("4", this), new QRadioButton("3", this),
                 new QRadioButton("No D.P.", this)}
{
    setWindowTitle("Modify");
    m_address->setMaxLength(20);
    m_exclude->setMaxLength(20);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel("Value:", this), 0, 0);
    form->addWidget(m_value, 0, 1);
    form->addWidget(new QLabel("Address (X,Y,Z,I,J,KF,S,..)", this), 1, 0);
    form->addWidget(m_address, 1, 1);
    form->addWidget(new QLabel("Exclude blocks containing:", this), 2, 0);
    form->addWidget(m_exclude, 2, 1);

    auto* operations = new QGroupBox(this);
    auto* operationsLayout = new QVBoxLayout(operations);
    for (QRadioButton* button : m_operations)
        operationsLayout->addWidget(button);
    auto* decimals = new QGroupBox(this);
    auto* decimalsLayout = new QVBoxLayout(decimals);
    for (QRadioButton* button : m_decimals)
        decimalsLayout->addWidget(button);
    auto* choices = new QHBoxLayout;
    choices->addWidget(operations);
    choices->addWidget(decimals);
    // Checked once each row sits in its own box: radio buttons exclude each other by parent.
    operationButton(settings.operation)->setChecked(true);
    decimalsButton(settings.decimals)->setChecked(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(choices);
    layout->addWidget(new QLabel("To subtract use 'Add' with a negative 'Value'", this));
    layout->addWidget(buttons(this, "Modify"));
    setFixedSize(sizeHint());
}

QRadioButton* ModifyDialog::operationButton(ModifySettings::Operation operation) const
{
    return m_operations[static_cast<std::size_t>(operation)];
}

QRadioButton* ModifyDialog::decimalsButton(ModifySettings::Decimals decimals) const
{
    return m_decimals[static_cast<std::size_t>(decimals)];
}

void ModifyDialog::accept()
{
    if (!numberIn(m_value, -1000000, 1000000)) {
        refuseNumber(m_notifier, m_value, -1000000, 1000000);
        return;
    }
    QDialog::accept();
}

ModifySettings ModifyDialog::settings() const
{
    ModifySettings settings;
    settings.value = numberIn(m_value, -1000000, 1000000).value_or(0);
    for (std::size_t i = 0; i < m_operations.size(); ++i) {
        if (m_operations[i]->isChecked())
            settings.operation = static_cast<ModifySettings::Operation>(i);
    }
    for (std::size_t i = 0; i < m_decimals.size(); ++i) {
        if (m_decimals[i]->isChecked())
            settings.decimals = static_cast<ModifySettings::Decimals>(i);
    }
    settings.address = m_address->text().toLatin1().toStdString();
    settings.exclude = m_exclude->text().toLatin1().toStdString();
    return settings;
}

// ---- Rotate -----------------------------------------------------------------------------

RotateDialog::RotateDialog(const RotateSettings& settings, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Rotate");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("From", this), 0, 0);
    grid->addWidget(new QLabel("To", this), 0, 1);
    for (std::size_t row = 0; row < 3; ++row) {
        m_from[row] = new QLineEdit(characterText(settings.from[row]), this);
        m_to[row] = new QLineEdit(characterText(settings.to[row]), this);
        for (QLineEdit* edit : {m_from[row], m_to[row]}) {
            edit->setMaxLength(1);
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance("MMMM"));
        }
        grid->addWidget(m_from[row], static_cast<int>(row) + 1, 0);
        grid->addWidget(m_to[row], static_cast<int>(row) + 1, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons(this, "OK"));
    setFixedSize(sizeHint());
}

RotateSettings RotateDialog::settings() const
{
    RotateSettings settings;
    for (std::size_t row = 0; row < 3; ++row) {
        settings.from[row] = firstCharacter(m_from[row]);
        settings.to[row] = firstCharacter(m_to[row]);
    }
    return settings;
}

}  // namespace quillon
