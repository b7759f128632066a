// The control sending, the test playing the PC's receive side byte for byte over a
// pseudo-terminal: plain punching in its codes, and the sending side of the block protocols.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ctrlsim/FanucSend.h"
#include "ctrlsim/HeidenhainSend.h"
#include "ctrlsim/LinePacer.h"
#include "ctrlsim/MazakSend.h"
#include "ctrlsim/PlainSend.h"
#include "ctrlsim/ProgramSource.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon::ctrlsim {
namespace {

using std::chrono::milliseconds;
using test::bcc;
using test::fanucBlock;
using test::fanucHeader;
using test::heidenhainBlock;

constexpr char kDc1 = 0x11;
constexpr char kDc2 = 0x12;
constexpr char kDc3 = 0x13;
const std::string kEnq = "\x05";
const std::string kEot = "\x04";
const std::string kEtx = "\x03";
const std::string kAck = "\x06";
const std::string kNak = "\x15";
const std::string kDle0 =
    "\x10"
    "0";
const std::string kDle1 =
    "\x10"
    "1";
const std::string kSoh = "\x01";
// Long enough for a control that was going to send something to have sent it.
constexpr int kShortQuietMs = 150;
// The reply time of the tests where the PC falls silent.
constexpr auto kShortReplyTime = milliseconds(200);

// The bytes with bit 7 set, as a control with a parity bit puts them on the line.
std::string topBit(std::string bytes)
{
    for (char& byte : bytes)
        byte = static_cast<char>(byte | 0x80);
    return bytes;
}

// The PC says `bytes` and hears `answerSize` bytes of the control's answer.
std::string say(test::OtherSide& pc, std::string_view bytes, std::size_t answerSize)
{
    EXPECT_TRUE(pc.write(bytes));
    return pc.read(answerSize);
}

// The PC says `bytes` and the control answers `expected`.
::testing::AssertionResult answers(test::OtherSide& pc, std::string_view bytes,
                                   const std::string& expected)
{
    if (!pc.write(bytes))
        return ::testing::AssertionFailure() << "the PC could not write";
    const std::string got = pc.read(expected.size());
    if (got == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << shownBytes(bytes, 80) << " answered " << shownBytes(got, 80) << " instead of "
           << shownBytes(expected, 80);
}

// The data cut into blocks of at most `size` bytes.
std::vector<std::string> blocksOf(std::string_view data, std::size_t size)
{
    std::vector<std::string> blocks;
    for (std::size_t at = 0; at < data.size(); at += size)
        blocks.emplace_back(data.substr(at, size));
    return blocks;
}

std::string dle(char digit)
{
    return {'\x10', digit};
}

// The other digit of the DLE alternation.
char nextDigit(char digit)
{
    return digit == '1' ? '0' : '1';
}

// A fault plan with one fault.
FaultPlan faultAt(std::optional<std::size_t> FaultPlan::*fault, std::size_t block)
{
    FaultPlan plan;
    plan.*fault = block;
    return plan;
}

bool mentions(const std::optional<SessionEnd>& end, std::string_view text)
{
    return end && end->summary.find(text) != std::string::npos;
}

class CtrlSimSend : public ::testing::Test {
protected:
    std::unique_ptr<PlainSend> plainSender(PlainSendSettings settings, std::string_view program)
    {
        settings.startDelay = Duration::zero();
        return std::make_unique<PlainSend>(settings, source("O2000.NC", program));
    }
    std::unique_ptr<FanucSend> fanuc(const BlockSessionSettings& settings, std::string_view data,
                                     std::size_t blockData,
                                     std::optional<std::string_view> setupFile = std::nullopt)
    {
        std::vector<FanucSource> files;
        files.push_back({path("O1234.NC"), source("O1234.NC", data)});
        if (setupFile)
            files.push_back({path("S0001.NC"), source("S0001.NC", *setupFile)});
        return std::make_unique<FanucSend>(settings, std::move(files), blockData);
    }
    std::unique_ptr<MazakSend> mazak(BlockSessionSettings settings, std::string_view text)
    {
        settings.startDelay = Duration::zero();
        return std::make_unique<MazakSend>(settings, path("MZ.TXT"), source("MZ.TXT", text));
    }
    std::unique_ptr<HeidenhainSend> heidenhain(BlockSessionSettings settings,
                                               std::string_view text)
    {
        settings.startDelay = Duration::zero();
        return std::make_unique<HeidenhainSend>(settings, path("1234.H"), source("1234.H", text));
    }
    std::unique_ptr<ProgramSource> source(std::string_view name, std::string_view bytes)
    {
        m_dir.write(name, bytes);
        std::string error;
        auto program = ProgramSource::open(path(name), &error);
        EXPECT_TRUE(program) << error;
        return program;
    }
    std::string path(std::string_view name) const { return m_dir.path(name); }

    test::TempWorkDir m_dir;
};

// --- plain send ---------------------------------------------------------------------

TEST_F(CtrlSimSend, PlainSendPutsEachByteOnTheLineInItsCode)
{
    // The EIA codes of "%", CR and LF, "G", "1", blank, "x" (as "X"), "2", "." and "@"
    // (which has none).
    const std::string program = "%\r\nG1 x2.\r\n@";
    const std::string eia = "\x0b\x80\x80\x67\x01\x10\x37\x02\x6b\x80\x80\x7f";
    const std::string binary = std::string("\x00\xff\x12\x13", 4) + "%\r\n";
    struct Row {
        const char* scenario;
        CharacterCode code;
        bool highBit;
        std::string program;
        std::string onLine;
    };
    const Row rows[] = {
        {"ISO: as it is", CharacterCode::Iso, false, program, program},
        {"EIA: punch codes", CharacterCode::Eia, false, program, eia},
        {"ISO with a parity bit", CharacterCode::Iso, true, program, topBit(program)},
        {"EIA with a parity bit", CharacterCode::Eia, true, program, topBit(eia)},
        {"BIN: every byte as it is", CharacterCode::Bin, false, binary, binary},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        PlainSendSettings settings;
        settings.code = row.code;
        settings.highBit = row.highBit;
        test::SimulatorThread sim(plainSender(settings, row.program));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        EXPECT_EQ(pc.read(row.onLine.size()), row.onLine);
        EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
        pc.close();
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 0) << end->summary;
    }
}

TEST_F(CtrlSimSend, Dc2FirstAsksAloneAndPunchesOnlyAfterTheXon)
{
    const std::string program = "%\r\nO2000\r\nM30\r\n%\r\n";
    for (const bool highBit : {false, true}) {
        SCOPED_TRACE(highBit ? "with a parity bit" : "seven bits");
        PlainSendSettings settings;
        settings.dc2First = true;
        settings.highBit = highBit;
        test::SimulatorThread sim(plainSender(settings, program));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        const std::string dc2 = highBit ? topBit({kDc2}) : std::string(1, kDc2);
        EXPECT_EQ(pc.read(1), dc2);
        // Nothing follows the DC2 until it is answered, not even after a DC3.
        ASSERT_TRUE(pc.write(std::string(1, kDc3)));
        EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
        EXPECT_EQ(sim.written(), dc2);

        ASSERT_TRUE(pc.write(std::string(1, kDc1)));
        EXPECT_EQ(pc.read(program.size()), highBit ? topBit(program) : program);
        pc.close();
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 0) << end->summary;
        EXPECT_NE(end->summary.find("sent " + std::to_string(program.size()) + " bytes"),
                  std::string::npos)
            << end->summary;
    }
}

TEST_F(CtrlSimSend, Dc2FirstWithoutAnAnswerIsAFailure)
{
    PlainSendSettings settings;
    settings.dc2First = true;
    test::SimulatorThread sim(plainSender(settings, "O2000\r\n"));
    {
        test::OtherSide pc(sim.path());
        EXPECT_EQ(pc.read(1), std::string(1, kDc2));
    }
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 1);
    EXPECT_NE(end->summary.find("no XON answered the DC2"), std::string::npos) << end->summary;
}

// --- Fanuc DNC ----------------------------------------------------------------------

// The PC asks for a file: ENQ, the request and EOT, each answer checked, up to the
// control's ENQ before the data.
void requestFanucFile(test::OtherSide& pc, std::string_view typeAndName)
{
    EXPECT_TRUE(answers(pc, kEnq, kDle0));
    EXPECT_TRUE(answers(pc, fanucHeader(typeAndName, 'R'), kDle1));
    EXPECT_TRUE(answers(pc, kEot, kEnq));
}

// The PC takes the file's blocks with the DLE alternation, up to the control's EOT.
void takeFanucFile(test::OtherSide& pc, std::string_view data, std::size_t blockData)
{
    std::string answer = kDle0;
    char digit = '1';
    for (const std::string& block : blocksOf(data, blockData)) {
        EXPECT_TRUE(answers(pc, answer, fanucBlock(block)));
        answer = dle(digit);
        digit = nextDigit(digit);
    }
    EXPECT_TRUE(answers(pc, answer, kEot));
}

TEST_F(CtrlSimSend, FanucSendsTheRequestedFileInBlocksWithAlternatingAnswers)
{
    // 8-bit bytes, CR LF and NUL go as they are; a file of whole blocks gets no empty one.
    const std::string program = std::string("O1234\r\nG01 X1. (\xb0)\r\n\0M30\r\n", 26);
    const std::size_t blockSizes[] = {8, 13, kFanucBlockData};
    for (const std::size_t blockData : blockSizes) {
        SCOPED_TRACE("blocks of " + std::to_string(blockData));
        test::SimulatorThread sim(fanuc({}, program, blockData));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        requestFanucFile(pc, "PO1234");
        takeFanucFile(pc, program, blockData);
        EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
        pc.close();  // the EOT must reach the PC: the control keeps the line till then
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 0) << end->summary;
        const std::size_t blocks = (program.size() + blockData - 1) / blockData;
        EXPECT_TRUE(mentions(end, "sent " + std::to_string(blocks) + " blocks (26 bytes) of " +
                                      path("O1234.NC") + " for O1234"))
            << end->summary;
    }
}

TEST_F(CtrlSimSend, FanucSendsTheSetupFileOnASecondRequest)
{
    // One block: the setup file's first block is answered DLE "1" all the same.
    const std::string program = "O1234\r\n";
    const std::string setup = "#100=1\r\n";
    test::SimulatorThread sim(fanuc({}, program, 8, setup));
    test::OtherSide pc(sim.path());
    ASSERT_TRUE(pc.ok());
    requestFanucFile(pc, "PO1234");
    takeFanucFile(pc, program, 8);
    requestFanucFile(pc, "SS0001");
    takeFanucFile(pc, setup, 8);
    pc.close();
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
    EXPECT_TRUE(mentions(end, "of " + path("S0001.NC") + " for S0001")) << end->summary;

    // A second request for a program instead of the setup file.
    test::SimulatorThread again(fanuc({}, program, 8, setup));
    test::OtherSide other(again.path());
    requestFanucFile(other, "PO1234");
    takeFanucFile(other, program, 8);
    EXPECT_TRUE(answers(other, kEnq, kDle0));
    ASSERT_TRUE(other.write(fanucHeader("PO1234", 'R')));
    const auto refused = again.waitForEnd();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->exitCode, 1);
    EXPECT_TRUE(mentions(refused, "where the setup file was due")) << refused->summary;
    EXPECT_TRUE(mentions(refused, "sent in full before: 1 blocks")) << refused->summary;
}

TEST_F(CtrlSimSend, FanucEndsOnAWrongRequestOrAnswer)
{
    std::string badCheck = fanucHeader("PO1234", 'R');
    badCheck.back() ^= 0x01;
    const std::string data = "O1234\r\nG01 X1.\r\nM30\r\n";  // three blocks of 8
    const std::string toData = kEnq + fanucHeader("PO1234", 'R') + kEot;
    struct Row {
        const char* scenario;
        std::string pc;           // all the PC says
        std::string controlSaid;  // all the control says, and no more
        const char* complaint;
    };
    const Row rows[] = {
        {"a request with a wrong check", kEnq + badCheck, kDle0, "the header's check byte"},
        {"a header that sends instead of requesting", kEnq + fanucHeader("PO1234", 'S'), kDle0,
         "not a header"},
        {"a program number of three characters", kEnq + fanucHeader("PO123", 'R'), kDle0,
         "a header of 11 bytes instead of 12"},
        {"no EOT after the request", kEnq + fanucHeader("PO1234", 'R') + "?", kDle0 + kDle1,
         "sent ? instead of EOT"},
        {"not ready for the data",
         toData + "\x10"
                  "1",
         kDle0 + kDle1 + kEnq, "answered <DLE>1 instead of <DLE>0"},
        {"the first block answered DLE 0", toData + kDle0 + kDle0,
         kDle0 + kDle1 + kEnq + fanucBlock("O1234\r\nG"), "answered <DLE>0 instead of <DLE>1"},
        {"the second block answered DLE 1", toData + kDle0 + kDle1 + kDle1,
         kDle0 + kDle1 + kEnq + fanucBlock("O1234\r\nG") + fanucBlock("01 X1.\r\n"),
         "instead of <DLE>0 while waiting for the answer to block 3"},
        {"garbage for an answer", toData + kDle0 + "?",
         kDle0 + kDle1 + kEnq + fanucBlock("O1234\r\nG"), "answered ? instead of <DLE>1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        test::SimulatorThread sim(fanuc({}, data, 8));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        ASSERT_TRUE(pc.write(row.pc));
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 1);
        EXPECT_TRUE(mentions(end, row.complaint)) << end->summary;
        EXPECT_EQ(sim.written(), row.controlSaid);
    }
}

TEST_F(CtrlSimSend, FanucWaitsForAnEnqAsLongAsItTakesAndForAnAnswerNoLongerThanAsked)
{
    // On made-up times: the runner would wake the control at its deadline.
    BlockSessionSettings settings;
    settings.replyTimeout = std::chrono::seconds(30);
    auto control = fanuc(settings, "O1234\r\n", 8, "#1\r\n");
    const TimePoint t0 = TimePoint{} + std::chrono::hours(1);
    control->start(t0);
    auto pcSays = [&](std::string_view bytes, Duration when) {
        control->received(bytes, t0 + when);
        const std::string out = control->takeOutput(kUnlimited, t0 + when);
        control->written(out.size(), t0 + when);
        return out;
    };
    // Before the first ENQ, and between the files while the PC's user chooses where to
    // store the setup file, nothing runs out.
    EXPECT_EQ(control->nextDeadline(t0), std::nullopt);
    EXPECT_FALSE(control->done(t0 + std::chrono::hours(2)));
    const auto later = std::chrono::hours(3);
    EXPECT_EQ(pcSays(kEnq + fanucHeader("PO1234", 'R') + kEot, later), kDle0 + kDle1 + kEnq);
    EXPECT_EQ(pcSays(kDle0 + kDle1, later), fanucBlock("O1234\r\n") + kEot);
    EXPECT_EQ(control->nextDeadline(t0 + later), std::nullopt);
    EXPECT_FALSE(control->done(t0 + later * 2));

    pcSays(kEnq + fanucHeader("SS0001", 'R') + kEot + kDle0, later * 2);
    EXPECT_EQ(control->nextDeadline(t0 + later * 2), t0 + later * 2 + std::chrono::seconds(30));
    EXPECT_FALSE(control->done(t0 + later * 2 + std::chrono::seconds(29)));
    EXPECT_TRUE(control->done(t0 + later * 2 + std::chrono::seconds(30)));
    const SessionEnd end = control->end(EndCause::Done, t0 + later * 2);
    EXPECT_EQ(end.exitCode, 1);
    EXPECT_NE(end.summary.find("sent in full before: 1 blocks (7 bytes)"), std::string::npos)
        << end.summary;
}

TEST_F(CtrlSimSend, FanucGivesUpOnAPcThatFallsSilent)
{
    BlockSessionSettings settings;
    settings.replyTimeout = kShortReplyTime;
    test::SimulatorThread sim(fanuc(settings, "O1234\r\nM30\r\n", 8));
    test::OtherSide pc(sim.path());
    ASSERT_TRUE(pc.ok());
    requestFanucFile(pc, "PO1234");
    EXPECT_TRUE(answers(pc, kDle0, fanucBlock("O1234\r\nM")));
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 1);
    EXPECT_TRUE(mentions(end, "sent nothing for 0.2 s while waiting for the answer to block 2"))
        << end->summary;
}

TEST_F(CtrlSimSend, FanucBadCheckOnceSpoilsOneBlockThatThePcMustNotTake)
{
    const std::string data = "O1234\r\nG01 X1.\r\nM30\r\n";
    BlockSessionSettings settings;
    settings.faults.badCheckOnce = 3;  // the second data block
    for (const bool pcTakesIt : {false, true}) {
        SCOPED_TRACE(pcTakesIt ? "the PC takes it" : "the PC closes");
        test::SimulatorThread sim(fanuc(settings, data, 8));
        test::OtherSide pc(sim.path());
        requestFanucFile(pc, "PO1234");
        EXPECT_TRUE(answers(pc, kDle0, fanucBlock("O1234\r\nG")));
        const std::string right = fanucBlock("01 X1.\r\n");
        const std::string spoiled = say(pc, kDle1, right.size());
        ASSERT_EQ(spoiled.size(), right.size());
        EXPECT_EQ(spoiled.substr(0, 10), right.substr(0, 10));
        // Wrong in the seven bits the PC compares.
        EXPECT_NE(spoiled.back() & 0x7f, right.back() & 0x7f);
        if (pcTakesIt)
            ASSERT_TRUE(pc.write(kDle0));
        else
            pc.close();  // "Checksum error"
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 1);
        EXPECT_TRUE(mentions(end, pcTakesIt ? "the PC accepted block 3 although its check byte"
                                            : "the line closed while waiting for the answer "
                                              "to block 3"))
            << end->summary;
        EXPECT_TRUE(mentions(end, "the PC took 1 blocks (8 bytes)")) << end->summary;
    }
}

TEST_F(CtrlSimSend, FanucOverlongBlockCarriesItsDataAndFillerAndTheFileGoesOn)
{
    const std::string data = "O1234\r\nG01 X1.\r\nM30\r\n";
    BlockSessionSettings settings;
    settings.faults.overlongBlock = 2;
    test::SimulatorThread sim(fanuc(settings, data, 8));
    test::OtherSide pc(sim.path());
    requestFanucFile(pc, "PO1234");
    std::string overlong = "O1234\r\nG";
    overlong.resize(kOverlongBlockData, kOverlongFiller);
    EXPECT_TRUE(answers(pc, kDle0, fanucBlock(overlong)));
    // The PC took it: the next block carries the rest of the file.
    EXPECT_TRUE(answers(pc, kDle1, fanucBlock("01 X1.\r\n")));
    EXPECT_TRUE(answers(pc, kDle0, fanucBlock("M30\r\n")));
    EXPECT_TRUE(answers(pc, kDle1, kEot));
    pc.close();
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
}

TEST_F(CtrlSimSend, FanucSilenceGarbageAndHangUpStartWithTheDataBlockAsked)
{
    const std::string data = "O1234\r\nM30\r\n";
    struct Row {
        const char* scenario;
        FaultPlan faults;
        std::string firstBlock;  // what the PC gets for block 2
        const char* complaint;
    };
    const Row rows[] = {
        {"silent", faultAt(&FaultPlan::silentAfter, 1), "", "silent as asked"},
        {"garbage", faultAt(&FaultPlan::garbageAfter, 1), std::string(11, '?'),
         "sent nothing for 0.2 s"},
        {"hang-up", faultAt(&FaultPlan::hangUpAfter, 1), "", "hung up as asked"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        BlockSessionSettings settings;
        settings.replyTimeout = kShortReplyTime;
        settings.faults = row.faults;
        test::SimulatorThread sim(fanuc(settings, data, 8));
        test::OtherSide pc(sim.path());
        requestFanucFile(pc, "PO1234");
        ASSERT_TRUE(pc.write(kDle0));
        EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), row.firstBlock);
        auto end = sim.waitForEnd(row.faults.silentAfter ? 0 : test::kPatienceMs);
        if (row.faults.silentAfter) {
            EXPECT_FALSE(end) << "a silent control waits for the line";
            pc.close();
            end = sim.waitForEnd();
        }
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 1);
        EXPECT_TRUE(mentions(end, row.complaint)) << end->summary;
    }
}

// --- MAZAK --------------------------------------------------------------------------

TEST_F(CtrlSimSend, MazakSendsEachLineAsARecordAndTheNextAfterItsReply)
{
    // CR LF and LF line ends; an empty line is no record.
    const std::string file = "q\r\np1O1234_\r\np2(FLANGE 7)_\np1N10G0X0_\n\np9\npA1_\n";
    const std::pair<std::string, std::string> exchange[] = {
        {"q\x04", "q00\x04"},
        {"p1O1234\x03\x04", "p00\x04"},
        {"p2(FLANGE 7)\x03\x04", "p02\x04"},
        {"p1N10G0X0\x03\x04", "p00\x04"},
        {"p9\x04", "p00\x04"},
        {"pA1\x03\x04", "p00\x04"},
    };
    test::SimulatorThread sim(mazak({}, file));
    test::OtherSide pc(sim.path());
    ASSERT_TRUE(pc.ok());
    EXPECT_EQ(pc.read(exchange[0].first.size()), exchange[0].first);
    // Nothing more before the reply.
    EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
    for (std::size_t i = 0; i + 1 < std::size(exchange); ++i)
        EXPECT_TRUE(answers(pc, exchange[i].second, exchange[i + 1].first)) << "record " << i + 1;
    ASSERT_TRUE(pc.write(exchange[std::size(exchange) - 1].second));
    // The PC's window stays open: the last right reply ends the exchange.
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
    std::size_t bytes = 0;  // the records without their EOT
    for (const auto& [record, reply] : exchange)
        bytes += record.size() - 1;
    EXPECT_TRUE(
        mentions(end, "sent 6 records (" + std::to_string(bytes) + " bytes) of " + path("MZ.TXT")))
        << end->summary;
}

TEST_F(CtrlSimSend, MazakEndsOnAWrongReplyOrNone)
{
    const std::string file = "q\np2(PART)_\np1N10_\n";
    struct Row {
        const char* scenario;
        std::string pc;
        std::string controlSaid;
        const char* complaint;
    };
    const Row rows[] = {
        {"p00 for a p2", "q00\x04p00\x04", "q\x04p2(PART)\x03\x04",
         "answered p00 instead of p02<EOT> to record 2 (line 2)"},
        {"p00 for a q", "p00\x04", "q\x04", "answered p instead of q00<EOT> to record 1"},
        {"a reply too long", "q00\x04p02?\x04", "q\x04p2(PART)\x03\x04",
         "answered p02? instead of p02<EOT>"},
        {"no reply", "q00\x04", "q\x04p2(PART)\x03\x04",
         "sent nothing for 0.2 s while waiting for the reply to record 2"},
        {"a reply without its EOT", "q00\x04p02", "q\x04p2(PART)\x03\x04",
         "sent nothing for 0.2 s"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        BlockSessionSettings settings;
        settings.replyTimeout = kShortReplyTime;
        test::SimulatorThread sim(mazak(settings, file));
        test::OtherSide pc(sim.path());
        ASSERT_TRUE(pc.ok());
        EXPECT_EQ(pc.read(2), "q\x04");
        ASSERT_TRUE(pc.write(row.pc));
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 1);
        EXPECT_TRUE(mentions(end, row.complaint)) << end->summary;
        EXPECT_EQ(sim.written(), row.controlSaid);
    }
}

TEST_F(CtrlSimSend, MazakFaultsSpoilTheRecordAsked)
{
    const std::string file = "p1N10_\np1N20_\n";
    std::string overlong = "p1N20\x03";
    overlong.resize(kOverlongBlockData, kOverlongFiller);
    struct Row {
        const char* scenario;
        FaultPlan faults;
        std::string second;  // what the PC gets for record 2
    };
    const Row rows[] = {
        {"overlong", faultAt(&FaultPlan::overlongBlock, 2), overlong + "\x04"},
        {"garbage", faultAt(&FaultPlan::garbageAfter, 1), std::string(7, '?')},
        {"silent", faultAt(&FaultPlan::silentAfter, 1), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        BlockSessionSettings settings;
        settings.replyTimeout = kShortReplyTime;
        settings.faults = row.faults;
        test::SimulatorThread sim(mazak(settings, file));
        test::OtherSide pc(sim.path());
        EXPECT_EQ(pc.read(7), "p1N10\x03\x04");
        ASSERT_TRUE(pc.write("p00\x04"));
        EXPECT_EQ(pc.read(row.second.size() + 1, kShortQuietMs), row.second);
        if (row.faults.overlongBlock) {
            ASSERT_TRUE(pc.write("p00\x04"));
            const auto end = sim.waitForEnd();
            ASSERT_TRUE(end);
            EXPECT_EQ(end->exitCode, 0) << end->summary;
        }
    }
}

TEST(CtrlSimMazakRecords, AFileOfRecordsOrWhyNot)
{
    test::TempWorkDir dir;
    struct Row {
        const char* scenario;
        std::string file;
        std::optional<std::string> problem;
    };
    const Row rows[] = {
        {"records", "q\r\n\r\np1A_\np9", std::nullopt},
        {"a line of text", "p1A_\nN10 G0\n", "line 2 is not a record"},
        {"a p without its command", "p1A_\np\n", "line 2 is not a record"},
        {"only empty lines", "\r\n\n", "no record"},
    };
    for (const Row& row : rows) {
        dir.write("MZ.TXT", row.file);
        auto file = ProgramSource::open(dir.path("MZ.TXT"), nullptr);
        ASSERT_TRUE(file);
        const auto problem = mazakRecordsProblem(*file);
        EXPECT_NE(problem.value_or("").find(row.problem.value_or("")), std::string::npos)
            << row.scenario << ": " << problem.value_or("");
        EXPECT_EQ(problem.has_value(), row.problem.has_value()) << row.scenario;
        // Left at the beginning, to be sent.
        EXPECT_EQ(file->takeLine(), row.file.substr(0, row.file.find_first_of("\r\n")))
            << row.scenario;
    }
}

// --- HEIDENHAIN ---------------------------------------------------------------------

TEST_F(CtrlSimSend, HeidenhainSendsTheHeaderAndEachLineOnAckAndEndsWithEtx)
{
    // "\xe9" puts bit 7 into the exclusive-or: the check byte has it cleared.
    const std::string lines[] = {"%1234", "0 BEGIN PGM 1234 MM", "1 L X+10 \xe9", "",
                                 "2 END PGM 1234 MM"};
    const std::string file = "%1234\r\n0 BEGIN PGM 1234 MM\n1 L X+10 \xe9\n\n2 END PGM 1234 MM";
    EXPECT_NE(bcc(heidenhainBlock(lines[2]).substr(0, 14)) & 0x80, 0);
    test::SimulatorThread sim(heidenhain({}, file));
    test::OtherSide pc(sim.path());
    ASSERT_TRUE(pc.ok());
    const std::string header = heidenhainBlock(lines[0], kSoh[0]);
    EXPECT_EQ(pc.read(header.size()), header);
    EXPECT_EQ(pc.readUntilQuiet(kShortQuietMs), "");
    for (std::size_t i = 1; i < std::size(lines); ++i)
        EXPECT_TRUE(answers(pc, kAck, heidenhainBlock(lines[i]))) << lines[i];
    EXPECT_TRUE(answers(pc, kAck, kEtx));
    pc.close();  // the ETX must reach the PC: the control keeps the line till then
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
    std::size_t bytes = 0;
    for (const std::string& line : lines)
        bytes += line.size();
    EXPECT_TRUE(
        mentions(end, "sent 5 blocks (" + std::to_string(bytes) + " bytes) of " + path("1234.H")))
        << end->summary;
}

TEST_F(CtrlSimSend, HeidenhainSendsARefusedBlockAgainAndGivesUpAfterThreeRefusals)
{
    test::SimulatorThread sim(heidenhain({}, "%1234\n1 L X+10\n"));
    test::OtherSide pc(sim.path());
    const std::string header = heidenhainBlock("%1234", kSoh[0]);
    const std::string block = heidenhainBlock("1 L X+10");
    EXPECT_EQ(pc.read(header.size()), header);
    EXPECT_TRUE(answers(pc, kNak, header));
    EXPECT_TRUE(answers(pc, kAck, block));
    EXPECT_TRUE(answers(pc, kNak, block));
    EXPECT_TRUE(answers(pc, kNak, block));
    ASSERT_TRUE(pc.write(kNak));
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 1);
    EXPECT_TRUE(mentions(end, "the PC refused block 2 3 times in a row")) << end->summary;
    EXPECT_TRUE(mentions(end, "the PC took 1 blocks (5 bytes)")) << end->summary;
    EXPECT_EQ(sim.written(), header + header + block + block + block);
}

TEST_F(CtrlSimSend, HeidenhainBadCheckOnceIsRefusedAndSentAgainRight)
{
    BlockSessionSettings settings;
    settings.faults.badCheckOnce = 2;
    const std::string file = "%1234\n1 L X+10\n2 END PGM 1234 MM\n";
    const std::string right = heidenhainBlock("1 L X+10");
    for (const bool pcTakesIt : {false, true}) {
        SCOPED_TRACE(pcTakesIt ? "the PC acknowledges it" : "the PC refuses it");
        test::SimulatorThread sim(heidenhain(settings, file));
        test::OtherSide pc(sim.path());
        EXPECT_EQ(pc.read(8), heidenhainBlock("%1234", kSoh[0]));
        const std::string spoiled = say(pc, kAck, right.size());
        ASSERT_EQ(spoiled.size(), right.size());
        EXPECT_EQ(spoiled.substr(0, right.size() - 1), right.substr(0, right.size() - 1));
        EXPECT_NE(spoiled.back(), right.back());
        EXPECT_EQ(spoiled.back() & 0x80, 0);  // still a seven-bit check
        if (pcTakesIt) {
            ASSERT_TRUE(pc.write(kAck));
            const auto end = sim.waitForEnd();
            ASSERT_TRUE(end);
            EXPECT_EQ(end->exitCode, 1);
            EXPECT_TRUE(mentions(end, "the PC acknowledged block 2 although its check byte"))
                << end->summary;
            continue;
        }
        EXPECT_TRUE(answers(pc, kNak, right));
        EXPECT_TRUE(answers(pc, kAck, heidenhainBlock("2 END PGM 1234 MM")));
        EXPECT_TRUE(answers(pc, kAck, kEtx));
        pc.close();
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 0) << end->summary;
    }
}

TEST_F(CtrlSimSend, HeidenhainOverlongHeaderGoesAgainAtItsLengthWhenRefused)
{
    BlockSessionSettings settings;
    settings.faults.overlongBlock = 1;
    test::SimulatorThread sim(heidenhain(settings, "%1234\n"));
    test::OtherSide pc(sim.path());
    std::string overlong = "%1234";
    overlong.resize(kOverlongBlockData, kOverlongFiller);
    const std::string header = heidenhainBlock(overlong, kSoh[0]);
    EXPECT_EQ(pc.read(header.size()), header);
    EXPECT_TRUE(answers(pc, kNak, heidenhainBlock("%1234", kSoh[0])));
    EXPECT_TRUE(answers(pc, kAck, kEtx));
    pc.close();
    const auto end = sim.waitForEnd();
    ASSERT_TRUE(end);
    EXPECT_EQ(end->exitCode, 0) << end->summary;
}

TEST_F(CtrlSimSend, HeidenhainEndsOnAnAnswerThatIsNeitherAckNorNakOrNone)
{
    for (const std::string& pcSays : {std::string("?"), std::string()}) {
        SCOPED_TRACE(pcSays.empty() ? "silence" : "garbage");
        BlockSessionSettings settings;
        settings.replyTimeout = kShortReplyTime;
        test::SimulatorThread sim(heidenhain(settings, "%1234\n1 L X+10\n"));
        test::OtherSide pc(sim.path());
        EXPECT_TRUE(answers(pc, "", heidenhainBlock("%1234", kSoh[0])));
        EXPECT_TRUE(answers(pc, kAck, heidenhainBlock("1 L X+10")));
        ASSERT_TRUE(pc.write(pcSays));
        const auto end = sim.waitForEnd();
        ASSERT_TRUE(end);
        EXPECT_EQ(end->exitCode, 1);
        EXPECT_TRUE(mentions(end, pcSays.empty()
                                      ? "sent nothing for 0.2 s while waiting for the answer "
                                        "to block 2"
                                      : "the PC answered ? instead of ACK or NAK"))
            << end->summary;
    }
}

// --- the program --------------------------------------------------------------------

TEST(CtrlSimSendProgram, EachSendingModeFromTheCommandLine)
{
    test::TempWorkDir dir;
    dir.write("O1234.NC", "O1234\r\nM30\r\n");
    {
        test::SimulatorProcess sim({"--send", dir.path("O1234.NC"), "--code", "eia", "--dc2-first",
                                    "--start-delay", "0"});
        test::OtherSide pc(sim.firstLine());
        ASSERT_TRUE(pc.ok());
        EXPECT_EQ(pc.read(1), std::string(1, kDc2));
        // "O", "1", "2", "3", "4", CR, LF, "M", "3", "0", CR, LF in EIA.
        EXPECT_TRUE(
            answers(pc, std::string(1, kDc1), "\x46\x01\x02\x13\x04\x80\x80\x54\x13\x20\x80\x80"));
        pc.close();
        EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    }
    {
        test::SimulatorProcess sim({"--fanuc-send", dir.path("O1234.NC"), "--block-size", "7"});
        test::OtherSide pc(sim.firstLine());
        ASSERT_TRUE(pc.ok());
        requestFanucFile(pc, "PO1234");
        takeFanucFile(pc, "O1234\r\nM30\r\n", 7);
        pc.close();
        EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
        EXPECT_NE(sim.errorOutput().find("sent 2 blocks (12 bytes)"), std::string::npos)
            << sim.errorOutput();
    }
    dir.write("MZ.TXT", "p1N10_\n");
    {
        test::SimulatorProcess sim({"--mazak-send", dir.path("MZ.TXT"), "--start-delay", "0"});
        test::OtherSide pc(sim.firstLine());
        ASSERT_TRUE(pc.ok());
        EXPECT_EQ(pc.read(7), "p1N10\x03\x04");
        ASSERT_TRUE(pc.write("p00\x04"));
        EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    }
    dir.write("1234.H", "%1234\n");
    {
        test::SimulatorProcess sim({"--heidenhain-send", dir.path("1234.H"), "--start-delay", "0",
                                    "--bad-check-once", "1"});
        test::OtherSide pc(sim.firstLine());
        ASSERT_TRUE(pc.ok());
        const std::string header = heidenhainBlock("%1234", kSoh[0]);
        EXPECT_NE(pc.read(header.size()), header);
        EXPECT_TRUE(answers(pc, kNak, header));
        EXPECT_TRUE(answers(pc, kAck, kEtx));
        pc.close();
        EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    }
}

TEST(CtrlSimSendProgram, FilesThatCannotBeSentFailAtOnce)
{
    test::TempWorkDir dir;
    dir.write("EMPTY.NC", "");
    dir.write("TEXT.TXT", "N10 G0 X0\n");
    const std::pair<std::vector<std::string>, const char*> runs[] = {
        {{"--fanuc-send", dir.path("EMPTY.NC")}, "is empty"},
        {{"--fanuc-send", dir.path("TEXT.TXT"), "--fanuc-second", dir.path("NONE.NC")},
         "cannot read"},
        {{"--heidenhain-send", dir.path("EMPTY.NC")}, "is empty"},
        {{"--mazak-send", dir.path("TEXT.TXT")}, "line 1 is not a record"},
    };
    for (const auto& [arguments, complaint] : runs) {
        test::SimulatorProcess sim(arguments);
        EXPECT_EQ(sim.waitForExit(), 1) << arguments.back();
        EXPECT_NE(sim.errorOutput().find(complaint), std::string::npos) << sim.errorOutput();
    }
}

}  // namespace
}  // namespace quillon::ctrlsim
