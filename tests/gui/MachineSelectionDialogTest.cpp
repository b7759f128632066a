#include "monitoring/ui/MachineSelectionDialog.h"

#include <gtest/gtest.h>

#include <QListWidget>

#include "gui/GuiTestSupport.h"
#include "monitoring/HubSetup.h"

namespace quillon {
namespace {

TEST(MachineSelectionDialogTest, ListsTheNamedSlotsAndGivesTheChosenOnesHubAndPort)
{
    // Slot 1 is unused; the tenth name is hub 1, port 1.
    std::string conf = "NM:MILL 1\r\nDT:/srv/mill1\r\nNM:\r\n";
    for (int k = 2; k < 10; ++k)
        conf += "NM:LATHE " + std::to_string(k) + "\r\n";
    const HubConfiguration configuration = HubConfiguration::parse(conf);
    MachineSelectionDialog dialog(configuration);
    EXPECT_EQ(dialog.windowTitle(), "Machine Selection");
    ASSERT_EQ(dialog.machines()->count(), 9);
    EXPECT_EQ(dialog.machines()->item(0)->text(), "MILL 1");
    EXPECT_EQ(dialog.chosen(), (MachineSlot{0, 0}));
    dialog.machines()->setCurrentRow(8);
    EXPECT_EQ(dialog.machines()->currentItem()->text(), "LATHE 9");
    EXPECT_EQ(dialog.chosen(), (MachineSlot{1, 1}));
    test::saveScreenshot(dialog, "machine-selection-dialog");

    const MachineSelectionDialog empty(HubConfiguration::parse(""));
    EXPECT_EQ(empty.machines()->count(), 0);
    EXPECT_FALSE(empty.chosen());
}

}  // namespace
}  // namespace quillon
