// quillonlt-cli receive over a pseudo-terminal: the test plays the control.
#include <gtest/gtest.h>

#include <signal.h>

#include <future>
#include <thread>

#include "cli/CliTestSupport.h"
#include "dnc/ComConfFile.h"
#include "platform/TextFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class CliReceive : public ::testing::Test {
protected:
    CliReceive() { ::setenv("QUILLONLT_HOME", dir.workDir().root().c_str(), 1); }
    ~CliReceive() override { ::unsetenv("QUILLONLT_HOME"); }

    std::future<test::CliRun> start(const std::vector<std::string>& arguments)
    {
        return std::async(std::launch::async, [arguments] { return test::runCli(arguments); });
    }
    std::string stored() const { return readFile(dir.path("OUT.NC")).value_or("<none>"); }

    test::TempWorkDir dir;
    test::PseudoTerminal control;
    test::ComOverride com1{1, control.devicePath()};
};

TEST_F(CliReceive, APlainReceptionEndsASecondAfterTheEndCharacter)
{
    dir.write(kComConfFile, "\r\n1:\r\nRS:%\r\nRE:%\r\n");
    auto run = start({"receive", "--setup", "1", dir.path("OUT.NC")});
    EXPECT_EQ(control.receive(1, 5000), "\x11");  // the XON of an XON/XOFF setup
    control.send("(LEADER)%\nN10 G01 X1\nM30\n%\nAFTER\n");
    const test::CliRun result = run.get();
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(stored(), "%\r\nN10 G01 X1\r\nM30\r\n%");
    EXPECT_NE(result.err.find("Receive: " + dir.path("OUT.NC") + " using setup: Config 1"),
              std::string::npos);
    EXPECT_NE(result.err.find("Line: 3"), std::string::npos) << result.err;
}

TEST_F(CliReceive, NothingStoredTimeoutsInterruptsAndUsage)
{
    EXPECT_EQ(test::runCli({"receive", "OUT.NC"}).code, 2);
    EXPECT_EQ(test::runCli({"receive", "--setup", "1", "--timeout", "0", "OUT.NC"}).code, 2);
    dir.write(kComConfFile, "\r\n1:\r\nXO:6\r\n");
    EXPECT_EQ(test::runCli({"receive", "--setup", "1", dir.path("OUT.NC")}).code, 2);

    // A control that sends nothing: the timeout ends it, and an existing file stays.
    dir.write(kComConfFile, "\r\n1:\r\n");
    dir.write("OUT.NC", "OLD");
    const test::CliRun quiet =
        test::runCli({"receive", "--setup", "1", "--timeout", "1", dir.path("OUT.NC")});
    EXPECT_EQ(quiet.code, 1);
    EXPECT_NE(quiet.err.find("Timed out"), std::string::npos);
    EXPECT_EQ(stored(), "OLD");

    // Ctrl+C ends it too, keeping what came.
    control.receiveAll(50);  // the XON of the run before
    auto run = start({"receive", "--setup", "1", dir.path("OUT.NC")});
    EXPECT_EQ(control.receive(1, 5000), "\x11");  // the port is open
    control.send("N1\n");
    for (int i = 0; i < 200 && stored() != "N1\r\n"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::raise(SIGINT);
    const test::CliRun stopped = run.get();
    EXPECT_EQ(stopped.code, 0);
    EXPECT_NE(stopped.err.find("Stopped"), std::string::npos);
    EXPECT_EQ(stored(), "N1\r\n");
}

TEST_F(CliReceive, AFanucReceptionRequestsTheProgramAndFailsOnABadBlock)
{
    dir.write(kComConfFile, "\r\n1:\r\nXO:6\r\n");
    auto run = start({"receive", "--setup", "1", "--program", "7", dir.path("OUT.NC")});
    EXPECT_EQ(control.receive(1, 5000), "\x05");
    control.send(
        "\x10"
        "0");
    EXPECT_EQ(control.receive(12, 5000).substr(1, 9), "RNP\x02O0007");
    control.send(
        "\x10"
        "1");
    EXPECT_EQ(control.receive(1, 5000), "\x04");
    control.send("\x05");
    EXPECT_EQ(control.receive(2, 5000),
              "\x10"
              "0");
    control.send("\x02O0007\n\x03" +
                 std::string(1, static_cast<char>('O' ^ '0' ^ '0' ^ '0' ^ '7' ^ '\n' ^ '\x03')));
    EXPECT_EQ(control.receive(2, 5000),
              "\x10"
              "1");
    control.send("\x02N10\n\x03X");  // a wrong check
    const test::CliRun result = run.get();
    EXPECT_EQ(result.code, 1);  // part of the program came, but the exchange failed
    EXPECT_NE(result.err.find("Checksum error"), std::string::npos);
    EXPECT_EQ(stored(), "O0007\r\n");
}

}  // namespace
}  // namespace quillon
