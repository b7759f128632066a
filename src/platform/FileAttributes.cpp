#include "platform/FileAttributes.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Paths.h"

namespace quillon {

static bool userMayWrite(const struct stat& st)
{
    if (st.st_uid == geteuid())
        return (st.st_mode & S_IWUSR) != 0;
    if (st.st_gid == getegid())
        return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

std::optional<FileAttributes> fileAttributes(const std::string& path, int* error)
{
    struct stat st {};
    if (::stat(paths::normalizeSeparators(path).c_str(), &st) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    FileAttributes attributes;
    attributes.isDirectory = S_ISDIR(st.st_mode);
    attributes.isRegularFile = S_ISREG(st.st_mode);
    attributes.readOnly = !userMayWrite(st);
    attributes.size = static_cast<std::uint64_t>(st.st_size);
    attributes.modifiedSeconds = static_cast<std::int64_t>(st.st_mtime);
    attributes.accessedNanoseconds =
        static_cast<std::int64_t>(st.st_atim.tv_sec) * 1'000'000'000 + st.st_atim.tv_nsec;
    attributes.modifiedNanoseconds =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return attributes;
}

bool fileExists(const std::string& path)
{
    return fileAttributes(path).has_value();
}

bool isDirectory(const std::string& path)
{
    const auto attributes = fileAttributes(path);
    return attributes && attributes->isDirectory;
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool isSymbolicLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(paths::normalizeSeparators(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool renameNoReplace(const std::string& from, const std::string& to, int* error)
{
    const std::string source = paths::normalizeSeparators(from);
    const std::string target = paths::normalizeSeparators(to);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // File systems without the flag (some network and FUSE ones): a hard link fails on an
    // existing name just as surely; the old name goes once the new one stands.
    if (errno == EINVAL || errno == ENOSYS) {
        if (::link(source.c_str(), target.c_str()) == 0) {
            ::unlink(source.c_str());
            return true;
        }
    }
    if (error)
        *error = errno;
    return false;
}

bool makePath(const std::string& path)
{
    const std::string normalized = paths::normalizeSeparators(path);
    if (normalized.empty())
        return false;
    std::string::size_type pos = 0;
    while (pos != std::string::npos) {
        pos = normalized.find('/', pos + 1);
        const std::string prefix = normalized.substr(0, pos);
        if (prefix.empty())
            continue;
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return isDirectory(normalized);
}

}  // namespace quillon
