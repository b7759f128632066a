#include "bridge/BridgeSettings.h"

#include <gtest/gtest.h>

#include "platform/ProcessLock.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

struct PrefixCase {
    const char* scenario;
    std::string_view typed;
    std::string_view prefix;  // empty: refused with `error`
    std::string_view error;
};

TEST(BridgeSettings, TopicPrefixesAreTrimmedOrRefusedWithTheirReason)
{
    using namespace std::string_view_literals;
    const PrefixCase cases[] = {
        {"plain", "quillon", "quillon", {}},
        {"several levels", "shop/cells", "shop/cells", {}},
        {"trailing slash trimmed", "quillon/", "quillon", {}},
        {"every trailing slash trimmed", "shop//", "shop", {}},
        {"leading slash kept", "/shop", "/shop", {}},
        {"UTF-8 letters",
         "atelier/d\xc3\xa9"
         "coupe",
         "atelier/d\xc3\xa9"
         "coupe",
         {}},
        {"empty", "", {}, kEmptyPrefixText},
        {"nothing but slashes", "//", {}, kEmptyPrefixText},
        {"single-level wildcard", "shop/+", {}, kWildcardPrefixText},
        {"multi-level wildcard", "shop#1", {}, kWildcardPrefixText},
        {"broker's own topics", "$SYS/quillon", {}, kReservedPrefixText},
        {"NUL inside", "shop\0x"sv, {}, kUnreadablePrefixText},
        {"control character", "shop\tfloor", {}, kUnreadablePrefixText},
        {"Latin-1, not UTF-8",
         "d\xe9"
         "coupe",
         {},
         kUnreadablePrefixText},
    };
    for (const PrefixCase& row : cases) {
        SCOPED_TRACE(row.scenario);
        const TopicPrefix checked = checkedTopicPrefix(row.typed);
        EXPECT_EQ(checked.prefix, row.prefix);
        EXPECT_EQ(checked.error, row.error);
    }
}

TEST(BridgeSettings, SettingsProblemsNameTheFirstFieldThatCannotWork)
{
    struct Case {
        const char* scenario;
        void (*change)(BridgeSettings&);
        std::optional<std::string_view> problem;
    };
    const Case cases[] = {
        {"the defaults work", [](BridgeSettings&) {}, std::nullopt},
        {"host and port", [](BridgeSettings& s) { s.broker = "mqtt.shop:8883"; }, std::nullopt},
        {"IPv6 address", [](BridgeSettings& s) { s.broker = "[::1]:1884"; }, std::nullopt},
        {"no host", [](BridgeSettings& s) { s.broker = ""; }, kBadBrokerText},
        {"port past range", [](BridgeSettings& s) { s.broker = "host:65536"; }, kBadBrokerText},
        {"port not a number", [](BridgeSettings& s) { s.broker = "host:mqtt"; }, kBadBrokerText},
        {"bad prefix", [](BridgeSettings& s) { s.prefix = "a/#"; }, kWildcardPrefixText},
        {"password without user", [](BridgeSettings& s) { s.passwordFile = "mqtt.pw"; },
         kPasswordWithoutUserText},
        {"password with user",
         [](BridgeSettings& s) {
             s.passwordFile = "mqtt.pw";
             s.user = "cell4";
         },
         std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.scenario);
        BridgeSettings settings;
        row.change(settings);
        EXPECT_EQ(settingsProblem(settings), row.problem);
    }
}

TEST(BridgeSettings, FileWritesEveryKeyWithCrLfAndReadsBackTheSame)
{
    test::TempWorkDir dir;
    EXPECT_EQ(readBridgeSettings(dir.workDir()), BridgeSettings{}) << "missing file: defaults";

    BridgeSettings settings;
    settings.enabled = true;
    settings.broker = "[fd00::7]:8883";
    settings.prefix = "plant=2/cells";  // a '=' in a value is the value's own
    settings.clientId = "cell-4";
    settings.user = "quillon";
    settings.passwordFile = "/etc/quillon/mqtt.pw";
    settings.tlsCaFile = "ca.pem";
    ASSERT_TRUE(writeBridgeSettings(dir.workDir(), settings).ok);
    EXPECT_EQ(dir.read(kBridgeSettingsFile),
              "enabled=1\r\nbroker=[fd00::7]:8883\r\nprefix=plant=2/cells\r\n"
              "client_id=cell-4\r\nuser=quillon\r\npassword_file=/etc/quillon/mqtt.pw\r\n"
              "tls_ca_file=ca.pem\r\n");
    EXPECT_EQ(readBridgeSettings(dir.workDir()), settings);
}

TEST(BridgeSettings, HandEditedFilesAreReadLeniently)
{
    // LF only, blanks around keys and values, unknown keys, lines without '=' and keys in
    // another order: all as someone editing the file by hand may leave it.
    const BridgeSettings settings = parseBridgeSettings(
        "# bridge for hall 2\n"
        " broker = mqtt.hall2 \n"
        "qos=2\n"
        "prefix=hall2\n"
        "enabled=1");
    EXPECT_TRUE(settings.enabled);
    EXPECT_EQ(settings.broker, "mqtt.hall2");
    EXPECT_EQ(settings.prefix, "hall2");
    EXPECT_EQ(settings.clientId, "");

    // Only "1" switches the bridge on: a damaged flag must not start publishing.
    for (const char* flag : {"enabled=yes", "enabled=", "enabled=0", "enabled=10"})
        EXPECT_FALSE(parseBridgeSettings(flag).enabled) << flag;
}

TEST(BridgeSettings, ValueWithALineEndCannotForgeAnotherKey)
{
    BridgeSettings settings;
    settings.user = "cell\r\nbroker=evil.example";
    const BridgeSettings read = parseBridgeSettings(formatBridgeSettings(settings));
    EXPECT_EQ(read.user, "cell");
    EXPECT_EQ(read.broker, "localhost");
}

TEST(BridgeSettings, OptionsCarryTheBrokerPrefixAndPasswordFromItsFirstLine)
{
    test::TempWorkDir dir;
    dir.write("mqtt.pw", "s3cret word\r\nsecond line\r\n");
    BridgeSettings settings;
    settings.broker = "mqtt.shop:1884";
    settings.prefix = "shop/";
    settings.clientId = "cell-4";
    settings.user = "quillon";
    settings.passwordFile = "mqtt.pw";  // relative: in the working directory
    settings.tlsCaFile = "/etc/ssl/shop-ca.pem";

    const BridgeStart start = bridgeOptions(dir.workDir(), settings);
    ASSERT_TRUE(start.options) << start.error;
    const MqttSettings& mqtt = start.options->mqtt;
    EXPECT_EQ(mqtt.host, "mqtt.shop");
    EXPECT_EQ(mqtt.port, 1884);
    EXPECT_EQ(mqtt.clientId, "cell-4");
    EXPECT_EQ(mqtt.user, "quillon");
    EXPECT_EQ(mqtt.password, "s3cret word");
    EXPECT_EQ(mqtt.tlsCaFile, "/etc/ssl/shop-ca.pem");
    EXPECT_EQ(start.options->prefix, "shop");

    settings.tlsCaFile = "certs/ca.pem";
    EXPECT_EQ(bridgeOptions(dir.workDir(), settings).options->mqtt.tlsCaFile,
              dir.path("certs/ca.pem"));
}

TEST(BridgeSettings, OptionsAreRefusedWithTheUsersReason)
{
    test::TempWorkDir dir;
    BridgeSettings settings;
    settings.user = "quillon";
    settings.passwordFile = "missing.pw";
    BridgeStart start = bridgeOptions(dir.workDir(), settings);
    EXPECT_FALSE(start.options);
    EXPECT_EQ(start.error, "The MQTT password could not be read: \"" + dir.path("missing.pw") +
                               "\" was not found.");

    dir.write("empty.pw", "");
    settings.passwordFile = "empty.pw";
    start = bridgeOptions(dir.workDir(), settings);
    ASSERT_TRUE(start.options) << "an empty password is the user's choice";
    EXPECT_EQ(start.options->mqtt.password, "");

    settings.broker = "host:0";
    EXPECT_EQ(bridgeOptions(dir.workDir(), settings).error, kBadBrokerText);
}

TEST(BridgeSettings, PasswordIsTheFirstLineWhateverItsLineEnd)
{
    test::TempWorkDir dir;
    const struct {
        const char* scenario;
        std::string_view bytes;
        std::string_view password;
    } cases[] = {
        {"CR LF", "s3cret\r\nnext\r\n", "s3cret"},
        {"LF", "s3cret\nnext", "s3cret"},
        {"no line end", "s3cret", "s3cret"},
        {"old Mac CR", "s3cret\rnext", "s3cret"},
        {"blanks are the password's own", " s3 cret \n", " s3 cret "},
        {"empty file", "", ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.scenario);
        dir.write("mqtt.pw", row.bytes);
        std::string error;
        EXPECT_EQ(readBridgePassword(dir.path("mqtt.pw"), error), std::string(row.password));
    }
    std::string error;
    EXPECT_FALSE(readBridgePassword(dir.workDir().rootWithoutSeparator(), error));
    EXPECT_EQ(error, "The MQTT password could not be read: \"" +
                         dir.workDir().rootWithoutSeparator() + "\" is a folder.");
}

TEST(BridgeSettings, OneBridgeLockPerWorkingDirectoryUntilItsHolderLetsGo)
{
    test::TempWorkDir dir;
    std::string error;
    auto first = acquireBridgeLock(dir.workDir(), error);
    ASSERT_TRUE(first) << error;

    EXPECT_FALSE(acquireBridgeLock(dir.workDir(), error));
    EXPECT_EQ(error, kBridgeAlreadyRuns);

    first.reset();
    EXPECT_TRUE(acquireBridgeLock(dir.workDir(), error)) << error;
}

TEST(BridgeSettings, LockThatCannotBeMadeSaysWhyNotThatABridgeRuns)
{
    const WorkDir missing("/nonexistent-quillon-folder/");
    std::string error;
    EXPECT_FALSE(acquireBridgeLock(missing, error));
    EXPECT_NE(error, kBridgeAlreadyRuns);
    EXPECT_NE(error.find("MqttBridge.lock"), std::string::npos) << error;
}

}  // namespace
}  // namespace quillon
