// The transfer object over an in-memory line: the port, the engine and the rules around
// them, as the windows and the command line see them.
#include "dnc/Transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "dnc/ComDeviceMap.h"
#include "dnc/ControlCharacters.h"
#include "dnc/PortsInUse.h"
#include "support/FakeSerialLine.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

enum class Direction { Transmit, Receive };

class TransferTest : public ::testing::Test {
protected:
    TransferTest() { dir.write("O1000.NC", "%\r\nN10 G01 X1.\r\nM30\r\n%\r\n"); }

    PortSetup setupFor(Handshake handshake) const
    {
        PortSetup setup = PortSetup::defaults(0);
        setup.handshake = handshake;
        return setup;
    }

    std::unique_ptr<Transfer> open(Direction direction, const PortSetup& setup)
    {
        const ComDeviceMap devices = ComDeviceMap::load(dir.workDir());
        auto opened = CommPort::open(
            setup,
            direction == Direction::Transmit ? CommWindowKind::Transmit : CommWindowKind::Receive,
            devices, [this](const std::string&, std::string*) { return line; }, ports);
        EXPECT_TRUE(opened.port) << opened.message;
        std::unique_ptr<Transfer> transfer;
        if (direction == Direction::Transmit) {
            TransmitJob job;
            job.setup = setup;
            job.path = dir.path("O1000.NC");
            job.fanucProgram = setup.handshake == Handshake::FanucDnc;
            transfer = std::make_unique<Transfer>(std::move(opened.port), job, nullptr);
        } else {
            ReceiveJob job;
            job.setup = setup;
            job.path = dir.path("IN.NC");
            job.fanucProgram = setup.handshake == Handshake::FanucDnc;
            job.programNumber = "1000";
            transfer = std::make_unique<Transfer>(std::move(opened.port), job, nullptr);
        }
        remember(transfer->start());
        return transfer;
    }

    TransferReport tick(Transfer& transfer)
    {
        TransferReport report = transfer.tick();
        remember(report);
        return report;
    }

    bool statusShown(const std::string& text) const
    {
        return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
    }

    test::TempWorkDir dir;
    PortsInUse ports;
    std::shared_ptr<test::FakeSerialLine> line = std::make_shared<test::FakeSerialLine>();
    std::vector<std::string> statuses;

private:
    void remember(const TransferReport& report)
    {
        statuses.insert(statuses.end(), report.statuses.begin(), report.statuses.end());
    }
};

// ---- Line errors -------------------------------------------------------------------------

// When, within a tick, the line finds the error.
enum class Moment { BeforeTheEngine, BetweenEngineAndWindow, AfterTheWindow };

struct ErrorCase {
    const char* name;
    Direction direction;
    Handshake handshake;
    Moment moment;
};

std::vector<ErrorCase> errorCases()
{
    const std::pair<const char*, Handshake> modes[] = {{"Plain", Handshake::XonXoff},
                                                       {"Fanuc", Handshake::FanucDnc},
                                                       {"Mazak", Handshake::Mazak},
                                                       {"Heidenhain", Handshake::Heidenhain}};
    const std::pair<const char*, Moment> moments[] = {
        {"BeforeTheEngine", Moment::BeforeTheEngine},
        {"BetweenEngineAndWindow", Moment::BetweenEngineAndWindow},
        {"AfterTheWindow", Moment::AfterTheWindow}};
    static std::vector<std::string> names;
    std::vector<ErrorCase> cases;
    for (const auto direction : {Direction::Transmit, Direction::Receive}) {
        for (const auto& [modeName, handshake] : modes) {
            for (const auto& [momentName, moment] : moments) {
                names.push_back(std::string(direction == Direction::Transmit ? "Send" : "Take") +
                                modeName + momentName);
                cases.push_back({nullptr, direction, handshake, moment});
            }
        }
    }
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i].name = names[i].c_str();
    return cases;
}

class LineErrorTest : public TransferTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(LineErrorTest, ReachesTheExchangeWheneverItHappens)
{
    const ErrorCase& c = GetParam();
    auto transfer = open(c.direction, setupFor(c.handshake));
    tick(*transfer);  // the exchange is under way
    switch (c.moment) {
    case Moment::BeforeTheEngine:
        line->raiseErrors(LineError::Frame);
        break;
    case Moment::BetweenEngineAndWindow:
        line->afterTakeErrors = [this] {
            line->afterTakeErrors = nullptr;
            line->raiseErrors(LineError::Frame);
        };
        break;
    case Moment::AfterTheWindow:
        break;
    }
    TransferReport report = tick(*transfer);
    if (c.moment == Moment::AfterTheWindow)
        line->raiseErrors(LineError::Frame);
    for (int i = 0; i < 3 && report.state == TransferState::Running; ++i)
        report = tick(*transfer);

    EXPECT_TRUE(statusShown("Framing error"));
    if (c.direction == Direction::Receive && c.handshake != Handshake::Heidenhain) {
        // Nothing received after a damaged byte can be trusted.
        EXPECT_EQ(report.state, TransferState::Failed);
        EXPECT_EQ(report.message, "Framing error");
    } else {
        // A transmit shows it and goes on; HEIDENHAIN's block check has a damaged block
        // sent again.
        EXPECT_EQ(report.state, TransferState::Running);
    }
}

INSTANTIATE_TEST_SUITE_P(ModesAndMoments, LineErrorTest, ::testing::ValuesIn(errorCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A line that goes away ---------------------------------------------------------------

TEST_F(TransferTest, ALostLineEndsTheTransferUnlessTheControlHadEverything)
{
    struct Case {
        const char* name;
        Direction direction;
        bool controlHasAll;
    };
    for (const Case c : {Case{"sending, half way", Direction::Transmit, false},
                         Case{"sending, all handed over", Direction::Transmit, true},
                         Case{"receiving, before the end", Direction::Receive, false},
                         Case{"receiving, after the end", Direction::Receive, true}}) {
        SCOPED_TRACE(c.name);
        line = std::make_shared<test::FakeSerialLine>();
        PortSetup setup = setupFor(Handshake::None);
        setup.txEnd = 0;
        setup.rxStart = setup.rxEnd = '%';
        if (c.direction == Direction::Transmit && !c.controlHasAll)
            line->driverRoom = 4;  // most of the program still waits with us
        auto transfer = open(c.direction, setup);
        if (c.direction == Direction::Receive)
            line->send(c.controlHasAll ? "%\nN10\n%" : "%\nN10\n");
        tick(*transfer);
        line->reported.lost = true;
        const TransferReport report = tick(*transfer);
        if (c.controlHasAll) {
            EXPECT_EQ(report.state, TransferState::Done);
            EXPECT_EQ(report.message, "");
        } else {
            EXPECT_EQ(report.state, TransferState::Lost);
            EXPECT_EQ(report.message, "COM1 is no longer available");
        }
        // Over is over: the next tick changes nothing and says nothing again.
        const TransferReport after = transfer->tick();
        EXPECT_EQ(after.state, report.state);
        EXPECT_EQ(after.message, "");
    }
}

// ---- A write that fails ------------------------------------------------------------------

TEST_F(TransferTest, AFailedWriteEndsTheTransferWithTheSystemsNumber)
{
    struct Case {
        const char* name;
        Direction direction;
        Handshake handshake;
        std::string control;  // what the control says to draw a write
    };
    const std::string mazakRewind{'8', control::Eot};
    for (const Case& c :
         {Case{"plain sending", Direction::Transmit, Handshake::XonXoff, ""},
          Case{"Fanuc sending", Direction::Transmit, Handshake::FanucDnc, ""},
          Case{"MAZAK sending", Direction::Transmit, Handshake::Mazak, mazakRewind},
          Case{"plain receiving", Direction::Receive, Handshake::XonXoff, ""},
          Case{"Fanuc receiving", Direction::Receive, Handshake::FanucDnc, ""}}) {
        SCOPED_TRACE(c.name);
        line = std::make_shared<test::FakeSerialLine>();
        line->writeFailure = EINVAL;
        auto transfer = open(c.direction, setupFor(c.handshake));
        line->send(c.control);
        TransferReport report;
        for (int i = 0; i < 3 && report.state == TransferState::Running; ++i)
            report = tick(*transfer);
        EXPECT_EQ(report.state, TransferState::Failed);
        EXPECT_EQ(report.message, "I/O write error: " + std::to_string(EINVAL));
        EXPECT_EQ(line->written(), "");
    }
}

}  // namespace
}  // namespace quillon
