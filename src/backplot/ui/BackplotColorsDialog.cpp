#include "backplot/ui/BackplotColorsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Notifier.h"
#include "platform/WorkDir.h"
#include "platform/ui/QtColorRef.h"

namespace quillon {

namespace {

// The buttons after Background and Text: slot 0, then one per tool slot.
constexpr std::array<const char*, BackplotColorsDialog::kColorButtons - 2> kSlotButtons{
    "G00",       "1st TOOL",  "2nd TOOL",  "3rd TOOL",  "4th TOOL",  "5th TOOL",
    "6th TOOL",  "7th TOOL",  "8th TOOL",  "9th TOOL",  "10th TOOL", "11th TOOL",
    "12th TOOL", "13th TOOL", "14th TOOL", "15th TOOL",
};
constexpr std::size_t kBackgroundButton = 0;
constexpr std::size_t kTextButton = 1;
constexpr std::size_t kFirstSlotButton = 2;
// The series buttons fill the first column top to bottom, then the second.
constexpr int kSeriesRows = static_cast<int>(kSlotButtons.size() + 1) / 2;

QString buttonText(std::size_t button)
{
    if (button == kBackgroundButton)
        return QStringLiteral("Background");
    if (button == kTextButton)
        return QStringLiteral("Text");
    return QString::fromLatin1(kSlotButtons[button - kFirstSlotButton]);
}

// "backgroundSwatch", "textSwatch", "slot0Swatch" ... "slot15Swatch".
QString swatchName(std::size_t button)
{
    if (button == kBackgroundButton)
        return QStringLiteral("backgroundSwatch");
    if (button == kTextButton)
        return QStringLiteral("textSwatch");
    return QStringLiteral("slot%1Swatch").arg(button - kFirstSlotButton);
}

}  // namespace

BackplotColorsDialog::BackplotColorsDialog(const WorkDir& workDir, Notifier& notifier,
                                           QWidget* parent)
    : QDialog(parent),
      m_workDir(workDir),
      m_notifier(notifier),
      m_working(readPlotColors(workDir)),
      m_pickColor(standardColorPicker(this))
{
    setWindowTitle("Backplot colours");

    // One grid for all the buttons, so that both columns line up: the graph's own colours
    // on top, the series below a rule.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    auto addButton = [this, grid](std::size_t button, int row, int column) {
        auto* push = new QPushButton(buttonText(button), this);
        auto* swatch = new ColorSwatch(this);
        swatch->setObjectName(swatchName(button));
        m_swatches[button] = swatch;
        connect(push, &QPushButton::clicked, this, [this, button] { pick(button); });
        grid->addWidget(push, row, column);
        grid->addWidget(swatch, row, column + 1);
    };
    addButton(kBackgroundButton, 0, 0);
    addButton(kTextButton, 0, 3);
    m_gradient = new QCheckBox("Use gradient graph background", this);
    grid->addWidget(m_gradient, 1, 0, 1, 5);
    connect(m_gradient, &QCheckBox::toggled, this,
            [this](bool checked) { m_working.gradient = checked; });
    auto* rule = new QFrame(this);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    grid->addWidget(rule, 2, 0, 1, 5);
    constexpr int kFirstSeriesRow = 3;
    for (std::size_t i = 0; i < kSlotButtons.size(); ++i) {
        const int row = kFirstSeriesRow + static_cast<int>(i) % kSeriesRows;
        const int column = 3 * (static_cast<int>(i) / kSeriesRows);
        addButton(kFirstSlotButton + i, row, column);
    }
    // A gap between the two columns of buttons.
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Fixed texts: some platform themes would add mnemonics to the standard ones.
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    auto* defaults = buttons->addButton("Defaults", QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &BackplotColorsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BackplotColorsDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &BackplotColorsDialog::restoreDefaults);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    showColors();
}

void BackplotColorsDialog::accept()
{
    const WriteResult saved = writePlotColors(m_workDir, m_working);
    if (!saved.ok) {
        m_notifier.message("Could not save " + m_workDir.file(kPlotColorsFile) + ": " +
                           saved.error);
        return;
    }
    QDialog::accept();
}

ColorRef& BackplotColorsDialog::colorOf(std::size_t button)
{
    if (button == kBackgroundButton)
        return m_working.background;
    if (button == kTextButton)
        return m_working.text;
    return m_working.slotColors[button - kFirstSlotButton];
}

void BackplotColorsDialog::pick(std::size_t button)
{
    const auto chosen = m_pickColor(toQColor(colorOf(button)), buttonText(button));
    if (!chosen)
        return;
    colorOf(button) = toColorRef(*chosen);
    showColors();
}

void BackplotColorsDialog::restoreDefaults()
{
    m_working = PlotColors{};
    showColors();
}

void BackplotColorsDialog::showColors()
{
    m_gradient->setChecked(m_working.gradient);
    for (std::size_t button = 0; button < kColorButtons; ++button)
        m_swatches[button]->setColor(toQColor(colorOf(button)));
}

}  // namespace quillon
