#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/MarginsSettings.h"
#include "cli/CliTestSupport.h"
#include "monitoring/DetailedViewSamples.h"
#include "monitoring/RemoteConfig.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "platform/UdpSocket.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliHub, ListsReconcilesAndPrintsBothMachineLists)
{
    test::TempWorkDir dir;
    CliRun run = runCli({"hub", "lists"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("No hub directory"), std::string::npos) << run.err;

    const std::string hub = dir.base() + "/hub";
    std::filesystem::create_directories(hub + "/_SETUP");
    test::writeBytes(hub + "/_SETUP/CairnConf.sys", "NM:MILL 1\r\nNM:MILL 2\r\n");
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
    dir.write("MonList.sys", "_MT_Cell A\r\nMILL 2,4,4\r\nGONE,0,0\r\n");
    dir.write("MonList2.sys", "MILL 1,0,0\r\n::::3,5,400,0,1\r\n");
    run = runCli({"hub", "lists"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "MonList.sys\n_MT_Cell A\r\nMILL 2,0,1\r\n"
              "MonList2.sys\nMILL 1,0,0\r\n::::3,5,400,0,1\r\n");
}

TEST(CliHub, UsageAndALinkThatCannotBeSetUp)
{
    test::TempWorkDir dir;
    for (const auto& wrong :
         std::vector<std::vector<std::string>>{{"hub"},
                                               {"hub", "listen"},
                                               {"hub", "watch", "--seconds"},
                                               {"hub", "watch", "--seconds", "0"},
                                               {"hub", "lists", "--seconds", "3"}})
        EXPECT_EQ(runCli(wrong).code, 2);
    // No hub address.
    CliRun run = runCli({"hub", "watch", "--seconds", "1"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("No hub address"), std::string::npos) << run.err;
}

// A hub on loopback that answers the record request with `record` and keeps every
// datagram the command sends.
class LoopbackHub {
public:
    explicit LoopbackHub(const test::TempWorkDir& dir)
    {
        auto bound = UdpSocket::bind(ipv4Of(127, 0, 0, 2), 0);
        if (!bound.socket)
            return;
        m_socket = std::move(bound.socket);
        port = m_socket->localPort();
        ::setenv("QUILLONLT_UDP_PORT", std::to_string(port).c_str(), 1);
        writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""});
        MarginsSettings margins;
        margins.localIpAddress = ipv4Of(127, 0, 0, 1);
        writeMarginsFile(dir.workDir(), margins);
    }
    ~LoopbackHub() { ::unsetenv("QUILLONLT_UDP_PORT"); }
    bool ready() const { return m_socket != nullptr; }

    // Serves one command run: the record for the first request, then whatever else comes
    // until the feed is ended.
    std::vector<std::string> serve(const std::string& record)
    {
        std::vector<std::string> received;
        while (m_socket->waitReadable(5000)) {
            auto datagram = m_socket->receive();
            if (!datagram)
                continue;
            received.push_back(datagram->bytes);
            if (received.size() == 1)
                m_socket->send(ipv4Of(127, 0, 0, 1), port, record);
            if (datagram->bytes.starts_with("REMOTE_DISCONNECT,"))
                break;
        }
        return received;
    }

    std::uint16_t port = 0;

private:
    std::unique_ptr<UdpSocket> m_socket;
};

TEST(CliHub, SetStatusSendsWhatTheDetailedViewSends)
{
    test::TempWorkDir dir;
    LoopbackHub hub(dir);
    ASSERT_TRUE(hub.ready());
    const std::string identity = "2130706433";  // 127.0.0.1
    const std::string request = test::withNul("_UPDATE," + identity + ",0,1");
    const std::string disconnect = test::withNul("REMOTE_DISCONNECT," + identity);
    struct Row {
        const char* scenario;
        std::vector<std::string> arguments;
        test::SampleRecord record;
        int code;
        std::vector<std::string> sent;
    };
    // The sample machine keeps its times in minutes; its record has pieces 100 and 3.
    const Row rows[] = {
        {"a status",
         {"LOADING"},
         test::SampleRecord({0, 1}, "MILL 1").set(19, "SETUP"),
         0,
         {request, test::withNul("_SETMON_STATUS," + identity + ",0,1,LOADING"), disconnect}},
        {"a SETUP in minutes, one station",
         {"SETUP", "--part", "FL-9", "--min", "1.5", "--max", "2.3", "--pieces", "4"},
         test::SampleRecord({0, 1}, "MILL 1").set(19, "ALARM"),
         0,
         {request,
          test::withNul("_SETMON_STATUS," + identity + ",0,1,SETUP,FL-9,90,138,90,138, ,4,4,"),
          disconnect}},
        {"a SETUP in seconds, two heads",
         {"SETUP", "--part", "FL-9", "--part2", "CV-2", "--min", "50", "--max", "70", "--min2",
          "20", "--max2", "25", "--pieces2", "2"},
         test::SampleRecord({0, 1}, "MILL 1", 1).set(19, "SETUP").set(21, "0"),
         0,
         {request,
          test::withNul("_SETMON_STATUS," + identity + ",0,1,SETUP,FL-9,50,70,20,25,CV-2,100,2,"),
          disconnect}},
        {"a machine in cycle is refused",
         {"LOADING"},
         test::SampleRecord({0, 1}, "MILL 1").set(19, "CYCLE ON"),
         1,
         {request, disconnect}},
        {"a part number with a comma is refused",
         {"SETUP", "--part", "FL,9"},
         test::SampleRecord({0, 1}, "MILL 1").set(19, "SETUP"),
         1,
         {request, disconnect}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> arguments = {"hub", "set-status", "--hub", "1", "--port", "2"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        CliRun run;
        std::thread command([&] { run = runCli(arguments); });
        const std::vector<std::string> sent = hub.serve(row.record.datagram());
        command.join();
        EXPECT_EQ(run.code, row.code) << row.scenario << ": " << run.err;
        EXPECT_EQ(sent, row.sent) << row.scenario;
    }
    EXPECT_EQ(runCli({"hub", "set-status", "--hub", "1", "--port", "2", "SETUP"}).code, 2);
    EXPECT_EQ(runCli({"hub", "set-status", "--hub", "17", "--port", "2", "ALARM"}).code, 2);
    EXPECT_EQ(runCli({"hub", "set-status", "--port", "2", "ALARM"}).code, 2);
    EXPECT_EQ(
        runCli({"hub", "set-status", "--hub", "1", "--port", "2", "ALARM", "--part", "X"}).code,
        2);
}

}  // namespace
}  // namespace quillon
