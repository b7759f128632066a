#include "dnc/SerialLine.h"

#include <gtest/gtest.h>

#include "dnc/ComDeviceMap.h"
#include "dnc/CommPort.h"
#include "dnc/PortSetup.h"
#include "dnc/PortsInUse.h"
#include "support/FakeSerialLine.h"

namespace quillon {
namespace {

TEST(LineSettings, EachWindowKindFramesTheLineItsWay)
{
    PortSetup setup = PortSetup::defaults(0);
    setup.baud = 7;  // 38400
    setup.code = CharacterCode::Eia;
    setup.handshake = Handshake::Heidenhain;
    const LineSettings transmit = lineSettings(setup, CommWindowKind::Transmit);
    EXPECT_EQ(transmit.baudRate, 38400);
    EXPECT_EQ(transmit.dataBits, 7);
    EXPECT_EQ(transmit.parity, LineParity::Even);
    EXPECT_EQ(transmit.stopBits, 2);
    EXPECT_TRUE(transmit.softwareFlow);
    const LineSettings receive = lineSettings(setup, CommWindowKind::Receive);
    EXPECT_EQ(receive.dataBits, 7);
    EXPECT_EQ(receive.stopBits, 1);
    const LineSettings terminal = lineSettings(setup, CommWindowKind::Terminal);
    EXPECT_EQ(terminal.dataBits, 8);
    EXPECT_EQ(terminal.parity, LineParity::None);

    setup.code = CharacterCode::Iso;
    setup.handshake = Handshake::None;
    setup.hardwareHandshake = 1;
    setup.baud = 200;  // damaged: the dialog's default speed
    const LineSettings iso = lineSettings(setup, CommWindowKind::Terminal);
    EXPECT_EQ(iso.dataBits, 7);
    EXPECT_EQ(iso.parity, LineParity::Even);
    EXPECT_FALSE(iso.softwareFlow);
    EXPECT_TRUE(iso.hardwareFlow);
    EXPECT_EQ(iso.baudRate, 9600);
    setup.code = CharacterCode::Bin;
    EXPECT_EQ(lineSettings(setup, CommWindowKind::Receive).dataBits, 8);
}

TEST(LineSettings, ErrorTextsLetTheLastErrorFoundWin)
{
    EXPECT_EQ(lineErrorText(0), "");
    EXPECT_EQ(lineErrorText(LineError::Frame), "Framing error");
    EXPECT_EQ(lineErrorText(LineError::Frame | LineError::Parity), "Parity error");
    EXPECT_EQ(lineErrorText(LineError::Parity | LineError::Overrun), "Overrun error");
    EXPECT_EQ(lineErrorText(LineError::Frame | LineError::IoError), "General I/O error");
    EXPECT_EQ(lineErrorText(LineError::TransmitFull), "");
    EXPECT_EQ(genericReceiveErrorText(995), "Generic Receive Error 995");
}

class CommPortTest : public ::testing::Test {
protected:
    CommPort::Opened open(const PortSetup& setup, CommWindowKind kind)
    {
        return CommPort::open(setup, kind, devices, opener, ports);
    }

    ComDeviceMap devices;
    PortsInUse ports;
    std::shared_ptr<test::FakeSerialLine> line = std::make_shared<test::FakeSerialLine>();
    std::string openedPath;
    LineOpener opener = [this](const std::string& path, std::string*) {
        openedPath = path;
        return line;
    };
};

TEST_F(CommPortTest, OpensConfiguresMarksAndReleasesByTheCloseRules)
{
    PortSetup setup = PortSetup::defaults(0);
    setup.port = 3;
    auto opened = open(setup, CommWindowKind::Transmit);
    ASSERT_TRUE(opened.port);
    EXPECT_EQ(openedPath, "/dev/ttyS3");
    EXPECT_TRUE(ports.isInUse(3));
    ASSERT_TRUE(line->settings);
    EXPECT_EQ(*line->settings, lineSettings(setup, CommWindowKind::Transmit));
    EXPECT_EQ(line->purges, 1);

    opened.port.reset();  // the window ends
    EXPECT_FALSE(ports.isInUse(3));
    EXPECT_FALSE(line->rts);
    EXPECT_FALSE(line->dtr);
    EXPECT_EQ(line->purges, 2);
    EXPECT_TRUE(line->closed);
}

TEST_F(CommPortTest, FailuresFreeThePortAndSayWhy)
{
    PortSetup setup = PortSetup::defaults(0);
    ports.markInUse(0);
    line->configureResult = ConfigureResult::CannotRetrieve;
    auto opened = open(setup, CommWindowKind::Receive);
    EXPECT_FALSE(opened.port);
    EXPECT_EQ(opened.message, "Could not retrieve RS232 parameters");
    EXPECT_FALSE(ports.isInUse(0));
    EXPECT_TRUE(line->closed);

    line = std::make_shared<test::FakeSerialLine>();
    line->configureResult = ConfigureResult::CannotSet;
    EXPECT_EQ(open(setup, CommWindowKind::Receive).message, "Could not set COM port");

    opener = [](const std::string&, std::string*) { return nullptr; };
    EXPECT_EQ(open(setup, CommWindowKind::Receive).message, "Could not open COM port");
    setup.port = 12;  // damaged: no device at all
    EXPECT_EQ(open(setup, CommWindowKind::Receive).message, "Could not open COM port");
}

TEST_F(CommPortTest, AKeptOpenLineOutlivesItsWindowsAndServesTheNext)
{
    PortSetup setup = PortSetup::defaults(0);
    setup.keepPortOpen = KeepPortOpen::Open;
    setup.handle = std::make_shared<test::FakeSerialLine>("/dev/kept");
    opener = [](const std::string&, std::string*) -> std::shared_ptr<SerialLine> {
        ADD_FAILURE() << "a kept-open port is not opened again";
        return nullptr;
    };
    for (int window = 0; window < 2; ++window) {
        auto opened = open(setup, CommWindowKind::Terminal);
        ASSERT_TRUE(opened.port);
        EXPECT_EQ(&opened.port->line(), setup.handle.get());
        EXPECT_TRUE(opened.port->keptOpen());
    }
    EXPECT_TRUE(setup.handle->isOpen());
    EXPECT_FALSE(ports.isInUse(0));
}

}  // namespace
}  // namespace quillon
