// The Receive window on pseudo-terminals: the tests play the control.
#include "dnc/ui/ReceiveWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>

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

class ReceiveWindowTest : public test::CommWindowTest {
protected:
    ReceiveJob job(Handshake handshake = Handshake::XonXoff)
    {
        ReceiveJob job;
        job.setup = PortSetup::defaults(0);
        job.setup.name = "LATHE";
        job.setup.handshake = handshake;
        job.setup.baud = 9;
        job.path = dir.path("O2000.NC");
        return job;
    }
    std::string stored() const { return readFile(dir.path("O2000.NC")).value_or("<none>"); }
    static QStringList rows(const ReceiveWindow& window)
    {
        QStringList texts;
        for (int i = 0; i < window.lines()->count(); ++i)
            texts << window.lines()->item(i)->text();
        return texts;
    }
};

TEST_F(ReceiveWindowTest, AProgramComesInLineByLineAndStaysWhenTheUserExits)
{
    QPointer<CommWindow> window = windows.openReceive(job(), nullptr);
    ASSERT_TRUE(window);
    auto* receive = qobject_cast<ReceiveWindow*>(window.data());
    EXPECT_EQ(window->windowTitle(),
              QString::fromStdString("Receive: " + dir.path("O2000.NC") + " using setup: LATHE"));
    EXPECT_EQ(receive->lineCounter()->text(), "Line: 0");
    EXPECT_EQ(receive->statusLine()->text(), " ");
    tickUntil([&] { return !sent.empty(); });
    EXPECT_EQ(sent, "\x11");  // XON: the control may send
    EXPECT_TRUE(ports.isInUse(0));

    std::string program;
    for (int i = 1; i <= 20; ++i)
        program += "N" + std::to_string(i * 10) + " G01 X" + std::to_string(i) + "\n";
    control.send(program + "M3");
    tickUntil([&] { return receive->lineCounter()->text() == "Line: 20"; });
    EXPECT_EQ(receive->lineCounter()->text(), "Line: 20");
    const QStringList shown = rows(*receive);
    ASSERT_EQ(shown.size(), ReceiveWindow::kListLines);
    EXPECT_EQ(shown.front(), "N90 G01 X9");
    EXPECT_EQ(shown[11], "N200 G01 X20");
    EXPECT_EQ(shown.back(), "M3");
    test::saveScreenshot(*window, "receive-window");

    notifier.script({NoticeAnswer::No});
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(notifier.shown().back().text, "Are you sure you want to exit?");
    EXPECT_EQ(notifier.shown().back().title, "Warning");
    notifier.script({NoticeAnswer::Yes});
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ports.isInUse(0));
    std::string expected;
    for (std::size_t at = 0; at < program.size(); ++at)
        expected += program[at] == '\n' ? std::string("\r\n") : std::string(1, program[at]);
    EXPECT_EQ(stored(), expected + "M3");  // all that had arrived
}

TEST_F(ReceiveWindowTest, AControlThatHangsUpEndsTheWindowAndWhatCameIsKept)
{
    dir.write("O2000.NC", "OLD");
    QPointer<CommWindow> window = windows.openReceive(job(), nullptr);
    ASSERT_TRUE(window);
    control.send("N1\nN2");
    tickUntil([&] { return stored() == "N1\r\nN2"; });
    control.closeMaster();
    tickUntil([&] { return window.isNull(); });
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_EQ(notifier.texts().back(), "COM1 is no longer available");
    EXPECT_EQ(stored(), "N1\r\nN2");
}

TEST_F(ReceiveWindowTest, AHeidenhainReceptionEndsByItselfAtEtx)
{
    QPointer<CommWindow> window = windows.openReceive(job(Handshake::Heidenhain), nullptr);
    ASSERT_TRUE(window);
    const auto framed = [](char first, const std::string& data) {
        const std::string bytes = first + data + "\x17";
        char check = 0;
        for (const char byte : bytes)
            check = static_cast<char>(check ^ byte);
        return bytes + static_cast<char>(check & 0x7F);
    };
    control.send(framed('\x01', "%42"));
    tickUntil([&] { return sent.size() == 1; });
    control.send(framed('\x02', "L X+1 FMAX"));
    tickUntil([&] { return sent.size() == 2; });
    EXPECT_EQ(sent, "\x06\x06");
    control.send("\x03");
    tickUntil([&] { return window.isNull(); });
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_EQ(stored(), "%42\r\nL X+1 FMAX\r\n");
}

}  // namespace
}  // namespace quillon
