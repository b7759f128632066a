#include "monitoring/RemoteRequest.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "monitoring/HubFiles.h"
#include "monitoring/HubSetup.h"
#include "monitoring/MachineLists.h"
#include "monitoring/MachineSlot.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/SystemError.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

namespace fs = std::filesystem;

constexpr char kDownloadMark = '#';
constexpr char kUploadMark = '$';
constexpr char kIndexEnd = '_';

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

bool hasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

bool hasParentComponent(std::string_view name)
{
    while (!name.empty()) {
        const auto end = std::min(name.find_first_of("/\\"), name.size());
        if (name.substr(0, end) == "..")
            return true;
        name.remove_prefix(std::min(end + 1, name.size()));
    }
    return false;
}

// "\x", "/x", "\\share\x" and "C:x" all start somewhere other than the machine's folder.
bool startsAtRoot(std::string_view name)
{
    if (!name.empty() && paths::isSeparator(name.front()))
        return true;
    return name.size() >= 2 && name[1] == ':';
}

// The hub's _TMP folder in whatever case the share spells it; nothing when it is missing.
std::optional<fs::path> requestFolder(std::string_view hubDirectory)
{
    const auto probe = hubFileForWriting(hubDirectory, std::string(kRemoteRequestFolder) + "\\" +
                                                           std::string(kRemoteRequestFileName));
    if (probe)
        return fs::path(*probe).parent_path();
    // REMOTELOAD.SYS itself may be a folder, which hubFileForWriting refuses: look again
    // for the folder alone.
    const auto folder = hubFileForWriting(hubDirectory, std::string(kRemoteRequestFolder) + "\\" +
                                                            std::string(kRequestTemporaryPrefix));
    if (folder)
        return fs::path(*folder).parent_path();
    return std::nullopt;
}

bool isRequestTemporary(std::string_view name)
{
    return name.starts_with(kRequestTemporaryPrefix) && name.ends_with(kRequestTemporarySuffix);
}

// Every spelling of REMOTELOAD.SYS in the folder, the exact one first.
std::vector<fs::path> requestEntries(const fs::path& folder, std::error_code& error)
{
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (equalIgnoringCase(name, kRemoteRequestFileName))
            entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end(), [](const fs::path& a, const fs::path& b) {
        const bool aExact = a.filename() == kRemoteRequestFileName;
        const bool bExact = b.filename() == kRemoteRequestFileName;
        return aExact != bExact ? aExact : a < b;
    });
    return entries;
}

RequestWriteResult failed(int error)
{
    return {RequestWriteOutcome::Failed, errnoText(error)};
}

}  // namespace

// ===========================================================================
// The content
// ===========================================================================

std::string formatRemoteRequest(const RemoteRequest& request)
{
    std::string content;
    if (request.kind == RequestKind::Download) {
        content += kDownloadMark;
        if (request.fullPath)
            content += kDownloadMark;
    } else {
        content += kUploadMark;
    }
    content += std::to_string(request.machineIndex);
    content += kIndexEnd;
    content += request.fileName;
    return content;
}

std::optional<RemoteRequest> parseRemoteRequest(std::string_view content)
{
    RemoteRequest request;
    if (content.starts_with("##")) {
        request.fullPath = true;
        content.remove_prefix(2);
    } else if (content.starts_with(kDownloadMark)) {
        content.remove_prefix(1);
    } else if (content.starts_with(kUploadMark)) {
        request.kind = RequestKind::Upload;
        content.remove_prefix(1);
    } else {
        return std::nullopt;
    }
    const auto indexEnd = content.find(kIndexEnd);
    if (indexEnd == std::string_view::npos || indexEnd == 0)
        return std::nullopt;
    const auto digits = content.substr(0, indexEnd);
    // We write the index in plain digits without leading zeros: "007" and "-0" are
    // nobody's request.
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), request.machineIndex);
    if (error != std::errc{} || end != digits.data() + digits.size() || request.machineIndex < 0 ||
        request.machineIndex >= kMachineSlots)
        return std::nullopt;
    request.fileName = std::string(content.substr(indexEnd + 1));
    if (request.fileName.empty() || checkRequestFileName(request.fileName, request.fullPath))
        return std::nullopt;
    return request;
}

// ===========================================================================
// Names
// ===========================================================================

std::optional<std::string_view> checkMachineName(std::string_view name)
{
    if (hasControlCharacter(name))
        return kMachineNameControl;
    if (name.size() > kMaxMachineNameLength)
        return kMachineNameTooLong;
    return std::nullopt;
}

std::optional<std::string_view> checkRequestFileName(std::string_view name, bool fullPath)
{
    if (hasControlCharacter(name))
        return kFileNameControl;
    if (name.size() > kMaxRequestNameLength)
        return kFileNameTooLong;
    if (hasParentComponent(name))
        return kFileNameParentFolder;
    if (!fullPath && startsAtRoot(name))
        return kFileNameOutsideFolder;
    return std::nullopt;
}

std::vector<std::string> offeredRemoteMachines(const std::optional<std::string>& remoteList,
                                               const HubConfiguration& configuration)
{
    if (remoteList)
        return parseRemoteMachineList(*remoteList);
    std::vector<std::string> names;
    for (const auto& machine : configuration.machines()) {
        if (names.size() == kRemoteMachineListLimit)
            break;
        if (!machine.name.empty())
            names.push_back(machine.name);
    }
    return names;
}

std::vector<std::string> readOfferedRemoteMachines(const WorkDir& workDir,
                                                   const HubConfiguration& configuration)
{
    return offeredRemoteMachines(readFile(workDir.tmpFile(kRemoteMachineListFile)), configuration);
}

std::optional<std::string> requestMachineFolder(const HubConfiguration& configuration,
                                                std::string_view machineName, RequestKind kind)
{
    const auto slot = configuration.slotOf(machineName);
    if (!slot)
        return std::nullopt;
    const HubMachine* machine = configuration.machine(*slot);
    if (machine == nullptr)
        return std::nullopt;
    const std::string& folder =
        kind == RequestKind::Download ? machine->downloadDirectory : machine->uploadDirectory;
    if (folder.empty())
        return std::nullopt;
    return folder;
}

std::string browsedRequestName(std::string_view chosenPath, std::string_view machineFolder,
                               bool fullPath)
{
    if (fullPath)
        return std::string(chosenPath);
    // Compared as the hub's Windows share would: either separator, any case.
    const auto comparable = [](std::string_view text) {
        std::string result(text);
        for (char& c : result)
            c = paths::isSeparator(c) ? '/' : lowerAscii(c);
        return result;
    };
    std::string folder = comparable(machineFolder);
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    const std::string path = comparable(chosenPath);
    if (!folder.empty()) {
        // The folder counts only as whole folder names: "M1" is not inside "M10".
        for (auto at = path.find(folder); at != std::string::npos;
             at = path.find(folder, at + 1)) {
            const auto after = at + folder.size();
            const bool startsWhole = at == 0 || path[at - 1] == '/' || folder.front() == '/';
            if (startsWhole && after < path.size() && path[after] == '/' &&
                after + 1 < path.size())
                return std::string(chosenPath.substr(after + 1));
        }
    }
    return std::string(paths::fileName(chosenPath));
}

// ===========================================================================
// The request file on the share
// ===========================================================================

RequestFileStatus remoteRequestStatus(std::string_view hubDirectory)
{
    RequestFileStatus status;
    const auto folder = requestFolder(hubDirectory);
    if (!folder)
        return status;
    std::error_code error;
    const auto entries = requestEntries(*folder, error);
    if (error) {
        status.state = RequestFileState::Unknown;
        status.detail = errnoText(error.value());
        return status;
    }
    if (entries.empty())
        return status;
    status.path = entries.front().string();
    const auto type = fs::status(entries.front(), error).type();
    if (type == fs::file_type::directory)
        status.state = RequestFileState::Folder;
    else
        status.state = RequestFileState::Pending;
    return status;
}

RequestWriteResult createRemoteRequest(std::string_view hubDirectory, std::string_view content)
{
    const auto folder = requestFolder(hubDirectory);
    if (!folder)
        return failed(ENOENT);
    // Another spelling of the name is a pending request link() cannot see.
    if (remoteRequestStatus(hubDirectory).state != RequestFileState::Absent)
        return {RequestWriteOutcome::Pending, {}};

    std::string temporary = (*folder / std::string(kRequestTemporaryPrefix)).string() + "XXXXXX" +
                            std::string(kRequestTemporarySuffix);
    const int fd = ::mkstemps(temporary.data(), static_cast<int>(kRequestTemporarySuffix.size()));
    if (fd < 0)
        return failed(errno);
    // Temporaries of writers that died are cleaned by their age on the share's own clock
    // (the new file's time), which the stations' clocks need not agree with.
    struct stat created {};
    if (::fstat(fd, &created) == 0)
        removeStaleRequestTemporaries(hubDirectory, static_cast<std::int64_t>(created.st_mtime));
    // The hub reads the request with its own account: readable by everyone like any file.
    ::fchmod(fd, 0644);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int openError = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return failed(openError);
    }
    const bool complete = std::fwrite(content.data(), 1, content.size(), file) == content.size() &&
                          std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!complete || !closed) {
        const int error = complete ? errno : writeError;
        ::unlink(temporary.c_str());
        return failed(error);
    }
    const std::string target = (*folder / std::string(kRemoteRequestFileName)).string();
    const int linked = ::link(temporary.c_str(), target.c_str());
    const int linkError = errno;
    ::unlink(temporary.c_str());
    if (linked != 0) {
        if (linkError == EEXIST)
            return {RequestWriteOutcome::Pending, {}};
        return failed(linkError);
    }
    return {RequestWriteOutcome::Written, {}};
}

bool removeRemoteRequest(std::string_view hubDirectory)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto status = remoteRequestStatus(hubDirectory);
        if (status.state == RequestFileState::Absent)
            return true;
        if (status.state != RequestFileState::Pending || ::unlink(status.path.c_str()) != 0)
            return false;
    }
    return remoteRequestStatus(hubDirectory).state == RequestFileState::Absent;
}

int removeStaleRequestTemporaries(std::string_view hubDirectory, std::int64_t now)
{
    const auto folder = requestFolder(hubDirectory);
    if (!folder)
        return 0;
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(*folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string path = it->path().string();
        struct stat info {};
        if (!isRequestTemporary(it->path().filename().string()) ||
            ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (now - static_cast<std::int64_t>(info.st_mtime) >= kStaleRequestTemporarySeconds &&
            ::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

// ===========================================================================
// The request steps
// ===========================================================================

RemoteRequester::RemoteRequester(std::string hubDirectory, const HubConfiguration& configuration,
                                 Notifier& notifier)
    : m_hubDirectory(std::move(hubDirectory)), m_configuration(configuration), m_notifier(notifier)
{
}

bool RemoteRequester::requestPending() const
{
    return remoteRequestStatus(m_hubDirectory).state != RequestFileState::Absent;
}

std::optional<RequestOutcome> RemoteRequester::settlePending(RequestKind kind)
{
    const auto status = remoteRequestStatus(m_hubDirectory);
    switch (status.state) {
    case RequestFileState::Absent:
        return std::nullopt;
    case RequestFileState::Folder:
        m_notifier.error(std::string(kRequestFileIsFolder));
        return RequestOutcome::RequestFileBroken;
    case RequestFileState::Unknown:
        m_notifier.error(std::string(kWriteAccessDenied) + "\n" + status.detail);
        return RequestOutcome::RequestFileBroken;
    case RequestFileState::Pending:
        break;
    }
    if (kind == RequestKind::Upload) {
        m_notifier.message(std::string(kUploadPending));
        return RequestOutcome::PendingKept;
    }
    if (!m_notifier.askYesNo(std::string(kDownloadPendingQuestion), {}, NoticeIcon::Error))
        return RequestOutcome::PendingKept;
    // Yes: the hub may be reading it right now; when it cannot go, say nothing more.
    if (!removeRemoteRequest(m_hubDirectory))
        return RequestOutcome::InterruptFailed;
    return std::nullopt;
}

RequestOutcome RemoteRequester::issue(const RequestInput& input)
{
    if (input.machine.empty()) {
        m_notifier.message(std::string(kNoRequestMachine));
        return RequestOutcome::NoMachine;
    }
    if (input.fileName.empty()) {
        m_notifier.message(std::string(kNoFileSpecified));
        return RequestOutcome::NoFile;
    }
    // The hub never gets a full-path upload: only downloads carry the mark.
    const bool fullPath = input.kind == RequestKind::Download && input.fullPath;
    if (const auto problem = checkMachineName(input.machine)) {
        m_notifier.message(std::string(*problem));
        return RequestOutcome::BadName;
    }
    if (const auto problem = checkRequestFileName(input.fileName, fullPath)) {
        m_notifier.message(std::string(*problem));
        return RequestOutcome::BadName;
    }
    if (const auto refused = settlePending(input.kind))
        return *refused;
    const auto slot = m_configuration.slotOf(input.machine);
    if (!slot) {
        m_notifier.message(std::string(kCouldNotFindMachine));
        return RequestOutcome::MachineNotFound;
    }
    const RemoteRequest request{input.kind, fullPath, slot->index(), input.fileName};
    const auto content = formatRemoteRequest(request);
    // Another station may have issued one since we looked: then it is pending as above,
    // and only one more question is asked, so that two stations cannot chase each other.
    auto written = createRemoteRequest(m_hubDirectory, content);
    if (written.outcome == RequestWriteOutcome::Pending) {
        if (const auto refused = settlePending(input.kind))
            return *refused;
        written = createRemoteRequest(m_hubDirectory, content);
    }
    // Yet another one came in between: as when an interrupted request cannot go.
    if (written.outcome == RequestWriteOutcome::Pending)
        return RequestOutcome::InterruptFailed;
    if (written.outcome == RequestWriteOutcome::Failed) {
        m_notifier.message(std::string(kWriteAccessDenied) + "\n" + written.error);
        return RequestOutcome::WriteFailed;
    }
    m_notifier.message(std::string(kRequestIssued));
    return RequestOutcome::Issued;
}

bool RemoteRequester::followUp()
{
    while (requestPending()) {
        if (!m_notifier.askYesNo(std::string(kKeepTrying)))
            return false;
    }
    return true;
}

}  // namespace quillon
