// The receive engine on real pseudo-terminals: quillonlt-cli receive against
// quillonlt-ctrlsim sending in each way, our own transmit engine through a null-modem
// cable made of two pseudo-terminals, and a control that sends as fast as the system lets
// it.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "cli/CliTestSupport.h"
#include "dnc/ComConfFile.h"
#include "dnc/ReceiveEngine.h"
#include "dnc/TransmitEngine.h"
#include "platform/PosixSerialLine.h"
#include "platform/TextFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon {
namespace {

using std::chrono::milliseconds;

// Keeps what either engine says that the tests look at.
class QuietTransferObserver final : public TransferObserver {
public:
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setTitle(const std::string&) override {}
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> askSetupFile(const std::string&) override { return {}; }
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
};

// Writes all of the bytes to a non-blocking descriptor, waiting for room; false when the
// other side went away or `stop` was set.
bool writeAll(int fd, std::string_view bytes, const std::atomic<bool>& stop)
{
    while (!bytes.empty() && !stop) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd ready{fd, POLLOUT, 0};
        ::poll(&ready, 1, 10);
    }
    return bytes.empty();
}

// Two pseudo-terminals whose control sides are wired to each other: what one port sends,
// the other receives, both ways.
class NullModem {
public:
    NullModem()
    {
        m_relay = std::thread([this] {
            char buffer[4096];
            while (!m_stop) {
                pollfd ends[2] = {{m_a.master(), POLLIN, 0}, {m_b.master(), POLLIN, 0}};
                if (::poll(ends, 2, 10) <= 0)
                    continue;
                for (int i = 0; i < 2; ++i) {
                    if (!(ends[i].revents & POLLIN))
                        continue;
                    const ssize_t got = ::read(ends[i].fd, buffer, sizeof buffer);
                    if (got > 0)
                        writeAll(ends[1 - i].fd,
                                 std::string_view(buffer, static_cast<std::size_t>(got)), m_stop);
                }
            }
        });
    }
    ~NullModem()
    {
        m_stop = true;
        m_relay.join();
    }

    const std::string& first() const { return m_a.devicePath(); }
    const std::string& second() const { return m_b.devicePath(); }

private:
    test::PseudoTerminal m_a;
    test::PseudoTerminal m_b;
    std::atomic<bool> m_stop{false};
    std::thread m_relay;
};

std::shared_ptr<SerialLine> openLine(const std::string& path, const PortSetup& setup,
                                     CommWindowKind kind)
{
    std::string error;
    auto line = PosixSerialLine::open(path, &error);
    if (line)
        line->configure(lineSettings(setup, kind));
    return line;
}

TEST(ReceiveOverPseudoTerminals, ATransmitFromOnePortIsReceivedOnAnotherIsoAndEia)
{
    for (const CharacterCode code : {CharacterCode::Iso, CharacterCode::Eia}) {
        SCOPED_TRACE(static_cast<int>(code));
        test::TempWorkDir dir;
        std::string program = "%\r\nO1000 (BRACKET)\r\n";
        for (int i = 1; i <= 300; ++i)
            program += "N" + std::to_string(i * 10) + " G01 X" + std::to_string(i) + ".5 Y-" +
                       std::to_string(i % 7) + "\r\n";
        program += "M30\r\n";
        dir.write("SENT.NC", program);

        PortSetup setup = PortSetup::defaults(0);
        setup.baud = 9;
        setup.code = code;
        setup.endOfBlock = EndOfBlock::Lf;  // LF on the line, CR LF in the stored file
        setup.txEnd = code == CharacterCode::Iso ? '%' : 0;
        setup.rxStart = code == CharacterCode::Iso ? '%' : 0;
        setup.rxEnd = code == CharacterCode::Iso ? '%' : 0;
        // EIA's "3" is DC3: an EIA line cannot use XON/XOFF.
        setup.handshake = code == CharacterCode::Iso ? Handshake::XonXoff : Handshake::None;

        NullModem cable;
        auto sending = openLine(cable.first(), setup, CommWindowKind::Transmit);
        auto receiving = openLine(cable.second(), setup, CommWindowKind::Receive);
        ASSERT_TRUE(sending && receiving);
        TransmitJob transmitJob;
        transmitJob.setup = setup;
        transmitJob.path = dir.path("SENT.NC");
        ReceiveJob receiveJob;
        receiveJob.setup = setup;
        receiveJob.path = dir.path("GOT.NC");
        QuietTransferObserver transmitSaid;
        QuietTransferObserver receiveSaid;
        TransmitEngine transmit(transmitJob, *sending, transmitSaid);
        ReceiveEngine receive(receiveJob, *receiving, receiveSaid);
        receive.start();
        transmit.start();

        // With ISO the "%" at the end comes back; the program's own first "%" line is the
        // receiver's start.
        const std::string expected = code == CharacterCode::Iso ? program + "%" : program;
        ExchangeOutcome sent = ExchangeOutcome::Running;
        for (int i = 0; i < 4000; ++i) {
            if (sent == ExchangeOutcome::Running)
                sent = transmit.tick();
            receive.tick();
            if (sent != ExchangeOutcome::Running && receive.storedBytes() >= expected.size())
                break;
            std::this_thread::sleep_for(milliseconds(2));
        }
        EXPECT_EQ(sent, ExchangeOutcome::Done) << transmitSaid.messages.size();
        const std::string got = readFile(dir.path("GOT.NC")).value_or("<none>");
        EXPECT_TRUE(got == expected) << got.size() << " of " << expected.size() << " bytes";
        EXPECT_EQ(receive.ended(), code == CharacterCode::Iso);
    }
}

TEST(ReceiveOverPseudoTerminals, TenMegabytesAtFullSpeedArriveComplete)
{
    test::TempWorkDir dir;
    std::string program;
    program.reserve(10u << 20);
    for (int i = 0; program.size() < (10u << 20); ++i)
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i % 1000) + ".125 Y" +
                   std::to_string(i % 333) + ".5 F" + std::to_string(800 + i % 50) + "\r\n";

    test::PseudoTerminal control;
    PortSetup setup = PortSetup::defaults(0);
    setup.handshake = Handshake::None;
    setup.endOfBlock = EndOfBlock::CrLf;
    setup.baud = 9;
    auto line = openLine(control.devicePath(), setup, CommWindowKind::Receive);
    ASSERT_TRUE(line);
    QuietTransferObserver said;
    ReceiveJob job;
    job.setup = setup;
    job.path = dir.path("BIG.NC");
    ReceiveEngine receive(job, *line, said);
    receive.start();

    std::atomic<bool> stop{false};
    std::thread sender([&] { writeAll(control.master(), program, stop); });
    for (int i = 0; i < 30000 && receive.storedBytes() < program.size(); ++i) {
        receive.tick();
        std::this_thread::sleep_for(milliseconds(1));
    }
    stop = true;
    sender.join();
    EXPECT_EQ(receive.storedBytes(), program.size());
    const auto stored = readFile(dir.path("BIG.NC"));
    ASSERT_TRUE(stored);
    EXPECT_TRUE(*stored == program) << stored->size() << " of " << program.size() << " bytes";
    EXPECT_TRUE(said.statuses.empty());
}

// ---- quillonlt-cli receive against the simulated control --------------------------------

class ReceiveEndToEnd : public ::testing::Test {
protected:
    ReceiveEndToEnd() { ::setenv("QUILLONLT_HOME", dir.workDir().root().c_str(), 1); }
    ~ReceiveEndToEnd() override { ::unsetenv("QUILLONLT_HOME"); }

    // Setup 1 with these ComConf.sys lines (115 200 baud).
    void setup(const std::vector<std::string>& lines)
    {
        std::vector<std::string> all = {"", "1:", "BD:9"};
        all.insert(all.end(), lines.begin(), lines.end());
        dir.write(kComConfFile, joinLinesCrLf(all));
    }
    // The simulator sends PROG.NC (holding `program`) with the arguments; COM1 is pointed
    // at its line and the program received into GOT.NC with setup 1.
    void receive(std::vector<std::string> simulator, const std::string& program,
                 std::vector<std::string> extra = {})
    {
        dir.write("PROG.NC", program);
        simulator.insert(simulator.begin() + 1, dir.path("PROG.NC"));
        test::SimulatorProcess control(simulator);
        ASSERT_TRUE(control.started());
        const std::string path = control.firstLine();
        ASSERT_FALSE(path.empty()) << control.errorOutput();
        const test::ComOverride com1(1, path);
        std::vector<std::string> command = {"receive", "--setup", "1"};
        command.insert(command.end(), extra.begin(), extra.end());
        command.push_back(dir.path("GOT.NC"));
        got = test::runCli(command);
        controlExit = control.waitForExit();
        controlSaid = control.errorOutput();
    }
    std::string stored() const { return readFile(dir.path("GOT.NC")).value_or("<none>"); }
    static std::string crLf(const std::string& text)
    {
        std::string out;
        for (const char c : text)
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    }

    test::TempWorkDir dir;
    test::CliRun got;
    std::optional<int> controlExit;
    std::string controlSaid;
};

TEST_F(ReceiveEndToEnd, PlainIsoAskingWithDc2AndSendingAParityBit)
{
    setup({"XO:1", "RS:%", "RE:%", "EB:2"});
    receive({"--send", "--dc2-first", "--high-bit", "--start-delay", "0.2"},
            "(TAPE LEADER)\n%\nO1000 (FLANGE)\nN10 G01 X1.5\nM30\n%\n(TRAILER)\n");
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_EQ(stored(), "%\r\nO1000 (FLANGE)\r\nN10 G01 X1.5\r\nM30\r\n%");
}

TEST_F(ReceiveEndToEnd, PlainEiaBetweenItsEndOfRecordMarks)
{
    setup({"XO:0", "CD:1", "RS:%", "RE:%"});
    receive({"--send", "--code", "eia", "--start-delay", "0.2"},
            "%\nO1000\nN10 G01 X1.5 Y-2.25\nM30\n%\n");
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(stored(), "%\r\nO1000\r\nN10 G01 X1.5 Y-2.25\r\nM30\r\n%");
}

TEST_F(ReceiveEndToEnd, FanucDncRequestsTheProgramAndStoresItsBlocks)
{
    setup({"XO:6"});
    std::string program = "O1234 (BRACKET)\r\n";
    for (int i = 1; program.size() < 1500; ++i)
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i) + " Y2.5\r\n";
    program += "M30\r\n%";
    receive({"--fanuc-send"}, program, {"--program", "1234"});
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    std::string withoutCr;
    for (const char c : program) {
        if (c != '\r')
            withoutCr += c;
    }
    EXPECT_TRUE(stored() == crLf(withoutCr)) << stored().size() << " bytes";
}

TEST_F(ReceiveEndToEnd, MazakRecordsComeBackAsTheyWere)
{
    setup({"XO:5"});
    const std::string records = "q(HELLO)\np1N10 G01 X1_\np2N20 G00 Z5\np3IGNORED\np1M30_\n";
    receive({"--mazak-send", "--start-delay", "0.2"}, records);
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_EQ(stored(), "p1N10 G01 X1_\r\np2N20 G00 Z5\r\np1M30_\r\n");
}

TEST_F(ReceiveEndToEnd, HeidenhainRefusesADamagedBlockAndTakesItAgain)
{
    setup({"XO:4"});
    const std::string program = "%1234\nL X+10 R0 FMAX\nL Z-5 F200\nEND PGM\n";
    receive({"--heidenhain-send", "--bad-check-once", "3", "--start-delay", "0.2"}, program);
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_NE(got.err.find("HEIDENHAIN checksum error"), std::string::npos) << got.err;
    EXPECT_EQ(stored(), crLf(program));
}

TEST_F(ReceiveEndToEnd, DamagedAndOverlongBlocksEndOrAreRefused)
{
    setup({"XO:6"});
    receive({"--fanuc-send", "--bad-check-once", "2"}, "O0001\nN10\n", {"--program", "1"});
    EXPECT_EQ(got.code, 1);
    EXPECT_NE(got.err.find("Checksum error"), std::string::npos) << got.err;
    EXPECT_EQ(stored(), "<none>");

    setup({"XO:4"});
    receive({"--heidenhain-send", "--overlong-block", "2", "--start-delay", "0.2"}, "%7\nL X+1\n");
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_NE(got.err.find("Block too long"), std::string::npos) << got.err;
    EXPECT_EQ(stored(), "%7\r\nL X+1\r\n");
}

}  // namespace
}  // namespace quillon
