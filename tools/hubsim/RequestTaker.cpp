#include "hubsim/RequestTaker.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "hubsim/HubFolder.h"
#include "monitoring/HubSetup.h"
#include "monitoring/RemoteRequest.h"
#include "platform/AtomicFile.h"
#include "platform/SystemError.h"
#include "platform/TextFile.h"

namespace quillon::hubsim {

namespace fs = std::filesystem;

namespace {

// "##" + three digits + "_" + the longest name: anything longer was never written by a
// station and is not read at all.
constexpr std::size_t kMaxRequestSize = 2 + 3 + 1 + kMaxRequestNameLength;
// A request shown in the log is cut here; the rest tells nothing more.
constexpr std::size_t kShownRequestLength = 80;

// The content as a log line can hold it: control characters and bytes above ASCII as \xNN.
std::string shown(std::string_view content)
{
    std::string text;
    for (const char c : content.substr(0, kShownRequestLength)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    if (content.size() > kShownRequestLength)
        text += "...";
    return text;
}

// The path with symbolic links and "." resolved, as far as it exists.
std::optional<fs::path> resolved(const fs::path& path)
{
    std::error_code error;
    fs::path result = fs::weakly_canonical(path, error);
    if (error)
        return std::nullopt;
    return result;
}

// True when `path` lies below `folder` (not the folder itself), after both are resolved:
// a link inside the folder that points out of it is out.
bool liesBelow(const fs::path& path, const fs::path& folder)
{
    const auto inner = resolved(path);
    const auto outer = resolved(folder);
    if (!inner || !outer)
        return false;
    const auto [folderEnd, pathAt] =
        std::mismatch(outer->begin(), outer->end(), inner->begin(), inner->end());
    // A trailing separator leaves an empty last element on the folder.
    const bool folderExhausted =
        folderEnd == outer->end() || (std::next(folderEnd) == outer->end() && folderEnd->empty());
    return folderExhausted && pathAt != inner->end() && !pathAt->empty();
}

// The request's name as a path here: the hub's Windows names use either separator.
fs::path namedPath(const std::string& name)
{
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return fs::path(slashed);
}

// Why the parser turned the content down: the name's own fault when it has one, since
// that is what the user who typed it can mend.
std::string whyNotARequest(std::string_view content)
{
    const std::size_t separator = content.find('_');
    if (separator != std::string_view::npos)
        if (const auto why =
                checkRequestFileName(content.substr(separator + 1), content.starts_with("##")))
            return std::string(*why);
    return "not a request (half written, or not by a station)";
}

WriteResult copyFile(const fs::path& from, const fs::path& to)
{
    const auto bytes = readFile(from.string());
    if (!bytes)
        return {false, from.string() + ": " + errnoText(errno)};
    WriteResult written = replaceFileAtomically(to.string(), *bytes);
    if (!written.ok)
        written.error = to.string() + ": " + written.error;
    return written;
}

}  // namespace

RequestTaker::RequestTaker(std::string hubDirectory, std::chrono::steady_clock::duration delay,
                           const SteadyClock& steadyClock, const Clock& clock)
    : m_hubDirectory(std::move(hubDirectory)),
      m_delay(delay),
      m_steadyClock(steadyClock),
      m_clock(clock)
{
    if (!m_hubDirectory.empty() && m_hubDirectory.back() != '/')
        m_hubDirectory += '/';
}

void RequestTaker::block(std::string text, std::vector<RequestEvent>& events)
{
    if (text != m_blocked)
        events.push_back({true, text});
    m_blocked = std::move(text);
}

std::vector<RequestEvent> RequestTaker::poll()
{
    std::vector<RequestEvent> events;
    // A station that died while writing leaves its temporary behind; nobody else would
    // ever remove it.
    if (const int removed = removeStaleRequestTemporaries(m_hubDirectory, m_clock.now()))
        events.push_back({false, "removed " + std::to_string(removed) +
                                     " request file(s) left by a station that stopped"});

    const RequestFileStatus status = remoteRequestStatus(m_hubDirectory);
    if (status.state == RequestFileState::Folder) {
        // Not a request, and perhaps someone's files: left alone, and every station's
        // request is refused until it is gone.
        block(status.path + " is a folder, not a request: no request can be taken", events);
        return events;
    }
    if (status.state == RequestFileState::Unknown) {
        block("cannot look for a request: " + status.detail, events);
        return events;
    }
    if (status.state == RequestFileState::Absent) {
        m_seen.reset();
        m_blocked.clear();
        return events;
    }

    struct stat info {};
    if (::lstat(status.path.c_str(), &info) != 0) {
        m_seen.reset();  // taken back by its station between the two looks
        return events;
    }
    const Seen seen{info.st_ino, info.st_size,
                    std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
    const auto now = m_steadyClock.now();
    if (m_seen != seen) {
        // A new request, or one rewritten in place by an old station: its wait starts now.
        m_seen = seen;
        m_seenSince = now;
    }
    if (now - m_seenSince < m_delay)
        return events;

    // The configuration is read before the request is taken: while the hub cannot read its
    // own machines the request stays pending, as a hub that is down leaves it.
    if (!readHubConfiguration(m_hubDirectory)) {
        block("cannot read " + m_hubDirectory + "_SETUP/CairnConf.sys: requests wait", events);
        return events;
    }
    m_seen.reset();
    std::vector<RequestEvent> taken = take(status.path);
    events.insert(events.end(), taken.begin(), taken.end());
    return events;
}

std::vector<RequestEvent> RequestTaker::take(const std::string& requestPath)
{
    std::vector<RequestEvent> events;
    const fs::path takenPath = fs::path(requestPath).parent_path() / kTakenRequestFileName;
    if (::rename(requestPath.c_str(), takenPath.c_str()) != 0) {
        // Gone: its station interrupted it. Anything else (a share gone read-only) is told
        // once; the next looks try again.
        if (errno != ENOENT)
            block("cannot take " + requestPath + ": " + errnoText(errno), events);
        return events;
    }
    m_blocked.clear();
    const auto removeTaken = [&] {
        std::error_code error;
        fs::remove(takenPath, error);
        if (error)
            events.push_back({true, "cannot remove the request " + takenPath.string() + ": " +
                                        error.message()});
        else
            events.push_back({false, "request removed"});
    };
    const auto refuse = [&](const std::string& what, const std::string& why) {
        events.push_back({true, "request " + what + " refused: " + why});
        removeTaken();
    };

    struct stat info {};
    if (::lstat(takenPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        refuse(requestPath, "not a plain file");
        return events;
    }
    if (static_cast<std::size_t>(info.st_size) > kMaxRequestSize) {
        refuse(requestPath, std::to_string(info.st_size) + " bytes, too long for a request");
        return events;
    }
    const auto content = readFile(takenPath.string());
    if (!content) {
        refuse(requestPath, "unreadable: " + errnoText(errno));
        return events;
    }
    const std::string what = "\"" + shown(*content) + "\"";
    const auto request = parseRemoteRequest(*content);
    if (!request) {
        refuse(what, whyNotARequest(*content));
        return events;
    }
    events.push_back({false, "request " + what + " taken"});
    carryOut(*request, events);
    removeTaken();
    return events;
}

void RequestTaker::carryOut(const RemoteRequest& request, std::vector<RequestEvent>& events) const
{
    const bool download = request.kind == RequestKind::Download;
    const auto refuse = [&](const std::string& why) {
        events.push_back(
            {true, std::string(download ? "download" : "upload") + " refused: " + why});
    };
    const auto configuration = readHubConfiguration(m_hubDirectory);
    const MachineSlot slot = MachineSlot::ofIndex(request.machineIndex);
    const HubMachine* machine = configuration ? configuration->machine(slot) : nullptr;
    if (!machine || machine->name.empty()) {
        refuse("no machine in slot " + std::to_string(request.machineIndex));
        return;
    }
    const std::string& folderText =
        download ? machine->downloadDirectory : machine->uploadDirectory;
    const std::string machineText = "machine " + machine->name;
    if (folderText.empty()) {
        refuse(machineText + " has no " + (download ? "DT:" : "DR:") + " folder");
        return;
    }
    const fs::path folder = namedPath(folderText);
    const fs::path named = namedPath(request.fileName);
    // A full path must still be one of the machine's files: the hub sends nothing else.
    const fs::path onHub = request.fullPath ? named : folder / named;
    if (!liesBelow(onHub, folder)) {
        refuse(request.fileName + " is not in " + machineText + "'s folder " + folder.string());
        return;
    }
    const fs::path memory =
        machineFolder(request.machineIndex, m_hubDirectory, MachineFolder::Memory);
    std::error_code error;
    fs::create_directories(memory, error);
    if (error) {
        refuse(memory.string() + ": " + error.message());
        return;
    }
    const fs::path inMemory = memory / onHub.filename();
    const fs::path& from = download ? onHub : inMemory;
    const fs::path& to = download ? inMemory : onHub;
    if (!fs::is_regular_file(from, error) || !liesBelow(from, download ? folder : memory)) {
        refuse(from.string() + " is no file of " + machineText);
        return;
    }
    const WriteResult copied = copyFile(from, to);
    if (!copied.ok) {
        refuse(copied.error);
        return;
    }
    events.push_back({false, std::string(download ? "sent " : "received ") + from.string() +
                                 (download ? " to " : " into ") + to.string() + " (" +
                                 machineText + ", slot " + std::to_string(request.machineIndex) +
                                 ")"});
}

}  // namespace quillon::hubsim
