#include "monitoring/ui/StatusColorsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/QtColorRef.h"

namespace quillon {

namespace {

// Two columns of entries side by side keep the dialog on a small screen.
constexpr int kRowsPerColumn = (kStatusCount + 1) / 2;
// Index, name, colour button, swatch, and a gap before the next column.
constexpr int kGridColumnsPerEntry = 5;
// As long as the hub lets a status name be.
constexpr int kNameLength = 31;

}  // namespace

bool StatusColorsDialog::hasNameField(int index)
{
    return index <= kLastHubStatus || index == kStatusFeedHold;
}

StatusColorsDialog::StatusColorsDialog(StatusTable& table, std::string hubDirectory,
                                       QWidget* parent)
    : QDialog(parent),
      m_table(table),
      m_hubDirectory(std::move(hubDirectory)),
      m_working(table),
      m_pickColor(standardColorPicker(this))
{
    setWindowTitle("Setting Monitoring display/graph/pie colors");

    m_gradient = new QCheckBox("Use gradient graph background", this);
    m_gradient->setChecked(m_working.gradient);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    for (int index = 0; index < kStatusCount; ++index) {
        const int row = index % kRowsPerColumn;
        const int column = kGridColumnsPerEntry * (index / kRowsPerColumn);
        const QString name = QString::fromStdString(m_working.names[std::size_t(index)]);
        grid->addWidget(new QLabel(QString::number(index), this), row, column);
        if (hasNameField(index)) {
            auto* edit = new QLineEdit(name, this);
            edit->setObjectName(QStringLiteral("name%1").arg(index));
            edit->setMaxLength(kNameLength);
            edit->setReadOnly(isFixedStatusName(index));
            m_names[std::size_t(index)] = edit;
            grid->addWidget(edit, row, column + 1);
        } else {
            grid->addWidget(new QLabel(name, this), row, column + 1);
        }
        auto* button = new QPushButton("Color...", this);
        button->setObjectName(QStringLiteral("color%1").arg(index));
        connect(button, &QPushButton::clicked, this, [this, index] { pick(index); });
        grid->addWidget(button, row, column + 2);
        auto* swatch = new ColorSwatch(this);
        swatch->setObjectName(QStringLiteral("swatch%1").arg(index));
        m_swatches[std::size_t(index)] = swatch;
        grid->addWidget(swatch, row, column + 3);
        showColor(index);
    }
    grid->setColumnMinimumWidth(kGridColumnsPerEntry - 1, 16);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &StatusColorsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StatusColorsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_gradient);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

StatusTable StatusColorsDialog::edited() const
{
    StatusTable table = m_working;
    table.gradient = m_gradient->isChecked();
    for (int index = 0; index < kStatusCount; ++index) {
        const QLineEdit* edit = m_names[std::size_t(index)];
        // The fixed names stay what the program knows them by, whatever a field shows.
        if (edit != nullptr && !isFixedStatusName(index))
            table.names[std::size_t(index)] = edit->text().toStdString();
    }
    return table;
}

void StatusColorsDialog::accept()
{
    m_table = edited();
    QDialog::accept();
}

void StatusColorsDialog::reject()
{
    m_table = readStatusTable(m_hubDirectory);
    QDialog::reject();
}

void StatusColorsDialog::pick(int index)
{
    auto& color = m_working.colors[std::size_t(index)];
    const auto chosen =
        m_pickColor(toQColor(color), QString::fromStdString(m_working.names[std::size_t(index)]));
    if (!chosen)
        return;
    color = toColorRef(*chosen);
    showColor(index);
}

void StatusColorsDialog::showColor(int index)
{
    m_swatches[std::size_t(index)]->setColor(toQColor(m_working.colors[std::size_t(index)]));
}

}  // namespace quillon
