// The simulated control on a pseudo-terminal, run by its runner, with the test as the PC on
// the other side.
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "ctrlsim/PlainEcho.h"
#include "ctrlsim/PlainReceive.h"
#include "ctrlsim/PlainSend.h"
#include "ctrlsim/ProgramSource.h"
#include "platform/AtomicFile.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon::ctrlsim {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr char kDc1 = 0x11;
constexpr char kDc3 = 0x13;

// A program with CR LF ends, every byte value from 0 to 255 (DC1 and DC3 among them: a
// receiving control stores what came) and the tape marks.
std::string everyByteProgram()
{
    std::string program = "%\r\nO1000 (EVERY BYTE)\r\n";
    for (int value = 0; value < 256; ++value)
        program.push_back(static_cast<char>(value));
    return program + "\r\nM30\r\n%\r\n";
}

std::string programOf(std::size_t size)
{
    std::string program;
    for (int line = 1; program.size() < size; ++line)
        program += "N" + std::to_string(line) + " G01 X" + std::to_string(line % 97) + "\r\n";
    program.resize(size);
    return program;
}

class CtrlSimOnPty : public ::testing::Test {
protected:
    std::unique_ptr<PlainReceive> receiver(const PlainReceiveSettings& settings)
    {
        return std::make_unique<PlainReceive>(settings, target(),
                                              std::make_unique<AtomicFileWriter>(target()));
    }
    std::unique_ptr<PlainSend> sender(const PlainSendSettings& settings,
                                      const std::string& program)
    {
        m_dir.write("O2000.NC", program);
        return std::make_unique<PlainSend>(settings,
                                           ProgramSource::open(m_dir.path("O2000.NC"), nullptr));
    }
    std::string target() const { return m_dir.path("O1000.NC"); }
    std::size_t filesInFolder() const
    {
        const auto folder = std::filesystem::path(target()).parent_path();
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                      std::filesystem::directory_iterator()));
    }

    test::TempWorkDir m_dir;
};

TEST_F(CtrlSimOnPty, ReceiveStoresExactlyWhatCameWhenTheLineGoesQuiet)
{
    PlainReceiveSettings settings;
    settings.idleEnd = milliseconds(200);
    test::SimulatorThread sim(receiver(settings));
    test::OtherSide pc(sim.path());
    ASSERT_TRUE(pc.ok());
    const std::string program = everyByteProgram();
    ASSERT_TRUE(pc.write(program));

    const auto end = sim.waitForEnd();  // the PC keeps the line open: idle ends it
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
    EXPECT_EQ(test::fileBytes(target()), program);
}

TEST_F(CtrlSimOnPty, ReceiveReplacesTheFileOnlyAtTheEnd)
{
    m_dir.write("O1000.NC", "OLD");
    const std::size_t before = filesInFolder();
    PlainReceiveSettings settings;
    settings.buffer = InputBufferSettings::withDefaultMarks(64, 1000);
    settings.xonXoff = true;
    settings.idleEnd = std::nullopt;
    test::SimulatorThread sim(receiver(settings));
    test::OtherSide pc(sim.path());
    ASSERT_TRUE(pc.write(programOf(100)));
    // The XOFF comes once the control has taken (and stored) three quarters of its buffer.
    EXPECT_EQ(pc.read(1), std::string(1, kDc3));
    EXPECT_EQ(test::fileBytes(target()), "OLD");

    pc.close();
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
    EXPECT_EQ(test::fileBytes(target()), programOf(100));
    EXPECT_EQ(filesInFolder(), before);  // no work file left behind
}

TEST_F(CtrlSimOnPty, ReceivePacesTheOtherSideWithXoffAndXon)
{
    PlainReceiveSettings settings;
    settings.buffer = InputBufferSettings::withDefaultMarks(64, 400);  // XOFF 48, XON 16
    settings.xonXoff = true;
    settings.idleEnd = std::nullopt;
    test::SimulatorThread sim(receiver(settings));
    // Without IXON this side sees the flow characters instead of its driver obeying them.
    test::OtherSide pc(sim.path());
    const std::string program = programOf(300);
    ASSERT_TRUE(pc.write(program));

    EXPECT_EQ(pc.read(2), (std::string{kDc3, kDc1}));
    pc.close();
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(test::fileBytes(target()), program);
    // Every flow character the control sent alternates, XOFF first.
    const std::string flow = sim.written();
    ASSERT_FALSE(flow.empty());
    for (std::size_t i = 0; i < flow.size(); ++i)
        EXPECT_EQ(flow[i], i % 2 == 0 ? kDc3 : kDc1) << "flow character " << i;
}

TEST_F(CtrlSimOnPty, XoffStopsTheOutputOfASideWhoseDriverObeysIt)
{
    PlainReceiveSettings settings;
    settings.buffer = InputBufferSettings::withDefaultMarks(64, 200);
    settings.xonXoff = true;
    settings.idleEnd = std::nullopt;
    test::SimulatorThread sim(receiver(settings));
    test::OtherSide pc(sim.path(), /*ixon=*/true);
    ASSERT_TRUE(pc.write(programOf(100)));

    ASSERT_TRUE(sim.waitForWritten(kDc3));
    // A read makes the driver take in what arrived (the DC3, which IXON swallows)...
    char byte = 0;
    EXPECT_EQ(::read(pc.fd(), &byte, 1), -1);
    // ...after which this side's output is held.
    EXPECT_EQ(::write(pc.fd(), "N", 1), -1);
    EXPECT_EQ(errno, EAGAIN);

    ASSERT_TRUE(sim.waitForWritten(kDc1));
    EXPECT_EQ(::read(pc.fd(), &byte, 1), -1);
    EXPECT_EQ(::write(pc.fd(), "N", 1), 1);
    pc.close();
    ASSERT_TRUE(sim.waitForEnd());
}

TEST_F(CtrlSimOnPty, ReceiveFailsWhenTheLineClosesBeforeAnythingCame)
{
    PlainReceiveSettings settings;
    settings.xonAtStart = true;
    settings.startDelay = Duration::zero();
    test::SimulatorThread sim(receiver(settings));
    {
        test::OtherSide pc(sim.path());
        // The XON shows that the control saw the line open before it closes.
        EXPECT_EQ(pc.read(1), std::string(1, kDc1));
    }
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 1) << end->summary;
    EXPECT_EQ(test::fileBytes(target()), "<missing>");
}

TEST_F(CtrlSimOnPty, SendStopsOnXoffAndGoesOnAtXon)
{
    PlainSendSettings settings;
    settings.xonXoff = true;
    settings.startDelay = Duration::zero();
    const std::string program = programOf(3000);
    // At 9600 baud the program takes about three seconds: long enough to stop it halfway.
    test::SimulatorThread sim(sender(settings, program), 9600);
    test::OtherSide pc(sim.path());
    std::string got = pc.read(100);
    ASSERT_EQ(got.size(), 100u);
    ASSERT_TRUE(pc.write(std::string(1, kDc3)));
    got += pc.readUntilQuiet();
    EXPECT_LT(got.size(), program.size()) << "the control did not stop on XOFF";

    ASSERT_TRUE(pc.write(std::string(1, kDc1)));
    got += pc.read(program.size() - got.size());
    EXPECT_EQ(got, program);
    pc.close();  // the control keeps the line until the PC has let go of it
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
}

TEST_F(CtrlSimOnPty, EchoSendsBackEveryByte)
{
    test::SimulatorThread sim(std::make_unique<PlainEcho>(false));
    test::OtherSide pc(sim.path());
    const std::string typed = everyByteProgram();
    ASSERT_TRUE(pc.write(typed));
    EXPECT_EQ(pc.read(typed.size()), typed);
    pc.close();
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0);
}

TEST_F(CtrlSimOnPty, ALineRateMakesTransfersTakeTheirTimeBothWays)
{
    constexpr int kBaud = 2400;  // 240 bytes a second
    constexpr std::size_t kBytes = 300;
    // Lower bounds only, with room for the catch-up burst at the start.
    const auto lineTime = milliseconds(kBytes * 10 * 1000 / kBaud * 8 / 10);

    PlainSendSettings sendSettings;
    sendSettings.startDelay = Duration::zero();
    {
        test::SimulatorThread sim(sender(sendSettings, programOf(kBytes)), kBaud);
        test::OtherSide pc(sim.path());
        const std::string first = pc.read(1);
        const auto start = steady_clock::now();
        const std::string rest = pc.read(kBytes - 1);
        EXPECT_EQ(first.size() + rest.size(), kBytes);
        EXPECT_GE(steady_clock::now() - start, lineTime);
    }
    {
        PlainReceiveSettings receiveSettings;
        receiveSettings.idleEnd = std::nullopt;
        test::SimulatorThread sim(receiver(receiveSettings), kBaud);
        test::OtherSide pc(sim.path());
        const auto start = steady_clock::now();
        ASSERT_TRUE(pc.write(programOf(kBytes)));
        pc.close();  // the control still reads what was written, at the line's pace
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_GE(steady_clock::now() - start, lineTime);
        EXPECT_EQ(test::fileBytes(target()), programOf(kBytes));
    }
}

TEST_F(CtrlSimOnPty, TheLineRateFollowsTheFramingTheOtherSideSet)
{
    constexpr int kBaud = 2400;
    constexpr std::size_t kBytes = 300;
    PlainReceiveSettings receiveSettings;
    receiveSettings.idleEnd = std::nullopt;
    test::SimulatorThread sim(receiver(receiveSettings), kBaud);
    test::OtherSide pc(sim.path());
    // The PC sets up its port after the control has started on the line.
    std::this_thread::sleep_for(milliseconds(200));
    // Two stop bits: eleven bits a character, 1.375 s for the program where ten bits
    // would take 1.25 s (a lower bound, with room for the catch-up burst at the start).
    termios settings{};
    ASSERT_EQ(::tcgetattr(pc.fd(), &settings), 0);
    settings.c_cflag |= CSTOPB;
    ASSERT_EQ(::tcsetattr(pc.fd(), TCSANOW, &settings), 0);
    const auto start = steady_clock::now();
    ASSERT_TRUE(pc.write(programOf(kBytes)));
    pc.close();
    ASSERT_TRUE(sim.waitForEnd());
    EXPECT_GE(steady_clock::now() - start, milliseconds(1320));
    EXPECT_EQ(test::fileBytes(target()), programOf(kBytes));
}

}  // namespace
}  // namespace quillon::ctrlsim
