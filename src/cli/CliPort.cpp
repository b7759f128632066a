#include "cli/CliPort.h"

#include <signal.h>

#include <charconv>
#include <cmath>
#include <csignal>
#include <ostream>
#include <thread>

#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
#include "dnc/CommTick.h"
#include "dnc/PortSetups.h"
#include "platform/PosixSerialLine.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

std::optional<long> wholeNumber(const std::string& text)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> runningSeconds(const std::string& text)
{
    const auto seconds = wholeNumber(text);
    if (!seconds || *seconds < 1 || *seconds > 365L * 24 * 3600)
        return std::nullopt;
    return static_cast<int>(*seconds);
}

std::optional<double> decimalNumber(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> setupIndex(const std::string& text, std::ostream& err)
{
    const auto value = wholeNumber(text);
    if (!value || *value < 1 || *value > kPortCount) {
        err << "--setup takes a number from 1 to " << kPortCount << '\n';
        return std::nullopt;
    }
    return static_cast<int>(*value - 1);
}

namespace {

std::optional<TransferArguments> readTransferArguments(
    const std::vector<std::string>& arguments, std::ostream& err,
    const std::function<OptionTaken(const std::string& option, const std::string& value)>& own)
{
    TransferArguments parsed;
    bool haveSetup = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.empty() && argument[0] != '-' && parsed.file.empty()) {
            parsed.file = argument;
            continue;
        }
        if (i + 1 < arguments.size()) {
            const std::string& value = arguments[i + 1];
            if (argument == "--setup") {
                const auto index = setupIndex(value, err);
                if (!index)
                    return std::nullopt;
                parsed.setup = *index;
                haveSetup = true;
                ++i;
                continue;
            }
            if (argument == "--timeout") {
                const auto seconds = wholeNumber(value);
                if (!seconds || *seconds < 1) {
                    err << "--timeout takes a number of seconds from 1\n";
                    return std::nullopt;
                }
                parsed.timeout = std::chrono::seconds(*seconds);
                ++i;
                continue;
            }
            const OptionTaken taken = own(argument, value);
            if (taken == OptionTaken::Refused)
                return std::nullopt;
            if (taken == OptionTaken::Taken) {
                ++i;
                continue;
            }
        }
        err << "unexpected argument: " << argument << '\n';
        return std::nullopt;
    }
    if (!haveSetup || parsed.file.empty())
        return std::nullopt;
    return parsed;
}

}  // namespace

bool parseTransferArguments(
    const std::vector<std::string>& arguments, std::ostream& err, const char* usage,
    TransferArguments& common,
    const std::function<OptionTaken(const std::string& option, const std::string& value)>& own)
{
    const auto parsed = readTransferArguments(arguments, err, own);
    if (!parsed) {
        err << "usage: quillonlt-cli " << usage << '\n';
        return false;
    }
    common = *parsed;
    return true;
}

PortSetup loadSetup(int index)
{
    PortSetups setups;
    loadPortSetups(setups, WorkDir::fromEnvironment());
    return setups.record(index);
}

std::unique_ptr<CommPort> openSetupPort(const PortSetup& setup, CommWindowKind kind,
                                        std::ostream& err)
{
    // One command, one transfer: the table only has to outlive it.
    static PortsInUse ports;
    auto opened = CommPort::open(setup, kind, ComDeviceMap::load(WorkDir::fromEnvironment()),
                                 posixLineOpener(), ports);
    if (!opened.port)
        err << opened.message << '\n';
    return std::move(opened.port);
}

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void interrupted(int)
{
    g_interrupted = 1;
}

// Ctrl+C ends the transfer instead of the program, while it runs, so that the port is
// released as the window's Exit would.
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

// Writes what a window would show, as it changes.
class ReportPrinter {
public:
    explicit ReportPrinter(std::ostream& err) : m_err(err) {}

    void print(const TransferReport& report)
    {
        if (report.title)
            m_err << *report.title << '\n';
        for (const std::string& text : report.statuses) {
            if (text != m_status && !text.empty())
                m_err << text << '\n';
            m_status = text;
        }
        if (report.progress && *report.progress != m_percent)
            m_err << *report.progress << " %\n";
        if (report.progress)
            m_percent = *report.progress;
        if (!report.message.empty())
            m_err << report.message << '\n';
    }

private:
    std::ostream& m_err;
    std::string m_status;
    int m_percent = -1;
};

}  // namespace

TransferState runTransfer(Transfer& transfer, std::ostream& err,
                          std::optional<std::chrono::milliseconds> timeout,
                          const std::function<bool()>& enough)
{
    const InterruptGuard guard;
    ReportPrinter printer(err);
    const auto started = std::chrono::steady_clock::now();
    printer.print(transfer.start());
    for (;;) {
        std::this_thread::sleep_for(kCommTick);
        if (g_interrupted) {
            err << "Stopped\n";
            return TransferState::Running;
        }
        const TransferReport report = transfer.tick();
        printer.print(report);
        if (report.state != TransferState::Running)
            return report.state;
        if (enough && enough())
            return TransferState::Running;
        if (timeout && std::chrono::steady_clock::now() - started >= *timeout) {
            err << "Timed out\n";
            return TransferState::Running;
        }
    }
}

}  // namespace quillon::cli
