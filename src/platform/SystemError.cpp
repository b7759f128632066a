#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace quillon {

std::string errnoText(int error)
{
    // strerror_r comes in two flavours; std::strerror is fine on the UI thread, which
    // is the only caller.
    return std::strerror(error);
}

std::string fileErrorText(int error, FileAction action, std::string_view path)
{
    // Built by appending: GCC 12 at -O3 takes `"\"" + std::string(path)` for an
    // overlapping copy and warns (-Wrestrict) where nothing overlaps.
    std::string quoted;
    quoted.reserve(path.size() + 2);
    quoted.append(1, '"').append(path).append(1, '"');
    switch (error) {
    case ENOENT:
        return action == FileAction::Open ? quoted + " was not found."
                                          : "Invalid filename.\n" + quoted;
    case ENAMETOOLONG:
    case EINVAL:
        return "Invalid filename.\n" + quoted;
    case EACCES:
    case EPERM:
        return "Access to " + quoted + " was denied.";
    case EISDIR:
        return quoted + " is a folder.";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "There is not enough room on the disk to save " + quoted + ".";
    case EROFS:
        return quoted + " lies on a read-only disk.";
    case EMFILE:
    case ENFILE:
        return "Too many files are open.";
    default:
        break;
    }
    return (action == FileAction::Open ? "Failed to open document.\n"
                                       : "Failed to save document.\n") +
           quoted + "\n" + errnoText(error);
}

}  // namespace quillon
