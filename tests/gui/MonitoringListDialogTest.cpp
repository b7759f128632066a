#include "monitoring/ui/MonitoringListDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "gui/GuiTestSupport.h"
#include "monitoring/ui/ListTitleDialog.h"
#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// Nine machines; the ninth name is hub 1, port 0. LATHE 3 is not monitored, MILL 1 is named
// twice, and the block of the ninth machine places it on hub 2, port 1 (its header "3,2"
// counts from 1) rather than where its NM: line is.
constexpr char kHubConfiguration[] =
    "NM:MILL 1\r\nNM:MILL 2\r\nNM:LATHE 3\r\nNM:MILL 1\r\nNM:\r\nNM:LATHE 6\r\nNM:LATHE 7\r\n"
    "NM:LATHE 8\r\nNM:MILL 9\r\n";
constexpr char kMonitorSetup[] =
    "1,1\r\nON:1\r\nTH:0\r\n"
    "1,2\r\nON:1\r\nTH:1\r\n"
    "1,3\r\nON:0\r\nTH:0\r\n"
    "1,4\r\nON:1\r\nTH:0\r\n"
    "1,5\r\nON:0\r\n"
    "1,6\r\nON:0\r\n"
    "1,7\r\nON:0\r\n"
    "1,8\r\nON:0\r\n"
    "3,2\r\nON:1\r\nTH:2\r\n";

std::vector<QString> texts(const QListWidget* list)
{
    std::vector<QString> rows;
    for (int row = 0; row < list->count(); ++row)
        rows.push_back(list->item(row)->text());
    return rows;
}

void select(QListWidget* list, std::initializer_list<int> rows)
{
    list->clearSelection();
    for (const int row : rows)
        list->item(row)->setSelected(true);
}

class MonitoringListDialogTest : public ::testing::Test {
protected:
    MonitoringListDialogTest()
    {
        makePath(hub + "/_SETUP");
        test::writeBytes(hub + "/_SETUP/CairnConf.sys", kHubConfiguration);
        test::writeBytes(hub + "/_SETUP/MonSetup.sys", kMonitorSetup);
    }

    std::unique_ptr<MonitoringListDialog> makeDialog()
    {
        return std::make_unique<MonitoringListDialog>(dir.workDir(),
                                                      *readHubConfiguration(hub + "/"),
                                                      *readMonitorSetup(hub + "/"), notifier);
    }

    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub";
    ScriptedNotifier notifier;
};

TEST_F(MonitoringListDialogTest, OpensWithTheMonitoredMachinesBothListsAndTheLimitedSettings)
{
    dir.write("MonList.sys", "_MT_Shop floor,ignored\r\nMILL 2,0,1\r\nGONE\r\n");
    // Out of range settings come in limited, and the settings line is no row.
    dir.write("MonList2.sys", "MILL 9,2,1\r\n_ST_Cell B\r\n::::3,5,400,0,1\r\n");
    const auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), "Monitoring list");
    EXPECT_EQ(texts(dialog->monitored()), (std::vector<QString>{"MILL 1", "MILL 2", "MILL 9"}));
    EXPECT_EQ(texts(dialog->list(DisplayedList::DetailedGraph)),
              (std::vector<QString>{"_MT_Shop floor", "MILL 2", "GONE"}));
    EXPECT_EQ(texts(dialog->list(DisplayedList::TimeLine)),
              (std::vector<QString>{"MILL 9", "_ST_Cell B"}));
    EXPECT_EQ(test::edit(*dialog, "refresh")->text(), "5");
    EXPECT_EQ(test::edit(*dialog, "detailedRotation")->text(), "0");
    EXPECT_EQ(test::edit(*dialog, "graphRotation")->text(), "300");
    EXPECT_EQ(test::edit(*dialog, "timelineRotation")->text(), "0");
    EXPECT_TRUE(dialog->piecesBox()->isChecked());
    EXPECT_EQ(dialog->piecesBox()->text(), "Display 'Piece' instead of 'Cycle'");
    test::saveScreenshot(*dialog, "monitoring-list-dialog");

    // Without either list: empty lists and the default settings.
    std::filesystem::remove(dir.path("MonList.sys"));
    std::filesystem::remove(dir.path("MonList2.sys"));
    const auto fresh = makeDialog();
    EXPECT_EQ(fresh->list(DisplayedList::DetailedGraph)->count(), 0);
    EXPECT_EQ(fresh->list(DisplayedList::TimeLine)->count(), 0);
    EXPECT_EQ(fresh->settings(), MonitorViewSettings{});
}

TEST_F(MonitoringListDialogTest, AddInsertAndDeleteMoveTheHighlightedMachines)
{
    dir.write("MonList2.sys", "_MT_Top\r\nMILL 2\r\n");
    const auto dialog = makeDialog();
    QListWidget* monitored = dialog->monitored();
    QListWidget* timeline = dialog->list(DisplayedList::TimeLine);
    QListWidget* detailed = dialog->list(DisplayedList::DetailedGraph);

    // Nothing highlighted: said, nothing added.
    dialog->addButton(DisplayedList::TimeLine)->click();
    dialog->insertButton(DisplayedList::DetailedGraph)->click();
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{std::string(kNoListMachineSelected),
                                                          std::string(kNoListMachineSelected)}));
    EXPECT_EQ(timeline->count(), 2);
    EXPECT_EQ(detailed->count(), 0);

    // Highlighted bottom first: added in list order, MILL 2 (already there) not again.
    notifier.clear();
    monitored->item(2)->setSelected(true);
    monitored->item(1)->setSelected(true);
    monitored->item(0)->setSelected(true);
    dialog->addButton(DisplayedList::TimeLine)->click();
    EXPECT_EQ(texts(timeline), (std::vector<QString>{"_MT_Top", "MILL 2", "MILL 1", "MILL 9"}));
    dialog->addButton(DisplayedList::TimeLine)->click();
    EXPECT_EQ(timeline->count(), 4);

    // Insert goes before the current row; into an empty list (no current row) it appends.
    select(monitored, {2});
    dialog->insertButton(DisplayedList::DetailedGraph)->click();
    select(monitored, {0, 1});
    detailed->setCurrentRow(0);
    dialog->insertButton(DisplayedList::DetailedGraph)->click();
    EXPECT_EQ(texts(detailed), (std::vector<QString>{"MILL 1", "MILL 2", "MILL 9"}));

    // Delete takes every highlighted row of its own list only.
    select(timeline, {0, 2});
    dialog->deleteButton(DisplayedList::TimeLine)->click();
    EXPECT_EQ(texts(timeline), (std::vector<QString>{"MILL 2", "MILL 9"}));
    EXPECT_EQ(detailed->count(), 3);
    timeline->clearSelection();
    dialog->deleteButton(DisplayedList::TimeLine)->click();
    EXPECT_EQ(timeline->count(), 2);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(kNoListMachineSelected)});
}

TEST_F(MonitoringListDialogTest, TitlesAreAskedForAndGoInTheDetailedGraphList)
{
    dir.write("MonList.sys", "MILL 1\r\nMILL 2\r\n");
    const auto dialog = makeDialog();
    QListWidget* detailed = dialog->list(DisplayedList::DetailedGraph);
    QString prompt;
    const auto typeTitle = [&prompt](const QString& typed, bool ok) {
        test::onNextDialog<ListTitleDialog>([&prompt, typed, ok](ListTitleDialog& title) {
            prompt = title.findChild<QLabel*>()->text();
            QTest::keyClicks(title.titleEdit(), typed);
            test::saveScreenshot(title, "machine-list-title-dialog");
            ok ? title.accept() : title.reject();
        });
    };

    typeTitle("Shop floor", true);
    test::findByText<QPushButton>(*dialog, "Add MainTitle")->click();
    EXPECT_EQ(prompt, "Type in main title");
    detailed->setCurrentRow(1);
    // A comma would cut the title when the list is read back: it cannot be typed.
    typeTitle("Cell A, left", true);
    test::findByText<QPushButton>(*dialog, "Insert SubTitle")->click();
    EXPECT_EQ(prompt, "Type in sub title");
    EXPECT_EQ(texts(detailed),
              (std::vector<QString>{"MILL 1", "_ST_Cell A left", "MILL 2", "_MT_Shop floor"}));

    // Cancel, or OK on an empty title, adds nothing; the timeline list never gets titles.
    typeTitle("Ignored", false);
    test::findByText<QPushButton>(*dialog, "Add SubTitle")->click();
    typeTitle("", true);
    test::findByText<QPushButton>(*dialog, "Insert MainTitle")->click();
    EXPECT_EQ(detailed->count(), 4);
    EXPECT_EQ(dialog->list(DisplayedList::TimeLine)->count(), 0);
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(MonitoringListDialogTest, PiecesAreShownOnlyAfterTheWarningIsAnsweredYes)
{
    const auto dialog = makeDialog();
    QCheckBox* pieces = dialog->piecesBox();
    notifier.script({NoticeAnswer::No});
    pieces->click();
    EXPECT_FALSE(pieces->isChecked());
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, kPiecesWarning);
    EXPECT_EQ(notifier.shown()[0].title, kPiecesWarningTitle);
    EXPECT_EQ(notifier.shown()[0].buttons, NoticeButtons::YesNo);

    notifier.script({NoticeAnswer::Yes});
    pieces->click();
    EXPECT_TRUE(pieces->isChecked());
    // Going back to cycles asks nothing.
    pieces->click();
    EXPECT_FALSE(pieces->isChecked());
    EXPECT_EQ(notifier.shown().size(), 2u);
}

TEST_F(MonitoringListDialogTest, OkWritesBothListsWithTheHubsPlacesAndTheLimitedSettings)
{
    dir.write("MonList.sys", "_MT_Shop floor\r\nMILL 2\r\nGONE,4,4\r\n");
    dir.write("MonList2.sys", "MILL 1\r\n::::10,0,0,0,0\r\n");
    const auto dialog = makeDialog();
    select(dialog->monitored(), {2});
    dialog->addButton(DisplayedList::DetailedGraph)->click();
    dialog->addButton(DisplayedList::TimeLine)->click();
    test::edit(*dialog, "refresh")->setText("3");
    test::edit(*dialog, "detailedRotation")->setText("5");
    test::edit(*dialog, "graphRotation")->setText("400");
    test::edit(*dialog, "timelineRotation")->setText("");
    notifier.script({NoticeAnswer::Yes});
    dialog->piecesBox()->click();
    dialog->show();
    dialog->accept();

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    // MILL 9 is placed by its block's header; a name the hub does not know stays bare.
    EXPECT_EQ(dir.read("MonList.sys"), "_MT_Shop floor\r\nMILL 2,0,1\r\nGONE\r\nMILL 9,2,1\r\n");
    EXPECT_EQ(dir.read("MonList2.sys"), "MILL 1,0,0\r\nMILL 9,2,1\r\n::::5,0,300,0,1\r\n");
    const MonitorViewSettings expected{5, 0, 300, 0, true};
    EXPECT_EQ(dialog->written(), expected);
    EXPECT_TRUE(dialog->written().rotationOn());
}

TEST_F(MonitoringListDialogTest, AListThatCannotBeWrittenIsSaidAndTheDialogStays)
{
    dir.write("MonList2.sys", "MILL 1\r\n::::20,0,0,0,0\r\n");
    const auto dialog = makeDialog();
    // A folder in the way of the timeline list.
    std::filesystem::remove(dir.path("MonList2.sys"));
    ASSERT_TRUE(makePath(dir.path("MonList2.sys") + "/keep"));
    dialog->show();
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text.rfind("Could not save MonList2.sys: ", 0), 0u)
        << notifier.shown()[0].text;
    EXPECT_EQ(dialog->written().refreshSeconds, 20);
}

}  // namespace
}  // namespace quillon
