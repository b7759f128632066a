// The Transmit window on pseudo-terminals: the tests play the control.
#include "dnc/ui/TransmitWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

#include <thread>

#include "dnc/ComDeviceMap.h"
#include "dnc/PortsInUse.h"
#include "gui/CommWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/PosixSerialLine.h"
#include "platform/TextFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class TransmitWindowTest : public test::CommWindowTest {
protected:
    TransmitJob jobFor(const std::string& bytes)
    {
        dir.write("O1000.NC", bytes);
        TransmitJob job;
        job.setup = PortSetup::defaults(0);
        job.setup.name = "MILL";
        job.setup.code = CharacterCode::Bin;
        job.setup.txEnd = 0;
        job.setup.baud = 9;  // 115200: the line's pace keeps a test program short in time
        job.path = dir.path("O1000.NC");
        return job;
    }
};

TEST_F(TransmitWindowTest, AProgramGoesOutAndTheWindowClosesWhenItHasLeft)
{
    std::string program;
    for (int i = 0; program.size() < 20000; ++i)
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i % 50) + ".\r\n";
    QPointer<CommWindow> window = windows.openTransmit(jobFor(program), nullptr);
    ASSERT_TRUE(window);
    auto* transmit = qobject_cast<TransmitWindow*>(window.data());
    EXPECT_EQ(window->windowTitle(),
              QString::fromStdString("Transmit: " + dir.path("O1000.NC") + " using setup: MILL"));
    EXPECT_EQ(transmit->progress()->text(), "0 %");
    EXPECT_TRUE(ports.isInUse(0));
    tickUntil([&] { return transmit->progress()->value() == 100; });
    EXPECT_EQ(transmit->progress()->text(), "100 %");
    EXPECT_EQ(transmit->statusLine()->text(), "Transmitting..");
    test::saveScreenshot(*window, "transmit-window");
    EXPECT_LE(transmit->lines()->count(), TransmitWindow::kListLines);
    tickUntil([&] { return window.isNull(); });
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(sent == program) << sent.size() << " of " << program.size() << " bytes";
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(TransmitWindowTest, ExitAsksFirstAndAControlThatHangsUpEndsTheWindow)
{
    TransmitJob job = jobFor(std::string(200000, 'X'));
    job.setup.handshake = Handshake::XonXoffWaitForXon;  // nothing leaves before the XON
    QPointer<CommWindow> window = windows.openTransmit(job, nullptr);
    ASSERT_TRUE(window);
    tickUntil([] { return false; }, 100);
    EXPECT_EQ(qobject_cast<TransmitWindow*>(window.data())->statusLine()->text(),
              "Waiting for start of XON");
    test::saveScreenshot(*window, "transmit-window-waiting-for-xon");
    EXPECT_EQ(sent, "");

    notifier.script({NoticeAnswer::No});
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(notifier.shown().back().text, "Are you sure you want to exit?");
    EXPECT_EQ(notifier.shown().back().title, "Warning");
    EXPECT_TRUE(ports.isInUse(0));

    control.send(std::string(1, kXon));
    tickUntil([&] { return !sent.empty(); });
    EXPECT_FALSE(sent.empty());
    control.closeMaster();
    tickUntil([&] { return window.isNull(); });
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_EQ(notifier.texts().back(), "COM1 is no longer available");
    EXPECT_EQ(readFile(job.path).value(), std::string(200000, 'X'));  // never touched

    test::PseudoTerminal again;
    const test::ComOverride com2(2, again.devicePath());
    const ComDeviceMap devices2 = ComDeviceMap::load(dir.workDir());
    CommWindows windows2{
        ports, devices2,
        [](const std::string& path, std::string* error) -> std::shared_ptr<SerialLine> {
            return PosixSerialLine::open(path, error);
        },
        notifier, files};
    job.setup.port = 1;
    window = windows2.openTransmit(job, nullptr);
    ASSERT_TRUE(window);
    notifier.script({NoticeAnswer::Yes});
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ports.isInUse(1));
}

TEST_F(TransmitWindowTest, AControlThatFallsSilentMidExchangeIsWaitedForUntilExit)
{
    TransmitJob job = jobFor("O1234\n" + std::string(2000, 'X') + "\n");
    job.setup.handshake = Handshake::FanucDnc;
    job.fanucProgram = true;
    QPointer<CommWindow> window = windows.openTransmit(job, nullptr);
    ASSERT_TRUE(window);
    tickUntil([&] { return !sent.empty(); });
    EXPECT_EQ(sent, "\x05");  // ENQ, and the control answers it, then nothing more
    control.send(
        "\x10"
        "0");
    tickUntil([&] { return sent.size() > 1; });
    EXPECT_EQ(sent.size(), 1u + 12u);  // the header went out
    // The engine counts ticks, not time: two minutes of silence go by at once.
    for (int i = 0; i < 2 * 60 * 20 + 1 && window; ++i)
        windows.tick();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(qobject_cast<TransmitWindow*>(window.data())->statusLine()->text(),
              "Waiting for the control 2:00");
    EXPECT_TRUE(ports.isInUse(0));
    // Exit ends the wait.
    notifier.script({NoticeAnswer::Yes});
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_EQ(readFile(job.path).value(), "O1234\n" + std::string(2000, 'X') + "\n");
}

TEST_F(TransmitWindowTest, ABusyPortGetsNoSecondWindow)
{
    const TransmitJob job = jobFor("N10\n");
    ports.markInUse(0);
    EXPECT_EQ(windows.openTransmit(job, nullptr), nullptr);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Selected COM port is already busy"});
}

}  // namespace
}  // namespace quillon
