#include "monitoring/RemoteConfig.h"

#include <algorithm>

#include "platform/Ipv4Address.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// The hub's program file: users often pick it with the file dialog instead of its folder.
constexpr std::string_view kHubProgramFile = "QUILLON.EXE";

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upperCased(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), upperAscii);
    return result;
}

// A value that reached us with a line end in it would shift the lines after it.
std::string_view firstLine(std::string_view text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::string withTrailingHubSeparator(std::string_view directory)
{
    std::string result(directory);
    if (result.empty() || paths::isSeparator(result.back()))
        return result;
    const bool backslashesOnly =
        result.find('\\') != std::string::npos && result.find('/') == std::string::npos;
    result += backslashesOnly ? '\\' : '/';
    return result;
}

std::string storedHubDirectory(std::string_view typed)
{
    if (isBlank(typed))
        return {};
    // Only the search ignores case: on this platform the path's own spelling names the
    // folder, so it is kept as typed.
    const auto programAt = upperCased(typed).find(kHubProgramFile);
    if (programAt != std::string::npos)
        typed = typed.substr(0, programAt);
    return withTrailingHubSeparator(typed);
}

RemoteConfig parseRemoteConfig(std::string_view bytes)
{
    RemoteConfig config;
    LineReader reader(bytes);
    if (const auto directory = reader.next())
        config.hubDirectory = withTrailingHubSeparator(*directory);
    if (const auto address = reader.next())
        config.hubAddress = ipv4FromSignedDecimal(*address).value_or(0);
    if (const auto name = reader.next())
        config.hubName = *name;
    return config;
}

std::string formatRemoteConfig(const RemoteConfig& config)
{
    return std::string(firstLine(config.hubDirectory)) + "\r\n" +
           ipv4ToSignedDecimal(config.hubAddress) + "\r\n" +
           upperCased(firstLine(config.hubName)) + "\r\n";
}

RemoteConfig readRemoteConfig(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kRemoteConfigFile));
    return bytes ? parseRemoteConfig(*bytes) : RemoteConfig{};
}

WriteResult writeRemoteConfig(const WorkDir& workDir, const RemoteConfig& config)
{
    return replaceFileAtomically(workDir.file(kRemoteConfigFile), formatRemoteConfig(config));
}

}  // namespace quillon
