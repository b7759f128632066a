// The shop-floor board's settings file ShopBoard.sys in the working directory, and the
// checks that tell the user why a board cannot serve with them.
//
//     enabled=1               the program serves the board by itself
//     address=127.0.0.1       the address listened on; 0.0.0.0 (or ::) for every interface
//     port=8080               1 to 65535
//     title=Hall 2            the page's header, UTF-8
//
// Loopback is the default: a board reachable from the shop's network is a choice the user
// makes, not something a fresh installation does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/AtomicFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kBoardSettingsFile = "ShopBoard.sys";

inline constexpr std::string_view kBadBoardAddressText =
    "The address must be an IPv4 or IPv6 address, such as 127.0.0.1 for this computer "
    "alone or 0.0.0.0 for every network";
inline constexpr std::string_view kBadBoardPortText = "The port must be a number from 1 to 65535";

struct BoardSettings {
    bool enabled = false;
    std::string address = "127.0.0.1";
    // As typed or read: a port that is not one is told, not quietly replaced.
    std::string port = "8080";
    std::string title = "QuillonLT";

    bool operator==(const BoardSettings&) const = default;
};

// The port of 1 to 65535, or nothing.
std::optional<std::uint16_t> boardPort(std::string_view text);
// An IPv4 or IPv6 address as the system reads one (an IPv6 address may come in brackets,
// as it is written before a port); nothing for host names and anything else.
std::optional<std::string> boardAddress(std::string_view text);

// The first thing that keeps the settings from working, or nothing.
std::optional<std::string> boardSettingsProblem(const BoardSettings& settings);

// Unknown keys and lines without '=' are passed over; missing keys keep their defaults.
BoardSettings parseBoardSettings(std::string_view bytes);
std::string formatBoardSettings(const BoardSettings& settings);

// The defaults when the file is missing.
BoardSettings readBoardSettings(const WorkDir& workDir);
WriteResult writeBoardSettings(const WorkDir& workDir, const BoardSettings& settings);

// "http://127.0.0.1:8080/", "http://[::1]:8080/": where a browser on this computer finds
// the board. An address of every interface (0.0.0.0, ::) is no address a browser can go
// to; the loopback of its family is, since a board listening everywhere listens there too.
std::string boardUrl(std::string_view address, std::uint16_t port);

// "Serving http://127.0.0.1:8080/ to 3 browsers": the running board's status line.
std::string boardServingText(std::string_view url, int clients);

}  // namespace quillon
