// quillonlt-ctrlsim's command line: what it accepts, what it refuses and what it implies.
#include <gtest/gtest.h>

#include <sstream>

#include "ctrlsim/CtrlSim.h"
#include "ctrlsim/CtrlSimOptions.h"
#include "ctrlsim/StopRequest.h"

namespace quillon::ctrlsim {
namespace {

struct UsageCase {
    const char* scenario;
    std::vector<std::string> arguments;
    const char* complaint;  // part of the message
};

const UsageCase kUsageErrors[] = {
    {"no mode", {"--xonxoff"}, "one of --receive"},
    {"two modes", {"--echo", "--send", "a.nc"}, "exactly one"},
    {"mode without its file", {"--receive"}, "needs a value"},
    {"unknown option", {"--echo", "--fast"}, "unknown option --fast"},
    {"stray argument", {"--echo", "a.nc"}, "unexpected argument"},
    {"baud on a pseudo-terminal", {"--echo", "--baud", "9600"}, "needs --device"},
    {"baud not a line speed",
     {"--echo", "--device", "/dev/ttyS0", "--baud", "9601"},
     "--baud takes"},
    {"seven or eight bits", {"--echo", "--device", "/dev/ttyS0", "--bits", "6"}, "7 or 8"},
    {"odd parity", {"--echo", "--device", "/dev/ttyS0", "--parity=odd"}, "none or even"},
    {"receive option when sending", {"--send", "a.nc", "--idle", "3"}, "applies to --receive"},
    {"send option when receiving", {"--receive", "a.nc", "--wait-for-xon"}, "applies to --send"},
    {"unknown code", {"--send", "a.nc", "--code", "ascii"}, "iso, eia or bin"},
    {"a parity bit on binary", {"--send", "a.nc", "--code=bin", "--high-bit"}, "--code iso"},
    {"a parity bit on EIA", {"--send", "a.nc", "--code=eia", "--high-bit"}, "--code iso"},
    {"asking first when receiving", {"--receive", "a.nc", "--dc2-first"}, "applies to --send"},
    {"start delay when echoing", {"--echo", "--start-delay", "1"}, "applies to --send, --receive"},
    {"no consume rate", {"--receive", "a.nc", "--consume", "0"}, "whole number"},
    {"marks crossed",
     {"--receive", "a.nc", "--high-water", "20", "--low-water", "20"},
     "less than --high-water"},
    {"mark above the buffer",
     {"--receive", "a.nc", "--buffer", "64", "--high-water", "65"},
     "not be more than --buffer"},
    {"negative idle", {"--receive", "a.nc", "--idle", "-1"}, "seconds"},
    {"switch with a value", {"--echo", "--xonxoff=1"}, "takes no value"},
    {"line rate not a number", {"--echo", "--line-rate", "fast"}, "whole number"},
    {"two block protocols", {"--fanuc", "a.nc", "--mazak", "b.txt"}, "exactly one"},
    {"heidenhain without a number", {"--heidenhain", "a.h"}, "needs --program"},
    {"program number not digits", {"--heidenhain", "a.h", "--program", "12a"}, "1 to 8 digits"},
    {"program number too long", {"--heidenhain", "a.h", "--program=123456789"}, "1 to 8 digits"},
    {"NAK on MAZAK", {"--mazak", "a.txt", "--nak-once", "1"}, "a MAZAK control has no NAK"},
    {"NAK for block 0", {"--fanuc", "a.nc", "--nak-once", "0"}, "whole number from 1"},
    {"fault without a protocol",
     {"--receive", "a.nc", "--hangup-after", "1"},
     "applies to --fanuc"},
    {"second file for MAZAK",
     {"--mazak", "a.txt", "--fanuc-second", "b.nc"},
     "applies to --fanuc"},
    {"second file the same", {"--fanuc", "a.nc", "--fanuc-second", "a.nc"}, "other than"},
    {"XON/XOFF with a protocol", {"--fanuc", "a.nc", "--xonxoff"}, "applies to --receive, --send"},
    {"a loop that never ends", {"--mazak", "a.txt", "--mazak-sequence", "q,[8]"}, "never ends"},
    {"two Fanuc modes", {"--fanuc", "a.nc", "--fanuc-send", "b.nc"}, "exactly one"},
    {"no block size", {"--fanuc-send", "a.nc", "--block-size", "0"}, "whole number from 1"},
    {"a block over the PC's bound", {"--fanuc-send", "a.nc", "--block-size", "65537"}, "to 65536"},
    {"a check byte on MAZAK",
     {"--mazak-send", "a.txt", "--bad-check-once", "1"},
     "a MAZAK record has no check byte"},
    {"the Fanuc request spoiled",
     {"--fanuc-send", "a.nc", "--bad-check-once", "1"},
     "block 1 of --fanuc-send is the PC's request"},
    {"the Fanuc request overlong",
     {"--fanuc-send", "a.nc", "--overlong-block=1"},
     "block 1 of --fanuc-send"},
    {"overlong when receiving",
     {"--heidenhain", "a.h", "--program", "1", "--overlong-block", "2"},
     "applies to --fanuc-send"},
    {"NAK when sending", {"--heidenhain-send", "a.h", "--nak-once", "2"}, "refuses nothing"},
    {"a link to a device", {"--echo", "--device", "/dev/ttyS0", "--link", "COM1"}, "--link names"},
    {"an empty link name", {"--echo", "--link="}, "link name is empty"},
    {"start delay for the Fanuc sender",
     {"--fanuc-send", "a.nc", "--start-delay", "1"},
     "applies to --send, --receive"},
};

TEST(CtrlSimCommandLine, UsageErrorsExitWithTwoAndSayWhat)
{
    StopRequest stop;
    for (const UsageCase& row : kUsageErrors) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(ctrlSimMain(row.arguments, out, err, stop), 2) << row.scenario;
        EXPECT_NE(err.str().find(row.complaint), std::string::npos)
            << row.scenario << ": " << err.str();
        EXPECT_NE(err.str().find("Usage:"), std::string::npos) << row.scenario;
        EXPECT_EQ(out.str(), "") << row.scenario;
    }
}

TEST(CtrlSimCommandLine, DefaultsAndImpliedSettings)
{
    auto parsed =
        parseArguments({"--receive", "a.nc", "--buffer=400", "--consume", "50", "--idle", "0"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.buffer.highWater, 300u);
    EXPECT_EQ(parsed.options.buffer.lowWater, 100u);
    EXPECT_EQ(parsed.options.buffer.consumeRate, 50u);
    EXPECT_EQ(parsed.options.idleEnd, std::nullopt);

    parsed = parseArguments({"--send", "a.nc", "--wait-for-xon", "--start-delay", "1.5"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_TRUE(parsed.options.xonXoff);
    EXPECT_EQ(parsed.options.startDelay, std::chrono::milliseconds(1500));

    parsed = parseArguments({"--send", "a.nc", "--dc2-first", "--code", "iso", "--high-bit"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_TRUE(parsed.options.xonXoff);
    EXPECT_TRUE(parsed.options.dc2First);
    EXPECT_EQ(parsed.options.code, CharacterCode::Iso);
    EXPECT_TRUE(parsed.options.highBit);

    parsed = parseArguments({"--send", "a.nc", "--code", "eia"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.code, CharacterCode::Eia);

    parsed = parseArguments({"--echo", "--device", "/dev/ttyUSB0", "--baud", "4800", "--bits", "7",
                             "--parity", "even", "--stop", "2", "--rtscts"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    const LineSettings expected{4800, 7, LineParity::Even, 2, true, false};
    EXPECT_EQ(parsed.options.line, expected);

    parsed = parseArguments({"--heidenhain", "1234.H", "--program", "1234", "--reply-timeout", "0",
                             "--go-silent-after", "0", "--garbage-after=5", "--hangup-after", "7",
                             "--start-delay", "0"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.program, "1234");
    EXPECT_EQ(parsed.options.replyTimeout, std::nullopt);
    EXPECT_EQ(parsed.options.faults.silentAfter, 0u);
    EXPECT_EQ(parsed.options.faults.garbageAfter, 5u);
    EXPECT_EQ(parsed.options.faults.hangUpAfter, 7u);
    EXPECT_EQ(parsed.options.faults.nakOnce, std::nullopt);

    parsed = parseArguments({"--fanuc-send", "O.NC", "--fanuc-second", "S.NC", "--block-size",
                             "100", "--bad-check-once", "3", "--overlong-block", "2"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.mode, SimMode::FanucSend);
    EXPECT_EQ(parsed.options.secondFile, "S.NC");
    EXPECT_EQ(parsed.options.blockData, 100u);
    EXPECT_EQ(parsed.options.faults.badCheckOnce, 3u);
    EXPECT_EQ(parsed.options.faults.overlongBlock, 2u);
    EXPECT_EQ(parseArguments({"--fanuc-send", "O.NC"}).options.blockData, kFanucBlockData);

    parsed = parseArguments({"--mazak", "MZ.TXT"});
    ASSERT_EQ(parsed.action, ParsedArguments::Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options.mazakSequence, "q,[4]");
    EXPECT_EQ(parsed.options.replyTimeout, std::chrono::seconds(30));

    EXPECT_EQ(parseArguments({"--echo", "--help"}).action, ParsedArguments::Action::Help);
}

}  // namespace
}  // namespace quillon::ctrlsim
