// Finding the hub's files below its shared directory.
//
// The hub names its files in Windows fashion ("_SETUP\CairnConf.sys") and Windows shares
// ignore case, so the share as mounted here may spell the same file "_setup/cairnconf.SYS".
// Every component of a relative name is therefore matched without regard to case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The path of the existing file that the relative name (separators "\" or "/") names
// below the hub directory; nothing when there is none. An exact spelling wins over one
// that differs in case; of several that differ only in case the first in name order is
// taken. Components "." and ".." are refused, so that a name from a file or a datagram
// cannot reach outside the hub directory.
std::optional<std::string> findHubFile(std::string_view hubDirectory,
                                       std::string_view relativeName);

// The same, for a file about to be written: the folders must exist, the file may not
// (it then keeps the spelling given).
std::optional<std::string> hubFileForWriting(std::string_view hubDirectory,
                                             std::string_view relativeName);

// The bytes of the file findHubFile finds; nothing when it is missing or unreadable.
std::optional<std::string> readHubFile(std::string_view hubDirectory,
                                       std::string_view relativeName);

// The name a message gives a hub file: the hub directory (ending with its separator) and
// the relative name, written with "/" when the directory is (a share mounted here).
std::string shownHubFileName(std::string_view hubDirectory, std::string_view relativeName);

}  // namespace quillon
