// VoskCONF.SYS: where the hub's shared folder is mounted, the hub's address and its
// computer name.
//
//     /mnt/cairn/              the hub directory, always ending with a separator
//     -1062731510              the hub's IPv4 address in its signed decimal form
//     CAIRNHUB                 the hub computer's name, upper case, may be empty
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AtomicFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kRemoteConfigFile = "VoskCONF.SYS";

// Shown after OK in the remote configuration dialog when the address or the name changed:
// the link is set up once, at start-up.
inline constexpr std::string_view kRestartAfterRemoteChange =
    "You need to exit and re-enter Quillon LT program";
// The dialog's resolve button, when the typed name gives no address.
inline constexpr std::string_view kRemoteComputerNotFound = "Could not find remote computer";

struct RemoteConfig {
    // Empty: no hub is configured, and the remote menu stays away.
    std::string hubDirectory;
    // 0: no hub address, no link.
    std::int32_t hubAddress = 0;
    std::string hubName;

    bool hasHub() const { return !hubDirectory.empty(); }
};

// The directory with a separator after it when it lacks one: "\" when the path is written
// with backslashes only (a Windows path copied from the hub's own setup), else "/".
std::string withTrailingHubSeparator(std::string_view directory);

// The directory typed in the dialog as it is stored: a path to the hub's program file is
// cut before "QUILLON.EXE" (in any case), and a separator is added. Blank stays empty, so
// that clearing the field switches the hub off rather than pointing it at a root folder.
std::string storedHubDirectory(std::string_view typed);

// Missing lines leave the defaults; an address that is no 32-bit decimal reads as 0.
RemoteConfig parseRemoteConfig(std::string_view bytes);
// Three lines, each ended by a line feed; the name upper-cased.
std::string formatRemoteConfig(const RemoteConfig& config);

// A missing file gives an empty hub directory and address 0.
RemoteConfig readRemoteConfig(const WorkDir& workDir);
WriteResult writeRemoteConfig(const WorkDir& workDir, const RemoteConfig& config);

}  // namespace quillon
