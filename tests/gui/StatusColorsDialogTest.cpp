// The status colour dialog: which names can be edited, OK keeping the edits for the run
// without touching the hub's file, Cancel reading the file again, and odd files.
#include "monitoring/ui/StatusColorsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "gui/GuiTestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/TextFile.h"
#include "platform/ui/QtColorRef.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class StatusColorsDialogTest : public ::testing::Test {
protected:
    StatusColorsDialogTest() { std::filesystem::create_directories(hub + "_SETUP"); }

    void writeColorFile(const std::string& bytes)
    {
        ASSERT_TRUE(replaceFileAtomically(hub + "_SETUP/GraphColor.sys", bytes).ok);
    }
    QLineEdit* nameField(StatusColorsDialog& dialog, int index)
    {
        return dialog.findChild<QLineEdit*>(QStringLiteral("name%1").arg(index));
    }
    QPushButton* colorButton(StatusColorsDialog& dialog, int index)
    {
        return dialog.findChild<QPushButton*>(QStringLiteral("color%1").arg(index));
    }

    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub/";
    StatusTable table = StatusTable::defaults();
};

TEST_F(StatusColorsDialogTest, OffersTheFreeNamesAndFeedHoldForEditing)
{
    StatusColorsDialog dialog(table, hub);
    EXPECT_EQ(dialog.windowTitle(), "Setting Monitoring display/graph/pie colors");
    struct Row {
        const char* scenario;
        int index;
        bool field;
        bool editable;
    };
    const Row rows[] = {
        {"CYCLE ON is shown fixed", 0, true, false},
        {"SETUP is shown fixed", 2, true, false},
        {"first free place", 3, true, true},
        {"last free place", 30, true, true},
        {"LOADING has no field", 31, false, false},
        {"ALARM has no field", 33, false, false},
        {"FEED HOLD may be renamed", 35, true, true},
        {"CYCLE ON\\SPINDLE ON has no field", 36, false, false},
    };
    for (const Row& row : rows) {
        QLineEdit* field = nameField(dialog, row.index);
        ASSERT_EQ(field != nullptr, row.field) << row.scenario;
        if (field != nullptr) {
            EXPECT_EQ(!field->isReadOnly(), row.editable) << row.scenario;
        }
        EXPECT_NE(colorButton(dialog, row.index), nullptr) << row.scenario;
    }
    test::saveScreenshot(dialog, "status-colors");
}

TEST_F(StatusColorsDialogTest, OkKeepsTheEditsForTheRunWithoutWritingTheFile)
{
    const std::string file = "1,0,16777215\r\n65280,CYCLE ON\r\n";
    writeColorFile(file);
    table = readStatusTable(hub);
    {
        StatusColorsDialog dialog(table, hub);
        dialog.setColorPicker([](QColor, QString) { return QColor(1, 2, 3); });
        nameField(dialog, 4)->setText("WAITING FOR CRANE");
        nameField(dialog, 35)->setText("HOLD");
        colorButton(dialog, 4)->click();
        dialog.findChild<QCheckBox*>()->setChecked(false);
        dialog.accept();
    }
    EXPECT_EQ(table.names[4], "WAITING FOR CRANE");
    EXPECT_EQ(table.names[kStatusFeedHold], "HOLD");
    EXPECT_EQ(table.colors[4], colorRef(1, 2, 3));
    EXPECT_FALSE(table.gradient);
    EXPECT_EQ(table.names[kStatusCycleOn], "CYCLE ON");
    EXPECT_EQ(readFile(hub + "_SETUP/GraphColor.sys"), file) << "the hub owns the file";

    // Cancel goes back to the file, dropping what OK took over.
    {
        StatusColorsDialog dialog(table, hub);
        EXPECT_EQ(nameField(dialog, 4)->text(), "WAITING FOR CRANE");
        nameField(dialog, 5)->setText("NOT KEPT");
        dialog.reject();
    }
    EXPECT_EQ(table.names[4], "");
    EXPECT_EQ(table.names[5], "");
    EXPECT_EQ(table.colors[4], StatusTable::defaults().colors[4]);
    EXPECT_TRUE(table.gradient);
}

TEST_F(StatusColorsDialogTest, CancelOverAShortOrBrokenFileGivesWhatTheFileHasOverTheDefaults)
{
    struct Row {
        const char* scenario;
        std::string bytes;
        std::string name3;
        std::uint32_t color0;
    };
    const Row rows[] = {
        {"missing file", "", "", StatusTable::defaults().colors[0]},
        {"only the first line", "0,0,0\r\n", "", StatusTable::defaults().colors[0]},
        {"two entries", "1,0,0\r\n255,CYCLE ON\r\n128,COOLANT\r\n", "", 255},
        {"fourth line names entry 3", "1\r\n1,A\r\n2,B\r\n3,C\r\n4,PROBING\r\n", "PROBING", 1},
        {"binary bytes", std::string("\xff\x00\x01,\x80\r\n\x00\x02,\xfe\xfd", 12), "",
         StatusTable::defaults().colors[0]},
    };
    for (const Row& row : rows) {
        if (row.bytes.empty())
            std::filesystem::remove(hub + "_SETUP/GraphColor.sys");
        else
            writeColorFile(row.bytes);
        table.names[3] = "EDITED";
        StatusColorsDialog dialog(table, hub);
        dialog.reject();
        EXPECT_EQ(table.names[3], row.name3) << row.scenario;
        EXPECT_EQ(table.colors[0], row.color0) << row.scenario;
        EXPECT_EQ(table.names[kStatusNoOstler], "NO Ostler") << row.scenario;
    }
}

}  // namespace
}  // namespace quillon
