#include "backplot/ui/BackplotColorsDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include <filesystem>
#include <memory>

#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "platform/Notifier.h"
#include "platform/ui/QtColorRef.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// The buttons in the order of the file's colours after the switch line; slot 16 has none.
constexpr const char* kButtons[] = {
    "Background", "Text",      "G00",       "1st TOOL",  "2nd TOOL",  "3rd TOOL",
    "4th TOOL",   "5th TOOL",  "6th TOOL",  "7th TOOL",  "8th TOOL",  "9th TOOL",
    "10th TOOL",  "11th TOOL", "12th TOOL", "13th TOOL", "14th TOOL", "15th TOOL",
};

QString swatchOf(std::size_t button)
{
    if (button == 0)
        return "backgroundSwatch";
    if (button == 1)
        return "textSwatch";
    return QString("slot%1Swatch").arg(button - 2);
}

// Colours unlike the defaults: line n of the file (after the switch) holds red n, green 7.
PlotColors storedColors()
{
    PlotColors colors;
    colors.gradient = false;
    colors.background = colorRef(1, 7, 0);
    colors.text = colorRef(2, 7, 0);
    for (std::size_t slot = 0; slot < kToolSlots; ++slot)
        colors.slotColors[slot] = colorRef(static_cast<int>(slot) + 3, 7, 0);
    return colors;
}

class BackplotColorsDialogTest : public ::testing::Test {
protected:
    void open()
    {
        m_dialog = std::make_unique<BackplotColorsDialog>(m_dir.workDir(), m_notifier);
        m_dialog->setColorPicker([this](QColor current, QString title) {
            m_pickedFrom = current;
            m_pickerTitle = title;
            return m_nextPick;
        });
    }

    void pick(const char* button, std::optional<QColor> answer)
    {
        m_nextPick = answer;
        click(button);
    }

    void click(const char* text)
    {
        QPushButton* button = test::findByText<QPushButton>(*m_dialog, text);
        ASSERT_TRUE(button) << text;
        button->click();
    }

    QColor swatch(std::size_t button) const
    {
        return m_dialog->findChild<ColorSwatch*>(swatchOf(button))->color();
    }

    QCheckBox* gradient() const
    {
        return test::findByText<QCheckBox>(*m_dialog, "Use gradient graph background");
    }

    test::TempWorkDir m_dir;
    ScriptedNotifier m_notifier;
    std::unique_ptr<BackplotColorsDialog> m_dialog;
    std::optional<QColor> m_nextPick;
    QColor m_pickedFrom;
    QString m_pickerTitle;
};

TEST_F(BackplotColorsDialogTest, StartsFromTheFileAndOkWritesEveryPick)
{
    const PlotColors stored = storedColors();
    m_dir.write(kPlotColorsFile, formatPlotColors(stored));
    open();
    m_dialog->show();
    EXPECT_EQ(m_dialog->windowTitle(), "Backplot colours");
    ASSERT_TRUE(gradient());
    EXPECT_FALSE(gradient()->isChecked());
    EXPECT_FALSE(test::findByText<QPushButton>(*m_dialog, "16th TOOL"));

    pick("Text", std::nullopt);  // the picker cancelled
    EXPECT_EQ(swatch(1), toQColor(stored.text));
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        EXPECT_EQ(swatch(i), QColor(static_cast<int>(i) + 1, 7, 0)) << kButtons[i];
        pick(kButtons[i], QColor(static_cast<int>(i) + 1, 9, 200));
        EXPECT_EQ(m_pickedFrom, QColor(static_cast<int>(i) + 1, 7, 0)) << kButtons[i];
        EXPECT_EQ(m_pickerTitle, kButtons[i]);
        EXPECT_EQ(swatch(i), QColor(static_cast<int>(i) + 1, 9, 200)) << kButtons[i];
    }
    gradient()->setChecked(true);
    EXPECT_EQ(m_dir.read(kPlotColorsFile), formatPlotColors(stored));  // nothing saved yet

    click("OK");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_notifier.shown().empty());
    PlotColors expected = stored;
    expected.gradient = true;
    expected.background = colorRef(1, 9, 200);
    expected.text = colorRef(2, 9, 200);
    for (std::size_t slot = 0; slot < 16; ++slot)
        expected.slotColors[slot] = colorRef(static_cast<int>(slot) + 3, 9, 200);
    EXPECT_EQ(readPlotColors(m_dir.workDir()), expected);  // slot 16 kept from the file
    EXPECT_EQ(m_dir.read(kPlotColorsFile).substr(0, 16), "1GDI\r\n13109505\r\n");
}

TEST_F(BackplotColorsDialogTest, DefaultsRestoreTheTableAndCancelLeavesTheFile)
{
    const std::string stored = formatPlotColors(storedColors());
    m_dir.write(kPlotColorsFile, stored);
    open();
    pick("G00", QColor(1, 1, 1));
    click("Defaults");
    EXPECT_TRUE(gradient()->isChecked());
    for (std::size_t i = 0; i < std::size(kButtons); ++i)
        EXPECT_EQ(swatch(i), i < 2 ? toQColor(i == 0 ? PlotColors{}.background : PlotColors{}.text)
                                   : toQColor(PlotColors::defaultSlotColors()[i - 2]))
            << kButtons[i];
    EXPECT_EQ(m_dialog->colors(), PlotColors{});
    m_dialog->show();
    test::saveScreenshot(*m_dialog, "backplot-colors-dialog");

    click("Cancel");
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    EXPECT_EQ(m_dir.read(kPlotColorsFile), stored);
}

TEST_F(BackplotColorsDialogTest, AFailedWriteIsReportedAndTheChoicesStay)
{
    std::filesystem::create_directory(m_dir.path(kPlotColorsFile));  // no file can go there
    open();
    EXPECT_EQ(m_dialog->colors(), PlotColors{});  // no file: the defaults
    m_dialog->show();
    pick("7th TOOL", QColor(1, 2, 3));
    gradient()->setChecked(false);
    click("OK");
    ASSERT_EQ(m_notifier.texts().size(), 1u);
    EXPECT_EQ(m_notifier.texts()[0].rfind("Could not save " + m_dir.path(kPlotColorsFile), 0), 0u);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->colors().slotColors[7], colorRef(1, 2, 3));
    EXPECT_FALSE(m_dialog->colors().gradient);

    // Once the way is clear, OK saves what was chosen.
    std::filesystem::remove(m_dir.path(kPlotColorsFile));
    click("OK");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(readPlotColors(m_dir.workDir()).slotColors[7], colorRef(1, 2, 3));
}

class BackplotColorsCommandTest : public test::AppWindowTest {};

TEST_F(BackplotColorsCommandTest, SettingsColorsBackplotOpensTheDialog)
{
    QAction* command = test::findByText<QAction>(*frame, "&Backplot");
    ASSERT_TRUE(command);
    EXPECT_TRUE(command->isEnabled());
    bool opened = false;
    test::onNextDialog<BackplotColorsDialog>([&opened](BackplotColorsDialog& dialog) {
        opened = true;
        test::findByText<QPushButton>(dialog, "OK")->click();
    });
    command->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(opened);
    EXPECT_EQ(readPlotColors(dir.workDir()), PlotColors{});
    EXPECT_TRUE(dir.exists(kPlotColorsFile));
}

}  // namespace
}  // namespace quillon
