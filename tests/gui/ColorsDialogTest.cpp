#include "editor/ui/ColorsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>

#include <filesystem>
#include <memory>

#include "gui/GuiTestSupport.h"
#include "platform/Notifier.h"
#include "platform/ui/QtColorRef.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// The colour buttons and their swatches in the order of EColors.sys.
constexpr std::pair<const char*, const char*> kFileOrder[] = {
    {"Comment", "commentSwatch"},
    {"Block number", "blockNumberSwatch"},
    {"M code", "mCodeSwatch"},
    {"G code", "gCodeSwatch"},
    {"F code", "fCodeSwatch"},
    {"X / I", "xiSwatch"},
    {"Y / J", "yjSwatch"},
    {"Z / K", "zkSwatch"},
    {"T code", "tCodeSwatch"},
    {"Rest", "restSwatch"},
    {"Foreground", "foregroundSwatch"},
    {"Background", "backgroundSwatch"},
    {"Left margin", "leftMarginSwatch"},
};

// Line n of the file (after the switch) gets red n, green 2, blue 1: 0x010200 + n.
QColor colorOfLine(std::size_t line)
{
    return QColor(static_cast<int>(line), 2, 1);
}

class ColorsDialogTest : public ::testing::Test {
protected:
    ColorsDialogTest()
    {
        for (std::size_t i = 0; i < kEditorColorCount; ++i)  // unlike the defaults
            m_live.values[i] = colorRef(10 + static_cast<int>(i), 100, 200);
    }

    void open()
    {
        m_dialog = std::make_unique<ColorsDialog>(m_live, m_dir.workDir(), m_notifier);
        m_dialog->setColorPicker([this](QColor current, QString title) {
            m_pickedFrom = current;
            m_pickerTitle = title;
            return m_nextPick;
        });
        QObject::connect(m_dialog.get(), &ColorsDialog::colorsApplied, [this] { ++m_signals; });
    }

    void pick(const char* button, std::optional<QColor> answer)
    {
        m_nextPick = answer;
        click(button);
    }

    void click(const char* text) { test::findByText<QPushButton>(*m_dialog, text)->click(); }

    QColor swatch(const char* name) const
    {
        return m_dialog->findChild<ColorSwatch*>(name)->color();
    }

    QCheckBox* colorsOn() const { return test::findByText<QCheckBox>(*m_dialog, "Colors on"); }

    test::TempWorkDir m_dir;
    ScriptedNotifier m_notifier;
    EditorColors m_live;
    std::unique_ptr<ColorsDialog> m_dialog;
    std::optional<QColor> m_nextPick;
    QColor m_pickedFrom;
    QString m_pickerTitle;
    int m_signals = 0;
};

TEST_F(ColorsDialogTest, PicksGoIntoTheWorkingCopyUntilApply)
{
    const EditorColors before = m_live;
    open();
    m_dialog->show();
    EXPECT_EQ(m_dialog->windowTitle(), "Edit Colors");
    pick("G code", std::nullopt);  // the picker cancelled
    for (std::size_t i = 0; i < std::size(kFileOrder); ++i) {
        const auto [button, name] = kFileOrder[i];
        EXPECT_EQ(swatch(name), toQColor(before.values[i])) << button;
        pick(button, colorOfLine(i + 1));
        EXPECT_EQ(m_pickedFrom, toQColor(before.values[i])) << button;
        EXPECT_EQ(m_pickerTitle, button);
        EXPECT_EQ(swatch(name), colorOfLine(i + 1)) << button;
    }
    colorsOn()->setChecked(false);
    EXPECT_EQ(m_live, before);
    EXPECT_EQ(m_signals, 0);

    click("Apply");
    EXPECT_EQ(m_signals, 1);
    EXPECT_FALSE(m_live.colorsOn);
    for (std::size_t i = 0; i < kEditorColorCount; ++i)
        EXPECT_EQ(m_live.values[i], 0x010200u + (i + 1)) << kFileOrder[i].first;
    EXPECT_TRUE(m_dialog->isVisible());  // Apply neither closes nor saves
    EXPECT_FALSE(m_dir.exists(kEditorColorsFile));
}

TEST_F(ColorsDialogTest, DefaultsRestoreTheColoursButKeepTheCheckBox)
{
    m_live.colorsOn = false;
    open();
    click("Defaults");
    for (std::size_t i = 0; i < std::size(kFileOrder); ++i)
        EXPECT_EQ(swatch(kFileOrder[i].second), toQColor(EditorColors::defaults()[i]));
    EXPECT_FALSE(colorsOn()->isChecked());
    click("Apply");
    EXPECT_EQ(m_live.values, EditorColors::defaults());
    EXPECT_FALSE(m_live.colorsOn);

    colorsOn()->setChecked(true);
    m_dialog->show();
    test::saveScreenshot(*m_dialog, "edit-colors-dialog");
}

TEST_F(ColorsDialogTest, OkAppliesAndWritesEColorsSys)
{
    open();
    for (std::size_t i = 0; i < std::size(kFileOrder); ++i)
        pick(kFileOrder[i].first, colorOfLine(i + 1));
    colorsOn()->setChecked(false);
    click("OK");
    EXPECT_EQ(m_dir.read(kEditorColorsFile),
              "0\r\n66049\r\n66050\r\n66051\r\n66052\r\n66053\r\n66054\r\n66055\r\n"
              "66056\r\n66057\r\n66058\r\n66059\r\n66060\r\n66061\r\n");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_signals, 1);
    EXPECT_EQ(m_live, readEditorColors(m_dir.workDir()));
    EXPECT_TRUE(m_notifier.shown().empty());
}

TEST_F(ColorsDialogTest, AFailedWriteIsReportedAndTheColoursStayApplied)
{
    std::filesystem::create_directory(m_dir.path(kEditorColorsFile));  // no file can go there
    open();
    pick("Rest", QColor(1, 2, 3));
    click("OK");
    ASSERT_EQ(m_notifier.shown().size(), 1u);
    EXPECT_NE(m_notifier.texts()[0].find("Could not save"), std::string::npos);
    EXPECT_NE(m_notifier.texts()[0].find("EColors.sys"), std::string::npos);
    EXPECT_EQ(m_live[EditorColor::Rest], colorRef(1, 2, 3));
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
}

TEST_F(ColorsDialogTest, CancelAfterApplyGoesBackToTheFile)
{
    m_dir.write(kEditorColorsFile, formatEditorColors(m_live));
    const EditorColors saved = m_live;
    open();
    pick("Comment", QColor(9, 9, 9));
    colorsOn()->setChecked(false);
    click("Apply");
    pick("Foreground", QColor(8, 8, 8));
    click("Cancel");
    EXPECT_EQ(m_live, saved);
    EXPECT_EQ(m_signals, 2);  // for Apply and for going back
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(ColorsDialogTest, CancelWithoutApplyLeavesTheLiveColoursAlone)
{
    m_dir.write(kEditorColorsFile, formatEditorColors(EditorColors{}));  // not read again
    const EditorColors before = m_live;
    open();
    pick("Comment", QColor(9, 9, 9));
    colorsOn()->setChecked(false);
    click("Defaults");
    click("Cancel");
    EXPECT_EQ(m_live, before);
    EXPECT_EQ(m_signals, 0);
}

}  // namespace
}  // namespace quillon
