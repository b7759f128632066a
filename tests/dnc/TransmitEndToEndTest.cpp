// quillonlt-cli send against quillonlt-ctrlsim over a pseudo-terminal, in each way of
// sending: what the simulated control stored must be what the engine had to send.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "dnc/ComConfFile.h"
#include "platform/TextFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon {
namespace {

class TransmitEndToEnd : public ::testing::Test {
protected:
    TransmitEndToEnd() { ::setenv("QUILLONLT_HOME", dir.workDir().root().c_str(), 1); }
    ~TransmitEndToEnd() override { ::unsetenv("QUILLONLT_HOME"); }

    // Setup 1 with these ComConf.sys lines.
    void setup(const std::vector<std::string>& lines)
    {
        std::vector<std::string> all = {"", "1:"};
        all.insert(all.end(), lines.begin(), lines.end());
        dir.write(kComConfFile, joinLinesCrLf(all));
    }
    // Starts the simulator with the arguments, points COM1 at its line and sends the
    // program with setup 1.
    void transmit(std::vector<std::string> simulator, const std::string& program)
    {
        dir.write("PROG.NC", program);
        test::SimulatorProcess control(simulator);
        ASSERT_TRUE(control.started());
        const std::string path = control.firstLine();
        ASSERT_FALSE(path.empty()) << control.errorOutput();
        const test::ComOverride com1(1, path);
        sent = test::runCli({"send", "--setup", "1", dir.path("PROG.NC")});
        controlExit = control.waitForExit();
        controlSaid = control.errorOutput();
        EXPECT_EQ(readFile(dir.path("PROG.NC")).value(), program);  // never touched
    }
    std::string stored() const { return test::fileBytes(dir.path("STORED.NC")); }

    test::TempWorkDir dir;
    test::CliRun sent;
    std::optional<int> controlExit;
    std::string controlSaid;
};

TEST_F(TransmitEndToEnd, PlainStreamingPacedByTheControlsXonXoff)
{
    setup({"XO:1", "TE:%", "EB:0", "CD:0", "BD:9"});  // 115200 baud
    std::string program;
    for (int i = 1; program.size() < 12000; ++i)
        program += "N" + std::to_string(i * 10) + " G01 X" + std::to_string(i % 97) + ".5\n";
    // The control executes slower than the line brings: it has to hold the PC back.
    transmit({"--receive", dir.path("STORED.NC"), "--xonxoff", "--buffer", "256", "--high-water",
              "200", "--consume", "6000", "--line-rate", "115200", "--start-delay", "0"},
             program);
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_TRUE(stored() == program + "%\n") << stored().size() << " bytes stored";
    EXPECT_NE(sent.err.find("Waiting for XON"), std::string::npos);
}

TEST_F(TransmitEndToEnd, FanucDncBlocksReachTheControlFromTheProgramNumberOn)
{
    setup({"XO:6"});
    std::string program = "%\nO1234 (BRACKET)\n";
    for (int i = 1; program.size() < 1800; ++i)
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i) + " Y2.5\n";
    program += "M30\n%\n";
    transmit({"--fanuc", dir.path("STORED.NC")}, program);
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_EQ(stored(), program.substr(program.find('O')));
}

TEST_F(TransmitEndToEnd, MazakAnswersEachCommandOfTheControl)
{
    setup({"XO:5"});
    transmit({"--mazak", dir.path("STORED.NC")},
             "%\r\np1N10 G01 X1_\r\np1N20 G00 Z5_\r\np1M30_\r\n");
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_EQ(stored(), "N10 G01 X1\nN20 G00 Z5\nM30\n");
}

TEST_F(TransmitEndToEnd, HeidenhainSendsTheRequestedProgramLineByLine)
{
    setup({"XO:4"});
    transmit({"--heidenhain", dir.path("STORED.NC"), "--program", "1234"},
             "% 1234 G71\r\nL X+10 R0 FMAX\r\nL Z-5 F200\r\nEND PGM\r\n");
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_EQ(controlExit, 0) << controlSaid;
    EXPECT_EQ(stored(), "%1234\nL X+10 R0 FMAX\nL Z-5 F200\nEND PGM\n");
}

TEST_F(TransmitEndToEnd, ControlsThatAnswerGarbageOrHangUpEndTheTransferAsFailed)
{
    setup({"XO:6"});
    const std::string program = "O1234\n" + std::string(3000, 'X') + "\n";
    transmit({"--fanuc", dir.path("STORED.NC"), "--garbage-after", "2"}, program);
    EXPECT_EQ(sent.code, 1);
    EXPECT_NE(sent.err.find("Communication error"), std::string::npos) << sent.err;

    transmit({"--fanuc", dir.path("STORED.NC"), "--hangup-after", "2"}, program);
    EXPECT_EQ(sent.code, 1);
    EXPECT_NE(sent.err.find("COM1 is no longer available"), std::string::npos) << sent.err;
    EXPECT_EQ(stored(), "<missing>");  // nothing half stored either

    setup({"XO:4"});
    transmit({"--heidenhain", dir.path("STORED.NC"), "--program", "7", "--hangup-after", "2"},
             "L X+1\nL X+2\nL X+3\n");
    EXPECT_EQ(sent.code, 1);
    EXPECT_NE(sent.err.find("COM1 is no longer available"), std::string::npos) << sent.err;
}

}  // namespace
}  // namespace quillon
