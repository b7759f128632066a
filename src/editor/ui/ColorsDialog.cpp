#include "editor/ui/ColorsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Notifier.h"
#include "platform/WorkDir.h"
#include "platform/ui/QtColorRef.h"

namespace quillon {

namespace {

struct ColorButton {
    EditorColor color;
    const char* text;
    const char* swatchName;
};

// In the order the dialog shows them: the window's colours first, then the words of a block.
constexpr std::array<ColorButton, kEditorColorCount> kColorButtons{{
    {EditorColor::Background, "Background", "backgroundSwatch"},
    {EditorColor::Foreground, "Foreground", "foregroundSwatch"},
    {EditorColor::LeftMargin, "Left margin", "leftMarginSwatch"},
    {EditorColor::Comment, "Comment", "commentSwatch"},
    {EditorColor::BlockNumber, "Block number", "blockNumberSwatch"},
    {EditorColor::GCode, "G code", "gCodeSwatch"},
    {EditorColor::MCode, "M code", "mCodeSwatch"},
    {EditorColor::FCode, "F code", "fCodeSwatch"},
    {EditorColor::TCode, "T code", "tCodeSwatch"},
    {EditorColor::XI, "X / I", "xiSwatch"},
    {EditorColor::YJ, "Y / J", "yjSwatch"},
    {EditorColor::ZK, "Z / K", "zkSwatch"},
    {EditorColor::Rest, "Rest", "restSwatch"},
}};

// The buttons fill the first column top to bottom, then the second.
constexpr int kButtonRows = (static_cast<int>(kEditorColorCount) + 1) / 2;

std::size_t indexOf(EditorColor color)
{
    return static_cast<std::size_t>(color);
}

}  // namespace

ColorsDialog::ColorsDialog(EditorColors& live, const WorkDir& workDir, Notifier& notifier,
                           QWidget* parent)
    : QDialog(parent),
      m_live(live),
      m_workDir(workDir),
      m_notifier(notifier),
      m_working(live),
      m_pickColor(standardColorPicker(this))
{
    setWindowTitle("Edit Colors");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    for (std::size_t i = 0; i < kColorButtons.size(); ++i) {
        const ColorButton& entry = kColorButtons[i];
        auto* button = new QPushButton(entry.text, this);
        auto* swatch = new ColorSwatch(this);
        swatch->setObjectName(entry.swatchName);
        m_swatches[indexOf(entry.color)] = swatch;
        connect(button, &QPushButton::clicked, this,
                [this, entry] { pick(entry.color, entry.text); });

        const int row = static_cast<int>(i) % kButtonRows;
        const int column = 3 * (static_cast<int>(i) / kButtonRows);
        grid->addWidget(button, row, column);
        grid->addWidget(swatch, row, column + 1);
    }
    // A gap between the two columns of buttons.
    grid->setColumnMinimumWidth(2, 16);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(3, 1);

    m_colorsOn = new QCheckBox("Colors on", this);
    m_colorsOn->setChecked(m_working.colorsOn);
    connect(m_colorsOn, &QCheckBox::toggled, this,
            [this](bool checked) { m_working.colorsOn = checked; });

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    // Fixed texts: some platform themes would add mnemonics to the standard ones.
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    buttons->button(QDialogButtonBox::Apply)->setText("Apply");
    auto* defaults = buttons->addButton("Defaults", QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ColorsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ColorsDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &ColorsDialog::apply);
    connect(defaults, &QPushButton::clicked, this, &ColorsDialog::restoreDefaults);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(m_colorsOn);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    showColors();
}

void ColorsDialog::apply()
{
    m_live = m_working;
    m_applied = true;
    emit colorsApplied();
}

void ColorsDialog::accept()
{
    apply();
    const WriteResult saved = writeEditorColors(m_workDir, m_live);
    if (!saved.ok) {
        m_notifier.message("Could not save " + m_workDir.file(kEditorColorsFile) + ": " +
                           saved.error);
    }
    QDialog::accept();
}

void ColorsDialog::reject()
{
    if (m_applied) {
        m_live = readEditorColors(m_workDir);
        emit colorsApplied();
    }
    QDialog::reject();
}

void ColorsDialog::pick(EditorColor color, const QString& title)
{
    const auto chosen = m_pickColor(toQColor(m_working[color]), title);
    if (!chosen)
        return;
    m_working[color] = toColorRef(*chosen);
    showColors();
}

void ColorsDialog::restoreDefaults()
{
    m_working.values = EditorColors::defaults();
    showColors();
}

void ColorsDialog::showColors()
{
    for (std::size_t i = 0; i < m_swatches.size(); ++i)
        m_swatches[i]->setColor(toQColor(m_working.values[i]));
}

}  // namespace quillon
