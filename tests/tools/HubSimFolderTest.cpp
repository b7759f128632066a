// The simulated hub's setup folder, read back by the program's own readers, and its
// command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "hubsim/HubFolder.h"
#include "hubsim/HubSimOptions.h"
#include "monitoring/HubSetup.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon::hubsim {
namespace {

TEST(HubSimFolder, TheProgramReadsBackEveryMachineOfTheHub)
{
    test::TempWorkDir dir;
    const std::string hub = dir.path("hub");
    const HubModel model({20, 6}, 1796709600);
    const WriteResult written = writeHubFolder(model, hub);
    ASSERT_TRUE(written.ok) << written.error;

    const auto configuration = readHubConfiguration(hub + "/");
    const auto setup = readMonitorSetup(hub + "/");
    ASSERT_TRUE(configuration && setup);
    ASSERT_EQ(configuration->machines().size(), 20u);
    for (const Machine& m : model.machines()) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(configuration->nameOf(m.slot), m.name);
        EXPECT_EQ(configuration->slotOf(m.name), m.slot);
        EXPECT_TRUE(setup->isMonitored(m.slot));
        EXPECT_EQ(setup->stationKind(m.slot), m.kind);
        EXPECT_EQ(setup->headerSlot(m.slot), m.slot);
        const HubMachine* described = configuration->machine(m.slot);
        ASSERT_NE(described, nullptr);
        EXPECT_TRUE(std::filesystem::is_directory(described->downloadDirectory));
        EXPECT_TRUE(std::filesystem::is_directory(described->uploadDirectory));
    }
    // The ninth machine is hub 1, port 0.
    EXPECT_EQ(setup->headerSlot({1, 0}), (MachineSlot{1, 0}));
    EXPECT_EQ(monitoredMachineNames(*configuration, *setup).size(), 20u);

    for (const char* folder : {"_SETUP", "_TMP", "_MONITORING", "_REPORTS"})
        EXPECT_TRUE(std::filesystem::is_directory(hub + "/" + folder)) << folder;
    for (const char* file : {"CairnConf.sys", "MonSetup.sys", "GraphColor.sys"}) {
        const std::string bytes = dir.read("hub/_SETUP/" + std::string(file));
        ASSERT_GT(bytes.size(), 2u) << file;
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << file;
        std::size_t lineFeeds = 0, crLf = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n') {
                ++lineFeeds;
                crLf += i > 0 && bytes[i - 1] == '\r';
            }
        EXPECT_EQ(lineFeeds, crLf) << file << ": every line ends with CR LF";
    }
}

TEST(HubSimFolder, MachinesGetSampleProgramsThatARunAgainLeavesAsTheUserChangedThem)
{
    test::TempWorkDir dir;
    const std::string hub = dir.path("hub");
    const HubModel model({2, 1}, 1796709600);
    ASSERT_TRUE(writeHubFolder(model, hub).ok);
    const std::string download = machineFolder(1, hub, MachineFolder::Download);
    const std::string memory = machineFolder(1, hub, MachineFolder::Memory);
    EXPECT_EQ(download, std::filesystem::absolute(hub) / "_NC/M2/DOWNLOAD");
    for (const std::string& program :
         {download + "/O1001.NC", download + "/O1002.NC", memory + "/O9001.NC"}) {
        const auto bytes = readFile(program);
        ASSERT_TRUE(bytes) << program;
        EXPECT_TRUE(bytes->starts_with("%\r\nO")) << program;
    }

    test::writeBytes(download + "/O1001.NC", "%\nO1001 (EDITED)\n%\n");
    ASSERT_TRUE(writeHubFolder(model, hub).ok);
    EXPECT_EQ(readFile(download + "/O1001.NC"), "%\nO1001 (EDITED)\n%\n");
}

TEST(HubSimFolder, ARelativeHubFolderIsNamedAbsolutelyForReadersElsewhere)
{
    const std::vector<std::string> lines =
        hubConfigurationLines(HubModel({1, 1}, 1796709600), "hub");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1],
              "DT:" + (std::filesystem::current_path() / "hub/_NC/M1/DOWNLOAD").string());
    EXPECT_EQ(lines[2], "DR:" + (std::filesystem::current_path() / "hub/_NC/M1/UPLOAD").string());
}

TEST(HubSimFolder, TheColourFileNamesEveryStatusTheHubReports)
{
    const auto lines = graphColorLines();
    ASSERT_EQ(lines.size(), 1u + kStatusCount);
    EXPECT_EQ(lines[0], "1,0,16777215");
    EXPECT_EQ(lines[1 + kCycleOn], "65280,CYCLE ON");
    EXPECT_EQ(lines[1 + kSetup], "16711680,SETUP");
    EXPECT_EQ(lines[1 + kNoOperator], "128,NO Ostler");
    for (const std::string_view status : HubModel::settableStatuses()) {
        const std::string& line = lines[1 + static_cast<std::size_t>(*statusIndexOf(status))];
        EXPECT_EQ(line.substr(line.find(',') + 1), status);
    }
}

TEST(HubSimFolder, AFolderThatCannotBeMadeIsAFailure)
{
    test::TempWorkDir dir;
    dir.write("taken", "a file where the hub folder should go");
    const WriteResult written = writeHubFolder(HubModel({2, 1}, 1796709600), dir.path("taken"));
    EXPECT_FALSE(written.ok);
    EXPECT_NE(written.error.find("taken"), std::string::npos) << written.error;
}

TEST(HubSimCommandLine, OptionsAndTheirLimits)
{
    using Action = ParsedHubSimArguments::Action;
    const auto defaults = parseHubSimArguments({});
    ASSERT_EQ(defaults.action, Action::Run);
    EXPECT_EQ(ipv4ToDottedText(defaults.options.address), "127.0.0.2");
    EXPECT_EQ(defaults.options.port, 17);
    EXPECT_FALSE(defaults.options.clientPort);
    EXPECT_FALSE(defaults.options.quiet);
    EXPECT_FALSE(defaults.options.model.demo);
    EXPECT_DOUBLE_EQ(defaults.options.requestDelay, kDefaultRequestDelay);

    const auto given = parseHubSimArguments(
        {"--address",       "10.0.0.5", "--port",    "27017",     "--client-port", "17",
         "--machines",      "128",      "--seed",    "42",        "--speed",       "60.5",
         "--hub-dir",       "/tmp/hub", "--history", "62",        "--demo",        "--quiet",
         "--request-delay", "0",        "--start",   "1796797800"});
    ASSERT_EQ(given.action, Action::Run) << given.error;
    EXPECT_EQ(given.options.address, ipv4Of(10, 0, 0, 5));
    EXPECT_EQ(given.options.port, 27017);
    EXPECT_EQ(given.options.clientPort, 17);
    EXPECT_EQ(given.options.model.machines, 128);
    EXPECT_EQ(given.options.model.seed, 42u);
    EXPECT_DOUBLE_EQ(given.options.speed, 60.5);
    EXPECT_EQ(given.options.hubDirectory, "/tmp/hub");
    EXPECT_EQ(given.options.historyDays, 62);
    EXPECT_TRUE(given.options.quiet);
    EXPECT_TRUE(given.options.model.demo);
    EXPECT_DOUBLE_EQ(given.options.requestDelay, 0);
    EXPECT_EQ(given.options.start, 1'796'797'800);
    EXPECT_FALSE(defaults.options.start);

    EXPECT_EQ(parseHubSimArguments({"--port", "1", "--help"}).action, Action::Help);
    const std::vector<std::vector<std::string>> wrong = {
        {"--machines", "0"},
        {"--machines", "129"},
        {"--port", "0"},
        {"--port", "65536"},
        {"--speed", "0"},
        {"--speed", "nan"},
        {"--speed", "3601"},
        {"--address", "localhost"},
        {"--seed", "-1"},
        {"--machines"},
        {"--verbose"},
        {"--hub-dir", ""},
        {"--history", "63"},
        {"--history", "-1"},
        // Past shifts need a folder to go to.
        {"--history", "5"},
        {"--hub-dir", "/tmp/hub", "--request-delay", "-1"},
        {"--hub-dir", "/tmp/hub", "--request-delay", "61"},
        {"--hub-dir", "/tmp/hub", "--request-delay", "inf"},
        // Requests arrive in the hub's folder only.
        {"--request-delay", "1"},
        {"--start", "13:55"},
        {"--start", "0"},
        {"--start", "99999999999"},
    };
    for (const auto& arguments : wrong) {
        const auto parsed = parseHubSimArguments(arguments);
        EXPECT_EQ(parsed.action, Action::UsageError) << arguments[0];
        EXPECT_FALSE(parsed.error.empty());
    }
}

}  // namespace
}  // namespace quillon::hubsim
