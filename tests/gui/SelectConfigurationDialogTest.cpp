#include "dnc/ui/SelectConfigurationDialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>

#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
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

TEST(SelectConfigurationDialog, ShowsTheDeviceBehindTheChosenSetupsPort)
{
    test::TempWorkDir dir;
    dir.write(kComConfFile,
              readFile(std::string(QUILLON_TEST_DATA) + "/ComConf-shop.sys").value());
    // The setups shown use COM6, COM2 and COM3.
    dir.write("ttyUSB0", "");
    dir.write("ttyUSB1", "");
    ASSERT_EQ(::chmod(dir.path("ttyUSB1").c_str(), 0), 0);
    dir.write(kComDevicesFile, "\n" + dir.path("ttyUSB1") + "\n" + dir.path("ttyUSB9") + "\n\n\n" +
                                   dir.path("ttyUSB0") + "\n");
    PortSetups setups;
    setups.select(4);
    SelectConfigurationDialog dialog(setups, dir.workDir());
    dialog.setDeviceAccessCheck([](const std::string& path) {
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0 && (status.st_mode & 0666) == 0)
            return DeviceCheck{DeviceAccess::Denied, EACCES};
        return checkDeviceAccess(path);
    });
    dialog.show();
    const QString dash = QString::fromUtf8(" \u2014 ");
    const QString summary = dialog.summaryTexts()[0];
    EXPECT_EQ(dialog.portDevice(), "COM6" + dash + QString::fromStdString(dir.path("ttyUSB0")));

    dialog.nameCombo()->setCurrentIndex(0);
    EXPECT_EQ(dialog.portDevice(), "COM2" + dash + QString::fromStdString(dir.path("ttyUSB1")) +
                                       ": access denied (the user must be in the dialout group)");
    test::saveScreenshot(dialog, "select-configuration-dialog-denied");
    dialog.nameCombo()->setCurrentIndex(1);
    EXPECT_EQ(dialog.portDevice(),
              "COM3" + dash + QString::fromStdString(dir.path("ttyUSB9")) + ": not found");
    // The summary keeps its own lines.
    EXPECT_EQ(dialog.summaryTexts(), expectedSummary(setups.record(1)));
    EXPECT_EQ(summary, "PORT: COM6");
}

}  // namespace
}  // namespace quillon
