// The checks the "Select Folder" picker makes on a typed folder before handing it over.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class Notifier;

// What a folder that could not be created lies on; it decides the message.
enum class StorageKind { Removable, Network, CdRom, Other };

// The kind of a mounted file system, by its type ("nfs4", "vfat", ...), its mount point and
// whether it is mounted read-only. A FAT or exFAT file system counts as a removable medium
// when it is mounted where the desktop mounts media (/media, /run/media) or read-only (a
// write-protected card or stick).
StorageKind classifyStorage(std::string_view fileSystemType, std::string_view mountPoint,
                            bool readOnly);

// The message shown when a folder cannot be created on storage of this kind.
std::string cannotCreateFolderText(StorageKind kind);

struct FolderCheck {
    enum class Verdict { Accept, Message, AskToCreate };
    Verdict verdict = Verdict::Message;
    std::string path;  // Accept: the folder; AskToCreate: the folder to create
    std::string text;  // Message: the message; AskToCreate: the question
};

// The typed folder as the picker judges it. A name that does not start at a root is taken
// as relative to currentFolder (the folder the dialog shows). The texts name the folder as
// typed. Drive letters ("C:") do not exist on this platform and always give
// "The drive is invalid.".
FolderCheck checkFolder(std::string_view typed, std::string_view currentFolder);

// The folder itself when it exists, else its nearest existing parent; empty when none of
// the path exists.
std::string nearestExistingFolder(std::string_view path);

// Tells the kind of storage the given existing folder lies on.
using StorageKindOf = std::function<StorageKind(const std::string& existingFolder)>;

// What pressing Select does: checkFolder, then the message or the question through the
// notifier, and on Yes the creation of the whole path. The folder to hand to the caller, or
// nothing when the dialog is to stay open.
std::optional<std::string> confirmFolder(std::string_view typed, std::string_view currentFolder,
                                         Notifier& notifier, const StorageKindOf& storageKindOf);

}  // namespace quillon
