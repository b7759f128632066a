#include "dnc/ui/SelectConfigurationDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "dnc/ComConfFile.h"
#include "dnc/PortSetups.h"
#include "gui/GuiTestSupport.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

QStringList expectedSummary(const PortSetup& setup)
{
    QStringList lines;
    for (const auto& line : setupSummaryLines(setup))
        lines << QString::fromStdString(line);
    return lines;
}

TEST(SelectConfigurationDialog, ShowsTheSummaryOfTheChosenSetup)
{
    test::TempWorkDir dir;
    dir.write(kComConfFile,
              readFile(std::string(QUILLON_TEST_DATA) + "/ComConf-shop.sys").value());
    PortSetups setups;
    setups.select(4);
    SelectConfigurationDialog dialog(setups, dir.workDir());
    dialog.show();
    test::saveScreenshot(dialog, "select-configuration-dialog");
    EXPECT_EQ(dialog.windowTitle(), "Select configuration");
    EXPECT_EQ(dialog.nameCombo()->count(), 10);
    EXPECT_EQ(dialog.nameCombo()->currentIndex(), 4);
    const QStringList shown = dialog.summaryTexts();
    EXPECT_EQ(shown, expectedSummary(setups.record(4)));
    EXPECT_EQ(shown[0], "PORT: COM6");
    EXPECT_EQ(shown[1], "PORT STAYS OPEN");
    EXPECT_EQ(shown[6], "XON: HEIDENHAIN");

    dialog.nameCombo()->setCurrentIndex(1);
    EXPECT_EQ(setups.selectedIndex(), 1);
    EXPECT_EQ(setups.workingCopy().name, "Fanuc 0i lathe");
    EXPECT_EQ(dialog.summaryTexts(), expectedSummary(setups.record(1)));
    EXPECT_EQ(dialog.summaryTexts()[1], "");
    EXPECT_EQ(dialog.summaryTexts()[10], "Tx START CH: ^R");
}

}  // namespace
}  // namespace quillon
