#include "cli/CliReceive.h"

#include <signal.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <ostream>
#include <thread>

#include "cli/CliPort.h"
#include "dnc/ReceiveEngine.h"

namespace quillon::cli {

namespace {

constexpr auto kTick = std::chrono::milliseconds(50);
// After the plain end character the line is read a little longer: what the control still
// sends is taken off the line and ignored, as the window would.
constexpr int kDrainTicks = 20;

struct ReceiveOptions {
    TransferArguments common;
    std::optional<std::string> program;
    std::optional<std::chrono::milliseconds> timeout;
};

std::optional<ReceiveOptions> parse(const std::vector<std::string>& arguments, std::ostream& err)
{
    ReceiveOptions options;
    const auto common = parseTransferArguments(
        arguments, err, [&](const std::string& option, const std::string& value) {
            if (option == "--program") {
                if (value.empty() || value.size() > 4) {
                    err << "--program takes one to four characters\n";
                    return OptionTaken::Refused;
                }
                options.program = value;
                return OptionTaken::Taken;
            }
            if (option == "--timeout") {
                const auto seconds = wholeNumber(value);
                if (!seconds || *seconds < 1) {
                    err << "--timeout takes a number of seconds from 1\n";
                    return OptionTaken::Refused;
                }
                options.timeout = std::chrono::seconds(*seconds);
                return OptionTaken::Taken;
            }
            return OptionTaken::Unknown;
        });
    if (!common)
        return std::nullopt;
    options.common = *common;
    return options;
}

// What the Receive window shows that matters on a command line, to the error stream.
class StreamObserver final : public ReceiveObserver {
public:
    explicit StreamObserver(std::ostream& err) : m_err(err) {}
    void showLines(const std::deque<std::string>&, const std::string&) override {}
    void setLineCount(std::uint64_t) override {}
    void setStatus(const std::string& text) override
    {
        if (text != m_status && !text.empty())
            m_err << text << '\n';
        m_status = text;
    }
    void setTitle(const std::string& title) override { m_err << title << '\n'; }
    void showMessage(const std::string& text) override { m_err << text << '\n'; }
    std::optional<std::string> askSetupFile(const std::string&) override { return {}; }

private:
    std::ostream& m_err;
    std::string m_status;
};

volatile std::sig_atomic_t g_interrupted = 0;

void interrupted(int)
{
    g_interrupted = 1;
}

// Ctrl+C ends the reception instead of the program, while it runs.
class InterruptGuard {
public:
    InterruptGuard()
    {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = interrupted;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptGuard() { ::sigaction(SIGINT, &m_previous, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction m_previous {};
};

}  // namespace

int runReceive(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    const auto options = parse(arguments, err);
    if (!options) {
        err << "usage: quillonlt-cli " << kReceiveUsage << '\n';
        return 2;
    }
    ReceiveJob job;
    job.setup = loadSetup(options->common.setup);
    job.path = options->common.file;
    if (job.setup.handshake == Handshake::FanucDnc) {
        if (!options->program) {
            err << "a Fanuc DNC setup asks the control for a program: give --program\n";
            return 2;
        }
        job.fanucProgram = true;
        job.programNumber = *options->program;
    }
    const SetupPort opened(job.setup, CommWindowKind::Receive);
    if (!opened.port()) {
        err << opened.message() << '\n';
        return 1;
    }
    err << ReceiveEngine::titleFor(job.path, job.setup.name) << '\n';
    StreamObserver observer(err);
    ReceiveEngine engine(job, opened.port()->line(), observer);
    const InterruptGuard guard;
    const auto started = std::chrono::steady_clock::now();
    engine.start();
    ReceiveOutcome outcome = ReceiveOutcome::Running;
    int drainTicks = kDrainTicks;
    while (outcome == ReceiveOutcome::Running) {
        std::this_thread::sleep_for(kTick);
        if (g_interrupted) {
            err << "Stopped\n";
            break;
        }
        outcome = engine.tick();
        if (outcome != ReceiveOutcome::Running)
            break;
        if (engine.ended() && --drainTicks == 0)
            break;
        if (opened.port()->line().status().lost) {
            if (!engine.ended())
                err << lostPortText(opened.port()->portIndex()) << '\n';
            break;
        }
        if (options->timeout && std::chrono::steady_clock::now() - started >= *options->timeout) {
            err << "Timed out\n";
            break;
        }
    }
    err << "Line: " << engine.lineCount() << '\n';
    return outcome != ReceiveOutcome::Failed && engine.storedBytes() > 0 ? 0 : 1;
}

}  // namespace quillon::cli
