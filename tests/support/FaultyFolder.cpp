#include "support/FaultyFolder.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quillon::test {

namespace fs = std::filesystem;

namespace {

// The full volume: big enough for every test's original files, small enough to fill at once.
constexpr char kTmpfsOptions[] = "size=2m,mode=0755";
// What fills the full volume; hidden, so that no tool takes it for a program.
constexpr char kFillerName[] = ".filler";
// Debian's unprivileged user, for root's writer in a folder without write permission.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

bool mountsNeeded(FolderFault fault)
{
    return fault == FolderFault::FullTmpfs || fault == FolderFault::ReadOnlyMount;
}

std::string systemText(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Every folder from `path` down gets the mode.
void setFolderModes(const std::string& path, mode_t mode)
{
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path, ignored)) {
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
            ::chmod(entry.path().c_str(), mode);
    }
    ::chmod(path.c_str(), mode);
}

// In the child: the fault's part that belongs to the writer's process. False when it
// could not be put in force.
bool enterFault(FolderFault fault)
{
    // Past the file size limit write() fails with EFBIG instead of killing the writer.
    ::signal(SIGXFSZ, SIG_IGN);
    if (fault == FolderFault::FileSizeLimit) {
        rlimit limit{};
        if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
            return false;
        limit.rlim_cur = FaultyFolder::kRoom;
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    if (fault == FolderFault::NoWritePermission && ::geteuid() == 0)
        return ::setgroups(0, nullptr) == 0 && ::setgid(kNoGroup) == 0 && ::setuid(kNobody) == 0;
    return true;
}

void writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

std::string readAll(int fd)
{
    std::string bytes;
    std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return bytes;
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

}  // namespace

std::string faultName(FolderFault fault)
{
    switch (fault) {
    case FolderFault::FullTmpfs:
        return "FullTmpfs";
    case FolderFault::FileSizeLimit:
        return "FileSizeLimit";
    case FolderFault::ReadOnlyMount:
        return "ReadOnlyMount";
    case FolderFault::NoWritePermission:
        break;
    }
    return "NoWritePermission";
}

int faultErrno(FolderFault fault)
{
    switch (fault) {
    case FolderFault::FullTmpfs:
        return ENOSPC;
    case FolderFault::FileSizeLimit:
        return EFBIG;
    case FolderFault::ReadOnlyMount:
        return EROFS;
    case FolderFault::NoWritePermission:
        break;
    }
    return EACCES;
}

bool isFullVolume(FolderFault fault)
{
    return fault == FolderFault::FullTmpfs || fault == FolderFault::FileSizeLimit;
}

FaultyFolder::FaultyFolder(FolderFault fault) : m_fault(fault)
{
    std::string pattern = (fs::temp_directory_path() / "quillon-fault-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    m_base = pattern;
    m_path = m_base + "/folder";
    // Open to every user: the writer may run as nobody.
    ::chmod(m_base.c_str(), 0755);
    ::mkdir(m_path.c_str(), 0755);
    ::chmod(m_path.c_str(), 0755);
    if (!mountsNeeded(fault))
        return;
    const bool mounted =
        fault == FolderFault::FullTmpfs
            ? ::mount("tmpfs", m_path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, kTmpfsOptions) == 0
            : ::mount(m_path.c_str(), m_path.c_str(), nullptr, MS_BIND, nullptr) == 0;
    if (!mounted) {
        m_unavailable = systemText("mount");
        return;
    }
    m_mounted = true;
}

FaultyFolder::~FaultyFolder()
{
    if (m_mounted)
        ::umount2(m_path.c_str(), MNT_DETACH);
    setFolderModes(m_path, 0755);
    std::error_code ignored;
    fs::remove_all(m_base, ignored);
}

std::string FaultyFolder::file(std::string_view name) const
{
    return m_path + "/" + std::string(name);
}

void FaultyFolder::write(std::string_view name, std::string_view bytes) const
{
    const std::string path = file(name);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // Writable by the writer whoever it runs as: the fault is the folder's, not the file's.
    ::chmod(path.c_str(), 0666);
}

void FaultyFolder::makeFolder(std::string_view name) const
{
    const std::string path = file(name);
    fs::create_directories(path);
    ::chmod(path.c_str(), 0755);
}

std::map<std::string, std::string> FaultyFolder::contents() const
{
    std::map<std::string, std::string> found;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ignored)) {
        const std::string name = fs::relative(entry.path(), m_path, ignored).string();
        if (name == kFillerName)
            continue;
        if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
            found[name + "/"] = "";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        found[name] = bytes.str();
    }
    return found;
}

void FaultyFolder::fill()
{
    const std::string path = file(kFillerName);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::string chunk(64 * 1024, '\0');
    for (;;) {
        const ssize_t written = ::write(fd, chunk.data(), chunk.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
    }
    // Full to the last page; the room is given back at the end of the filler.
    struct stat st {};
    ::fstat(fd, &st);
    const off_t room = static_cast<off_t>(kRoom);
    ::ftruncate(fd, st.st_size > room ? st.st_size - room : 0);
    ::close(fd);
}

void FaultyFolder::empty()
{
    ::unlink(file(kFillerName).c_str());
}

std::string FaultyFolder::run(const std::function<std::string()>& writer)
{
    if (!m_unavailable.empty())
        return "<" + m_unavailable + ">";
    switch (m_fault) {
    case FolderFault::FullTmpfs:
        fill();
        break;
    case FolderFault::ReadOnlyMount:
        if (::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
            0)
            return "<" + systemText("read-only remount") + ">";
        break;
    case FolderFault::NoWritePermission:
        setFolderModes(m_path, 0555);
        break;
    case FolderFault::FileSizeLimit:
        break;
    }

    std::string result;
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        result = "<" + systemText("pipe") + ">";
    } else if (const pid_t child = ::fork(); child < 0) {
        result = "<" + systemText("fork") + ">";
        ::close(channel[0]);
        ::close(channel[1]);
    } else if (child == 0) {
        ::close(channel[0]);
        if (!enterFault(m_fault))
            ::_exit(3);
        writeAll(channel[1], writer());
        ::_exit(0);
    } else {
        ::close(channel[1]);
        result = readAll(channel[0]);
        ::close(channel[0]);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            result = "<the writer ended with status " + std::to_string(status) + ">";
    }

    switch (m_fault) {
    case FolderFault::FullTmpfs:
        empty();
        break;
    case FolderFault::ReadOnlyMount:
        ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_BIND, nullptr);
        break;
    case FolderFault::NoWritePermission:
        setFolderModes(m_path, 0755);
        break;
    case FolderFault::FileSizeLimit:
        break;
    }
    return result;
}

}  // namespace quillon::test
