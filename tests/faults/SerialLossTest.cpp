// A serial device that goes away in the middle of a transfer: the control hangs up (its side
// of a pseudo-terminal closes) or the adapter is pulled (its device node goes and the line
// hangs up). The transfer stops with the lost port named, never as complete; what arrived is
// kept; and the port opens again once a device is back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "cli/CliTestSupport.h"
#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
#include "dnc/PortsInUse.h"
#include "dnc/Transfer.h"
#include "faults/FaultTestSupport.h"
#include "platform/PosixSerialLine.h"
#include "platform/TextFile.h"
#include "support/FakeSerialLine.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// A device node that a test can pull like a USB adapter: the node goes and the line hangs
// up. Plugging in again puts a new pseudo-terminal behind the same node.
class PluggableDevice {
public:
    explicit PluggableDevice(std::string node) : m_node(std::move(node)) { plugIn(); }

    const std::string& node() const { return m_node; }
    test::PseudoTerminal& control() { return *m_control; }

    void plugIn()
    {
        m_control = std::make_unique<test::PseudoTerminal>();
        // A link, as udev makes /dev/serial/by-id/...: a pseudo-terminal opens only through
        // its own devpts, so a device node copied elsewhere would not do.
        ::unlink(m_node.c_str());
        ::symlink(m_control->devicePath().c_str(), m_node.c_str());
    }
    void unplug()
    {
        ::unlink(m_node.c_str());
        m_control->closeMaster();
    }

private:
    std::string m_node;
    std::unique_ptr<test::PseudoTerminal> m_control;
};

enum class Direction { Receive, Transmit };
enum class Loss { ControlHangsUp, AdapterPulled };

class SerialLoss : public ::testing::Test {
protected:
    std::unique_ptr<Transfer> open(Direction direction, std::string* refused = nullptr)
    {
        PortSetup setup = PortSetup::defaults(0);
        setup.handshake = Handshake::None;
        setup.baud = 9;  // the fastest: sending paces itself to the line's speed
        const CommWindowKind kind =
            direction == Direction::Receive ? CommWindowKind::Receive : CommWindowKind::Transmit;
        auto opened = CommPort::open(setup, kind, ComDeviceMap::load(dir.workDir()),
                                     posixLineOpener(), ports);
        if (!opened.port) {
            if (refused)
                *refused = opened.message;
            return nullptr;
        }
        std::unique_ptr<Transfer> transfer;
        if (direction == Direction::Receive) {
            ReceiveJob job;
            job.setup = setup;
            job.path = dir.path("O1000.NC");
            transfer = std::make_unique<Transfer>(std::move(opened.port), job, nullptr);
        } else {
            TransmitJob job;
            job.setup = setup;
            job.path = dir.path("BIG.NC");
            transfer = std::make_unique<Transfer>(std::move(opened.port), job, nullptr);
        }
        transfer->start();
        return transfer;
    }

    // Ticks as the windows do until the condition holds (or five seconds pass); the last
    // report.
    TransferReport tickUntil(Transfer& transfer, const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        TransferReport report = transfer.tick();
        while (!done() && report.state == TransferState::Running &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
            report = transfer.tick();
        }
        return report;
    }

    // Data crosses the line until `until` bytes did: the control sends `lines` to a
    // reception and they are stored, or it reads what a sending gives it. What it read.
    std::string exchange(Transfer& transfer, Direction direction, const std::string& lines,
                         std::size_t until)
    {
        std::string arrived;
        if (direction == Direction::Receive)
            device.control().send(lines);
        tickUntil(transfer, [&] {
            if (direction == Direction::Receive)
                return transfer.storedBytes() == until;
            arrived += device.control().receive(4096, 5);
            return arrived.size() >= until;
        });
        return arrived;
    }

    std::string stored() const { return dir.read("O1000.NC"); }
    // Anything in the working directory that is not a program or a folder of its own.
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.workDir().root())) {
            const std::string name = entry.path().filename().string();
            if (name != "O1000.NC" && name != "BIG.NC" && name != "ttyUSB0" && name != "_TMP")
                names.push_back(name);
        }
        return names;
    }

    test::TempWorkDir dir;
    PluggableDevice device{dir.path("ttyUSB0")};
    test::ComOverride com1{1, device.node()};
    PortsInUse ports;
};

TEST_F(SerialLoss, TheTransferStopsAsLostKeepsWhatCameAndThePortOpensAgain)
{
    struct Case {
        const char* scenario;
        Direction direction;
        Loss loss;
    };
    const Case cases[] = {
        {"receiving, the control hangs up", Direction::Receive, Loss::ControlHangsUp},
        {"receiving, the adapter is pulled", Direction::Receive, Loss::AdapterPulled},
        {"sending, the control hangs up", Direction::Transmit, Loss::ControlHangsUp},
        {"sending, the adapter is pulled", Direction::Transmit, Loss::AdapterPulled},
    };
    dir.write("BIG.NC", std::string(1 << 20, 'X'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        dir.write("O1000.NC", "OLD PROGRAM\r\n");
        std::string refused;
        auto transfer = open(c.direction, &refused);
        ASSERT_TRUE(transfer) << refused;
        const bool receiving = c.direction == Direction::Receive;
        const std::string arrived =
            exchange(*transfer, c.direction, "N1\nN2", receiving ? 6 : 1024);
        if (receiving)
            ASSERT_EQ(stored(), "N1\r\nN2");
        else
            ASSERT_GE(arrived.size(), 1024u);

        if (c.loss == Loss::ControlHangsUp)
            device.control().closeMaster();
        else
            device.unplug();
        // The tick that finds the loss ends the transfer and says why; later ones stay.
        const TransferReport report = tickUntil(*transfer, [] { return false; });
        EXPECT_EQ(report.state, TransferState::Lost);
        EXPECT_EQ(report.message, "COM1 is no longer available");
        EXPECT_EQ(transfer->tick().state, TransferState::Lost);
        EXPECT_EQ(stored(), receiving ? "N1\r\nN2" : "OLD PROGRAM\r\n");
        transfer.reset();  // the window closes
        EXPECT_FALSE(ports.isInUse(0));
        EXPECT_EQ(leftovers(), std::vector<std::string>{});

        if (c.loss == Loss::AdapterPulled) {
            EXPECT_FALSE(open(c.direction, &refused));
            EXPECT_EQ(refused, kCouldNotOpenPortText);
            EXPECT_FALSE(ports.isInUse(0));
        }
        device.plugIn();
        auto again = open(c.direction);
        ASSERT_TRUE(again);
        const std::string arrivedAgain = exchange(*again, c.direction, "N3\n", 4);
        if (receiving)
            EXPECT_EQ(stored(), "N3\r\n");
        else
            EXPECT_EQ(arrivedAgain.substr(0, 4), "XXXX");
        again.reset();
        EXPECT_EQ(leftovers(), std::vector<std::string>{});  // the old program went with it
    }
}

TEST_F(SerialLoss, AReceptionFromTheCommandLineThatLosesItsLineFails)
{
    dir.write(kComConfFile, "\r\n1:\r\nRS:%\r\nRE:%\r\n");
    auto run = std::async(std::launch::async, [&] {
        return test::runCli({"receive", "--setup", "1", "--timeout", "20", dir.path("O1000.NC")});
    });
    // The XON of an XON/XOFF setup: the port is open and purged, what is sent now is taken.
    ASSERT_EQ(device.control().receive(1, 5000), "\x11");
    device.control().send("%\nN1\nN2\n");
    // The reception has taken the lines once they are in the file.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (readFile(dir.path("O1000.NC")).value_or("") != "%\r\nN1\r\nN2\r\n" &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    device.unplug();
    const test::CliRun result = run.get();
    EXPECT_EQ(result.code, 1) << result.err;
    EXPECT_NE(result.err.find("COM1 is no longer available"), std::string::npos) << result.err;
    EXPECT_EQ(stored(), "%\r\nN1\r\nN2\r\n");
}

// Whether a line lost now would cut a program short, by what the control sent so far.
TEST(LostLineMeaning, OnlyAReceptionKnownToBeInsideAProgramCountsAsCut)
{
    struct Case {
        const char* scenario;
        Handshake handshake;
        char end;
        const char* sent;
        bool whole;
    };
    const Case cases[] = {
        {"plain, before the end character", Handshake::XonXoff, '%', "%\nN1\n", false},
        {"plain, after the end character", Handshake::XonXoff, '%', "%\nN1\n%\n", true},
        {"plain without an end character", Handshake::XonXoff, 0, "N1\n", true},
        {"MAZAK, inside a record", Handshake::Mazak, 0, "p1N10 G01", false},
        {"MAZAK, between records", Handshake::Mazak, 0, "p1N10 G01\x04", true},
        {"HEIDENHAIN, before its ETX", Handshake::Heidenhain, 0, "\x01%1\x17", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        test::TempWorkDir dir;
        ReceiveJob job;
        job.setup = PortSetup::defaults(0);
        job.setup.handshake = c.handshake;
        job.setup.rxStart = c.end;
        job.setup.rxEnd = c.end;
        job.path = dir.path("O1000.NC");
        test::FakeSerialLine line;
        test::MessageObserver observer;
        ReceiveEngine engine(job, line, observer);
        engine.start();
        line.send(c.sent);
        EXPECT_EQ(engine.tick(), ExchangeOutcome::Running);
        EXPECT_EQ(engine.whole(), c.whole);
    }
}

}  // namespace
}  // namespace quillon
