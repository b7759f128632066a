// Terminal mode and the tick driver on pseudo-terminals: the tests play the controls.
#include "dnc/ui/TerminalWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "dnc/ComDeviceMap.h"
#include "dnc/PortsInUse.h"
#include "gui/GuiTestSupport.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/PosixSerialLine.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::ComOverride;
using test::PseudoTerminal;

class TerminalWindowTest : public ::testing::Test {
protected:
    PortSetup setupOn(int port, const std::string& name)
    {
        PortSetup setup = PortSetup::defaults(port);
        setup.port = static_cast<std::uint8_t>(port);
        setup.name = name;
        setup.code = CharacterCode::Bin;  // 8 data bits, bytes as they come
        return setup;
    }
    // Ticks until the condition holds, as the 50 ms timer would, while the bytes cross the
    // pseudo-terminal. The test checks what it waited for itself.
    template <typename Condition>
    void tickUntil(Condition condition, int ms = 2000)
    {
        (void)QTest::qWaitFor(
            [&] {
                windows.tick();
                return condition();
            },
            ms);
    }
    static QStringList shown(const TerminalWindow& window)
    {
        QStringList lines;
        for (int i = 0; i < window.incoming()->count(); ++i)
            lines << window.incoming()->item(i)->text();
        return lines;
    }

    test::TempWorkDir dir;
    PseudoTerminal first;
    PseudoTerminal second;
    ComOverride com1{1, first.devicePath()};
    ComOverride com2{2, second.devicePath()};
    ComDeviceMap devices = ComDeviceMap::load(dir.workDir());
    PortsInUse ports;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    CommWindows windows{
        ports, devices,
        [](const std::string& path, std::string* error) -> std::shared_ptr<SerialLine> {
            return PosixSerialLine::open(path, error);
        },
        notifier, files};
};

TEST_F(TerminalWindowTest, TwoTerminalsWorkSideBySideAndABusyPortIsRefused)
{
    auto* one = qobject_cast<TerminalWindow*>(windows.openTerminal(setupOn(0, "MILL"), nullptr));
    auto* two = qobject_cast<TerminalWindow*>(windows.openTerminal(setupOn(1, "LATHE"), nullptr));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->windowTitle(), "Terminal mode using setup: MILL");
    EXPECT_TRUE(ports.isInUse(0) && ports.isInUse(1));
    // Each control is greeted with one XON.
    EXPECT_EQ(first.receive(1), std::string(1, kXon));
    EXPECT_EQ(second.receive(1), std::string(1, kXon));

    first.send("N10 G01\nN20");
    second.send("T0101\n");
    tickUntil([&] { return shown(*one).size() == 2 && shown(*two).size() == 2; });
    EXPECT_EQ(shown(*one), (QStringList{"N10 G01^J", "N20"}));
    EXPECT_EQ(shown(*two), (QStringList{"T0101^J", " "}));
    test::saveScreenshot(*one, "terminal-window");

    EXPECT_EQ(windows.openTerminal(setupOn(0, "AGAIN"), nullptr), nullptr);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Selected COM port is already busy"});

    one->close();
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_TRUE(ports.isInUse(1));
    QPointer<TerminalWindow> second = two;
    QTest::keyClick(two, Qt::Key_Escape);  // Escape ends a terminal as its close box does
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_FALSE(ports.isInUse(1));
}

TEST_F(TerminalWindowTest, TypingSendsCharactersCaretFormsAndOnlyThePastesLast)
{
    auto* window = qobject_cast<TerminalWindow*>(windows.openTerminal(setupOn(0, "M"), nullptr));
    ASSERT_TRUE(window);
    first.receive(1);  // the greeting
    window->activateWindow();
    window->outgoing()->setFocus();
    QTest::keyClicks(window->outgoing(), "G^q^1");
    EXPECT_EQ(first.receive(3), std::string("G\x11\0", 3));
    QApplication::clipboard()->setText("N10 G01 X5");
    QTest::keyClick(window->outgoing(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(first.receive(10, 300), "5");
    QTest::keyClick(window->outgoing(), Qt::Key_Backspace);  // deleting sends nothing
    EXPECT_EQ(first.receive(1, 300), "");
    window->close();
}

TEST_F(TerminalWindowTest, EnterSendsTheSetupsEndOfBlockAndEndsNothing)
{
    struct Case {
        const char* name;
        EndOfBlock endOfBlock;
        Qt::Key key;
        std::string sent;
    };
    for (const Case& c : {Case{"CR", EndOfBlock::Cr, Qt::Key_Return, "\r"},
                          Case{"LF", EndOfBlock::Lf, Qt::Key_Return, "\n"},
                          Case{"CR LF", EndOfBlock::CrLf, Qt::Key_Return, "\r\n"},
                          Case{"CR LF, keypad Enter", EndOfBlock::CrLf, Qt::Key_Enter, "\r\n"}}) {
        SCOPED_TRACE(c.name);
        PortSetup setup = setupOn(0, "M");
        setup.endOfBlock = c.endOfBlock;
        QPointer<TerminalWindow> window =
            qobject_cast<TerminalWindow*>(windows.openTerminal(setup, nullptr));
        ASSERT_TRUE(window);
        first.receive(1);  // the greeting
        window->activateWindow();
        window->outgoing()->setFocus();
        QTest::keyClicks(window->outgoing(), "N1");
        EXPECT_EQ(first.receive(2), "N1");
        QTest::keyClick(window->outgoing(), c.key);
        EXPECT_EQ(first.receive(c.sent.size() + 1, 300), c.sent);
        // Enter belongs to the typing: it neither presses Exit nor closes the window.
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->outgoing()->text(), "N1");
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull());
    }
}

TEST_F(TerminalWindowTest, LongLinesBreakAndAControlThatGoesAwayEndsTheWindow)
{
    QPointer<TerminalWindow> window =
        qobject_cast<TerminalWindow*>(windows.openTerminal(setupOn(0, "M"), nullptr));
    ASSERT_TRUE(window);
    first.send(std::string(200, 'X'));
    tickUntil([&] { return shown(*window).size() == 3; });
    const QStringList lines = shown(*window);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), 81);
    EXPECT_EQ(lines[1].size(), 81);

    first.closeMaster();
    tickUntil([&] { return window.isNull(); });
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"COM1 is no longer available"});
}

TEST_F(TerminalWindowTest, AKeptOpenLineServesOneWindowAfterTheOther)
{
    PortSetup setup = setupOn(1, "KEPT");
    setup.keepPortOpen = KeepPortOpen::Open;
    setup.handle = PosixSerialLine::open(second.devicePath());
    ASSERT_TRUE(setup.handle);
    for (int run = 0; run < 2; ++run) {
        auto* window = windows.openTerminal(setup, nullptr);
        ASSERT_TRUE(window);
        EXPECT_EQ(second.receive(1), std::string(1, kXon));  // through the same line
        window->close();
        EXPECT_TRUE(setup.handle->isOpen());
    }
}

// A window's tick that waits (in a message box, say) lets the timer fire again: those
// ticks are skipped, and the windows take their turns in port order.
class RecordingWindow : public CommWindow {
public:
    RecordingWindow(CommWindows& owner, const PortSetup& setup, std::vector<int>& turns)
        : CommWindow(owner, CommWindowKind::Receive, setup), m_turns(turns)
    {
    }
    void tick() override
    {
        m_turns.push_back(portIndex());
        owner().tick();  // what a nested event loop would do
    }

protected:
    bool holdsPort() const override { return false; }
    void dropPort() override {}

private:
    std::vector<int>& m_turns;
};

TEST_F(TerminalWindowTest, TheTickDriverGoesByPortAndNeverOverlaps)
{
    std::vector<int> turns;
    std::vector<std::unique_ptr<RecordingWindow>> recorders;
    for (const int port : {4, 1, 7}) {
        recorders.push_back(std::make_unique<RecordingWindow>(windows, setupOn(port, "R"), turns));
        windows.registerWindow(recorders.back().get());
        if (port != 7)
            ports.markInUse(port);  // COM8's window has not marked its port yet
    }
    windows.tick();
    EXPECT_EQ(turns, (std::vector<int>{1, 4}));
}

}  // namespace
}  // namespace quillon
