#include "board/BoardSettings.h"

#include <arpa/inet.h>

#include <vector>

#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// A title is a line of text; addresses and ports are far shorter.
constexpr std::size_t kBoardLineLimit = 1024;

struct BoardKey {
    std::string_view name;
    std::string BoardSettings::*text = nullptr;  // nullptr: the enabled flag
};

constexpr BoardKey kKeys[] = {
    {"enabled"},
    {"address", &BoardSettings::address},
    {"port", &BoardSettings::port},
    {"title", &BoardSettings::title},
};

// A value that reached us with a line end in it would make a key of its own.
std::string_view firstLine(std::string_view text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

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
    BoardSettings settings;
    LineReader reader(bytes, kBoardLineLimit);
    while (const auto line = reader.next()) {
        const auto equals = line->find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line->substr(0, equals));
        const std::string_view value = trimmed(line->substr(equals + 1));
        for (const BoardKey& known : kKeys) {
            if (known.name != key)
                continue;
            if (known.text)
                settings.*known.text = value;
            else
                settings.enabled = value == "1";
        }
    }
    return settings;
}

std::string formatBoardSettings(const BoardSettings& settings)
{
    std::vector<std::string> lines;
    for (const BoardKey& key : kKeys) {
        const std::string value =
            key.text ? std::string(firstLine(settings.*key.text)) : (settings.enabled ? "1" : "0");
        lines.push_back(std::string(key.name) + '=' + value);
    }
    return joinLinesCrLf(lines);
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
