#include "board/BoardSettings.h"

#include <arpa/inet.h>

#include <vector>

#include "platform/KeyValueFile.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// A title is a line of text; addresses and ports are far shorter.
constexpr std::size_t kBoardLineLimit = 1024;

constexpr KeyValueField<BoardSettings> kKeys[] = {
    {"enabled"},
    {"address", &BoardSettings::address},
    {"port", &BoardSettings::port},
    {"title", &BoardSettings::title},
};

std::string_view withoutBrackets(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        return text.substr(1, text.size() - 2);
    return text;
}

}  // namespace

std::optional<std::uint16_t> boardPort(std::string_view text)
{
    const auto port = numberIn(text);
    if (!port || *port < 1 || *port > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(*port);
}

std::optional<std::string> boardAddress(std::string_view text)
{
    const std::string address(withoutBrackets(text));
    unsigned char bytes[16];
    // inet_pton takes dotted quads only, so "127.1" or "8080" is not mistaken for an
    // address as inet_aton would; IPv6 scope suffixes are left to a later need.
    if (inet_pton(AF_INET, address.c_str(), bytes) == 1 ||
        inet_pton(AF_INET6, address.c_str(), bytes) == 1)
        return address;
    return std::nullopt;
}

std::optional<std::string> boardSettingsProblem(const BoardSettings& settings)
{
    if (!boardAddress(settings.address))
        return std::string(kBadBoardAddressText);
    if (!boardPort(settings.port))
        return std::string(kBadBoardPortText);
    return std::nullopt;
}

BoardSettings parseBoardSettings(std::string_view bytes)
{
    return parseKeyValues(bytes, kBoardLineLimit, kKeys, &BoardSettings::enabled);
}

std::string formatBoardSettings(const BoardSettings& settings)
{
    return formatKeyValues(settings, kKeys, &BoardSettings::enabled);
}

BoardSettings readBoardSettings(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kBoardSettingsFile));
    return bytes ? parseBoardSettings(*bytes) : BoardSettings{};
}

WriteResult writeBoardSettings(const WorkDir& workDir, const BoardSettings& settings)
{
    return replaceFileAtomically(workDir.file(kBoardSettingsFile), formatBoardSettings(settings));
}

std::string boardUrl(std::string_view address, std::uint16_t port)
{
    std::string_view bare = withoutBrackets(address);
    if (bare == "0.0.0.0")
        bare = "127.0.0.1";
    else if (bare == "::")
        bare = "::1";
    const bool v6 = bare.find(':') != std::string_view::npos;
    std::string host = v6 ? '[' + std::string(bare) + ']' : std::string(bare);
    return "http://" + host + ':' + std::to_string(port) + '/';
}

std::string boardServingText(std::string_view url, int clients)
{
    return "Serving " + std::string(url) + " to " + std::to_string(clients) +
           (clients == 1 ? " browser" : " browsers");
}

}  // namespace quillon
