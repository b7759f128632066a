// Asking the hub to send a file to a machine (download) or fetch one from it (upload).
//
// We never move the file ourselves: we leave a one-line request in the hub's shared folder
// and the hub takes it away once it has accepted it. Only one request can be pending, and
// the file's existence is what says so:
//
//   _TMP\REMOTELOAD.SYS     "#" ["#"] index "_" name    download ("##": name is a full path)
//                           "$" index "_" name          upload
//
// index is the machine's flat slot (hub * 8 + port, decimal); without a full path the name
// is relative to the machine's DT: (download) or DR: (upload) folder. No line feed.
//
// Two stations may ask at the same moment, and the hub may pick the file up at any moment,
// so a request is written under a private temporary name and then linked into place: the
// link fails when a request is pending, and the hub never sees half a request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class HubConfiguration;
class Notifier;
class WorkDir;

// Below the hub directory; matched without regard to case like every hub file.
inline constexpr std::string_view kRemoteRequestFile = "_TMP\\REMOTELOAD.SYS";
inline constexpr std::string_view kRemoteRequestFolder = "_TMP";
inline constexpr std::string_view kRemoteRequestFileName = "REMOTELOAD.SYS";
// A request being written is named ".REMOTELOAD-XXXXXX.tmp" (six random characters) in the
// same folder: never the request's name, so neither the hub nor another station takes it.
inline constexpr std::string_view kRequestTemporaryPrefix = ".REMOTELOAD-";
inline constexpr std::string_view kRequestTemporarySuffix = ".tmp";
// A writer needs milliseconds; a temporary this old was left by a writer that died.
inline constexpr std::int64_t kStaleRequestTemporarySeconds = 10 * 60;

// The hub's Windows paths hold at most 259 characters (MAX_PATH less its terminator).
inline constexpr std::size_t kMaxRequestNameLength = 259;
// An NM: line is read into 260 bytes with its line feed: "NM:" + name + LF.
inline constexpr std::size_t kMaxMachineNameLength = 255;

// The dialog's texts, misspelling included (users and their scripts know them).
inline constexpr std::string_view kNoRequestMachine = "No machine is selected";
inline constexpr std::string_view kNoFileSpecified = "No file is specified";
inline constexpr std::string_view kDownloadPendingQuestion =
    "Another request is in process\n or Remote Down Load is disabled on Quillon system.\n"
    "Do you want to interrupt the pending request?";
inline constexpr std::string_view kUploadPending =
    "Another request is in process\n or Remote Up Load is disabled on Quillon system";
inline constexpr std::string_view kCouldNotFindMachine = "Could not find machine";
inline constexpr std::string_view kWriteAccessDenied =
    "Write accress denied. Could not execute request.";
inline constexpr std::string_view kRequestIssued = "Request has been issued";
inline constexpr std::string_view kKeepTrying = "Request has not been accepted yet. Keep trying?";

// Our own texts for input the hub must never be handed.
inline constexpr std::string_view kMachineNameControl =
    "The machine name contains a control character";
inline constexpr std::string_view kMachineNameTooLong = "The machine name is too long";
inline constexpr std::string_view kFileNameControl = "The file name contains a control character";
inline constexpr std::string_view kFileNameTooLong =
    "The file name is too long (at most 259 characters)";
inline constexpr std::string_view kFileNameOutsideFolder =
    "The file name leads out of the machine's folder";
inline constexpr std::string_view kFileNameParentFolder = "The file name may not contain \"..\"";
inline constexpr std::string_view kRequestFileIsFolder =
    "The request file _TMP\\REMOTELOAD.SYS is a folder on the hub. Could not execute request.";

enum class RequestKind { Download, Upload };

struct RemoteRequest {
    RequestKind kind = RequestKind::Download;
    // Downloads only: the name is a path on the hub computer, not below the machine's folder.
    bool fullPath = false;
    // hub * 8 + port.
    int machineIndex = 0;
    std::string fileName;

    bool operator==(const RemoteRequest&) const = default;
};

// The request file's whole content (an upload never carries the full-path mark).
std::string formatRemoteRequest(const RemoteRequest& request);
// The hub's reading of a request file. Nothing for anything we would not have written: an
// unknown mark, an index that is no slot, a name that fails checkRequestFileName (a
// relative name that leaves the machine's folder, control characters, a line feed).
std::optional<RemoteRequest> parseRemoteRequest(std::string_view content);

// Nothing when the name is fit for a request; else the message that refuses it. An empty
// name passes here (the steps say "No machine is selected" / "No file is specified").
// A machine name only picks a slot and never becomes part of a path, so only what no NM:
// line can hold is refused.
std::optional<std::string_view> checkMachineName(std::string_view name);
// A relative name (no full path) may name a file in a subfolder ("SUB\O1234.NC", either
// separator) but never start at a root, a drive or a share; ".." is refused in either form.
std::optional<std::string_view> checkRequestFileName(std::string_view name, bool fullPath);

// The machines the dialog and the command line offer: the names of RemoteMchList.sys when
// the file exists (remoteList), else every non-empty NM: name in slot order; at most 127.
std::vector<std::string> offeredRemoteMachines(const std::optional<std::string>& remoteList,
                                               const HubConfiguration& configuration);
// The same from the working directory's _TMP/RemoteMchList.sys.
std::vector<std::string> readOfferedRemoteMachines(const WorkDir& workDir,
                                                   const HubConfiguration& configuration);

// The machine's folder on the hub that Browse starts in: DT: for a download, DR: for an
// upload. Nothing when no slot has the name or the slot gives no such folder.
std::optional<std::string> requestMachineFolder(const HubConfiguration& configuration,
                                                std::string_view machineName, RequestKind kind);

// What Browse puts into the name edit for the chosen file. With a full path: the path as
// chosen (case kept; it names another file here when changed). Otherwise, when the machine
// folder occurs in the chosen path (case ignored and "\" equal to "/", as on the hub's
// Windows share, and only as whole folder names), the text after it and one separator;
// else the file's name alone.
std::string browsedRequestName(std::string_view chosenPath, std::string_view machineFolder,
                               bool fullPath);

// ---------------------------------------------------------------------------
// The request file on the share
// ---------------------------------------------------------------------------

enum class RequestFileState {
    Absent,
    Pending,
    // Something that is no file holds the name: no request can be written nor taken.
    Folder,
    // The folder cannot be searched (permissions, a broken share): detail says why.
    Unknown,
};

struct RequestFileStatus {
    RequestFileState state = RequestFileState::Absent;
    // The path of the request file when it exists.
    std::string path;
    std::string detail;
};

// Looks for _TMP\REMOTELOAD.SYS in any spelling of case. Temporaries never count.
RequestFileStatus remoteRequestStatus(std::string_view hubDirectory);

enum class RequestWriteOutcome { Written, Pending, Failed };

struct RequestWriteResult {
    RequestWriteOutcome outcome = RequestWriteOutcome::Failed;
    // The system's text when Failed.
    std::string error;
};

// Writes the content exclusively and completely: a temporary is written and flushed to
// disk in _TMP, then linked to REMOTELOAD.SYS, which fails when a request is pending
// (Pending); then the temporary is removed. On any failure nothing new is left behind.
// Temporaries that dead writers left are removed on the way (by the share's clock).
RequestWriteResult createRemoteRequest(std::string_view hubDirectory, std::string_view content);

// Removes the pending request (any spelling). True when none is left afterwards.
bool removeRemoteRequest(std::string_view hubDirectory);

// Removes temporaries of writers that died before linking, when older than
// kStaleRequestTemporarySeconds at `now` (seconds since 1970). Gives how many went.
int removeStaleRequestTemporaries(std::string_view hubDirectory, std::int64_t now);

// ---------------------------------------------------------------------------
// The request steps
// ---------------------------------------------------------------------------

struct RequestInput {
    RequestKind kind = RequestKind::Download;
    // The selected machine; empty when none is selected.
    std::string machine;
    std::string fileName;
    bool fullPath = false;
};

enum class RequestOutcome {
    Issued,
    NoMachine,
    NoFile,
    BadName,
    // Upload: refused at once. Download: the user kept the pending request.
    PendingKept,
    // The user chose to interrupt, but the pending request could not be removed.
    InterruptFailed,
    MachineNotFound,
    // REMOTELOAD.SYS is a folder or cannot be looked for.
    RequestFileBroken,
    WriteFailed,
};

// The download and upload buttons: each check in turn, the questions asked and the
// messages shown through the notifier (its answers are the user's), the request written.
//
//   1. a machine is selected, a file name given, both fit for a request
//   2. a pending request: upload says so and ends; download asks whether to interrupt it
//      (No ends; Yes removes it, and when it is still there ends without a word)
//   3. the machine's slot in the hub configuration ("Could not find machine")
//   4. the request is written ("Write accress denied..." and the reason when it fails; a
//      request that appeared meanwhile is treated as in step 2), "Request has been issued"
//
// The hub configuration is read by the caller (the dialog has it anyway); the steps read
// nothing else but the request file.
class RemoteRequester {
public:
    RemoteRequester(std::string hubDirectory, const HubConfiguration& configuration,
                    Notifier& notifier);

    RequestOutcome issue(const RequestInput& input);

    // The last step: while the request is still there, "Request has not been accepted yet.
    // Keep trying?"; Yes looks again, No ends. True when the hub took it.
    bool followUp();

    bool requestPending() const;

private:
    std::optional<RequestOutcome> settlePending(RequestKind kind);

    std::string m_hubDirectory;
    const HubConfiguration& m_configuration;
    Notifier& m_notifier;
};

}  // namespace quillon
