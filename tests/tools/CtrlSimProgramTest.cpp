// quillonlt-ctrlsim run as a user runs it: a second process on a pseudo-terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "ctrlsim/BlockSession.h"
#include "dnc/ControlCharacters.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"
#include "tools/CtrlSimTestSupport.h"

namespace quillon::ctrlsim {
namespace {

// The block protocols' answers, as the scripted PC expects and writes them.
const std::string kAck(1, control::Ack);
const std::string kNak(1, control::Nak);
const std::string kEot(1, control::Eot);
const std::string kDle0{control::Dle, '0'};
const std::string kDle1{control::Dle, '1'};

TEST(CtrlSimProgram, HelpAndUsageErrorsAsExitCodes)
{
    test::SimulatorProcess help({"--help"});
    EXPECT_NE(help.firstLine().find("Usage: quillonlt-ctrlsim"), std::string::npos);
    EXPECT_EQ(help.waitForExit(), 0);

    test::SimulatorProcess wrong({"--receive"});
    EXPECT_EQ(wrong.waitForExit(), 2);
}

TEST(CtrlSimProgram, FilesAndDevicesThatCannotBeUsedFailWithOne)
{
    test::TempWorkDir dir;
    const std::vector<std::vector<std::string>> runs = {
        {"--send", dir.path("missing.nc")},
        {"--receive", dir.path("no-such-folder/O1000.NC")},
        {"--echo", "--device", dir.path("not-a-device")},
    };
    dir.write("not-a-device", "x");
    for (const auto& arguments : runs) {
        test::SimulatorProcess sim(arguments);
        EXPECT_EQ(sim.waitForExit(), 1) << arguments.back();
        EXPECT_NE(sim.errorOutput().find("cannot"), std::string::npos) << sim.errorOutput();
    }
}

TEST(CtrlSimProgram, ReceivesUntilTerminatedAndStoresTheProgram)
{
    test::TempWorkDir dir;
    const std::string target = dir.path("O1000.NC");
    test::SimulatorProcess sim(
        {"--receive", target, "--idle", "0", "--send-xon-at-start", "--start-delay", "0"});
    const std::string path = sim.firstLine();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
    test::OtherSide pc(path);
    ASSERT_TRUE(pc.ok());
    EXPECT_EQ(pc.read(1), "\x11");
    const std::string program = "%\r\nO1000\r\nG00 X0 Y0 (\xb0)\r\nM30\r\n%\r\n";
    ASSERT_TRUE(pc.write(program));
    // Written is arrived: a stopped control keeps what its driver holds, read or not.
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    EXPECT_EQ(test::fileBytes(target), program);
    EXPECT_NE(sim.errorOutput().find("received " + std::to_string(program.size()) + " bytes"),
              std::string::npos)
        << sim.errorOutput();
}

TEST(CtrlSimProgram, SendsAfterTheXonAndEndsWhenThePcLetsGo)
{
    test::TempWorkDir dir;
    const std::string program = "%\r\nO2000\r\nG01 X10. F200\r\nM30\r\n%\r\n";
    dir.write("O2000.NC", program);
    test::SimulatorProcess sim({"--send", dir.path("O2000.NC"), "--wait-for-xon"});
    test::OtherSide pc(sim.firstLine());
    ASSERT_TRUE(pc.ok());
    ASSERT_TRUE(pc.write("\x11"));
    EXPECT_EQ(pc.read(program.size()), program);
    pc.close();
    EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
}

TEST(CtrlSimProgram, SetsUpADeviceAndEchoesOnIt)
{
    // A pseudo-terminal's slave stands in for the device; the test holds the master.
    test::PseudoTerminal device;
    ASSERT_TRUE(device.ok());
    test::SimulatorProcess sim({"--echo", "--device", device.devicePath(), "--baud", "4800",
                                "--bits", "7", "--parity", "even", "--stop", "2"});
    ASSERT_EQ(sim.firstLine(), device.devicePath());
    termios line{};
    ASSERT_EQ(::tcgetattr(device.master(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B4800));
    // A pseudo-terminal keeps eight bits without parity whatever it is told.
    EXPECT_EQ(line.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);  // flow characters reach the control

    const std::string typed = "N10 G01 X1.\r\n";
    ASSERT_EQ(::write(device.master(), typed.data(), typed.size()),
              static_cast<ssize_t>(typed.size()));
    EXPECT_EQ(test::readBytes(device.master(), typed.size()), typed);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
}

TEST(CtrlSimProgram, FanucTakesAProgramFromAScriptedPc)
{
    test::TempWorkDir dir;
    const std::string target = dir.path("O1234.NC");
    test::SimulatorProcess sim({"--fanuc", target});
    test::OtherSide pc(sim.firstLine());
    ASSERT_TRUE(pc.ok());
    const std::string data = "O1234\r\nG00 X0 Y0\r\nM30\r\n";
    const std::pair<std::string, std::string> script[] = {
        {"\x05", kDle0}, {test::fanucHeader("PO1234"), kDle1}, {test::fanucBlock(data), kDle0}};
    for (const auto& [sent, answer] : script) {
        ASSERT_TRUE(pc.write(sent));
        EXPECT_EQ(pc.read(2), answer) << shownBytes(sent);
    }
    ASSERT_TRUE(pc.write(kEot));
    EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    EXPECT_EQ(test::fileBytes(target), data);
}

TEST(CtrlSimProgram, MazakAsksAScriptedPcUntilItLetsGo)
{
    test::TempWorkDir dir;
    const std::string target = dir.path("MZ.TXT");
    test::SimulatorProcess sim({"--mazak", target, "--start-delay", "0"});
    test::OtherSide pc(sim.firstLine());
    ASSERT_TRUE(pc.ok());
    EXPECT_EQ(pc.read(2), "q\x04");
    ASSERT_TRUE(pc.write("q00\x04"));
    for (const char* text : {"N10G0X0", "N20M30"}) {
        EXPECT_EQ(pc.read(3), "p4\x04");
        ASSERT_TRUE(pc.write(test::mazakBlock(text)));
    }
    EXPECT_EQ(pc.read(3), "p4\x04");
    pc.close();  // no third block: the PC lets the line go
    EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    EXPECT_EQ(test::fileBytes(target), "N10G0X0\nN20M30\n");
}

TEST(CtrlSimProgram, HeidenhainRequestsFromAScriptedPc)
{
    test::TempWorkDir dir;
    const std::string target = dir.path("1234.H");
    test::SimulatorProcess sim(
        {"--heidenhain", target, "--program", "1234", "--start-delay", "0", "--nak-once", "2"});
    test::OtherSide pc(sim.firstLine());
    ASSERT_TRUE(pc.ok());
    EXPECT_EQ(pc.read(7),
              "\x01"
              "1234\x17\x12");
    ASSERT_TRUE(pc.write(kAck));
    const std::pair<std::string, std::string> script[] = {{"%1234", kAck},
                                                          {"0 BEGIN PGM 1234 MM", kNak},
                                                          {"0 BEGIN PGM 1234 MM", kAck},
                                                          {"1 END PGM 1234 MM", kAck}};
    for (const auto& [line, answer] : script) {
        ASSERT_TRUE(pc.write(test::heidenhainBlock(line)));
        EXPECT_EQ(pc.read(1), answer) << line;
    }
    ASSERT_TRUE(pc.write("\x03"));
    EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
    EXPECT_EQ(test::fileBytes(target), "%1234\n0 BEGIN PGM 1234 MM\n1 END PGM 1234 MM\n");
}

// Where the link points, or "<no link>".
std::string linkTarget(const std::string& path)
{
    char target[256];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    return length < 0 ? "<no link>" : std::string(target, static_cast<std::size_t>(length));
}

TEST(CtrlSimProgram, TheLinkLeadsToTheLineAndGoesWithTheRun)
{
    for (const int stopSignal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(stopSignal == SIGINT ? "Ctrl+C" : "kill");
        test::TempWorkDir dir;
        const std::string link = dir.path("ctrlsim-com1");
        test::SimulatorProcess sim({"--echo", "--link", link});
        const std::string path = sim.firstLine();
        ASSERT_EQ(path.rfind("/dev/", 0), 0u) << sim.errorOutput();
        EXPECT_EQ(linkTarget(link), path);

        test::OtherSide pc(link);
        ASSERT_TRUE(pc.ok());
        ASSERT_TRUE(pc.write("G00 X1.\r\n"));
        EXPECT_EQ(pc.read(9), "G00 X1.\r\n");

        sim.signal(stopSignal);
        EXPECT_EQ(sim.waitForExit(), 0) << sim.errorOutput();
        EXPECT_NE(sim.errorOutput().find("linked as " + link), std::string::npos);
        struct stat status {};
        EXPECT_NE(::lstat(link.c_str(), &status), 0) << "the link outlived the run";
    }
}

TEST(CtrlSimProgram, ALinkLeftBehindIsReplacedAndOnlyTheRunItLeadsToRemovesIt)
{
    test::TempWorkDir dir;
    const std::string link = dir.path("ctrlsim-com1");
    // What a run killed outright leaves.
    ASSERT_EQ(::symlink("/dev/pts/no-such-line", link.c_str()), 0);
    test::SimulatorProcess first({"--echo", "--link", link});
    const std::string firstPath = first.firstLine();
    ASSERT_FALSE(firstPath.empty()) << first.errorOutput();
    EXPECT_EQ(linkTarget(link), firstPath);

    // A second simulator takes the name over; the first one's end must not take it away.
    test::SimulatorProcess second({"--echo", "--link", link});
    const std::string secondPath = second.firstLine();
    ASSERT_FALSE(secondPath.empty()) << second.errorOutput();
    first.signal(SIGTERM);
    EXPECT_EQ(first.waitForExit(), 0) << first.errorOutput();
    EXPECT_EQ(linkTarget(link), secondPath);
    second.signal(SIGTERM);
    EXPECT_EQ(second.waitForExit(), 0) << second.errorOutput();
    EXPECT_EQ(linkTarget(link), "<no link>");
}

TEST(CtrlSimProgram, ALinkNeverReplacesAFileOrAFolder)
{
    test::TempWorkDir dir;
    dir.write("O1000.NC", "%\r\nO1000\r\n%\r\n");
    ASSERT_EQ(::mkdir(dir.path("ports").c_str(), 0755), 0);
    struct Row {
        const char* scenario;
        std::string link;
        const char* complaint;
    };
    const Row rows[] = {
        {"a program", dir.path("O1000.NC"), "a file of that name exists"},
        {"a folder", dir.path("ports"), "it is a folder"},
        {"a folder that is not there", dir.path("no-such-folder/com1"), "No such file"},
    };
    for (const Row& row : rows) {
        test::SimulatorProcess sim({"--echo", "--link", row.link});
        EXPECT_EQ(sim.waitForExit(), 1) << row.scenario;
        EXPECT_NE(
            sim.errorOutput().find("cannot make the link " + row.link + ": " + row.complaint),
            std::string::npos)
            << row.scenario << ": " << sim.errorOutput();
    }
    EXPECT_EQ(dir.read("O1000.NC"), "%\r\nO1000\r\n%\r\n");
    struct stat status {};
    ASSERT_EQ(::lstat(dir.path("ports").c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
}

}  // namespace
}  // namespace quillon::ctrlsim
