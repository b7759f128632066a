// A folder where writing fails the way it fails in a shop: a full file system, or a folder
// the program may not write into. The writer under test runs in a child process while the
// fault holds, so that a file size limit, another user or a crash stays out of the test
// runner; the test looks at the folder afterwards.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace quillon::test {

enum class FolderFault {
    // A small tmpfs of the folder's own, filled but for a little room (needs the right to
    // mount): write() fails with ENOSPC part way.
    FullTmpfs,
    // The child's file size limit at that room: write() fails with EFBIG part way. Needs no
    // rights, so it also runs where nothing can be mounted.
    FileSizeLimit,
    // The folder bind-mounted read-only over itself (needs the right to mount): EROFS.
    ReadOnlyMount,
    // The folder without write permission (0555) and the writer not its owner; root, who
    // ignores permissions, runs the writer as nobody: EACCES.
    NoWritePermission,
};

// The fault's name, for the names of parameterised tests.
std::string faultName(FolderFault fault);
// The error number a writer gets from the fault.
int faultErrno(FolderFault fault);
// Whether the fault is a full volume (as opposed to a folder that may not be written).
bool isFullVolume(FolderFault fault);

class FaultyFolder {
public:
    // What a full volume still takes: less than the new text of any test, but not nothing,
    // so that a writer fails part way through rather than at its first byte.
    static constexpr std::size_t kRoom = 16 * 1024;

    explicit FaultyFolder(FolderFault fault);
    ~FaultyFolder();
    FaultyFolder(const FaultyFolder&) = delete;
    FaultyFolder& operator=(const FaultyFolder&) = delete;

    // Why the fault cannot be made here (no right to mount); empty when it can.
    const std::string& unavailable() const { return m_unavailable; }
    FolderFault fault() const { return m_fault; }

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const;
    // Fixtures, written before the fault is put in force; everyone may read and write them.
    void write(std::string_view name, std::string_view bytes) const;
    void makeFolder(std::string_view name) const;
    // Every file below the folder by its relative name, with its bytes: what a failed
    // writer must leave exactly as it was.
    std::map<std::string, std::string> contents() const;

    // Runs `writer` in a child process with the fault in force and gives back what it
    // returned, or why the child did not return.
    std::string run(const std::function<std::string()>& writer);

private:
    void fill();
    void empty();

    FolderFault m_fault;
    std::string m_base;
    std::string m_path;
    std::string m_unavailable;
    bool m_mounted = false;
};

}  // namespace quillon::test
