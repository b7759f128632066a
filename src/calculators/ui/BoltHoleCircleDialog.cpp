#include "calculators/ui/BoltHoleCircleDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "calculators/ShopCalculators.h"
#include "calculators/ui/CalculatorFields.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

constexpr char kCouldNotCopy[] = "Could not copy";
// A hole line of two ordinary coordinates ("X-1234.5678   Y-1234.5678") without
// scrolling, and a dozen holes in view.
constexpr int kListColumns = 28;
constexpr int kListRows = 12;

// Writes to the system clipboard and reads the text back: setting the text reports
// nothing, so a clipboard that did not take it shows only in what it then holds.
bool writeSystemClipboard(const QString& text)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(text);
    return clipboard->text() == text;
}

}  // namespace

BoltHoleCircleDialog::BoltHoleCircleDialog(Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_notifier(notifier),
      m_writeClipboard(writeSystemClipboard),
      m_x(calculatorField(this)),
      m_y(calculatorField(this)),
      m_radius(calculatorField(this)),
      m_holes(calculatorField(this)),
      m_first(calculatorField(this)),
      m_list(new QListWidget(this))
{
    setWindowTitle("Bolt hole circle");

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    m_list->setFont(fixed);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics listMetrics(fixed);
    m_list->setMinimumSize(listMetrics.horizontalAdvance(QLatin1Char('0')) * kListColumns,
                           listMetrics.lineSpacing() * kListRows);

    // X and Y side by side, two digits apart.
    auto* centre = new QGroupBox("Centerpoint", this);
    auto* centreLayout = new QHBoxLayout(centre);
    centreLayout->addWidget(new QLabel("X", centre));
    centreLayout->addWidget(m_x, 1);
    centreLayout->addSpacing(fontMetrics().horizontalAdvance(QStringLiteral("00")));
    centreLayout->addWidget(new QLabel("Y", centre));
    centreLayout->addWidget(m_y, 1);

    auto* form = new QGridLayout;
    form->addWidget(centre, 0, 0, 1, 3);
    form->addWidget(new QLabel("Radius", this), 1, 0);
    form->addWidget(m_radius, 1, 1);
    form->addWidget(new QLabel("Number of holes:", this), 2, 0);
    form->addWidget(m_holes, 2, 1);
    form->addWidget(new QLabel("First hole CW position:", this), 3, 0);
    form->addWidget(m_first, 3, 1);
    form->addWidget(new QLabel("[deg]", this), 3, 2);
    form->setRowStretch(4, 1);

    auto* calculateButton = new QPushButton("Calculate", this);
    auto* copyButton = new QPushButton("Copy", this);
    auto* exitButton = new QPushButton("Exit", this);
    connect(calculateButton, &QPushButton::clicked, this, &BoltHoleCircleDialog::calculate);
    connect(copyButton, &QPushButton::clicked, this, &BoltHoleCircleDialog::copy);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(form);
    top->addWidget(m_list, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(calculatorButtons({calculateButton, copyButton, exitButton}));
}

void BoltHoleCircleDialog::calculate()
{
    const auto text = [](const QLineEdit* edit) {
        return calculatorFieldText(edit, kBoltHoleFieldLimit);
    };
    const BoltHoleResult result =
        boltHoleCircle({text(m_x), text(m_y), text(m_radius), text(m_holes), text(m_first)});
    if (result.message) {
        m_notifier.message(*result.message);
        return;
    }
    m_list->clear();
    for (const std::string& line : result.lines)
        m_list->addItem(fromBytes(line));
}

void BoltHoleCircleDialog::copy()
{
    if (m_list->count() == 0)
        return;
    QString text;
    for (int row = 0; row < m_list->count(); ++row)
        text += m_list->item(row)->text() + QStringLiteral("\r\n");
    if (!m_writeClipboard(text))
        m_notifier.message(kCouldNotCopy);
}

}  // namespace quillon
