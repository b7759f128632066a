#include "board/BoardSettings.h"

#include <gtest/gtest.h>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(BoardSettings, AddressesAndPortsAreTakenOrRefusedWithTheirReason)
{
    struct Case {
        const char* scenario;
        std::string address;
        std::string port;
        std::optional<std::string_view> problem;
    };
    const Case cases[] = {
        {"the defaults", "127.0.0.1", "8080", std::nullopt},
        {"every IPv4 interface", "0.0.0.0", "80", std::nullopt},
        {"a shop network address", "192.168.10.4", "65535", std::nullopt},
        {"IPv6 loopback", "::1", "1", std::nullopt},
        {"IPv6 every interface", "::", "8080", std::nullopt},
        {"IPv6 in brackets", "[fd00::7]", "8080", std::nullopt},
        {"host name", "localhost", "8080", kBadBoardAddressText},
        {"empty address", "", "8080", kBadBoardAddressText},
        {"short IPv4 form", "127.1", "8080", kBadBoardAddressText},
        {"octet past 255", "10.0.0.256", "8080", kBadBoardAddressText},
        {"address with a port", "127.0.0.1:8080", "8080", kBadBoardAddressText},
        {"port zero", "127.0.0.1", "0", kBadBoardPortText},
        {"port past range", "127.0.0.1", "65536", kBadBoardPortText},
        {"negative port", "127.0.0.1", "-80", kBadBoardPortText},
        {"port with letters", "127.0.0.1", "80a", kBadBoardPortText},
        {"empty port", "127.0.0.1", "", kBadBoardPortText},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.scenario);
        BoardSettings settings;
        settings.address = row.address;
        settings.port = row.port;
        EXPECT_EQ(boardSettingsProblem(settings), row.problem);
    }
    EXPECT_EQ(boardAddress("[::1]"), "::1") << "brackets are the URL's, not the address's";
    EXPECT_EQ(boardPort("8080"), 8080);
}

TEST(BoardSettings, FileWritesEveryKeyWithCrLfAndReadsBackTheSame)
{
    test::TempWorkDir dir;
    EXPECT_EQ(readBoardSettings(dir.workDir()), BoardSettings{}) << "missing file: defaults";

    BoardSettings settings;
    settings.enabled = true;
    settings.address = "0.0.0.0";
    settings.port = "8088";
    settings.title = "Halle 2 = Dreherei \xc3\xa4";  // UTF-8, a '=' of its own
    ASSERT_TRUE(writeBoardSettings(dir.workDir(), settings).ok);
    EXPECT_EQ(dir.read(kBoardSettingsFile),
              "enabled=1\r\naddress=0.0.0.0\r\nport=8088\r\n"
              "title=Halle 2 = Dreherei \xc3\xa4\r\n");
    EXPECT_EQ(readBoardSettings(dir.workDir()), settings);
}

TEST(BoardSettings, HandEditedFilesAreReadLenientlyButNeverSwitchOnByAccident)
{
    const BoardSettings settings = parseBoardSettings(
        "# the TV in hall 2\n"
        " port = 9000 \n"
        "theme=dark\n"
        "enabled=1");
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.port, "9000");
    EXPECT_EQ(settings.address, "127.0.0.1") << "missing keys keep their defaults";
    EXPECT_EQ(settings.title, "QuillonLT");

    for (const char* flag : {"enabled=yes", "enabled=", "enabled=0", "enabled=10"})
        EXPECT_FALSE(parseBoardSettings(flag).enabled) << flag;

    // A damaged port is kept as it is, so the user is told rather than served elsewhere.
    EXPECT_EQ(boardSettingsProblem(parseBoardSettings("port=80 80")), kBadBoardPortText);
}

TEST(BoardSettings, TitleWithALineEndCannotForgeAnotherKey)
{
    BoardSettings settings;
    settings.title = "Hall 2\r\nenabled=1";
    const BoardSettings read = parseBoardSettings(formatBoardSettings(settings));
    EXPECT_EQ(read.title, "Hall 2");
    EXPECT_FALSE(read.enabled);
}

TEST(BoardSettings, ValueEndsAtALoneCrAsItDoesWhenWritten)
{
    // A CR pasted into the title, or a file saved with old Mac line ends.
    const BoardSettings read = parseBoardSettings("enabled=1\rport=9000\r\ntitle=Hall 2\rl 2\r\n");
    EXPECT_TRUE(read.enabled);
    EXPECT_EQ(read.title, "Hall 2");
    EXPECT_EQ(parseBoardSettings(formatBoardSettings(read)), read) << "saving changes nothing";
}

TEST(BoardSettings, UrlsNameAnAddressABrowserCanGoTo)
{
    struct Case {
        const char* scenario;
        std::string_view address;
        std::string_view url;
    };
    const Case cases[] = {
        {"IPv4 as it is", "192.168.10.4", "http://192.168.10.4:8080/"},
        {"IPv6 in brackets", "::1", "http://[::1]:8080/"},
        {"IPv6 typed in brackets", "[fd00::7]", "http://[fd00::7]:8080/"},
        {"every IPv4 interface: loopback", "0.0.0.0", "http://127.0.0.1:8080/"},
        {"every IPv6 interface: loopback", "::", "http://[::1]:8080/"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.scenario);
        EXPECT_EQ(boardUrl(row.address, 8080), row.url);
    }
    EXPECT_EQ(boardServingText("http://[::1]:80/", 1), "Serving http://[::1]:80/ to 1 browser");
    EXPECT_EQ(boardServingText("http://[::1]:80/", 0), "Serving http://[::1]:80/ to 0 browsers");
}

}  // namespace
}  // namespace quillon
