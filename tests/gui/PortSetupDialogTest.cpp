#include "dnc/ui/PortSetupDialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
#include "dnc/PortSetups.h"
#include "gui/GuiTestSupport.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class PortSetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write(kComConfFile,
                  readFile(std::string(QUILLON_TEST_DATA) + "/ComConf-shop.sys").value());
    }

    std::unique_ptr<PortSetupDialog> open(int selected = 0)
    {
        setups.select(selected);
        auto dialog = std::make_unique<PortSetupDialog>(setups, dir.workDir(), notifier, files);
        dialog->show();
        return dialog;
    }

    // Picks a setup by name as the user does: the list drops down, then a name is chosen.
    static void pick(PortSetupDialog& dialog, int index)
    {
        emit dialog.nameCombo()->aboutToDropDown();
        dialog.nameCombo()->setCurrentIndex(index);
        emit dialog.nameCombo()->activated(index);
    }

    test::TempWorkDir dir;
    PortSetups setups;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
};

TEST_F(PortSetupDialogTest, OpensOnTheSelectedSetupFromTheFile)
{
    auto dialog = open(0);
    test::saveScreenshot(*dialog, "port-setup-dialog");
    EXPECT_EQ(dialog->windowTitle(), "Configure / manualDNC");
    ASSERT_EQ(dialog->nameCombo()->count(), 10);
    EXPECT_EQ(dialog->nameCombo()->itemText(0), "Haas VF-2");
    EXPECT_EQ(dialog->nameCombo()->currentIndex(), 0);
    EXPECT_TRUE(test::radioIn(*dialog, "Port", "Com2")->isChecked());
    EXPECT_TRUE(test::radioIn(*dialog, "Baud", "38.4K")->isChecked());
    EXPECT_TRUE(test::radioIn(*dialog, "EOB Character", "CRLF")->isChecked());
    EXPECT_TRUE(test::radioIn(*dialog, "Code", "ISO")->isChecked());
    EXPECT_TRUE(test::findByText<QCheckBox>(*dialog, "Xon/Xoff")->isChecked());
    EXPECT_FALSE(test::findByText<QCheckBox>(*dialog, "Wait for XON")->isChecked());
    EXPECT_EQ(test::edit(*dialog, "null")->text(), "20");
    EXPECT_EQ(test::edit(*dialog, "rxStart")->text(), "%");
    EXPECT_EQ(test::edit(*dialog, "txDirectory")->text(), "C:\\NC\\HAAS\\OUT");
    EXPECT_TRUE(test::findByText<QPushButton>(*dialog, "Save && Exit"));
}

TEST_F(PortSetupDialogTest, ABlockProtocolSetupDisablesTheHandshakes)
{
    auto dialog = open(1);  // Fanuc DNC
    test::saveScreenshot(*dialog, "port-setup-dialog-fanuc");
    EXPECT_TRUE(test::findByText<QCheckBox>(*dialog, "Fanuc DNC")->isChecked());
    EXPECT_FALSE(test::findByText<QCheckBox>(*dialog, "Xon/Xoff")->isChecked());
    EXPECT_FALSE(test::findByText<QCheckBox>(*dialog, "Xon/Xoff")->isEnabled());
    EXPECT_FALSE(test::findByText<QCheckBox>(*dialog, "Hardware")->isEnabled());
    EXPECT_FALSE(test::findByText<QCheckBox>(*dialog, "Wait for XON")->isEnabled());
    EXPECT_TRUE(test::radioIn(*dialog, "Baud", "110")->isChecked());
    EXPECT_EQ(test::edit(*dialog, "txStart")->text(), "^R");

    // Showing a plain setup afterwards brings the handshakes back.
    pick(*dialog, 0);
    EXPECT_FALSE(test::findByText<QCheckBox>(*dialog, "Fanuc DNC")->isChecked());
    EXPECT_TRUE(test::findByText<QCheckBox>(*dialog, "Xon/Xoff")->isEnabled());
    EXPECT_TRUE(test::findByText<QCheckBox>(*dialog, "Hardware")->isEnabled());
}

TEST_F(PortSetupDialogTest, HandshakeAndProtocolClicks)
{
    auto dialog = open(0);
    QCheckBox* xon = test::findByText<QCheckBox>(*dialog, "Xon/Xoff");
    QCheckBox* wait = test::findByText<QCheckBox>(*dialog, "Wait for XON");
    QCheckBox* hardware = test::findByText<QCheckBox>(*dialog, "Hardware");
    QCheckBox* mazak = test::findByText<QCheckBox>(*dialog, "MAZAK");
    QCheckBox* heidenhain = test::findByText<QCheckBox>(*dialog, "HEIDENHAIN");

    wait->click();
    EXPECT_TRUE(wait->isChecked());
    xon->click();  // off: "Wait for XON" goes with it
    EXPECT_FALSE(wait->isChecked());
    EXPECT_FALSE(wait->isEnabled());
    xon->click();
    EXPECT_TRUE(wait->isEnabled());
    EXPECT_FALSE(wait->isChecked());

    wait->click();
    hardware->click();
    heidenhain->click();
    mazak->click();  // a second protocol replaces the first
    EXPECT_TRUE(mazak->isChecked());
    EXPECT_FALSE(heidenhain->isChecked());
    for (QCheckBox* box : {xon, wait, hardware}) {
        EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
        EXPECT_FALSE(box->isEnabled()) << box->text().toStdString();
    }
    mazak->click();  // unchecked: the handshakes may be chosen again
    EXPECT_TRUE(xon->isEnabled());
    EXPECT_TRUE(hardware->isEnabled());
    EXPECT_FALSE(wait->isEnabled());
}

TEST_F(PortSetupDialogTest, EditsSurviveSwitchingAndCancelDiscardsThem)
{
    auto dialog = open(0);
    test::edit(*dialog, "null")->setText("7");
    test::radioIn(*dialog, "Port", "Com9")->click();
    pick(*dialog, 3);
    EXPECT_EQ(setups.selectedIndex(), 3);
    EXPECT_EQ(setups.record(0).nullCount, 7);
    EXPECT_EQ(setups.record(0).port, 8);
    pick(*dialog, 0);
    EXPECT_EQ(test::edit(*dialog, "null")->text(), "7");
    EXPECT_TRUE(test::radioIn(*dialog, "Port", "Com9")->isChecked());
    const std::string before = dir.read(kComConfFile);

    dialog->reject();
    EXPECT_EQ(setups.record(0).nullCount, 20);
    EXPECT_EQ(setups.record(0).port, 1);
    EXPECT_EQ(dir.read(kComConfFile), before);
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(PortSetupDialogTest, ChangeNameAndSaveAndExit)
{
    auto dialog = open(2);
    test::findByText<QPushButton>(*dialog, "Change name")->click();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"No name specified"});

    dialog->nameEdit()->setText("Bridgeport (retrofit)");
    test::findByText<QPushButton>(*dialog, "Change name")->click();
    EXPECT_EQ(dialog->nameCombo()->itemText(2), "Bridgeport (retrofit)");
    EXPECT_EQ(setups.record(2).name, "Bridgeport (retrofit)");

    test::edit(*dialog, "null")->setText("250");
    test::edit(*dialog, "txEnd")->setText("^a");
    test::edit(*dialog, "rxEnd")->setText("^T");
    test::edit(*dialog, "commentFilter")->setText(" (");
    test::findByText<QCheckBox>(*dialog, "Keep port open")->click();
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    PortSetups saved;
    loadPortSetups(saved, dir.workDir());
    const PortSetup& setup = saved.record(2);
    EXPECT_EQ(setup.name, "Bridgeport (retrofit)");
    EXPECT_EQ(setup.nullCount, 100);
    EXPECT_EQ(setup.txEnd, '^');
    EXPECT_EQ(setup.rxEnd, 20);
    EXPECT_EQ(setup.commentFilter, 0);
    EXPECT_EQ(setup.keepPortOpen, KeepPortOpen::WantedNotOpen);
    EXPECT_EQ(setup.code, CharacterCode::Eia);
    EXPECT_EQ(setup.baud, 11);
    EXPECT_EQ(saved.record(0).name, "Haas VF-2");
    EXPECT_EQ(notifier.shown().size(), 1u);
}

TEST_F(PortSetupDialogTest, KeepPortOpenKeepsTheOpenStateAndNegativeNullsBecomeZero)
{
    auto dialog = open(4);  // "TNC 426", kept open by the last run
    EXPECT_TRUE(test::findByText<QCheckBox>(*dialog, "Keep port open")->isChecked());
    EXPECT_TRUE(test::findByText<QCheckBox>(*dialog, "HEIDENHAIN")->isChecked());
    test::edit(*dialog, "null")->setText("-5");
    dialog->accept();
    EXPECT_EQ(setups.record(4).keepPortOpen, KeepPortOpen::Open);
    EXPECT_EQ(setups.record(4).nullCount, 0);
    EXPECT_EQ(setups.record(4).handshake, Handshake::Heidenhain);
}

TEST_F(PortSetupDialogTest, TheFolderButtonsAskForAFolder)
{
    auto dialog = open(0);
    files.script(std::string("/srv/nc/haas/out"));
    QPushButton* browse = nullptr;
    for (auto* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "...") {
            browse = button;
            break;
        }
    }
    ASSERT_TRUE(browse);
    browse->click();
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].directory, "C:\\NC\\HAAS\\OUT");
    EXPECT_EQ(test::edit(*dialog, "txDirectory")->text(), "/srv/nc/haas/out");
}

// The check as a user outside the dialout group meets it: the tests run as root, who
// opens even a device of mode 000.
DeviceCheck checkAsOrdinaryUser(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && (status.st_mode & 0666) == 0)
        return {DeviceAccess::Denied, EACCES};
    return checkDeviceAccess(path);
}

TEST_F(PortSetupDialogTest, ShowsTheDeviceBehindThePortAndWhyItCannotBeUsed)
{
    // The first setup uses COM2.
    dir.write("ttyUSB0", "");
    dir.write("ttyUSB1", "");
    ASSERT_EQ(::chmod(dir.path("ttyUSB1").c_str(), 0), 0);
    struct Row {
        const char* scenario;
        std::string device;
        QString shown;
    };
    const Row rows[] = {
        {"present", dir.path("ttyUSB0"), ""},
        {"missing", dir.path("ttyUSB9"), ": not found"},
        {"not permitted", dir.path("ttyUSB1"),
         ": access denied (the user must be in the dialout group)"},
    };
    for (const Row& row : rows) {
        dir.write(kComDevicesFile, "\n" + row.device + "\n");
        auto dialog = open(0);
        dialog->setDeviceAccessCheck(checkAsOrdinaryUser);
        test::saveScreenshot(*dialog, QString("port-setup-dialog-device-") + row.scenario);
        EXPECT_EQ(dialog->portDevice(), QString::fromUtf8("COM2 \u2014 ") +
                                            QString::fromStdString(row.device) + row.shown)
            << row.scenario;
    }
}

TEST_F(PortSetupDialogTest, TheDeviceFollowsThePortChoiceAndTheEnvironment)
{
    dir.write(kComDevicesFile, "\n\n\n\n" + dir.path("ttyACM0") + "\n");
    dir.write("ttyACM0", "");
    const test::ComOverride com9(9, dir.path("pts-link"));
    auto dialog = open(0);
    test::radioIn(*dialog, "Port", "Com5")->click();
    EXPECT_EQ(dialog->portDevice(),
              QString::fromUtf8("COM5 \u2014 ") + QString::fromStdString(dir.path("ttyACM0")));
    test::radioIn(*dialog, "Port", "Com9")->click();
    EXPECT_EQ(dialog->portDevice(), QString::fromUtf8("COM9 \u2014 ") +
                                        QString::fromStdString(dir.path("pts-link")) +
                                        ": not found");
    // Showing the device changes nothing that is stored.
    dialog->reject();
    EXPECT_EQ(setups.record(0).port, 1);
}

}  // namespace
}  // namespace quillon
