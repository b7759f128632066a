// The controls of the block protocols, the test playing the PC: the sessions on made-up
// bytes and times.
#include <gtest/gtest.h>

#include <memory>

#include "ctrlsim/FanucReceive.h"
#include "ctrlsim/HeidenhainReceive.h"
#include "ctrlsim/LinePacer.h"
#include "ctrlsim/MazakReceive.h"
#include "platform/AtomicFile.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon::ctrlsim {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const TimePoint t0 = TimePoint{} + std::chrono::hours(1);

TimePoint at(Duration after)
{
    return t0 + after;
}

const std::string kDle0 =
    "\x10"
    "0";
const std::string kDle1 =
    "\x10"
    "1";
const std::string kNak = "\x15";
const std::string kAck = "\x06";
const std::string kEot = "\x04";

using test::bcc;
using test::fanucBlock;
using test::fanucHeader;
using test::heidenhainBlock;
using test::mazakBlock;

// The PC's bytes reach the control at `when`; what the control puts on the line then.
std::string say(ControlSession& control, std::string_view bytes, Duration when = {})
{
    control.received(bytes, at(when));
    std::string out = control.takeOutput(kUnlimited, at(when));
    control.written(out.size(), at(when));
    return out;
}

// The same, one byte at a time, as a slow line delivers them.
std::string sayByBytes(ControlSession& control, std::string_view bytes)
{
    std::string out;
    for (const char byte : bytes)
        out += say(control, std::string_view(&byte, 1));
    return out;
}

class CtrlSimProtocol : public ::testing::Test {
protected:
    std::unique_ptr<FanucReceive> fanuc(const BlockSessionSettings& settings = {},
                                        bool setupFile = false)
    {
        std::vector<FanucFile> files;
        files.push_back({path("O1234.NC"), std::make_unique<AtomicFileWriter>(path("O1234.NC"))});
        if (setupFile)
            files.push_back(
                {path("S0001.NC"), std::make_unique<AtomicFileWriter>(path("S0001.NC"))});
        auto session = std::make_unique<FanucReceive>(settings, std::move(files));
        session->start(at({}));
        return session;
    }
    std::unique_ptr<MazakReceive> mazak(BlockSessionSettings settings = {},
                                        std::string_view sequence = kDefaultMazakSequence)
    {
        settings.startDelay = Duration::zero();
        auto session = std::make_unique<MazakReceive>(
            settings, *parseMazakSequence(sequence, nullptr), path("MZ.TXT"),
            std::make_unique<AtomicFileWriter>(path("MZ.TXT")));
        session->start(at({}));
        return session;
    }
    std::unique_ptr<HeidenhainReceive> heidenhain(BlockSessionSettings settings = {})
    {
        settings.startDelay = Duration::zero();
        auto session = std::make_unique<HeidenhainReceive>(
            settings, "1234", path("1234.H"), std::make_unique<AtomicFileWriter>(path("1234.H")));
        session->start(at({}));
        return session;
    }
    // A HEIDENHAIN control whose request the PC has acknowledged.
    std::unique_ptr<HeidenhainReceive> heidenhainAcknowledged(BlockSessionSettings settings = {})
    {
        auto session = heidenhain(settings);
        EXPECT_EQ(say(*session, ""),
                  "\x01"
                  "1234\x17\x12");
        EXPECT_EQ(say(*session, kAck), "");
        return session;
    }
    std::string path(std::string_view name) const { return m_dir.path(name); }
    std::string stored(std::string_view name) const { return test::fileBytes(path(name)); }

    test::TempWorkDir m_dir;
};

// --- Fanuc DNC ----------------------------------------------------------------------

TEST_F(CtrlSimProtocol, FanucStoresTheDataBytesExactlyWithAlternatingAnswers)
{
    // Two full blocks, 8-bit bytes, CR LF, NUL, then an empty last block as a PC sends
    // for a file of a whole number of blocks.
    std::string data = "O1234\r\nG01 X1. (\xb0\x7f)\r\n";
    data += std::string(1, '\0');
    data.resize(2 * kFanucBlockData, 'G');
    const std::string exchange[] = {
        "\x05",
        fanucHeader("PO1234"),
        fanucBlock(std::string_view(data).substr(0, kFanucBlockData)),
        fanucBlock(std::string_view(data).substr(kFanucBlockData)),
        fanucBlock(""),
    };
    const std::string answers[] = {kDle0, kDle1, kDle0, kDle1, kDle0};
    // The header of program 1234, byte by byte.
    EXPECT_EQ(exchange[1], std::string("\x01SNP\x02O1234\x03\x07", 12));

    for (const bool byBytes : {false, true}) {
        SCOPED_TRACE(byBytes ? "one byte at a time" : "whole blocks");
        auto control = fanuc();
        for (std::size_t i = 0; i < std::size(exchange); ++i)
            EXPECT_EQ(byBytes ? sayByBytes(*control, exchange[i]) : say(*control, exchange[i]),
                      answers[i])
                << "step " << i;
        EXPECT_FALSE(control->done(at({})));
        EXPECT_EQ(say(*control, kEot), "");
        EXPECT_TRUE(control->done(at({})));
        const SessionEnd end = control->end(EndCause::Done, at({}));
        EXPECT_EQ(end.exitCode, 0) << end.summary;
        EXPECT_EQ(stored("O1234.NC"), data);
        EXPECT_EQ(control->names(), std::vector<std::string>{"O1234"});
    }
}

TEST_F(CtrlSimProtocol, FanucRefusesBadBlocksWithoutStoringThemAndKeepsTheAlternation)
{
    auto control = fanuc();
    say(*control, "\x05");
    std::string badHeader = fanucHeader("PO1234");
    badHeader.back() ^= 0x01;
    EXPECT_EQ(say(*control, badHeader), kNak);
    EXPECT_EQ(say(*control, fanucHeader("PS1234")), kNak);  // "P" goes with "O"
    EXPECT_EQ(say(*control, fanucHeader("PO1234")), kDle1);

    std::string badBlock = fanucBlock("O1234\r\n");
    badBlock[3] = 'X';
    EXPECT_EQ(say(*control, badBlock), kNak);
    EXPECT_EQ(say(*control, fanucBlock("O1234\r\n")), kDle0);
    EXPECT_EQ(say(*control, fanucBlock(std::string(kFanucBlockData + 1, 'G'))), kNak);
    EXPECT_EQ(say(*control, fanucBlock("M30\r\n")), kDle1);
    say(*control, kEot);
    EXPECT_EQ(control->end(EndCause::Done, at({})).exitCode, 0);
    EXPECT_EQ(stored("O1234.NC"), "O1234\r\nM30\r\n");
}

TEST_F(CtrlSimProtocol, FanucGivesUpOnABlockRefusedThreeTimes)
{
    auto control = fanuc();
    say(*control, "\x05" + fanucHeader("PO1234"));
    std::string bad = fanucBlock("O1234\r\n");
    bad.back() ^= 0x40;
    EXPECT_EQ(say(*control, bad), kNak);
    EXPECT_EQ(say(*control, bad), kNak);
    EXPECT_EQ(say(*control, bad), "");
    EXPECT_TRUE(control->done(at({})));
    const SessionEnd end = control->end(EndCause::Done, at({}));
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_NE(end.summary.find("refused 3 times"), std::string::npos) << end.summary;
    EXPECT_EQ(stored("O1234.NC"), "<missing>");
}

TEST_F(CtrlSimProtocol, FanucTakesASetupFileAfterTheProgramInTheSameConnection)
{
    auto control = fanuc({}, true);
    say(*control, "\x05" + fanucHeader("PO1234") + fanucBlock("O1234\r\nM30\r\n"));
    EXPECT_EQ(say(*control, kEot), "");
    // The PC's user chooses the setup file meanwhile: no timeout runs.
    EXPECT_FALSE(control->done(at(std::chrono::hours(2))));
    EXPECT_EQ(control->nextDeadline(at({})), std::nullopt);
    EXPECT_EQ(stored("O1234.NC"), "O1234\r\nM30\r\n");  // stored at its EOT already

    EXPECT_EQ(say(*control, "\x05"), kDle0);
    EXPECT_EQ(say(*control, fanucHeader("SS0001")), kDle1);
    EXPECT_EQ(say(*control, fanucBlock("#100=1\r\n")), kDle0);
    say(*control, kEot);
    EXPECT_TRUE(control->done(at({})));
    EXPECT_EQ(control->end(EndCause::Done, at({})).exitCode, 0);
    EXPECT_EQ(stored("S0001.NC"), "#100=1\r\n");
    EXPECT_EQ(control->names(), (std::vector<std::string>{"O1234", "S0001"}));
}

TEST_F(CtrlSimProtocol, APcThatStopsMidwayFailsAfterTheReplyTimeAndNothingIsStored)
{
    BlockSessionSettings settings;
    settings.replyTimeout = seconds(30);
    auto control = fanuc(settings);
    // Before the ENQ the control waits as long as it takes.
    EXPECT_EQ(control->nextDeadline(at({})), std::nullopt);
    EXPECT_FALSE(control->done(at(std::chrono::hours(2))));

    say(*control, "\x05" + fanucHeader("PO1234"), seconds(10));
    say(*control, fanucBlock("O1234\r\n").substr(0, 4), seconds(20));  // a block begun
    EXPECT_EQ(control->nextDeadline(at(seconds(20))), at(seconds(50)));
    EXPECT_FALSE(control->done(at(seconds(49))));
    EXPECT_TRUE(control->done(at(seconds(50))));
    const SessionEnd end = control->end(EndCause::Done, at(seconds(50)));
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_NE(end.summary.find("sent nothing for 30.0 s in block 2"), std::string::npos)
        << end.summary;
    EXPECT_EQ(stored("O1234.NC"), "<missing>");

    auto closed = fanuc();
    say(*closed, "\x05" + fanucHeader("PO1234") + fanucBlock("O1234\r\n"));
    const SessionEnd lost = closed->end(EndCause::LineClosed, at({}));
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_NE(lost.summary.find("the line closed while waiting for block 3"), std::string::npos)
        << lost.summary;
}

// --- MAZAK --------------------------------------------------------------------------

TEST_F(CtrlSimProtocol, MazakAsksForBlocksUntilThePcHasNoMore)
{
    enum class Ending { LineClosed, Quiet };
    for (const Ending ending : {Ending::LineClosed, Ending::Quiet}) {
        SCOPED_TRACE(ending == Ending::Quiet ? "the PC goes quiet" : "the PC closes the line");
        auto control = mazak();
        EXPECT_EQ(say(*control, ""), "q\x04");
        EXPECT_EQ(say(*control, "q00\x04"), "p4\x04");
        EXPECT_EQ(say(*control, mazakBlock("N10G0X0_Y0\r")), "p4\x04");
        // What follows ETX is not text.
        EXPECT_EQ(say(*control,
                      "p00\x02N20M30\x03"
                      "12\x04"),
                  "p4\x04");
        if (ending == Ending::Quiet) {
            EXPECT_FALSE(control->done(at(seconds(29))));
            EXPECT_TRUE(control->done(at(seconds(30))));
        }
        const SessionEnd end = control->end(
            ending == Ending::Quiet ? EndCause::Done : EndCause::LineClosed, at(seconds(30)));
        EXPECT_EQ(end.exitCode, 0) << end.summary;
        EXPECT_EQ(stored("MZ.TXT"), "N10G0X0_Y0\r\nN20M30\n");
    }
}

TEST_F(CtrlSimProtocol, MazakLoopEndsWhenSixFindsNothingAndTheSequenceGoesOn)
{
    auto control = mazak({}, "q,8,[6,4],D");
    const std::pair<std::string, std::string> steps[] = {
        {"", "q\x04"},
        {"q00\x04", "p8\x04"},
        {"p00\x04", "p6\x04"},
        {"p02\x04", "p4\x04"},
        {mazakBlock("A"), "p6\x04"},
        {"p02\x04", "p4\x04"},
        {mazakBlock("B"), "p6\x04"},
        {"p00\x04", "pD\x04"},
    };
    for (const auto& [pc, command] : steps)
        EXPECT_EQ(say(*control, pc), command) << shownBytes(pc);
    EXPECT_FALSE(control->done(at({})));
    EXPECT_EQ(say(*control, "p02\x04"), "");
    EXPECT_TRUE(control->done(at({})));
    EXPECT_EQ(control->end(EndCause::Done, at({})).exitCode, 0);
    EXPECT_EQ(stored("MZ.TXT"), "A\nB\n");
}

TEST_F(CtrlSimProtocol, MazakWrongAnswersFailTheExchange)
{
    struct Row {
        const char* scenario;
        std::vector<std::string> pc;
        const char* complaint;
    };
    const Row rows[] = {
        {"q answered like a p command", {"p00\x04"}, "unexpected answer to command 1 (q)"},
        {"a block without ETX", {"q00\x04", "p00\x02N10\x04"}, "no ETX"},
        {"a block without STX", {"q00\x04", "p00N10\x03\x04"}, "not \"p00\" and STX"},
    };
    for (const Row& row : rows) {
        auto control = mazak();
        say(*control, "");
        for (const std::string& bytes : row.pc)
            say(*control, bytes);
        EXPECT_TRUE(control->done(at({}))) << row.scenario;
        const SessionEnd end = control->end(EndCause::Done, at({}));
        EXPECT_EQ(end.exitCode, 1) << row.scenario;
        EXPECT_NE(end.summary.find(row.complaint), std::string::npos) << end.summary;
        EXPECT_EQ(stored("MZ.TXT"), "<missing>") << row.scenario;
    }

    // An answer cut off is not the PC having nothing more.
    auto control = mazak();
    say(*control, "");
    say(*control, "q00\x04");
    say(*control, "p00\x02N1");
    EXPECT_EQ(control->end(EndCause::LineClosed, at({})).exitCode, 1);
}

TEST(CtrlSimMazakSequence, ParsesCommandsAndLoopsAndRejectsWhatCannotWork)
{
    EXPECT_EQ(parseMazakSequence("q,[4]", nullptr), (MazakSequence{{"q", false}, {"4", true}}));
    EXPECT_EQ(parseMazakSequence("q,8,[6,4],D", nullptr),
              (MazakSequence{{"q", false}, {"8", false}, {"64", true}, {"D", false}}));
    for (const char* wrong : {"", "q,,4", "p4", "x", "[8]", "[4", "4]", "[[4]]", "[6,[4]]"}) {
        std::string error;
        EXPECT_EQ(parseMazakSequence(wrong, &error), std::nullopt) << wrong;
        EXPECT_FALSE(error.empty()) << wrong;
    }
}

// --- HEIDENHAIN ---------------------------------------------------------------------

TEST_F(CtrlSimProtocol, HeidenhainRequestsAfterTheStartDelayAndStoresEachBlockWithLf)
{
    BlockSessionSettings settings;
    auto control = std::make_unique<HeidenhainReceive>(
        settings, "1234", path("1234.H"), std::make_unique<AtomicFileWriter>(path("1234.H")));
    control->start(at({}));
    EXPECT_FALSE(control->hasOutput(at({})));
    EXPECT_EQ(control->nextDeadline(at({})), at(kDefaultStartDelay));
    EXPECT_EQ(say(*control, "", kDefaultStartDelay), std::string("\x01"
                                                                 "1234\x17\x12"));
    EXPECT_EQ(say(*control, kAck), "");

    // "\xe9" puts bit 7 into the exclusive-or: the check byte has it cleared.
    const std::string lines[] = {
        "%1234", "0 BEGIN PGM 1234 MM", "1 L X+10 \xe9", std::string(kHeidenhainBlockData, 'Z'),
        "",      "2 END PGM 1234 MM"};
    EXPECT_NE(bcc(heidenhainBlock(lines[2]).substr(0, 14)) & 0x80, 0);
    for (const std::string& line : lines)
        EXPECT_EQ(say(*control, heidenhainBlock(line)), kAck) << line;
    EXPECT_EQ(say(*control, "\x03"), "");
    EXPECT_TRUE(control->done(at({})));
    EXPECT_EQ(control->end(EndCause::Done, at({})).exitCode, 0);
    std::string expected;
    for (const std::string& line : lines)
        expected += line + "\n";
    EXPECT_EQ(stored("1234.H"), expected);
}

TEST_F(CtrlSimProtocol, HeidenhainRefusesBadBlocksAndTakesTheRepetition)
{
    auto control = heidenhainAcknowledged();
    std::string bad = heidenhainBlock("%1234");
    bad.back() ^= 0x01;
    EXPECT_EQ(say(*control, bad), kNak);
    EXPECT_EQ(say(*control, heidenhainBlock("%1234")), kAck);
    EXPECT_EQ(say(*control, heidenhainBlock(std::string(kHeidenhainBlockData + 1, 'Z'))), kNak);
    EXPECT_EQ(say(*control, heidenhainBlock("1 L X+10")), kAck);
    say(*control, "\x03");
    EXPECT_EQ(control->end(EndCause::Done, at({})).exitCode, 0);
    EXPECT_EQ(stored("1234.H"), "%1234\n1 L X+10\n");
}

TEST_F(CtrlSimProtocol, HeidenhainFailuresOfTheRequestAndTheFirstBlock)
{
    // The PC refuses the request: it is sent again, three times in all.
    auto refused = heidenhain();
    const std::string request = say(*refused, "");
    EXPECT_EQ(say(*refused, kNak), request);
    EXPECT_EQ(say(*refused, kNak), request);
    EXPECT_EQ(say(*refused, kNak), "");
    EXPECT_TRUE(refused->done(at({})));
    EXPECT_EQ(refused->end(EndCause::Done, at({})).exitCode, 1);

    auto other = heidenhainAcknowledged();
    EXPECT_EQ(say(*other, heidenhainBlock("%1235")), "");
    const SessionEnd end = other->end(EndCause::Done, at({}));
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_NE(end.summary.find("not \"%1234\""), std::string::npos) << end.summary;

    auto empty = heidenhainAcknowledged();
    say(*empty, "\x03");
    EXPECT_EQ(empty->end(EndCause::Done, at({})).exitCode, 1);
    EXPECT_EQ(stored("1234.H"), "<missing>");
}

// --- faults -------------------------------------------------------------------------

TEST_F(CtrlSimProtocol, GoSilentAnswersNothingMoreAndWaitsForTheLine)
{
    BlockSessionSettings settings;
    settings.faults.silentAfter = 2;
    auto control = fanuc(settings);
    EXPECT_EQ(say(*control, "\x05" + fanucHeader("PO1234")), kDle0 + kDle1);
    EXPECT_EQ(say(*control, fanucBlock("O1234\r\n")), kDle0);
    EXPECT_EQ(say(*control, fanucBlock("M30\r\n")), "");
    EXPECT_EQ(say(*control, "\x05" + kEot), "");
    EXPECT_TRUE(control->silent());
    EXPECT_EQ(control->nextDeadline(at({})), std::nullopt);
    EXPECT_FALSE(control->done(at(std::chrono::hours(2))));
    const SessionEnd end = control->end(EndCause::LineClosed, at(std::chrono::hours(2)));
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_NE(end.summary.find("silent as asked"), std::string::npos) << end.summary;

    auto asking = mazak(settings);
    say(*asking, "");
    say(*asking, "q00\x04");
    EXPECT_EQ(say(*asking, mazakBlock("A")), "");  // a third command is not sent
    EXPECT_FALSE(asking->done(at(std::chrono::hours(2))));
}

TEST_F(CtrlSimProtocol, GarbageReplacesEveryAnswerAfterTheFirstOnes)
{
    BlockSessionSettings settings;
    settings.faults.garbageAfter = 1;
    auto control = fanuc(settings);
    EXPECT_EQ(say(*control, "\x05" + fanucHeader("PO1234")), kDle0 + kDle1);
    EXPECT_EQ(say(*control, fanucBlock("O1234\r\n")), "??");

    auto heidenhainControl = heidenhainAcknowledged(settings);
    EXPECT_EQ(say(*heidenhainControl, heidenhainBlock("%1234")), kAck);
    EXPECT_EQ(say(*heidenhainControl, heidenhainBlock("1 L")), "?");

    // A garbled 4 that the PC cannot answer is a failure, not the end of the program.
    settings.faults.garbageAfter = 2;
    auto asking = mazak(settings);
    EXPECT_EQ(say(*asking, ""), "q\x04");
    EXPECT_EQ(say(*asking, "q00\x04"), "p4\x04");
    EXPECT_EQ(say(*asking, mazakBlock("A")), "???");
    EXPECT_TRUE(asking->done(at(seconds(30))));
    EXPECT_EQ(asking->end(EndCause::Done, at(seconds(30))).exitCode, 1);
    EXPECT_EQ(stored("MZ.TXT"), "<missing>");
}

TEST_F(CtrlSimProtocol, NakOnceRefusesARightBlockOnlyOnce)
{
    BlockSessionSettings settings;
    settings.faults.nakOnce = 2;
    auto control = heidenhainAcknowledged(settings);
    EXPECT_EQ(say(*control, heidenhainBlock("%1234")), kAck);
    EXPECT_EQ(say(*control, heidenhainBlock("1 L")), kNak);
    EXPECT_EQ(say(*control, heidenhainBlock("1 L")), kAck);
    say(*control, "\x03");
    EXPECT_EQ(control->end(EndCause::Done, at({})).exitCode, 0);
    EXPECT_EQ(stored("1234.H"), "%1234\n1 L\n");

    settings.faults.nakOnce = 1;
    auto fanucControl = fanuc(settings);
    EXPECT_EQ(say(*fanucControl, "\x05" + fanucHeader("PO1234")), kDle0 + kNak);
    EXPECT_EQ(say(*fanucControl, fanucHeader("PO1234")), kDle1);
}

TEST_F(CtrlSimProtocol, HangUpLetsTheLineGoWhenTheNextBlockBegins)
{
    BlockSessionSettings settings;
    settings.faults.hangUpAfter = 2;
    auto control = fanuc(settings);
    EXPECT_EQ(say(*control, "\x05" + fanucHeader("PO1234") + fanucBlock("O1234\r\n")),
              kDle0 + kDle1 + kDle0);
    EXPECT_FALSE(control->done(at({})));
    say(*control, "\x02");
    EXPECT_TRUE(control->done(at({})));
    const SessionEnd end = control->end(EndCause::Done, at({}));
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_NE(end.summary.find("hung up as asked in block 3"), std::string::npos) << end.summary;

    settings.faults.hangUpAfter = 1;
    auto asking = mazak(settings);
    say(*asking, "");
    EXPECT_EQ(say(*asking, "q00\x04"), "");
    EXPECT_TRUE(asking->done(at({})));
}

}  // namespace
}  // namespace quillon::ctrlsim
