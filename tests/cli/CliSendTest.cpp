// quillonlt-cli send over a pseudo-terminal: the test plays the control.
#include <gtest/gtest.h>

#include <future>

#include "cli/CliTestSupport.h"
#include "dnc/ComConfFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class CliSend : public ::testing::Test {
protected:
    CliSend() { ::setenv("QUILLONLT_HOME", dir.workDir().root().c_str(), 1); }
    ~CliSend() override { ::unsetenv("QUILLONLT_HOME"); }

    // Runs the command while the control reads; what it got, until the command ended.
    std::string sendWhileReading(const std::vector<std::string>& arguments)
    {
        auto run = std::async(std::launch::async, [&] { return test::runCli(arguments); });
        std::string got;
        while (run.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            got += control.receive(1 << 16, 20);
        got += control.receiveAll(50);
        result = run.get();
        return got;
    }

    test::TempWorkDir dir;
    test::PseudoTerminal control;
    test::ComOverride com1{1, control.devicePath()};
    test::CliRun result;
};

TEST_F(CliSend, SendsAProgramWithTheSetupsRulesAndReportsOnStderr)
{
    dir.write("O1.NC", "%\r\nN10 G01 X1\r\nN20 G00 Z5\r\nM30\r\n");
    // No ComConf.sys: setup 1 has its defaults (ISO, LF, XON/XOFF, "%" at the end).
    EXPECT_EQ(sendWhileReading({"send", "--setup", "1", dir.path("O1.NC")}),
              "%\nN10 G01 X1\nN20 G00 Z5\nM30\n%\n");
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.err.find("Transmit: " + dir.path("O1.NC") + " using setup: Config 1"),
              std::string::npos);
    EXPECT_NE(result.err.find("100 %"), std::string::npos);

    EXPECT_EQ(sendWhileReading({"send", "--from-line", "3", "--setup", "1", dir.path("O1.NC")}),
              "N20 G00 Z5\nM30\n%\n");
    EXPECT_EQ(result.code, 0);
}

TEST_F(CliSend, UsageAndFailuresExitAsTheySay)
{
    EXPECT_EQ(test::runCli({"send", "O1.NC"}).code, 2);
    EXPECT_EQ(test::runCli({"send", "--setup", "11", "O1.NC"}).code, 2);
    EXPECT_EQ(test::runCli({"send", "--setup", "1"}).code, 2);

    const auto missing = test::runCli({"send", "--setup", "1", dir.path("NONE.NC")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err.substr(missing.err.find('\n') + 1), "Failed to open TX file\n");

    const test::ComOverride com2(2, "/dev/ttyNoSuchPort2");
    dir.write(kComConfFile, "\r\n1:\r\nPT:1\r\n");  // setup 1 on COM2
    dir.write("O1.NC", "N10\n");
    const auto noDevice = test::runCli({"send", "--setup", "1", dir.path("O1.NC")});
    EXPECT_EQ(noDevice.code, 1);
    EXPECT_EQ(noDevice.err, "Could not open COM port\n");
}

TEST_F(CliSend, ASilentControlIsWaitedForUntilTheTimeoutGiven)
{
    EXPECT_EQ(test::runCli({"send", "--setup", "1", "--timeout", "0", "O1.NC"}).code, 2);
    EXPECT_EQ(test::runCli({"send", "--setup", "1", "--timeout", "soon", "O1.NC"}).code, 2);
    dir.write(kComConfFile, "\r\n1:\r\nXO:6\r\n");  // Fanuc DNC: nothing goes unanswered
    dir.write("O1.NC", "O0001\nN10\n");
    EXPECT_EQ(sendWhileReading({"send", "--setup", "1", "--timeout", "1", dir.path("O1.NC")}),
              "\x05");
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("Timed out\n"), std::string::npos) << result.err;
}

TEST_F(CliSend, AControlThatHangsUpEndsTheSendWithFailure)
{
    dir.write("BIG.NC", std::string(1 << 20, 'X'));
    auto run = std::async(std::launch::async, [&] {
        return test::runCli({"send", "--setup", "1", dir.path("BIG.NC")});
    });
    EXPECT_FALSE(control.receive(100).empty());
    control.closeMaster();
    const test::CliRun ended = run.get();
    EXPECT_EQ(ended.code, 1);
    EXPECT_NE(ended.err.find("COM1 is no longer available"), std::string::npos);
}

}  // namespace
}  // namespace quillon
