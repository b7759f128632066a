// The receive engine over an in-memory line: the tests play the control and compare the
// stored file byte for byte with what it must hold.
#include "dnc/ReceiveEngine.h"

#include <gtest/gtest.h>

#include "support/FakeSerialLine.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using namespace std::string_literals;

class RecordingObserver final : public TransferObserver {
public:
    void showLines(const std::deque<std::string>& shown, const std::string& now) override
    {
        lines = shown;
        current = now;
    }
    void setLineCount(std::uint64_t count) override { lineCount = count; }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setTitle(const std::string& text) override { title = text; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> askSetupFile(const std::string& folder) override
    {
        askedIn = folder;
        return setupFile;
    }

    std::deque<std::string> lines;
    std::string current;
    std::uint64_t lineCount = 0;
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::string title;
    std::optional<std::string> setupFile;
    std::optional<std::string> askedIn;
};

class ReceiveTest : public ::testing::Test {
protected:
    ReceiveTest()
    {
        job.setup = PortSetup::defaults(0);
        job.setup.handshake = Handshake::XonXoff;
        job.setup.rxDirectory = "/nc/in";
        job.path = dir.path("O1000.NC");
    }
    void begin()
    {
        line = test::FakeSerialLine();
        observer = RecordingObserver();
        engine = std::make_unique<ReceiveEngine>(job, line, observer);
        engine->start();
        outcome = ExchangeOutcome::Running;
    }
    // The control sends the bytes; one tick takes them.
    std::string receive(const std::string& bytes)
    {
        line.send(bytes);
        outcome = engine->tick();
        return line.takeWritten();
    }
    std::string stored() const { return dir.exists("O1000.NC") ? dir.read("O1000.NC") : "<none>"; }

    test::TempWorkDir dir;
    ReceiveJob job;
    test::FakeSerialLine line;
    RecordingObserver observer;
    std::unique_ptr<ReceiveEngine> engine;
    ExchangeOutcome outcome = ExchangeOutcome::Running;
};

// ---- Plain reception -------------------------------------------------------------------

TEST_F(ReceiveTest, StartAndEndCharactersFrameWhatIsStored)
{
    job.setup.rxStart = '%';
    job.setup.rxEnd = '%';
    begin();
    EXPECT_EQ(line.takeWritten(), "\x11");  // XON/XOFF: the control may go ahead
    receive("LEADER ");
    EXPECT_EQ(stored(), "<none>");  // nothing before the start
    receive("%\nO1000\nN10 G01 X1\n");
    EXPECT_EQ(stored(), "%\r\nO1000\r\nN10 G01 X1\r\n");  // on disk at once
    receive("M30\n%\nTRAILER\n");
    receive("MORE\n");
    EXPECT_EQ(stored(), "%\r\nO1000\r\nN10 G01 X1\r\nM30\r\n%");
    EXPECT_TRUE(engine->ended());
    EXPECT_EQ(outcome, ExchangeOutcome::Running);  // plain reception never ends by itself
    line.raiseErrors(LineError::Parity);           // noise after the end harms nothing
    receive("");
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    EXPECT_EQ(observer.statuses.back(), "Parity error");
    EXPECT_EQ(observer.lineCount, 4u);
    EXPECT_EQ(observer.lines.back(), "M30");
    EXPECT_EQ(observer.current, "%");
}

TEST_F(ReceiveTest, LineEndsAreStoredByTheEndOfBlockAndBinKeepsEveryByte)
{
    job.setup.endOfBlock = EndOfBlock::CrLf;
    begin();
    receive("N1\r\nN2\r\n\x14\0X"s);
    EXPECT_EQ(stored(), "N1\r\nN2\r\nX");  // CR dropped, LF as CR LF, DC4 and NUL not kept

    job.setup.endOfBlock = EndOfBlock::Cr;
    begin();
    receive("N1\r\nN2\n");
    EXPECT_EQ(stored(), "N1\r\nN2");    // CR as CR LF, LF dropped
    EXPECT_EQ(observer.lineCount, 2u);  // the display still goes by LF

    job.setup.code = CharacterCode::Bin;
    job.setup.rxStart = '%';  // no start or end with BIN
    job.setup.rxEnd = '%';
    begin();
    const std::string binary = "%\r\n\0\x14\x92\xC1%Z"s;
    receive(binary);
    EXPECT_EQ(stored(), binary);
    EXPECT_FALSE(engine->ended());

    job.setup.code = CharacterCode::Iso;
    job.setup.rxStart = 0;
    job.setup.rxEnd = 0;
    job.setup.endOfBlock = EndOfBlock::Lf;
    begin();
    receive("\xC1\xB1\x8A"s);  // A1 LF with the parity bit set
    EXPECT_EQ(stored(), "A1\r\n");
}

TEST_F(ReceiveTest, NulAndDc4AreShownButNeverStoredOutsideBin)
{
    struct Case {
        const char* name;
        std::string arriving;
        std::string stored;
        std::string shown;  // the line being received
    };
    const Case cases[] = {
        {"between the words", "G1\0X\x14Y"s, "G1XY", "G1^@X^TY"},
        {"a run of them first", "\0\0\x14\x14N5"s, "N5", "^@^@^T^TN5"},
        {"with the parity bit set",
         "A\x80"
         "B\x94"
         "C"s,
         "ABC", "A^@B^TC"},
        {"before a line end", "N7\0\x14\nM"s, "N7\r\nM", "M"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        job.setup.endOfBlock = EndOfBlock::Lf;
        begin();
        receive(c.arriving);
        EXPECT_EQ(stored(), c.stored);
        EXPECT_EQ(observer.current, c.shown);
    }
}

TEST_F(ReceiveTest, EiaIsTranslatedAndItsEndOfBlockEndsTheLine)
{
    job.setup.code = CharacterCode::Eia;
    begin();
    // N (0x45), 1 (0x01), EOB (0x80), X (0x37), 2 (0x02), EOB.
    receive("\x45\x01\x80\x37\x02\x80"s);
    EXPECT_EQ(stored(), "N1\r\nX2\r\n");
    EXPECT_EQ(observer.lineCount, 2u);
}

TEST_F(ReceiveTest, ALoneDc2IsAnsweredWithXonAndIsNoData)
{
    dir.write("O1000.NC", "OLD PROGRAM");
    begin();
    line.takeWritten();
    EXPECT_EQ(receive("\x12"), "\x11");
    EXPECT_EQ(observer.current, "^R");
    EXPECT_EQ(stored(), "OLD PROGRAM");  // a handshake replaces nothing

    EXPECT_EQ(receive("N1\x12\n"), "");  // among data it is data
    EXPECT_EQ(stored(), "N1\x12\r\n");

    job.setup.handshake = Handshake::None;
    begin();
    EXPECT_EQ(line.takeWritten(), "");  // no XON at the start without XON/XOFF
    EXPECT_EQ(receive("\x12"), "");
    EXPECT_EQ(stored(), "\x12");
}

TEST_F(ReceiveTest, AReceptionThatGetsNoDataLeavesAnExistingFileAlone)
{
    dir.write("O1000.NC", "OLD PROGRAM");
    job.setup.rxStart = '%';
    begin();
    receive("");
    receive("NOISE BEFORE THE START\n");
    engine.reset();  // the user exits
    EXPECT_EQ(stored(), "OLD PROGRAM");

    job.path = dir.path("no such folder/O1.NC");
    job.setup.rxStart = 0;
    begin();
    receive("N1\n");
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(observer.messages,
              std::vector<std::string>{"Failed to open RX file\nInvalid filename.\n\"" + job.path +
                                       "\""});
}

TEST_F(ReceiveTest, LongLinesWrapOnTheDisplayAndOnlyTheLastTwelveAreKept)
{
    begin();
    receive(std::string(85, 'X') + "\n");
    ASSERT_EQ(observer.lines.size(), 2u);
    EXPECT_EQ(observer.lines[0].size(), 81u);
    EXPECT_EQ(observer.lines[1], "XXXX");
    EXPECT_EQ(observer.lineCount, 1u);
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "N" + std::to_string(i) + "\n";
    receive(many + "N30");
    EXPECT_EQ(observer.lines.size(), ReceiveEngine::kShownLines);
    EXPECT_EQ(observer.lines.back(), "N29");
    EXPECT_EQ(observer.current, "N30");
    EXPECT_EQ(observer.lineCount, 31u);
}

TEST(ReceiveStart, AStarPatternIsCutWithTheCharacterBeforeIt)
{
    EXPECT_EQ(cutAtWildcard("/nc/O1000.*"), "/nc/O1000");
    EXPECT_EQ(cutAtWildcard("/nc/*.*"), "/nc/*");
    EXPECT_EQ(cutAtWildcard("/nc/O1000.NC"), "/nc/O1000.NC");
    EXPECT_EQ(cutAtWildcard("*"), "");
}

// ---- Fanuc DNC ---------------------------------------------------------------------------

class FanucReceiveTest : public ReceiveTest {
protected:
    FanucReceiveTest()
    {
        job.setup.handshake = Handshake::FanucDnc;
        job.fanucProgram = true;
        job.programNumber = "0001";
    }
    static std::string block(const std::string& data, int checkOffset = 0)
    {
        char check = 0;
        for (const char byte : data + "\x03")
            check = static_cast<char>(check ^ byte);
        return "\x02" + data + "\x03" + static_cast<char>(check + checkOffset);
    }
    // The exchange up to the first block: ENQ, request, EOT, the control's ENQ.
    void openExchange()
    {
        begin();
        ASSERT_EQ(receive(""), "\x05");
        const std::string header = receive(
            "\x10"
            "0");
        ASSERT_EQ(header.size(), 12u);
        ASSERT_EQ(receive("\x10"
                          "1"),
                  "\x04");
        ASSERT_EQ(receive("\x05"),
                  "\x10"
                  "0");
    }
};

TEST_F(FanucReceiveTest, TheRequestForProgram0001AndBlocksAnsweredInTurn)
{
    begin();
    EXPECT_EQ(receive(""), "\x05");
    const std::string header = receive(
        "\x10"
        "0");
    char check = 0;
    for (const char byte : std::string("RNP\x02O0001\x03"))
        check = static_cast<char>(check ^ byte);
    EXPECT_EQ(header, std::string("\x01RNP\x02O0001\x03") + check);
    EXPECT_EQ(receive("\x10"
                      "1"),
              "\x04");
    EXPECT_EQ(receive("\x05"),
              "\x10"
              "0");
    EXPECT_EQ(stored(), "<none>");
    EXPECT_EQ(receive(block("O0001 (BRACKET)\r\nN10 G01 X1\r\n")),
              "\x10"
              "1");
    EXPECT_EQ(stored(), "O0001 (BRACKET)\r\nN10 G01 X1\r\n");  // stored before the answer
    EXPECT_EQ(receive(block("M30\n%")),
              "\x10"
              "0");
    EXPECT_EQ(receive(block("\n")),
              "\x10"
              "1");
    receive("\x04");
    EXPECT_EQ(outcome, ExchangeOutcome::Done);
    EXPECT_EQ(stored(), "O0001 (BRACKET)\r\nN10 G01 X1\r\nM30\r\n%\r\n");
    EXPECT_EQ(observer.lineCount, 4u);
}

TEST_F(FanucReceiveTest, ABadCheckOrAnOverlongBlockEndsTheReception)
{
    openExchange();
    EXPECT_EQ(receive(block("N10\n", 1)), "");  // no answer to a damaged block
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Checksum error"});
    EXPECT_EQ(stored(), "<none>");

    openExchange();
    EXPECT_EQ(receive(block(std::string(ReceiveEngine::kMaxBlockBytes + 10, 'X'))), "");
    EXPECT_EQ(outcome, ExchangeOutcome::Failed);
    EXPECT_EQ(observer.statuses.back(), "Block too long");
    EXPECT_EQ(observer.messages, std::vector<std::string>{"Checksum error"});
}

TEST_F(FanucReceiveTest, TheSetupFileFollowsWhenBothWereChosenAndShortNumbersAreFilled)
{
    job.fanucSetup = true;
    job.programNumber = "12";
    observer.setupFile = dir.path("SETUP.*");
    begin();
    observer.setupFile = dir.path("SETUP.*");
    receive("");
    EXPECT_EQ(receive("\x10"
                      "0")
                  .substr(1, 9),
              "RNP\x02O0012");
    receive(
        "\x10"
        "1");
    receive("\x05");
    receive(block("O0012\n"));
    receive("\x04");
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    EXPECT_EQ(observer.askedIn, "/nc/in");
    EXPECT_EQ(observer.title, "Receive: " + dir.path("SETUP"));
    EXPECT_EQ(receive(""), "\x05");  // the second request
    EXPECT_EQ(receive("\x10"
                      "0")
                  .substr(1, 9),
              "RNS\x02S0012");
    receive(
        "\x10"
        "1");
    receive("\x05");
    receive(block("S SETUP\n"));
    receive("\x04");
    EXPECT_EQ(outcome, ExchangeOutcome::Done);
    EXPECT_EQ(stored(), "O0012\r\n");
    EXPECT_EQ(dir.read("SETUP"), "S SETUP\r\n");
    EXPECT_EQ(engine->storedBytes(), 7u + 9u);
}

// ---- MAZAK -------------------------------------------------------------------------------

TEST_F(ReceiveTest, MazakRecordsAreStoredOrDiscardedByTheirCommand)
{
    job.setup.handshake = Handshake::Mazak;
    begin();
    EXPECT_EQ(line.takeWritten(), "");
    EXPECT_EQ(receive("q(HELLO)\x04"), "q00\x04");
    EXPECT_EQ(observer.lines.back(), "(HELLO)");
    EXPECT_EQ(stored(), "<none>");
    EXPECT_EQ(receive("p1N10 G01 X1\x03\x04"), "p00\x04");
    EXPECT_EQ(stored(), "p1N10 G01 X1_\r\n");
    EXPECT_EQ(receive("p2M30\x04"), "p02\x04");
    EXPECT_EQ(receive("p3IGNORED\x04"), "p00\x04");
    EXPECT_EQ(receive("pAIGNORED\x04"), "p00\x04");
    EXPECT_EQ(receive("p1A\x01\x1B"
                      "B\nC\x04"),
              "p00\x04");  // control bytes but ESC dropped
    EXPECT_EQ(stored(),
              "p1N10 G01 X1_\r\np2M30\r\np1A\x1B"
              "B\r\nC\r\n");
    EXPECT_EQ(receive("\x04"), "");  // an EOT without a command is not answered

    // A record longer than any real one is dropped and not answered.
    EXPECT_EQ(receive("p1" + std::string(ReceiveEngine::kMaxBlockBytes + 1, 'X') + "\x04"), "");
    EXPECT_EQ(observer.statuses.back(), "Block too long");
    EXPECT_EQ(receive("p1N20\x04"), "p00\x04");  // the next one is fine
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
}

TEST_F(ReceiveTest, TheMazakDelaySpreadsTheBytesOverTheTicks)
{
    job.setup.handshake = Handshake::Mazak;
    job.setup.mazakDelay = 1;
    begin();
    const std::string record = "p1" + std::string(46, 'X') + "\x04";  // 49 bytes: 294 ms
    line.send(record);
    int ticks = 0;
    while (line.takeWritten().empty() && ticks < 100) {
        engine->tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 6);  // 8 bytes a tick at 6 ms each (50 ms ticks)
}

// ---- HEIDENHAIN --------------------------------------------------------------------------

class HeidenhainReceiveTest : public ReceiveTest {
protected:
    HeidenhainReceiveTest() { job.setup.handshake = Handshake::Heidenhain; }
    static std::string framed(char first, const std::string& data, int checkOffset = 0)
    {
        const std::string bytes = first + data + "\x17";
        char check = 0;
        for (const char byte : bytes)
            check = static_cast<char>(check ^ byte);
        return bytes + static_cast<char>(((check & 0x7F) + checkOffset) & 0x7F);
    }
};

TEST_F(HeidenhainReceiveTest, HeaderAndBlocksAreAcknowledgedAndEtxEnds)
{
    begin();
    EXPECT_EQ(receive(framed('\x01', "H %1234 MM")), "\x06");
    EXPECT_EQ(stored(), "%1234\r\n");  // the header's digits and "%"
    EXPECT_EQ(receive(framed('\x02', "L X+10 R0 FMAX")), "\x06");
    EXPECT_EQ(receive(framed('\x02', "L Z-5", 1)), "\x15");  // damaged: NAK, not stored
    EXPECT_EQ(observer.statuses.back(), "HEIDENHAIN checksum error");
    EXPECT_EQ(receive(framed('\x02', "L Z-5")), "\x06");  // the control repeats it
    EXPECT_EQ(receive(framed('\x02', std::string(ReceiveEngine::kMaxBlockBytes + 1, 'X'))),
              "\x15");
    EXPECT_EQ(observer.statuses.back(), "Block too long");
    EXPECT_EQ(outcome, ExchangeOutcome::Running);
    receive("\x03");
    EXPECT_EQ(outcome, ExchangeOutcome::Done);
    EXPECT_EQ(stored(), "%1234\r\nL X+10 R0 FMAX\r\nL Z-5\r\n");
    EXPECT_EQ(observer.lineCount, 3u);
    EXPECT_EQ(observer.lines.back(), "L Z-5");
}

}  // namespace
}  // namespace quillon
