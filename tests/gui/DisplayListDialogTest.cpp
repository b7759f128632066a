#include "monitoring/ui/DisplayListDialog.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>

#include "gui/GuiTestSupport.h"
#include "monitoring/HubSetup.h"
#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// Ten slots; the ninth name is hub 1, port 0 whatever its block's header says.
constexpr char kHubConfiguration[] =
    "NM:MILL 1\r\nNM:TWIN 2\r\nNM:PALLET 3\r\nNM:BARE 4\r\nNM:ODD 5\r\nNM:OFF 6\r\nNM:\r\n"
    "NM:\r\nNM:MILL 9\r\n";
// BARE 4 has no TH: line of its own: the next block's is not borrowed.
constexpr char kMonitorSetup[] =
    "1,1\r\nON:1\r\nTH:0\r\n"
    "1,2\r\nON:1\r\nXX:7\r\nTH:1\r\n"
    "1,3\r\nON:1\r\nTH:2\r\n"
    "1,4\r\nON:1\r\n"
    "1,5\r\nON:1\r\nTH:7\r\n"
    "1,6\r\nON:0\r\nTH:0\r\n"
    "1,7\r\nON:0\r\n"
    "1,8\r\nON:0\r\n"
    "5,5\r\nON:1\r\nTH:1\r\n";

TEST(DisplayListTest, AMachineIsIdentifiedByItsNmLineAndItsBlocksStationKind)
{
    const auto configuration = HubConfiguration::parse(kHubConfiguration);
    const auto setup = MonitorSetup::parse(kMonitorSetup);
    const struct {
        const char* scenario;
        const char* name;
        std::optional<DisplayedMachine> expected;
    } cases[] = {
        {"single station", "MILL 1", DisplayedMachine{{0, 0}, StationKind::Single}},
        {"two heads", "TWIN 2", DisplayedMachine{{0, 1}, StationKind::TwoHeads}},
        {"two pallets", "PALLET 3", DisplayedMachine{{0, 2}, StationKind::TwoPallets}},
        {"ninth name counts as hub 1", "MILL 9", DisplayedMachine{{1, 0}, StationKind::TwoHeads}},
        {"no TH: line in its block", "BARE 4", std::nullopt},
        {"a kind no view knows", "ODD 5", std::nullopt},
        {"not named by the hub", "LATHE 12", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        EXPECT_EQ(identifyMachine(c.name, configuration, setup), c.expected);
    }
}

TEST(DisplayListTest, TheDialogOffersAtMost127Machines)
{
    std::vector<std::string> names;
    for (int n = 0; n < 130; ++n)
        names.push_back("M" + std::to_string(n));
    DisplayListDialog dialog(names);
    EXPECT_EQ(dialog.windowTitle(), "Display/List");
    EXPECT_EQ(dialog.selectButton()->text(), "Select");
    EXPECT_EQ(dialog.machines()->count(), 127);
    EXPECT_EQ(dialog.chosen(), "M0");
    dialog.machines()->setCurrentRow(126);
    EXPECT_EQ(dialog.chosen(), "M126");

    const DisplayListDialog empty({});
    EXPECT_FALSE(empty.selectButton()->isEnabled());
    EXPECT_FALSE(empty.chosen());
}

class DisplayListChoiceTest : public ::testing::Test {
protected:
    DisplayListChoiceTest() { makePath(hub + "/_SETUP"); }

    // Picks the row and presses Select in the dialog that opens next; the names offered.
    std::optional<DisplayedMachine> choose(int row)
    {
        test::onNextDialog<DisplayListDialog>([this, row](DisplayListDialog& dialog) {
            for (int n = 0; n < dialog.machines()->count(); ++n)
                offered.push_back(dialog.machines()->item(n)->text().toStdString());
            dialog.machines()->setCurrentRow(row);
            test::saveScreenshot(dialog, "display-list-dialog");
            dialog.selectButton()->click();
        });
        return chooseDisplayedMachine(hub + "/", notifier, nullptr);
    }

    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub";
    ScriptedNotifier notifier;
    std::vector<std::string> offered;
};

TEST_F(DisplayListChoiceTest, SelectGivesTheSlotAndKindOrSaysWhyNot)
{
    // Neither hub file yet, then only the configuration.
    EXPECT_FALSE(chooseDisplayedMachine(hub + "/", notifier, nullptr));
    EXPECT_FALSE(chooseDisplayedMachine("", notifier, nullptr));
    test::writeBytes(hub + "/_SETUP/CairnConf.sys", kHubConfiguration);
    EXPECT_FALSE(chooseDisplayedMachine(hub + "/", notifier, nullptr));
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{std::string(kHubSetupNotFound),
                                                          std::string(kHubSetupNotFound),
                                                          std::string(kMonitorSetupNotFound)}));

    notifier.clear();
    test::writeBytes(hub + "/_SETUP/MonSetup.sys", kMonitorSetup);
    EXPECT_EQ(choose(5), (DisplayedMachine{{1, 0}, StationKind::TwoHeads}));
    EXPECT_EQ(offered, (std::vector<std::string>{"MILL 1", "TWIN 2", "PALLET 3", "BARE 4", "ODD 5",
                                                 "MILL 9"}));
    EXPECT_TRUE(notifier.shown().empty());

    EXPECT_FALSE(choose(3));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{std::string(kCannotIdentifyMachine)});
}

}  // namespace
}  // namespace quillon
