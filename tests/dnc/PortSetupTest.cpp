#include "dnc/PortSetup.h"

#include <gtest/gtest.h>

#include "dnc/PortSetups.h"
#include "dnc/PortsInUse.h"
#include "platform/Notifier.h"

namespace quillon {
namespace {

TEST(PortSetup, DefaultNamesAndValues)
{
    EXPECT_EQ(PortSetup::defaults(0).name, "Config 1");
    EXPECT_EQ(PortSetup::defaults(8).name, "Config 9");
    EXPECT_EQ(PortSetup::defaults(9).name, "Config 10");
    const PortSetup setup = PortSetup::defaults(0);
    EXPECT_EQ(setup.baud, 5);
    EXPECT_EQ(baudEntry(setup.baud)->rate, 9600);
    EXPECT_EQ(setup.txEnd, '%');
    EXPECT_EQ(setup.handshake, Handshake::XonXoff);
    EXPECT_EQ(setup.keepPortOpen, KeepPortOpen::No);
}

TEST(PortSetup, CharacterDisplayForm)
{
    struct Case {
        std::int32_t value;
        const char* form;
    };
    const Case cases[] = {
        {0, ""},       {1, "^A"},  {18, "^R"}, {26, "^Z"}, {27, "\x1b"}, {37, "%"},
        {127, "\x7f"}, {165, "%"}, {-5, ""},   {128, ""},  {138, ""},  // would be LF
        {141, ""},                                                     // would be CR
    };
    for (const auto& c : cases)
        EXPECT_EQ(characterDisplayForm(c.value), c.form) << c.value;
    EXPECT_EQ(characterSummaryForm(0), "None");
    EXPECT_EQ(characterSummaryForm(18), "^R");
}

TEST(PortSetup, CharacterEdit)
{
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"", 0},    {" %", 0},  {"^A", 1}, {"^R", 18}, {"^Z", 26},
        {"^a", 94},  // lower case after "^": the code of "^" itself
        {"^", 94},  {"^[", 94}, {"%", 37}, {"%x", 37}, {"\xe9", 0x69},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseCharacterEdit(c.text), c.value) << '"' << c.text << '"';
}

TEST(PortSetup, NullCountIsLimited)
{
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {{"", 0}, {"250", 100}, {"-5", 0}, {"42", 42}, {"7x", 7}, {"100", 100}};
    for (const auto& c : cases)
        EXPECT_EQ(parseNullCount(c.text), c.value) << '"' << c.text << '"';
}

TEST(PortSetup, SummaryLines)
{
    PortSetup setup = PortSetup::defaults(0);
    setup.port = 2;
    setup.baud = 10;
    setup.code = CharacterCode::Eia;
    setup.endOfBlock = EndOfBlock::CrLf;
    setup.hardwareHandshake = 1;
    setup.handshake = Handshake::XonXoffWaitForXon;
    setup.looping = 1;
    setup.rxStart = 18;
    setup.txStart = 0;
    setup.commentFilter = '(';
    setup.nullCount = 20;
    setup.verticalParity = VerticalParity::Odd;
    setup.keepPortOpen = KeepPortOpen::Open;
    setup.txDirectory = "/srv/nc/out";
    const std::vector<std::string> expected = {
        "PORT: COM3",
        "PORT STAYS OPEN",
        "BAUD: 110",
        "CODE: EIA",
        "EOB: CRLF",
        "HHS: ON",
        "XON: ON",
        "LOOPING: ON",
        "Rx START CH: ^R",
        "Rx END CH: None",
        "Tx START CH: None",
        "Tx END CH: %",
        "COMMENT FILTER: (",
        "Tx NULL CH: 20",
        "VERTICAL PARITY: Odd",
        "WAIT FOR XON",
        "DEF. Tx DIR: /srv/nc/out",
        "DEF. Rx DIR: ",
    };
    EXPECT_EQ(setupSummaryLines(setup), expected);
}

TEST(PortSetup, SummaryWordsOfEveryChoice)
{
    struct Case {
        Handshake handshake;
        const char* xon;
        const char* wait;
    };
    const Case cases[] = {
        {Handshake::None, "XON: N/U", "NO WAIT FOR XON"},
        {Handshake::XonXoff, "XON: ON", "NO WAIT FOR XON"},
        {Handshake::XonXoffWaitForXon, "XON: ON", "WAIT FOR XON"},
        {Handshake::Heidenhain, "XON: HEIDENHAIN", "NO WAIT FOR XON"},
        {Handshake::Mazak, "XON: MAZAK", "NO WAIT FOR XON"},
        {Handshake::FanucDnc, "XON: FANUC", "NO WAIT FOR XON"},
    };
    for (const auto& c : cases) {
        PortSetup setup;
        setup.handshake = c.handshake;
        const auto lines = setupSummaryLines(setup);
        EXPECT_EQ(lines[6], c.xon);
        EXPECT_EQ(lines[15], c.wait);
        EXPECT_EQ(lines[1], "");  // not open
        EXPECT_EQ(lines[5], "HHS: N/U");
        EXPECT_EQ(lines[7], "LOOPING: OFF");
    }
    const char* bauds[] = {"300",   "600",   "1200",  "2400",   "4800", "9600",
                           "19.2k", "38.4k", "57.6k", "115.2k", "110",  "150"};
    for (std::uint8_t code = 0; code < 12; ++code) {
        PortSetup setup;
        setup.baud = code;
        EXPECT_EQ(setupSummaryLines(setup)[2], std::string("BAUD: ") + bauds[code]);
    }
}

TEST(PortSetup, DamagedValuesStillGiveASummary)
{
    PortSetup setup;
    setup.baud = 208;
    setup.port = 17;
    setup.code = static_cast<CharacterCode>(9);
    setup.keepPortOpen = KeepPortOpen::WantedNotOpen;
    const auto lines = setupSummaryLines(setup);
    EXPECT_EQ(lines[0], "PORT: COM18");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "BAUD: ?");
    EXPECT_EQ(lines[3], "CODE: ?");
}

TEST(PortSetups, SelectingCopiesTheRecordIntoTheWorkingCopy)
{
    PortSetups setups;
    setups.record(4).name = "Okuma";
    setups.select(4);
    EXPECT_EQ(setups.selectedIndex(), 4);
    EXPECT_EQ(setups.workingCopy().name, "Okuma");
    setups.workingCopy().name = "changed";
    EXPECT_EQ(setups.record(4).name, "Okuma");
    setups.resetToDefaults();
    EXPECT_EQ(setups.record(4).name, "Config 5");
}

TEST(PortsInUse, BusyCheck)
{
    PortsInUse ports;
    ScriptedNotifier notifier;
    PortSetup setup;
    setup.port = 3;
    EXPECT_FALSE(portBusy(setup, ports, notifier));
    ports.markInUse(3);
    EXPECT_TRUE(ports.anyInUse());
    EXPECT_TRUE(portBusy(setup, ports, notifier));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Selected COM port is already busy"});
    ports.markFree(3);
    EXPECT_FALSE(ports.anyInUse());

    ports.markInUse(42);  // a damaged port number is never marked
    setup.port = 42;
    EXPECT_FALSE(ports.anyInUse());
    EXPECT_FALSE(portBusy(setup, ports, notifier));
}

}  // namespace
}  // namespace quillon
