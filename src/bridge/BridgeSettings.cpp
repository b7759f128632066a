#include "bridge/BridgeSettings.h"

#include <mosquitto.h>

#include <filesystem>
#include <vector>

#include "monitoring/HubSetup.h"
#include "monitoring/RemoteConfig.h"
#include "platform/FileBytes.h"
#include "platform/KeyValueFile.h"
#include "platform/ProcessLock.h"
#include "platform/SystemError.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// Paths in this file are not bound by the old 260-byte settings buffer; this is the
// system's own path limit.
constexpr std::size_t kBridgeLineLimit = 4096;

// The keys of the file, in file order.
constexpr KeyValueField<BridgeSettings> kKeys[] = {
    {"enabled"},
    {"broker", &BridgeSettings::broker},
    {"prefix", &BridgeSettings::prefix},
    {"client_id", &BridgeSettings::clientId},
    {"user", &BridgeSettings::user},
    {"password_file", &BridgeSettings::passwordFile},
    {"tls_ca_file", &BridgeSettings::tlsCaFile},
};

std::string inWorkDir(const WorkDir& workDir, const std::string& path)
{
    if (path.empty() || std::filesystem::path(path).is_absolute())
        return path;
    return workDir.file(path);
}

}  // namespace

TopicPrefix checkedTopicPrefix(std::string_view typed)
{
    while (!typed.empty() && typed.back() == '/')
        typed.remove_suffix(1);
    if (typed.empty())
        return {{}, std::string(kEmptyPrefixText)};
    if (typed.find_first_of("+#") != std::string_view::npos)
        return {{}, std::string(kWildcardPrefixText)};
    if (typed.front() == '$')
        return {{}, std::string(kReservedPrefixText)};
    // The library refuses such a topic at every publish; better said once, here. It checks
    // UTF-8 and control characters, NUL among them, as the protocol wants topics.
    if (mosquitto_validate_utf8(typed.data(), static_cast<int>(typed.size())) != MOSQ_ERR_SUCCESS)
        return {{}, std::string(kUnreadablePrefixText)};
    return {std::string(typed), {}};
}

std::optional<std::string> settingsProblem(const BridgeSettings& settings)
{
    if (!parseMqttBroker(settings.broker))
        return std::string(kBadBrokerText);
    if (auto prefix = checkedTopicPrefix(settings.prefix); !prefix.error.empty())
        return std::move(prefix.error);
    if (!settings.passwordFile.empty() && settings.user.empty())
        return std::string(kPasswordWithoutUserText);
    return std::nullopt;
}

BridgeSettings parseBridgeSettings(std::string_view bytes)
{
    return parseKeyValues(bytes, kBridgeLineLimit, kKeys, &BridgeSettings::enabled);
}

std::string formatBridgeSettings(const BridgeSettings& settings)
{
    return formatKeyValues(settings, kKeys, &BridgeSettings::enabled);
}

BridgeSettings readBridgeSettings(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kBridgeSettingsFile));
    return bytes ? parseBridgeSettings(*bytes) : BridgeSettings{};
}

WriteResult writeBridgeSettings(const WorkDir& workDir, const BridgeSettings& settings)
{
    return replaceFileAtomically(workDir.file(kBridgeSettingsFile),
                                 formatBridgeSettings(settings));
}

std::optional<std::string> readBridgePassword(const std::string& path, std::string& error)
{
    int code = 0;
    const auto bytes = readFileBytes(path, &code);
    if (!bytes) {
        error =
            "The MQTT password could not be read: " + fileErrorText(code, FileAction::Open, path);
        return std::nullopt;
    }
    return std::string(withinOneLine(std::string_view(bytes->data.get(), bytes->size)));
}

BridgeStart bridgeOptions(const WorkDir& workDir, const BridgeSettings& settings)
{
    if (auto problem = settingsProblem(settings))
        return {std::nullopt, std::move(*problem)};
    BridgeOptions options;
    const auto broker = parseMqttBroker(settings.broker);
    options.mqtt.host = broker->host;
    options.mqtt.port = broker->port;
    options.mqtt.clientId = settings.clientId;
    options.mqtt.user = settings.user;
    options.mqtt.tlsCaFile = inWorkDir(workDir, settings.tlsCaFile);
    options.prefix = checkedTopicPrefix(settings.prefix).prefix;
    if (!settings.passwordFile.empty()) {
        std::string error;
        auto password = readBridgePassword(inWorkDir(workDir, settings.passwordFile), error);
        if (!password)
            return {std::nullopt, std::move(error)};
        options.mqtt.password = std::move(*password);
    }
    return {std::move(options), {}};
}

std::vector<MachineSlot> bridgeMachines(const WorkDir& workDir)
{
    std::vector<MachineSlot> machines;
    if (const auto setup = readMonitorSetup(readRemoteConfig(workDir).hubDirectory)) {
        for (int index = 0; index < kMachineSlots; ++index) {
            if (setup->isMonitored(MachineSlot::ofIndex(index)))
                machines.push_back(MachineSlot::ofIndex(index));
        }
    }
    return machines;
}

std::unique_ptr<ProcessLock> acquireBridgeLock(const WorkDir& workDir, std::string& error)
{
    bool held = false;
    auto lock = ProcessLock::acquire(workDir.file(kBridgeLockFile), &error, &held);
    if (!lock && held)
        error = kBridgeAlreadyRuns;
    return lock;
}

}  // namespace quillon
