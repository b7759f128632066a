// The "Machine Display" window fed through a link as the hub feeds it: the answer to the
// names, the buttons made by the first states, their colours tick by tick, sorting, and
// the place file.
#include "monitoring/ui/MachineDisplayWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

#include "gui/GuiTestSupport.h"
#include "platform/Clock.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr std::int32_t kHub = ipv4Of(10, 0, 0, 1);
constexpr std::int32_t kLocal = ipv4Of(10, 0, 0, 5);
// The client as the hub knows it: its address as one decimal number.
const std::string kIdentity = std::to_string(kLocal);

// "_MCHINI:" with the names hub by hub (missing ones empty).
std::string namesDatagram(const std::vector<std::string>& names)
{
    std::string bytes(kMachineNamesWord);
    for (int slot = 0; slot < kMachineSlots; ++slot) {
        if (std::size_t(slot) < names.size())
            bytes += names[std::size_t(slot)];
        bytes += '\0';
    }
    return bytes;
}

std::string statesDatagram(const MachineStates& states)
{
    std::string bytes(kMachineStatesWord);
    for (const MachineState& state : states) {
        bytes += state.monitored ? '\1' : '\0';
        bytes += state.inCycle ? '\1' : '\0';
    }
    return bytes;
}

QColor fillOf(const QPushButton* button)
{
    const QString style = button->styleSheet();
    const auto at = style.indexOf("background-color: ") + int(strlen("background-color: "));
    return QColor(style.mid(at, 7));
}

class MachineDisplayWindowTest : public ::testing::Test {
protected:
    MachineDisplayWindowTest()
        : link(kHub, kLocal, clock,
               [this](std::string_view bytes) {
                   sent.emplace_back(bytes.substr(0, bytes.find('\0')));
               }),
          statuses(StatusTable::defaults()),
          env{dir.workDir(), notifier, clock, link, "", statuses, viewSettings}
    {
    }

    MachineDisplayWindow* open()
    {
        window = new MachineDisplayWindow(env);
        return window;
    }
    void fromHub(const std::string& bytes) { link.datagramArrived(bytes, kHub); }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    FixedClock clock{1'700'000'000};
    std::vector<std::string> sent;
    HubLink link;
    StatusTable statuses;
    MonitorViewSettings viewSettings;
    MonitorEnvironment env;
    QPointer<MachineDisplayWindow> window;
    MachineStates states{};
};

TEST_F(MachineDisplayWindowTest, AnswersTheNamesAndMakesTheButtonsFromTheFirstStates)
{
    open();
    EXPECT_EQ(window->windowTitle(), "Machine Display");
    EXPECT_EQ(window->sortAction()->text(), "&Sort");
    EXPECT_EQ(window->timer().interval(), 1000);

    fromHub(namesDatagram({"LATHE 1", "MILL 2"}));
    EXPECT_EQ(sent, std::vector<std::string>{"_MCHUPDATE," + kIdentity});
    EXPECT_EQ(window->machineButton(0), nullptr) << "no buttons before the states";

    states[1] = {true, true};
    fromHub(statesDatagram(states));
    ASSERT_NE(window->machineButton(0), nullptr);
    EXPECT_EQ(window->machineButton(0)->text(), "LATHE 1");
    EXPECT_EQ(window->machineButton(1)->text(), "MILL 2");
    EXPECT_EQ(window->machineButton(8), nullptr) << "hub 1 monitors nothing";
    EXPECT_EQ(window->groupButton(0)->text(), "Group 1");
    EXPECT_EQ(window->groupButton(15)->text(), "Group 16");
    EXPECT_EQ(window->machineButton(7)->geometry(), QRect(0, 270, 80, 30));
    EXPECT_EQ(fillOf(window->machineButton(1)), QColor(Qt::red));

    window->tick();
    EXPECT_EQ(fillOf(window->machineButton(1)), QColor(Qt::green));
    EXPECT_EQ(fillOf(window->groupButton(0)), QColor(Qt::red));
    window->tick();
    EXPECT_EQ(fillOf(window->groupButton(0)), QColor(Qt::green));
    EXPECT_NE(fillOf(window->machineButton(0)), QColor(Qt::red)) << "not monitored";

    // A truncated states datagram changes nothing.
    fromHub(std::string(kMachineStatesWord) + std::string(10, '\0'));
    window->tick();
    EXPECT_EQ(fillOf(window->machineButton(1)), QColor(Qt::green));
    window->close();
}

TEST_F(MachineDisplayWindowTest, SortingMovesTheButtonsByNameAndHidesTheGroups)
{
    open();
    window->show();
    fromHub(namesDatagram({"ZETA", "ALPHA"}));
    states[0] = {true, false};
    fromHub(statesDatagram(states));
    const QRect first = window->machineButton(0)->geometry();

    window->sortAction()->trigger();
    EXPECT_EQ(window->sortAction()->text(), "Un&sort");
    EXPECT_FALSE(window->groupButton(0)->isVisible());
    // Six unnamed machines, then ALPHA, then ZETA in the last place of hub 0.
    EXPECT_EQ(window->machineButton(1)->geometry(), QRect(0, 240, 80, 30));
    EXPECT_EQ(window->machineButton(0)->geometry(), QRect(0, 270, 80, 30));

    window->sortAction()->trigger();
    EXPECT_EQ(window->sortAction()->text(), "&Sort");
    EXPECT_TRUE(window->groupButton(0)->isVisible());
    EXPECT_EQ(window->machineButton(0)->geometry(), first);
    window->close();
}

TEST_F(MachineDisplayWindowTest, RegistersWithTheLinkWhileOpen)
{
    open();
    // The link sends the first request on the third tick after opening.
    for (int i = 0; i < 3; ++i) {
        clock.advance(1);
        link.timerTick();
    }
    EXPECT_EQ(sent, std::vector<std::string>{"MCH_VIEW," + kIdentity});
    fromHub(statesDatagram(states));
    window->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "closing deletes the window";
    // The machine feed was active: the next datagram ends it rather than reaching a window
    // that is gone.
    sent.clear();
    fromHub(namesDatagram({"X"}));
    EXPECT_EQ(sent, std::vector<std::string>{"MCH_DISCONNECT," + kIdentity});
}

TEST_F(MachineDisplayWindowTest, KeepsItsPlaceAndScrollPositionInItsFile)
{
    dir.write("mcdpos.sys", "-40\r\n560\r\n30\r\n430\r\n90\r\n");
    open();
    EXPECT_EQ(window->geometry(), QRect(0, 30, 600, 400)) << "off the left edge: moved to 0";
    EXPECT_EQ(window->scrollBar()->value(), 90);
    EXPECT_EQ(window->scrollBar()->maximum(), 330);
    EXPECT_EQ(window->scrollBar()->singleStep(), 30);
    EXPECT_EQ(window->scrollBar()->pageStep(), 240);

    window->setGeometry(20, 40, 500, 300);
    window->scrollBar()->setValue(120);
    window->close();
    EXPECT_EQ(dir.read("mcdpos.sys"), "20\r\n520\r\n40\r\n340\r\n120\r\n");
}

TEST_F(MachineDisplayWindowTest, Screenshot)
{
    open();
    std::vector<std::string> names;
    for (int slot = 0; slot < kMachineSlots; ++slot)
        names.push_back((slot % 3 == 0   ? "LATHE "
                         : slot % 3 == 1 ? "MILL "
                                         : "BORER ") +
                        std::to_string(slot + 1));
    fromHub(namesDatagram(names));
    for (int slot = 0; slot < kMachineSlots; ++slot)
        states[std::size_t(slot)] = {slot % 5 != 4, slot % 3 != 2 && slot % 16 < 12};
    // Hub 3 has every machine in cycle: its group turns green.
    for (int port = 0; port < kPortsPerHub; ++port)
        states[std::size_t(MachineSlot{3, port}.index())] = {true, true};
    fromHub(statesDatagram(states));
    for (int i = 0; i < 3; ++i)
        window->tick();
    EXPECT_EQ(fillOf(window->machineButton(0)), QColor(Qt::green));
    EXPECT_EQ(fillOf(window->machineButton(2)), QColor(Qt::red));
    EXPECT_EQ(fillOf(window->groupButton(3)), QColor(Qt::green));
    EXPECT_EQ(fillOf(window->groupButton(0)), QColor(Qt::red));
    window->resize(740, 660);
    window->show();
    test::saveScreenshot(*window, "monitor-machines");
    window->close();
}

}  // namespace
}  // namespace quillon
