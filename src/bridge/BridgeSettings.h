// The MQTT bridge's settings file MqttBridge.sys, the options a bridge starts with, and the
// lock that keeps one bridge per working directory.
//
//     enabled=1                      the program starts its bridge by itself
//     broker=broker.shop:1883        HOST[:PORT]; "[V6ADDRESS]:PORT"
//     prefix=quillon                 the first topic level(s)
//     client_id=                     empty: the client makes one of host name and process id
//     user=
//     password_file=                 the password is its first line, read at each start
//     tls_ca_file=                   not empty: TLS, the broker checked against this CA
//
// The password itself is never kept here: the settings file is read by anyone who can read
// the working directory, and the password file can be made readable to its owner alone.
// Relative paths name files in the working directory.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/MqttBridge.h"
#include "platform/AtomicFile.h"

namespace quillon {

class ProcessLock;
class WorkDir;

inline constexpr std::string_view kBridgeSettingsFile = "MqttBridge.sys";
// In the working directory rather than _TMP/: a lock file removed while its bridge runs
// would let a second bridge lock a new file of the same name.
inline constexpr std::string_view kBridgeLockFile = "MqttBridge.lock";

inline constexpr std::string_view kBridgeAlreadyRuns =
    "An MQTT bridge already runs for this working directory";
inline constexpr std::string_view kBadBrokerText =
    "The broker must be a host name or address, optionally followed by :PORT (1 to 65535)";
inline constexpr std::string_view kEmptyPrefixText = "The topic prefix cannot be empty";
inline constexpr std::string_view kWildcardPrefixText =
    "The topic prefix cannot contain '+' or '#'";
inline constexpr std::string_view kReservedPrefixText =
    "The topic prefix cannot start with '$': such topics belong to the broker";
inline constexpr std::string_view kUnreadablePrefixText =
    "The topic prefix must be UTF-8 text without control characters";
inline constexpr std::string_view kPasswordWithoutUserText =
    "A password file needs a user name: brokers take no password without one";

struct BridgeSettings {
    bool enabled = false;
    std::string broker = "localhost";
    std::string prefix = kDefaultTopicPrefix;
    std::string clientId;
    std::string user;
    std::string passwordFile;
    std::string tlsCaFile;

    bool operator==(const BridgeSettings&) const = default;
};

// The prefix as topics are built from it (trailing '/' removed, so "quillon/" does not give
// "quillon//1-3/state"), or why it cannot be one.
struct TopicPrefix {
    std::string prefix;
    std::string error;  // empty when the prefix is good
};
TopicPrefix checkedTopicPrefix(std::string_view typed);

// The first thing that keeps the settings from working (a bad broker, a bad prefix, a
// password without a user), or nothing. Files are not looked at here: they are read when the
// bridge starts, and may be put in place later.
std::optional<std::string> settingsProblem(const BridgeSettings& settings);

// Unknown keys and lines without '=' are passed over; missing keys keep their defaults.
BridgeSettings parseBridgeSettings(std::string_view bytes);
std::string formatBridgeSettings(const BridgeSettings& settings);

// The defaults when the file is missing.
BridgeSettings readBridgeSettings(const WorkDir& workDir);
WriteResult writeBridgeSettings(const WorkDir& workDir, const BridgeSettings& settings);

// The password: the file's first line, without its line end. Nothing, with the user's text
// in `error`, when the file cannot be read.
std::optional<std::string> readBridgePassword(const std::string& path, std::string& error);

// What a bridge starts with: the broker parsed, the prefix checked, the password read from
// its file's first line. Without options, `error` tells the user why.
struct BridgeStart {
    std::optional<BridgeOptions> options;
    std::string error;
};
BridgeStart bridgeOptions(const WorkDir& workDir, const BridgeSettings& settings);

// The machines the hub's configuration monitors, which a bridge follows from its start;
// none when the hub's folder cannot be read (the hub's own start-up list then names them).
std::vector<MachineSlot> bridgeMachines(const WorkDir& workDir);

// The working directory's bridge lock, or nothing with `error` set: kBridgeAlreadyRuns
// while another bridge holds it, else the reason the lock file could not be opened.
std::unique_ptr<ProcessLock> acquireBridgeLock(const WorkDir& workDir, std::string& error);

}  // namespace quillon
