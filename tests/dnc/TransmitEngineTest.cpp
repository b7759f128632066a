// The transmit engine over an in-memory line: the tests play the control and compare the
// bytes on the wire with what the control must get.
#include "dnc/TransmitEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>

#include "dnc/CommTick.h"
#include "support/FakeSerialLine.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class RecordingObserver final : public TransferObserver {
public:
    void clearLines() override { lines.clear(); }
    void addLine(const std::string& line) override { lines.push_back(line); }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setProgress(int percent) override { progress = percent; }
    void setTitle(const std::string& text) override { title = text; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> askSetupFile(const std::string& folder) override
    {
        askedIn = folder;
        return setupFile;
    }

    std::vector<std::string> lines;
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    int progress = -1;
    std::string title;
    std::optional<std::string> setupFile;
    std::string askedIn;
};

class TransmitTest : public ::testing::Test {
protected:
    TransmitTest()
    {
        job.setup = PortSetup::defaults(0);
        job.setup.txEnd = 0;
        job.setup.handshake = Handshake::XonXoff;
    }
    void program(const std::string& bytes, const std::string& name = "O1000.NC")
    {
        dir.write(name, bytes);
        job.path = dir.path(name);
    }
    // Runs the transfer to its end (at most `ticks` ticks); the bytes the control got.
    std::string send(int ticks = 10000)
    {
        engine = std::make_unique<TransmitEngine>(job, line, observer);
        engine->start();
        outcome = ExchangeOutcome::Running;
        for (int i = 0; i < ticks && outcome == ExchangeOutcome::Running; ++i) {
            outcome = engine->tick();
            ++ticked;
        }
        return line.written();
    }

    test::TempWorkDir dir;
    TransmitJob job;
    test::FakeSerialLine line;
    RecordingObserver observer;
    std::unique_ptr<TransmitEngine> engine;
    ExchangeOutcome outcome = ExchangeOutcome::Running;
    int ticked = 0;
};

TEST_F(TransmitTest, TheStartCharacterReplacesTheProgramsOwnStartLine)
{
    job.setup.txStart = '%';
    job.setup.endOfBlock = EndOfBlock::CrLf;
    program("%\r\nN10 G01 X1.\r\nM30\r\n");
    EXPECT_EQ(send(), "%\r\nN10 G01 X1.\r\nM30\r\n");
    EXPECT_EQ(outcome, ExchangeOutcome::Done);
    EXPECT_EQ(observer.progress, 100);

    // Without its own start line the whole program follows the one sent.
    program("N10 G01\nM30\n");
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "%\r\nN10 G01\r\nM30\r\n");

    // A start line of more than nine characters is skipped to its end; a leading empty
    // line is passed over when looking for it.
    job.setup.endOfBlock = EndOfBlock::Lf;
    program("\n% O1000 (MOLD)\nN10\n");
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "%\nN10\n");
}

TEST_F(TransmitTest, NullsEndCharacterParityAndCodes)
{
    job.setup.nullCount = 3;
    job.setup.txEnd = '%';
    job.setup.verticalParity = VerticalParity::Even;
    program("G1X1\nG1X10\r\n");
    EXPECT_EQ(send(), std::string("\0\0\0G1X1\nG1X10 \n%\n\0\0\0", 20));
    EXPECT_EQ(observer.lines.back(), "\x7F\x7F\x7F");

    job.setup = PortSetup::defaults(0);
    job.setup.txEnd = 0;
    job.setup.verticalParity = VerticalParity::Odd;
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "G1X1 \nG1X10\n");

    // EIA: every character translated, the end of block too; CR in the file dropped.
    job.setup = PortSetup::defaults(0);
    job.setup.txEnd = 0;
    job.setup.code = CharacterCode::Eia;
    program("G1\r\n");
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "\x67\x01\x80");
    job.setup.endOfBlock = EndOfBlock::CrLf;
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "\x67\x01\x80\x80");

    // BIN: bytes as they are, CR and LF included.
    job.setup.code = CharacterCode::Bin;
    job.setup.commentFilter = '(';
    program(std::string("G1(X)\r\n\xFF\0", 9));
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), std::string("G1(X)\r\n\xFF\0", 9));
}

TEST_F(TransmitTest, VerticalParityMakesEveryBlocksCharacterCountEvenOrOdd)
{
    // Each block's characters, its padding space included, count even or odd as asked;
    // the count starts again with every block and the end of block is not part of it.
    struct Case {
        const char* name;
        VerticalParity parity;
        EndOfBlock endOfBlock;
    };
    const std::string program_ = "G1\nG1X\nG01X5\n\nN10G1X1\r\n";
    for (const Case& c : {Case{"even, LF", VerticalParity::Even, EndOfBlock::Lf},
                          Case{"odd, LF", VerticalParity::Odd, EndOfBlock::Lf},
                          Case{"even, CR LF", VerticalParity::Even, EndOfBlock::CrLf},
                          Case{"odd, CR", VerticalParity::Odd, EndOfBlock::Cr}}) {
        SCOPED_TRACE(c.name);
        job.setup = PortSetup::defaults(0);
        job.setup.txEnd = 0;
        job.setup.verticalParity = c.parity;
        job.setup.endOfBlock = c.endOfBlock;
        program(program_);
        line = test::FakeSerialLine();
        const std::string sent = send();
        const std::string eob = c.endOfBlock == EndOfBlock::Lf   ? "\n"
                                : c.endOfBlock == EndOfBlock::Cr ? "\r"
                                                                 : "\r\n";
        std::vector<std::string> blocks;
        for (std::size_t at = 0, end; (end = sent.find(eob, at)) != std::string::npos;
             at = end + eob.size())
            blocks.push_back(sent.substr(at, end - at));
        ASSERT_EQ(blocks.size(), 5u);
        const std::vector<std::string> words = {"G1", "G1X", "G01X5", "", "N10G1X1"};
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            SCOPED_TRACE(words[i]);
            const bool padded = blocks[i].size() == words[i].size() + 1;
            EXPECT_TRUE(blocks[i] == words[i] || (padded && blocks[i] == words[i] + " "));
            EXPECT_EQ(blocks[i].size() % 2, c.parity == VerticalParity::Even ? 0u : 1u);
        }
    }
}

TEST_F(TransmitTest, TheCommentFilterDropsCommentsAndOnlyCommentOnlyLines)
{
    job.setup.commentFilter = '(';
    program("N10\r\n(ONLY A COMMENT)\r\nG01 X1 (C)\r\nG00 Z5\n(OPEN\nN20 (A) X2\nM30\n");
    // A line that carried words keeps its end, so G01 X1 and G00 Z5 stay two blocks.
    EXPECT_EQ(send(), "N10\nG01 X1 \nG00 Z5\nN20  X2\nM30\n");
    const auto& lines = observer.lines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "(ONLY A COMMENT)"), lines.end());

    job.setup.commentFilter = ';';
    program("N10 G01 ;FEED\n;HEADER\nM30\n");
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "N10 G01 \nM30\n");
}

TEST_F(TransmitTest, RepositioningStartsAtALineWithoutNullsOrStartUnlessAskedFor)
{
    job.setup.txStart = '%';
    job.setup.nullCount = 2;
    program("%\nN10\nN20\nN30\n");
    const std::string whole = send();
    job.resumeOffset = lineStartOffset(job.path, 1).value();
    EXPECT_EQ(job.resumeOffset, 0u);
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), whole);

    // The trailing nulls stay: they are the tape's end, not its leader.
    job.resumeOffset = lineStartOffset(job.path, 3).value();
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), std::string("N20\nN30\n\0\0", 10));
    job.setup.includeStartForRepositioning = 1;
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), std::string("%\nN20\nN30\n\0\0", 12));
    EXPECT_EQ(lineStartOffset(job.path, 99), 0u);  // past the end: from the start
    EXPECT_EQ(lineStartOffset(dir.path("MISSING.NC"), 2), std::nullopt);
}

TEST_F(TransmitTest, ChunksAreRefilledOnlyWhenTheQueueHasDrainedBelowAnEighth)
{
    std::string bytes;
    for (int i = 0; bytes.size() < 10000; ++i)
        bytes += "N" + std::to_string(i) + " G01 X" + std::to_string(i) + "\n";
    program(bytes);
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    engine->start();
    engine->tick();
    EXPECT_EQ(line.written().size(), 3584u);
    line.reported.outQueue = 1000;  // the driver still holds plenty
    engine->tick();
    EXPECT_EQ(line.written().size(), 3584u);
    line.reported.outQueue = 447;
    engine->tick();
    EXPECT_GE(line.written().size(), 7168u);
    EXPECT_EQ(observer.statuses.back(), "Transmitting..");

    job.setup.smallBuffer = 1;
    line = test::FakeSerialLine();
    line.reported.outQueue = 64;
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    engine->tick();
    EXPECT_EQ(line.written().size(), 0u);  // 512 / 8 = 64 is not below
    line.reported.outQueue = 63;
    engine->tick();
    EXPECT_EQ(line.written().size(), 512u);
}

TEST_F(TransmitTest, FlowHoldsAreShownAndTheWindowClosesAfterTheOutputDrained)
{
    program("N10\nN20\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    engine->start();
    engine->tick();
    ASSERT_EQ(line.written(), "N10\nN20\n");
    line.reported.ctsHold = true;
    engine->tick();
    EXPECT_EQ(observer.statuses.back(), "Waiting for CTS/DSR");
    line.reported.ctsHold = false;
    line.reported.xoffHold = true;
    engine->tick();
    EXPECT_EQ(observer.statuses.back(), "Waiting for XON");
    line.reported.xoffHold = false;
    line.reported.dsrHold = true;  // the control paces with its DTR
    engine->tick();
    EXPECT_EQ(observer.statuses.back(), "Waiting for CTS/DSR");
    line.reported.dsrHold = false;
    line.reported.outQueue = 5;  // still on its way
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(engine->tick(), ExchangeOutcome::Running);
    line.reported.outQueue = 0;
    int ticks = 0;
    while (engine->tick() == ExchangeOutcome::Running)
        ++ticks;
    EXPECT_EQ(ticks, TransmitEngine::kIdleTicksBeforeEnd);
    EXPECT_EQ(observer.statuses.back(), "Transmitting..");
}

TEST_F(TransmitTest, WaitForXonHoldsTheStartAndEachLoop)
{
    job.setup.handshake = Handshake::XonXoffWaitForXon;
    job.setup.looping = 1;
    program("N10\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    engine->start();
    EXPECT_TRUE(line.holding);
    for (int i = 0; i < 5; ++i)
        engine->tick();
    EXPECT_EQ(line.written(), "");
    EXPECT_EQ(observer.statuses.back(), "Waiting for start of XON");

    for (int round = 1; round <= 2; ++round) {
        line.send(std::string(1, kXon));
        for (int i = 0; i < 3; ++i)
            engine->tick();
        EXPECT_EQ(line.written().size(), 4u * static_cast<std::size_t>(round)) << round;
        // Drained, a second of quiet, then holding for the next XON.
        for (int i = 0; i < TransmitEngine::kIdleTicksBeforeEnd + 2; ++i)
            EXPECT_EQ(engine->tick(), ExchangeOutcome::Running);
        EXPECT_TRUE(line.holding) << round;
    }

    // Looping without "Wait for XON" sends the program again at once.
    job.setup.handshake = Handshake::XonXoff;
    line = test::FakeSerialLine();
    send(3);
    EXPECT_EQ(line.written(), "N10\nN10\nN10\n");
}

TEST_F(TransmitTest, AMissingProgramEndsTheTransferWithAMessage)
{
    job.path = dir.path("GONE.NC");
    EXPECT_EQ(send(), "");
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Failed to open TX file"});
}

TEST_F(TransmitTest, AProgramThatGoesAwayMidTransferIsNeverEndedAsComplete)
{
    std::string data = "O1234\r\n";
    while (data.size() < 1200)
        data += "N" + std::to_string(data.size()) + " G01 X1.\r\n";
    const auto tick = [&](int ticks) {
        for (int i = 0; i < ticks && outcome == ExchangeOutcome::Running; ++i)
            outcome = engine->tick();
    };

    // Fanuc DNC: the file is gone after the first block; no EOT may follow.
    job.setup.handshake = Handshake::FanucDnc;
    job.fanucProgram = true;
    program(data);
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    for (const char toggle : {'0', '1'}) {
        tick(2);
        line.send(std::string{'\x10', toggle});
    }
    tick(2);
    ASSERT_EQ(line.takeWritten().size(), 1u + 12u + 515u);  // ENQ, header, first block
    std::filesystem::remove(job.path);
    line.send(std::string{'\x10', '0'});
    tick(2);
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(line.takeWritten(), "");
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Failed to open TX file"});

    // HEIDENHAIN: the same after the "%" block; no ETX may follow.
    job.setup.handshake = Handshake::Heidenhain;
    program(data);
    line = test::FakeSerialLine();
    observer.messages.clear();
    outcome = ExchangeOutcome::Running;
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    const std::string request =
        "\x01"
        "1234\x17";
    char check = 0;
    for (const char byte : request)
        check = static_cast<char>(check ^ byte);
    line.send(request + static_cast<char>(check & 0x7F));
    tick(2);
    EXPECT_EQ(line.takeWritten().substr(0, 2), "\x06\x02");  // ACK, the "%" block
    std::filesystem::remove(job.path);
    line.send("\x06");
    tick(2);
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(line.takeWritten(), "");
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Failed to open TX file"});
}

// ---- Fanuc DNC ----------------------------------------------------------------------------

class FanucTest : public TransmitTest {
protected:
    FanucTest()
    {
        job.setup.handshake = Handshake::FanucDnc;
        job.fanucProgram = true;
    }
    // Ticks until the engine has written more than before, or gives up.
    std::string next()
    {
        const std::size_t before = line.written().size();
        for (int i = 0; i < 5 && line.written().size() == before; ++i)
            outcome = engine->tick();
        return line.written().substr(before);
    }
    void answer(char toggle) { line.send(std::string{'\x10', toggle}); }

    static std::string block(const std::string& data)
    {
        std::string bytes = "\x02" + data + "\x03";
        char check = 0;
        for (std::size_t i = 1; i < bytes.size(); ++i)
            check = static_cast<char>(check ^ bytes[i]);
        return bytes + check;
    }
};

TEST_F(FanucTest, TheHeaderAndBlocksAlternateWithTheControlsAnswers)
{
    std::string data = "O1234(PART)\r\n";
    while (data.size() < 700)
        data += "N" + std::to_string(data.size()) + " G01 X1.\r\n";
    program("%\r\n" + data);
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    engine->start();
    EXPECT_EQ(next(), "\x05");
    answer('0');
    const std::string header = next();
    ASSERT_EQ(header.size(), 12u);
    char check = 0;
    for (const char byte : header.substr(1, 10))
        check = static_cast<char>(check ^ byte);
    EXPECT_EQ(header, std::string("\x01SNP\x02O1234\x03") + check);
    answer('1');
    EXPECT_EQ(next(), block(data.substr(0, 512)));
    answer('0');
    EXPECT_EQ(next(), block(data.substr(512)));
    answer('1');
    EXPECT_EQ(next(), "\x04");
    while (outcome == ExchangeOutcome::Running)
        outcome = engine->tick();
    EXPECT_EQ(outcome, ExchangeOutcome::Done);
}

TEST_F(FanucTest, ASetupFileFollowsTheProgramWhenBothWereChosen)
{
    job.fanucSetup = true;
    program("O0001\n", "PROG.NC");
    dir.write("SETUP.NC", "O0002\n");
    observer.setupFile = dir.path("SETUP.NC");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    for (const char toggle : {'0', '1', '0'}) {
        next();
        answer(toggle);
    }
    EXPECT_EQ(next(), "\x04");
    EXPECT_EQ(next(), "\x05");  // the second exchange
    EXPECT_EQ(observer.title, "Transmit: " + dir.path("SETUP.NC"));
    answer('0');
    EXPECT_EQ(next().substr(0, 6), std::string("\x01SNS\x02S"));
}

TEST_F(FanucTest, WrongAnswersAndNoProgramNumberEndTheTransfer)
{
    program("O1234\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    next();
    line.send("\x10\xB1");  // bit 7 cleared this reads DLE "1": the wrong one
    next();
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Communication error"});

    program("N10 G01\n");
    line = test::FakeSerialLine();
    observer.messages.clear();
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    next();
    answer('0');
    next();
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Invalid file"});
}

TEST_F(FanucTest, ASilentControlIsWaitedForAsLongAsItTakesWithTheTimeShown)
{
    program("O1234\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    EXPECT_EQ(next(), "\x05");
    // An hour and a bit without an answer: the transfer still waits, counting.
    const int ticksPerSecond = 1000 / static_cast<int>(kCommTick.count());
    for (int i = 0; i < 3601 * ticksPerSecond; ++i)
        ASSERT_EQ(engine->tick(), ExchangeOutcome::Running) << i;
    EXPECT_TRUE(observer.messages.empty());
    const auto shown = [&](const std::string& text) {
        return std::count(observer.statuses.begin(), observer.statuses.end(), text);
    };
    EXPECT_EQ(shown("Waiting for the control 0:01"), 0);  // a moment's pause is normal
    EXPECT_EQ(shown("Waiting for the control 0:02"), 1);
    EXPECT_EQ(shown("Waiting for the control 59:59"), 1);
    EXPECT_EQ(observer.statuses.back(), "Waiting for the control 1:00:01");
    // The answer comes: the count goes from the status line and the exchange goes on.
    answer('0');
    EXPECT_EQ(next().substr(0, 6), std::string("\x01SNP\x02O"));
    EXPECT_EQ(observer.statuses.back(), "");
}

// ---- MAZAK --------------------------------------------------------------------------------

TEST_F(TransmitTest, MazakAnswersTheControlsCommands)
{
    job.setup.handshake = Handshake::Mazak;
    program("%\r\np1\x02O1000_PART\r\nG01 X1\r\np1O2000_\r\np2\r\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    auto command = [&](const std::string& bytes) {
        line.send(bytes);
        engine->tick();
        return line.takeWritten();
    };
    EXPECT_EQ(command("q\x04"), std::string("q00\x04"));
    EXPECT_EQ(command("p8\x04"), std::string("p00\x04"));
    EXPECT_EQ(command("p6\x04"), std::string("p02\x04"));  // a "p1" line ahead
    EXPECT_EQ(command("p8\x04p4\x04"), std::string("p00\x04p00\x02O1000\x03PART\x04"));
    EXPECT_EQ(command("p4\x04"), std::string("p00\x02O2000\x03\x04"));
    EXPECT_EQ(command("pD\x04"), std::string("p02\x04"));
    EXPECT_EQ(command("pD\x04"), std::string("p00\x04"));
    EXPECT_EQ(command("pA\x04pZ\x04p\x04"), std::string("p00\x04"));  // unknown: nothing
    EXPECT_EQ(engine->tick(), ExchangeOutcome::Running);
    line.send("p4\x04");  // no "p1" left: the transfer is over
    EXPECT_EQ(engine->tick(), ExchangeOutcome::Done);
}

// ---- HEIDENHAIN -----------------------------------------------------------------------------

class HeidenhainTest : public TransmitTest {
protected:
    HeidenhainTest() { job.setup.handshake = Handshake::Heidenhain; }
    static std::string request(const std::string& name, int checkOffset = 0)
    {
        std::string bytes = "\x01" + name + "\x17";
        char check = 0;
        for (const char byte : bytes)
            check = static_cast<char>(check ^ byte);
        return bytes + static_cast<char>(((check & 0x7F) + checkOffset) & 0x7F);
    }
    static std::string block(const std::string& data)
    {
        std::string bytes = "\x02" + data + "\x17";
        char check = 0;
        for (const char byte : bytes)
            check = static_cast<char>(check ^ byte);
        return bytes + static_cast<char>(check & 0x7F);
    }
    std::string afterTicks(int ticks = 2)
    {
        for (int i = 0; i < ticks; ++i)
            outcome = engine->tick();
        return line.takeWritten();
    }
};

TEST_F(HeidenhainTest, TheControlRequestsTheProgramBlockByBlock)
{
    program("BEGIN PGM 42 MM\r\n% 42\r\nL X+10 R0 FMAX\r\nEND PGM 42 MM\r\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    line.send(request("42"));
    EXPECT_EQ(afterTicks(1), "\x06");
    EXPECT_EQ(afterTicks(1), block("%42"));
    line.send("\x06");
    EXPECT_EQ(afterTicks(1), block("L X+10 R0 FMAX"));
    line.send("\x15");  // NAK: the same block again
    EXPECT_EQ(afterTicks(1), block("L X+10 R0 FMAX"));
    EXPECT_EQ(observer.statuses.back(), "HEIDENHAIN repeat transfer");
    line.send("\x06");
    EXPECT_EQ(afterTicks(1), block("END PGM 42 MM"));
    line.send("\x06");
    EXPECT_EQ(afterTicks(1), "\x03");
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    EXPECT_EQ(afterTicks(1), "");
    EXPECT_EQ(outcome, ExchangeOutcome::Done);
}

TEST_F(HeidenhainTest, ALineOfTheBlockLimitOrLongerIsCutWithoutAnEmptyBlock)
{
    struct Case {
        const char* name;
        std::string lineEnd;
        std::size_t length;
        std::vector<std::size_t> blocks;  // the lengths of the blocks the line becomes
    };
    for (const Case& c :
         {Case{"260, CR LF", "\r\n", 260, {260}}, Case{"260, LF", "\n", 260, {260}},
          Case{"261", "\r\n", 261, {260, 1}}, Case{"300", "\r\n", 300, {260, 40}},
          Case{"520", "\n", 520, {260, 260}}}) {
        SCOPED_TRACE(c.name);
        std::string longLine;
        for (std::size_t i = 0; i < c.length; ++i)
            longLine += static_cast<char>('A' + i % 26);
        program("% 9\r\n" + longLine + c.lineEnd + "M30" + c.lineEnd);
        line = test::FakeSerialLine();
        engine = std::make_unique<TransmitEngine>(job, line, observer);
        line.send(request("9"));
        EXPECT_EQ(afterTicks(2), "\x06" + block("%9"));
        std::string expected;
        std::size_t at = 0;
        for (const std::size_t length : c.blocks) {
            expected += block(longLine.substr(at, length));
            at += length;
        }
        expected += block("M30") + "\x03";
        std::string got;
        for (int i = 0; i < 10 && outcome == ExchangeOutcome::Running; ++i) {
            line.send("\x06");
            got += afterTicks(1);
        }
        EXPECT_EQ(got, expected);
    }
}

TEST_F(HeidenhainTest, BadRequestsMissingFilesAndSilence)
{
    program("L X+1\n");
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    line.send(request("7", 1));
    EXPECT_EQ(afterTicks(1), "\x15");
    EXPECT_EQ(observer.statuses.back(), "HEIDENHAIN checksum error");
    line.send(request("7"));  // asked again, correctly
    EXPECT_EQ(afterTicks(2), "\x06" + block("%7"));

    job.path = dir.path("GONE.H");
    line = test::FakeSerialLine();
    engine = std::make_unique<TransmitEngine>(job, line, observer);
    line.send(request("8"));
    EXPECT_EQ(afterTicks(2), "\x06");
    EXPECT_EQ(observer.statuses.back(), "File not found");
    EXPECT_EQ(outcome, ExchangeOutcome::Running);  // waits for the next request

    program("L X+1\n");
    line = test::FakeSerialLine();
    EXPECT_EQ(send(), "");  // nobody asks: nothing happens, and no time limit applies
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    line.send(request("9"));
    send(40 * 60 * 20);  // forty minutes without an acknowledgement
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    EXPECT_EQ(observer.statuses.back(), "Waiting for the control 39:59");
    line.send("\x06");
    afterTicks(1);
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    EXPECT_EQ(observer.statuses.back(), "");  // the acknowledgement ended the count
}

TEST(WaitingForTheControl, MinutesAndSecondsThenHours)
{
    using std::chrono::seconds;
    EXPECT_EQ(waitingForControlText(seconds(2)), "Waiting for the control 0:02");
    EXPECT_EQ(waitingForControlText(seconds(83)), "Waiting for the control 1:23");
    EXPECT_EQ(waitingForControlText(seconds(3599)), "Waiting for the control 59:59");
    EXPECT_EQ(waitingForControlText(seconds(3600)), "Waiting for the control 1:00:00");
    EXPECT_EQ(waitingForControlText(seconds(36000 + 61)), "Waiting for the control 10:01:01");
}

}  // namespace
}  // namespace quillon
