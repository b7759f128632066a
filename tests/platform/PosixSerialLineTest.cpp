// The termios backend: its timing and flow rules on a fake device with a clock moved by hand,
// and the real thing on pseudo-terminals, where the test holds the control's side.
#include "platform/PosixSerialLine.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <thread>

#include "dnc/PortSetup.h"
#include "dnc/SerialLine.h"
#include "support/FakeSerialLineDevice.h"
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

    // Ticks the line until its status meets the condition (it works on its own clock).
    template <typename Condition>
    LineStatus statusUntil(Condition condition, int ms = 2000)
    {
        line->service();
        LineStatus status = line->status();
        for (int waited = 0; !condition(status) && waited < ms; waited += 10) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            line->service();
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
    EXPECT_FALSE(line->takeErrors().any());
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
        line->service();
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

// ---- The rules, on a fake device -----------------------------------------------------------

using namespace std::chrono_literals;

class SerialLineRulesTest : public ::testing::Test {
protected:
    void configure(LineSettings settings)
    {
        ASSERT_EQ(line->configure(settings), ConfigureResult::Ok);
    }
    // A tick after `elapsed`: the line's work, then its status.
    LineStatus tickAfter(std::chrono::milliseconds elapsed)
    {
        clock.advance(elapsed);
        line->service();
        return line->status();
    }

    std::shared_ptr<test::FakeSerialLineDevice> device =
        std::make_shared<test::FakeSerialLineDevice>();
    ManualSteadyClock clock;
    std::shared_ptr<PosixSerialLine> line = PosixSerialLine::over(device, clock);
};

TEST_F(SerialLineRulesTest, OutputThatStopsMovingIsHeldByXoffAfterThreeCharactersTime)
{
    struct Case {
        int baud;
        std::chrono::milliseconds stall;
    };
    for (const Case c : {Case{9600, 150ms}, Case{300, 150ms}, Case{110, 300ms}}) {
        SCOPED_TRACE(c.baud);
        LineSettings settings;
        settings.baudRate = c.baud;
        settings.softwareFlow = true;
        configure(settings);
        line->write("N10 G01\n");  // the driver takes it; the control's XOFF keeps it there
        EXPECT_FALSE(tickAfter(0ms).xoffHold);
        EXPECT_FALSE(tickAfter(c.stall - 1ms).xoffHold);
        const LineStatus held = tickAfter(1ms);
        EXPECT_TRUE(held.xoffHold);
        EXPECT_EQ(held.outQueue, 8u);
        device->transmit(3);  // the XON came: it moves again
        EXPECT_FALSE(tickAfter(c.stall).xoffHold);
        device->transmit();
        EXPECT_FALSE(tickAfter(c.stall).xoffHold);  // nothing waits: nothing held
    }
}

TEST_F(SerialLineRulesTest, HoldingForXonKeepsEverythingBackUntilTheControlsXon)
{
    LineSettings settings;
    settings.softwareFlow = true;
    configure(settings);
    line->holdOutputUntilXon();
    EXPECT_TRUE(device->outputStopped);
    EXPECT_EQ(device->settings.c_iflag & IXON, 0u);  // the XON must reach us
    line->write("%\nN10\n");
    EXPECT_EQ(device->driverQueue, "");
    device->send("AB");  // not an XON: still held, the bytes are data
    LineStatus status = tickAfter(50ms);
    EXPECT_TRUE(status.xoffHold);
    EXPECT_EQ(status.inQueue, 2u);
    device->send(std::string(1, kXon) + "C");
    status = tickAfter(50ms);
    EXPECT_FALSE(status.xoffHold);
    EXPECT_FALSE(device->outputStopped);
    EXPECT_NE(device->settings.c_iflag & IXON, 0u);  // the driver's own XON/XOFF again
    EXPECT_EQ(device->driverQueue, "%\nN10\n");
    EXPECT_EQ(line->read(10), "ABC");  // the XON itself is no data
}

TEST_F(SerialLineRulesTest, WithHardwareHandshakeALowDsrHoldsTheOutputAsCtsWould)
{
    LineSettings settings;
    settings.hardwareFlow = true;  // 9600 8N1: 960 characters a second
    configure(settings);
    device->modem = TIOCM_CTS;  // the control's DTR is down
    line->write("N10\n");
    EXPECT_EQ(device->driverQueue, "");  // looked at before the write
    EXPECT_TRUE(device->outputStopped);
    LineStatus status = tickAfter(50ms);
    EXPECT_TRUE(status.dsrHold);
    EXPECT_FALSE(status.ctsHold);
    EXPECT_EQ(status.outQueue, 4u);

    device->modem = TIOCM_CTS | TIOCM_DSR;
    status = tickAfter(50ms);
    EXPECT_FALSE(status.dsrHold);
    EXPECT_FALSE(device->outputStopped);
    EXPECT_EQ(device->driverQueue, "N10\n");
    device->transmit();
    tickAfter(50ms);

    // A long program: the driver gets a tenth of a second of it at a time.
    const std::string program(5000, 'X');
    line->write(program);
    EXPECT_EQ(device->driverQueue.size(), 96u);
    device->transmit(48);
    tickAfter(50ms);
    EXPECT_EQ(device->driverQueue.size(), 96u);
    // DSR drops: the driver stops at once and nothing more is handed over.
    device->modem = TIOCM_CTS;
    device->transmit(10);
    status = tickAfter(50ms);
    EXPECT_TRUE(status.dsrHold);
    EXPECT_TRUE(device->outputStopped);
    device->transmit();
    line->write("M30\n");
    EXPECT_EQ(device->driverQueue.size(), 86u);
    EXPECT_EQ(device->wire.size(), 4u + 48u + 10u);
    // Back up: the rest follows.
    device->modem = TIOCM_CTS | TIOCM_DSR;
    std::size_t ticks = 0;
    for (; device->wire.size() < 4 + program.size() + 4 && ticks < 1000; ++ticks) {
        tickAfter(50ms);
        device->transmit(48);
    }
    EXPECT_EQ(device->wire, "N10\n" + program + "M30\n");
}

TEST_F(SerialLineRulesTest, ADriverWithoutModemLinesHoldsNothingAndTakesAllAsBefore)
{
    device->hasModemLines = false;
    LineSettings settings;
    settings.hardwareFlow = true;
    configure(settings);
    line->write(std::string(5000, 'X'));
    EXPECT_EQ(device->driverQueue.size(), 5000u);
    const LineStatus status = tickAfter(50ms);
    EXPECT_FALSE(status.ctsHold || status.dsrHold || device->outputStopped);
}

TEST_F(SerialLineRulesTest, TheOutputQueueIsNeverBelowWhatTheLineCannotHaveSentYet)
{
    device->countsOutput = false;  // a driver that always answers 0
    configure(LineSettings{});     // 9600 8N1: 960 characters a second
    line->write(std::string(96, 'X'));
    EXPECT_EQ(tickAfter(0ms).outQueue, 96u);
    EXPECT_EQ(tickAfter(50ms).outQueue, 48u);
    EXPECT_EQ(tickAfter(50ms).outQueue, 0u);
}

TEST_F(SerialLineRulesTest, ErrorsWaitForTheOneWhoTakesThem)
{
    configure(LineSettings{});
    device->counts.frame = 1;
    device->counts.overrun = 2;
    // Asking for the status, any number of times, takes nothing away.
    tickAfter(50ms);
    line->status();
    const LineErrors errors = line->takeErrors();
    EXPECT_EQ(errors.flags, LineError::Frame | LineError::Overrun);
    EXPECT_EQ(errors.writeFailure, 0);
    EXPECT_FALSE(line->takeErrors().any());  // once taken, gone

    device->writeError = EINVAL;
    line->write("N10\n");
    EXPECT_EQ(line->takeErrors().writeFailure, EINVAL);
    EXPECT_FALSE(line->status().lost);

    device->writeError = EIO;  // the device went away
    tickAfter(50ms);
    EXPECT_TRUE(line->status().lost);
    EXPECT_EQ(line->takeErrors().writeFailure, 0);
}

TEST_F(SerialLineRulesTest, AHangUpIsALostLine)
{
    configure(LineSettings{});
    EXPECT_FALSE(tickAfter(50ms).lost);
    device->hungUp = true;
    EXPECT_TRUE(tickAfter(50ms).lost);
}

}  // namespace
}  // namespace quillon
