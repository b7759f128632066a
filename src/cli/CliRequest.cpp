#include "cli/CliRequest.h"

#include <charconv>
#include <chrono>
#include <optional>
#include <ostream>
#include <thread>

#include "monitoring/HubSetup.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/RemoteRequest.h"
#include "platform/Notifier.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// The hub looks at its share now and then; looking for the request more often than this
// gains nothing and costs the share a directory listing each time.
constexpr auto kWaitInterval = std::chrono::milliseconds(100);

struct RequestOptions {
    RequestInput input;
    bool interrupt = false;
    std::optional<int> waitSeconds;
    std::string hub;
};

std::optional<RequestOptions> readOptions(const Arguments& arguments)
{
    if (arguments.empty())
        return std::nullopt;
    RequestOptions options;
    if (arguments[0] == "download")
        options.input.kind = RequestKind::Download;
    else if (arguments[0] == "upload")
        options.input.kind = RequestKind::Upload;
    else
        return std::nullopt;
    std::optional<std::string> file;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--full-path") {
            options.input.fullPath = true;
        } else if (argument == "--interrupt") {
            options.interrupt = true;
        } else if (argument == "--machine" && hasValue) {
            options.input.machine = arguments[++i];
        } else if (argument == "--hub" && hasValue) {
            options.hub = arguments[++i];
        } else if (argument == "--wait" && hasValue) {
            const std::string& text = arguments[++i];
            int seconds = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (error != std::errc{} || end != text.data() + text.size() || seconds < 0)
                return std::nullopt;
            options.waitSeconds = seconds;
        } else if (argument.starts_with("--") || file) {
            return std::nullopt;
        } else {
            file = argument;
        }
    }
    // An empty FILE or --machine "" is the dialog's "nothing given", with its message.
    if (!file)
        return std::nullopt;
    options.input.fileName = *file;
    return options;
}

// The dialog's messages on stderr; its one question answered by --interrupt.
class RequestNotifier final : public Notifier {
public:
    RequestNotifier(std::ostream& out, std::ostream& err, bool interrupt)
        : m_out(out), m_err(err), m_interrupt(interrupt)
    {
    }

    NoticeAnswer show(const Notice& notice) override
    {
        if (notice.buttons == NoticeButtons::YesNo) {
            if (m_interrupt)
                return NoticeAnswer::Yes;
            m_err << notice.text << '\n';
            return NoticeAnswer::No;
        }
        (notice.text == kRequestIssued ? m_out : m_err) << notice.text << '\n';
        return NoticeAnswer::Ok;
    }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_interrupt;
};

// True once the hub has taken the request, false when it is still there after `seconds`.
bool waitUntilTaken(const std::string& hub, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (remoteRequestStatus(hub).state != RequestFileState::Absent) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kWaitInterval);
    }
    return true;
}

}  // namespace

int runRequest(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    const auto options = readOptions(arguments);
    if (!options) {
        err << "usage: quillonlt-cli " << kRequestUsage << '\n';
        return kExitUsage;
    }
    const std::string hub = options->hub.empty()
                                ? readRemoteConfig(WorkDir::fromEnvironment()).hubDirectory
                                : withTrailingHubSeparator(options->hub);
    if (hub.empty()) {
        err << "quillonlt-cli: no hub directory: give --hub or set up the remote configuration\n";
        return kExitRefused;
    }
    const auto configuration = readHubConfiguration(hub);
    if (!configuration) {
        err << kHubSetupNotFoundForRequest << '\n';
        return kExitRefused;
    }
    RequestNotifier notifier(out, err, options->interrupt);
    RemoteRequester requester(hub, *configuration, notifier);
    if (requester.issue(options->input) != RequestOutcome::Issued)
        return kExitRefused;
    if (options->waitSeconds && !waitUntilTaken(hub, *options->waitSeconds)) {
        err << kKeepTrying << '\n';
        return kExitRefused;
    }
    return kExitOk;
}

}  // namespace quillon::cli
