// The termios backend on pseudo-terminals: the test holds the control's side.
#include "platform/PosixSerialLine.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <thread>

#include "dnc/PortSetup.h"
#include "support/PseudoTerminal.h"

namespace quillon {
namespace {

class PosixSerialLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        std::string error;
        line = PosixSerialLine::open(pty.devicePath(), &error);
        ASSERT_TRUE(line) << error;
    }

    // Asks for the status until the condition holds (the line works on its own clock).
    template <typename Condition>
    LineStatus statusUntil(Condition condition, int ms = 2000)
    {
        LineStatus status = line->status();
        for (int waited = 0; !condition(status) && waited < ms; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            status = line->status();
        }
        return status;
    }

    test::PseudoTerminal pty;
    std::shared_ptr<PosixSerialLine> line;
};

// A pseudo-terminal always reports 8 data bits without parity, whatever was asked: the
// framing is checked on the settings handed to the driver, the rest as the control's side
// reads it back.
TEST_F(PosixSerialLineTest, EachWindowKindConfiguresTheFramingTheControlSees)
{
    PortSetup setup = PortSetup::defaults(0);
    setup.baud = 3;  // 2400
    setup.code = CharacterCode::Eia;
    setup.handshake = Handshake::Heidenhain;
    struct Case {
        CommWindowKind kind;
        tcflag_t size;
        bool parity;
        bool twoStops;
    };
    for (const Case c : {Case{CommWindowKind::Transmit, CS7, true, true},
                         Case{CommWindowKind::Receive, CS7, true, false},
                         Case{CommWindowKind::Terminal, CS8, false, false}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const LineSettings settings = lineSettings(setup, c.kind);
        const termios asked = PosixSerialLine::termiosFor(pty.settings(), settings).value();
        EXPECT_EQ(asked.c_cflag & CSIZE, c.size);
        EXPECT_EQ((asked.c_cflag & PARENB) != 0, c.parity);
        EXPECT_EQ(asked.c_cflag & PARODD, 0u);
        EXPECT_EQ(asked.c_iflag & INPCK, 0u);  // bytes with a parity error come through

        ASSERT_EQ(line->configure(settings), ConfigureResult::Ok);
        const termios seen = pty.settings();
        EXPECT_EQ((seen.c_cflag & CSTOPB) != 0, c.twoStops);
        EXPECT_EQ(::cfgetospeed(&seen), B2400);
        EXPECT_EQ(::cfgetispeed(&seen), B2400);
        EXPECT_NE(seen.c_iflag & IXON, 0u);
        EXPECT_NE(seen.c_iflag & IXOFF, 0u);
        EXPECT_EQ(seen.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
        EXPECT_EQ(seen.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(seen.c_oflag & OPOST, 0u);
        EXPECT_EQ(seen.c_cc[VSTART], kXon);
        EXPECT_EQ(seen.c_cc[VSTOP], kXoff);
    }
    setup.handshake = Handshake::None;
    setup.hardwareHandshake = 1;
    ASSERT_EQ(line->configure(lineSettings(setup, CommWindowKind::Receive)), ConfigureResult::Ok);
    EXPECT_EQ(pty.settings().c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(pty.settings().c_cflag & CRTSCTS, 0u);

    LineSettings odd;
    odd.baudRate = 12345;
    EXPECT_EQ(line->configure(odd), ConfigureResult::CannotSet);
}

TEST_F(PosixSerialLineTest, BytesTravelBothWaysUntouched)
{
    ASSERT_EQ(line->configure(LineSettings{}), ConfigureResult::Ok);
    const std::string program("%\r\nN10 G01 X1.\r\n\x80\xFF\x00M30\n", 22);
    line->write(program);
    EXPECT_EQ(pty.receive(program.size()), program);
    pty.send(program);
    const LineStatus status =
        statusUntil([&](const LineStatus& s) { return s.inQueue == program.size(); });
    EXPECT_EQ(status.inQueue, program.size());
    EXPECT_EQ(line->read(5), program.substr(0, 5));
    EXPECT_EQ(line->read(100), program.substr(5));
    EXPECT_EQ(line->read(100), "");
    // A pseudo-terminal has neither modem lines nor error counters: nothing held, no
    // errors, and setting RTS or DTR is no failure.
    line->setRts(false);
    line->setDtr(false);
    const LineStatus quiet = line->status();
    EXPECT_FALSE(quiet.ctsHold || quiet.dsrHold || quiet.xoffHold || quiet.lost);
    EXPECT_EQ(quiet.errors, 0u);
}

TEST_F(PosixSerialLineTest, TheControlsXoffStopsTheOutputAndXonResumesIt)
{
    LineSettings settings;
    settings.softwareFlow = true;
    ASSERT_EQ(line->configure(settings), ConfigureResult::Ok);
    pty.send(std::string(1, kXoff));
    statusUntil([](const LineStatus&) { return false; }, 50);  // let the driver see it
    line->write("N10 G01\n");
    EXPECT_EQ(pty.receive(8, 300), "");
    const LineStatus held = statusUntil([](const LineStatus& s) { return s.xoffHold; });
    EXPECT_TRUE(held.xoffHold);
    EXPECT_EQ(held.outQueue, 8u);
    pty.send(std::string(1, kXon));
    EXPECT_FALSE(statusUntil([](const LineStatus& s) { return !s.xoffHold; }).xoffHold);
    EXPECT_EQ(pty.receive(8), "N10 G01\n");
    EXPECT_EQ(line->read(10), "");  // the flow characters are the driver's, not data
}

TEST_F(PosixSerialLineTest, HoldingForXonKeepsEverythingBackUntilTheControlsXon)
{
    LineSettings settings;
    settings.softwareFlow = true;
    ASSERT_EQ(line->configure(settings), ConfigureResult::Ok);
    line->holdOutputUntilXon();
    line->write("%\nN10\n");
    EXPECT_TRUE(line->status().xoffHold);
    EXPECT_EQ(pty.receive(6, 300), "");
    pty.send("AB");  // not an XON: still held, the bytes are data
    EXPECT_TRUE(statusUntil([](const LineStatus& s) { return s.inQueue == 2; }).xoffHold);
    pty.send(std::string(1, kXon) + "C");
    const LineStatus released = statusUntil([](const LineStatus& s) { return !s.xoffHold; });
    EXPECT_FALSE(released.xoffHold);
    EXPECT_EQ(pty.receive(6), "%\nN10\n");
    statusUntil([](const LineStatus& s) { return s.inQueue == 3; });
    EXPECT_EQ(line->read(10), "ABC");  // the XON itself is no data
    // Back to the driver's own XON/XOFF afterwards.
    EXPECT_NE(pty.settings().c_iflag & IXON, 0u);
}

TEST_F(PosixSerialLineTest, WritesNeverWaitAndPurgeDropsWhatIsPending)
{
    ASSERT_EQ(line->configure(LineSettings{}), ConfigureResult::Ok);
    // Nobody reads the control's side yet: the driver fills up and the rest waits with us.
    std::string program;
    for (int i = 0; program.size() < (256u << 10); ++i)
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i % 97) + "\n";
    line->write(program);
    EXPECT_TRUE(line->writePending());
    EXPECT_GT(line->status().outQueue, 0u);
    // Each tick pushes what the driver has room for again.
    std::string arrived;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (arrived.size() < program.size() && std::chrono::steady_clock::now() < deadline) {
        line->status();
        arrived += pty.receive(program.size() - arrived.size(), 20);
    }
    EXPECT_EQ(arrived, program);
    EXPECT_FALSE(line->writePending());

    line->write(program);
    line->purge();
    EXPECT_FALSE(line->writePending());
}

TEST_F(PosixSerialLineTest, AControlThatGoesAwayIsReportedAsLost)
{
    ASSERT_EQ(line->configure(LineSettings{}), ConfigureResult::Ok);
    pty.closeMaster();
    const LineStatus status = statusUntil([](const LineStatus& s) { return s.lost; });
    EXPECT_TRUE(status.lost);
    line->write("N10\n");  // no crash, no wait
    EXPECT_EQ(line->read(10), "");
    line->close();
    EXPECT_FALSE(line->isOpen());
}

}  // namespace
}  // namespace quillon
