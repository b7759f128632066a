#include "app/ui/OtherOptionsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>

#include "gui/GuiTestSupport.h"

namespace quillon {
namespace {

MarginsSettings sampleSettings()
{
    MarginsSettings settings;
    settings.editorDefaultPath = "/srv/nc";
    settings.leftMargin = "0.5";
    settings.printHeader = true;
    settings.printFullPath = true;
    settings.localIpAddress = 0x0A000105;  // 10.0.1.5
    settings.remoteFullPath = true;
    return settings;
}

TEST(OtherOptionsDialog, ShowsTheSettingsAndGivesThemBack)
{
    OtherOptionsDialog dialog(sampleSettings());
    dialog.show();
    test::saveScreenshot(dialog, "other-options-dialog");
    EXPECT_EQ(dialog.windowTitle(), "Margins / path / header");
    EXPECT_EQ(test::edit(dialog, "editorDefaultPath")->text(), "/srv/nc");
    EXPECT_EQ(test::edit(dialog, "left")->text(), "0.5");
    EXPECT_EQ(dialog.ipAddressEdit()->octetEdit(0)->text(), "10");
    EXPECT_EQ(dialog.ipAddressEdit()->octetEdit(3)->text(), "5");
    EXPECT_EQ(dialog.settings(), sampleSettings());

    for (const char* text :
         {"Print header", "Start minimized", "Print full path", "Remember editor directory",
          "Scroll all windows with mouse wheel", "Detailed file open window",
          "Option 'Transfer' to machine the edited file", "Scroll all windows with scroll bar",
          "Print page numbers", "Print two columns", "Monthly .CSV file"})
        EXPECT_TRUE(test::findByText<QCheckBox>(dialog, text)) << text;

    test::edit(dialog, "bottom")->setText("2.0");
    test::findByText<QCheckBox>(dialog, "Monthly .CSV file")->setChecked(true);
    dialog.ipAddressEdit()->octetEdit(3)->setText("");  // an empty field counts as 0
    const MarginsSettings chosen = dialog.settings();
    EXPECT_EQ(chosen.bottomMargin, "2.0");
    EXPECT_TRUE(chosen.monthlyCsv);
    EXPECT_EQ(chosen.localIpAddress, 0x0A000100);
    EXPECT_TRUE(chosen.remoteFullPath);  // not in the dialog, kept
}

TEST(OtherOptionsDialog, PrintFullPathFollowsPrintHeader)
{
    MarginsSettings settings = sampleSettings();
    settings.printHeader = false;
    OtherOptionsDialog dialog(settings);
    QCheckBox* header = test::findByText<QCheckBox>(dialog, "Print header");
    QCheckBox* fullPath = test::findByText<QCheckBox>(dialog, "Print full path");
    EXPECT_FALSE(fullPath->isEnabled());
    header->setChecked(true);
    EXPECT_TRUE(fullPath->isEnabled());
    header->setChecked(false);
    EXPECT_FALSE(fullPath->isEnabled());
}

}  // namespace
}  // namespace quillon
