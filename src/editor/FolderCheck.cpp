#include "editor/FolderCheck.h"

#include <algorithm>
#include <array>

#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

constexpr std::array<std::string_view, 7> kNetworkFileSystems{
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs"};
constexpr std::array<std::string_view, 2> kCdRomFileSystems{"iso9660", "udf"};
constexpr std::array<std::string_view, 3> kRemovableFileSystems{"vfat", "exfat", "msdos"};
// Where udisks and older desktops mount sticks and cards.
constexpr std::array<std::string_view, 2> kMediaFolders{"/media", "/run/media"};

template <std::size_t N>
bool isOneOf(std::string_view value, const std::array<std::string_view, N>& set)
{
    return std::find(set.begin(), set.end(), value) != set.end();
}

bool isUnder(std::string_view path, std::string_view folder)
{
    return path.starts_with(folder) &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

bool startsWithDriveLetter(std::string_view path)
{
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return path.size() >= 2 && isLetter(path[0]) && path[1] == ':';
}

bool isDriveRoot(std::string_view path)
{
    return startsWithDriveLetter(path) &&
           (path.size() == 2 || (path.size() == 3 && paths::isSeparator(path[2])));
}

// "\\server" (or "//server"): a server name with no share after it.
bool isBareServerName(std::string_view path)
{
    if (path.size() < 2 || !paths::isSeparator(path[0]) || !paths::isSeparator(path[1]))
        return false;
    return std::none_of(path.begin() + 2, path.end(), paths::isSeparator);
}

FolderCheck accept(std::string path)
{
    return {FolderCheck::Verdict::Accept, std::move(path), {}};
}

FolderCheck refuse(std::string_view shown, std::string_view reason)
{
    return {FolderCheck::Verdict::Message, {}, std::string(shown) + std::string(reason)};
}

}  // namespace

StorageKind classifyStorage(std::string_view fileSystemType, std::string_view mountPoint,
                            bool readOnly)
{
    if (isOneOf(fileSystemType, kNetworkFileSystems))
        return StorageKind::Network;
    if (isOneOf(fileSystemType, kCdRomFileSystems))
        return StorageKind::CdRom;
    if (isOneOf(fileSystemType, kRemovableFileSystems)) {
        const bool inMediaFolder =
            std::any_of(kMediaFolders.begin(), kMediaFolders.end(),
                        [&](auto folder) { return isUnder(mountPoint, folder); });
        if (inMediaFolder || readOnly)
            return StorageKind::Removable;
    }
    return StorageKind::Other;
}

std::string cannotCreateFolderText(StorageKind kind)
{
    switch (kind) {
    case StorageKind::Removable:
        return "You cannot create this folder.\nThe medium may be write-protected.";
    case StorageKind::Network:
        return "You do not have permission to create\nthis folder on the network.";
    case StorageKind::CdRom:
        return "You cannot create this folder\nas the CD ROM medium is read-only.";
    case StorageKind::Other:
        break;
    }
    return "You do not have permission\nto create this folder.";
}

FolderCheck checkFolder(std::string_view typed, std::string_view currentFolder)
{
    constexpr std::string_view kNotValid = "\nThis is not a valid folder.";
    constexpr std::string_view kDriveInvalid = "\nThe drive is invalid.";

    if (typed.size() == 2 && paths::isSeparator(typed[0]) && paths::isSeparator(typed[1]))
        return refuse(typed, kNotValid);
    if (typed.empty() || (typed.size() == 1 && paths::isSeparator(typed[0])))
        return accept(std::string(typed));
    if (isDriveRoot(typed))
        return refuse(typed, kDriveInvalid);

    std::string_view shown = typed;
    if (paths::isSeparator(shown.back()))
        shown.remove_suffix(1);
    const std::string path = paths::normalizeSeparators(paths::isSeparator(shown.front())
                                                            ? std::string(shown)
                                                            : paths::join(currentFolder, shown));

    if (const auto attributes = fileAttributes(path)) {
        if (attributes->isDirectory)
            return accept(path);
        return refuse(shown, "\nThis is a file not a directory.");
    }
    if (startsWithDriveLetter(shown))
        return refuse(shown, kDriveInvalid);
    if (isBareServerName(shown))
        return refuse(shown, kNotValid);
    return {FolderCheck::Verdict::AskToCreate, path,
            std::string(shown) + "\nThis folder does not exist.\n\nDo you want to create it?"};
}

std::string nearestExistingFolder(std::string_view path)
{
    std::string candidate = paths::withoutTrailingSeparator(paths::normalizeSeparators(path));
    while (!candidate.empty() && !fileExists(candidate)) {
        std::string parent = paths::withoutTrailingSeparator(paths::directoryOf(candidate));
        if (parent == candidate)
            return {};
        candidate = std::move(parent);
    }
    return candidate;
}

std::optional<std::string> confirmFolder(std::string_view typed, std::string_view currentFolder,
                                         Notifier& notifier, const StorageKindOf& storageKindOf)
{
    FolderCheck check = checkFolder(typed, currentFolder);
    switch (check.verdict) {
    case FolderCheck::Verdict::Accept:
        return std::move(check.path);
    case FolderCheck::Verdict::Message:
        notifier.message(std::move(check.text));
        return std::nullopt;
    case FolderCheck::Verdict::AskToCreate:
        break;
    }
    if (!notifier.askYesNo(std::move(check.text)))
        return std::nullopt;
    if (makePath(check.path))
        return std::move(check.path);
    notifier.message(cannotCreateFolderText(storageKindOf(nearestExistingFolder(check.path))));
    return std::nullopt;
}

}  // namespace quillon
