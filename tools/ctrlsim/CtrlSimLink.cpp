#include "ctrlsim/CtrlSimLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/SystemError.h"

namespace quillon::ctrlsim {

namespace {

// Where a symbolic link points; nothing when the path is no link (or is gone).
std::optional<std::string> linkTarget(const std::string& path)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

}  // namespace

CtrlSimLink::CtrlSimLink(std::string path, std::string target)
    : m_path(std::move(path)), m_target(std::move(target))
{
}

std::unique_ptr<CtrlSimLink> CtrlSimLink::create(const std::string& linkPath,
                                                 const std::string& target, std::string* error)
{
    const std::string cannot = "cannot make the link " + linkPath + ": ";
    // symlink() never replaces anything, so a file that appears between the look and the
    // link is never lost; the second round covers a stale link removed in the first.
    for (int round = 0; round < 2; ++round) {
        if (::symlink(target.c_str(), linkPath.c_str()) == 0)
            return std::unique_ptr<CtrlSimLink>(new CtrlSimLink(linkPath, target));
        if (errno != EEXIST) {
            *error = cannot + errnoText(errno);
            return nullptr;
        }
        struct stat status {};
        if (::lstat(linkPath.c_str(), &status) != 0)
            continue;  // gone meanwhile
        if (S_ISDIR(status.st_mode)) {
            *error = cannot + "it is a folder; only a link left by an earlier run is replaced";
            return nullptr;
        }
        if (!S_ISLNK(status.st_mode)) {
            *error = cannot +
                     "a file of that name exists; only a link left by an earlier "
                     "run is replaced";
            return nullptr;
        }
        if (::unlink(linkPath.c_str()) != 0 && errno != ENOENT) {
            *error = cannot + "the old link cannot be removed: " + errnoText(errno);
            return nullptr;
        }
    }
    *error = cannot + "something else keeps creating it";
    return nullptr;
}

CtrlSimLink::~CtrlSimLink()
{
    // A later run may have taken the name over after this one's start: the link is its.
    if (linkTarget(m_path) == m_target)
        ::unlink(m_path.c_str());
}

}  // namespace quillon::ctrlsim
