// VoskCONF.SYS and the directory the remote configuration dialog stores.
#include "monitoring/RemoteConfig.h"

#include <gtest/gtest.h>

#include "platform/Ipv4Address.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(StoredHubDirectory, CutsTheProgramFileAndEndsWithASeparatorKeepingCase)
{
    const struct {
        const char* scenario;
        const char* typed;
        const char* stored;
    } cases[] = {
        {"program file on a Windows share", "\\\\CAIRN\\Share\\Quillon.exe", "\\\\CAIRN\\Share\\"},
        {"program file on a mount, any case", "/mnt/Cairn/quillon.EXE", "/mnt/Cairn/"},
        {"program file name inside a longer name", "/mnt/x/QUILLON.EXE.bak", "/mnt/x/"},
        {"mounted folder keeps its case", "/mnt/CairnShare", "/mnt/CairnShare/"},
        {"backslash path gets a backslash", "H:\\Cairn", "H:\\Cairn\\"},
        {"mixed separators get the native one", "/mnt\\cairn", "/mnt\\cairn/"},
        {"an ending separator of either kind is kept", "H:\\Cairn\\", "H:\\Cairn\\"},
        {"a cleared field means no hub", "", ""},
        {"blanks mean no hub", "   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(storedHubDirectory(c.typed), c.stored) << c.scenario;
}

TEST(RemoteConfigFile, WritesThreeCrLfLinesWithTheNameUpperCasedAndReadsThemBack)
{
    test::TempWorkDir dir;
    const RemoteConfig config{"/mnt/cairn/", ipv4Of(192, 168, 1, 10), "cairnHub"};
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), config).ok);
    EXPECT_EQ(dir.read(kRemoteConfigFile), "/mnt/cairn/\r\n-1062731510\r\nCAIRNHUB\r\n");

    const auto read = readRemoteConfig(dir.workDir());
    EXPECT_EQ(read.hubDirectory, "/mnt/cairn/");
    EXPECT_EQ(read.hubAddress, ipv4Of(192, 168, 1, 10));
    EXPECT_EQ(read.hubName, "CAIRNHUB");
    EXPECT_TRUE(read.hasHub());
}

TEST(RemoteConfigFile, AMissingFileMeansNoHub)
{
    test::TempWorkDir dir;
    const auto config = readRemoteConfig(dir.workDir());
    EXPECT_FALSE(config.hasHub());
    EXPECT_EQ(config.hubAddress, 0);
    EXPECT_EQ(config.hubName, "");
}

TEST(RemoteConfigFile, ReadsWhatOtherToolsAndDamageLeave)
{
    const std::string longLine(10000, 'd');
    const struct {
        const char* scenario;
        std::string bytes;
        std::string directory;
        std::int32_t address;
        std::string name;
    } cases[] = {
        {"Windows file with CR LF", "H:\\CAIRN\r\n167772165\r\nHUB\r\n", "H:\\CAIRN\\", 167772165,
         "HUB"},
        {"empty first line: no hub", "\n-1062731510\nHUB\n", "", ipv4Of(192, 168, 1, 10), "HUB"},
        {"address that is no number", "/mnt/c/\nhub.local\nHUB\n", "/mnt/c/", 0, "HUB"},
        {"only the directory", "/mnt/c", "/mnt/c/", 0, ""},
        {"unsigned form of the address", "/m/\n3232235786\n", "/m/", ipv4Of(192, 168, 1, 10), ""},
        {"a long directory line is cut, the address stays second", longLine + "\n167772165\nHUB\n",
         std::string(259, 'd') + "/", 167772165, "HUB"},
        {"binary bytes", std::string("\0\xff\n\x01\x02", 5), std::string("\0\xff/", 3), 0, ""},
    };
    for (const auto& c : cases) {
        const auto config = parseRemoteConfig(c.bytes);
        EXPECT_EQ(config.hubDirectory, c.directory) << c.scenario;
        EXPECT_EQ(config.hubAddress, c.address) << c.scenario;
        EXPECT_EQ(config.hubName, c.name) << c.scenario;
    }
}

TEST(RemoteConfigFile, ALineEndInAValueCannotShiftTheLinesAfterIt)
{
    const RemoteConfig config{"/mnt/a/\n/etc/", 5, "hub\r\nX"};
    EXPECT_EQ(formatRemoteConfig(config), "/mnt/a/\r\n5\r\nHUB\r\n");
}

}  // namespace
}  // namespace quillon
