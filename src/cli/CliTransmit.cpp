#include "cli/CliTransmit.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <thread>
#include <utility>

#include "cli/CliPort.h"
#include "dnc/TransmitEngine.h"

namespace quillon::cli {

namespace {

constexpr auto kTick = std::chrono::milliseconds(50);

struct SendOptions {
    TransferArguments common;
    std::optional<std::size_t> fromLine;
    std::optional<std::string> setupFile;
};

std::optional<SendOptions> parse(const std::vector<std::string>& arguments, std::ostream& err)
{
    SendOptions options;
    const auto common = parseTransferArguments(
        arguments, err, [&](const std::string& option, const std::string& value) {
            if (option == "--from-line") {
                const auto line = wholeNumber(value);
                if (!line || *line < 1) {
                    err << "--from-line takes a line number from 1\n";
                    return OptionTaken::Refused;
                }
                options.fromLine = static_cast<std::size_t>(*line);
                return OptionTaken::Taken;
            }
            if (option == "--setup-file") {
                options.setupFile = value;
                return OptionTaken::Taken;
            }
            return OptionTaken::Unknown;
        });
    if (!common)
        return std::nullopt;
    options.common = *common;
    return options;
}

// What the Transmit window shows, written to the error stream as it changes.
class StreamObserver final : public TransmitObserver {
public:
    StreamObserver(std::ostream& err, std::optional<std::string> setupFile)
        : m_err(err), m_setupFile(std::move(setupFile))
    {
    }
    void clearLines() override {}
    void addLine(const std::string&) override {}
    void setStatus(const std::string& text) override
    {
        if (text != m_status && !text.empty())
            m_err << text << '\n';
        m_status = text;
    }
    void setProgress(int percent) override
    {
        if (percent != m_percent)
            m_err << percent << " %\n";
        m_percent = percent;
    }
    void setTitle(const std::string& title) override { m_err << title << '\n'; }
    void showMessage(const std::string& text) override { m_err << text << '\n'; }
    std::optional<std::string> askSetupFile(const std::string&) override
    {
        return std::exchange(m_setupFile, std::nullopt);
    }

private:
    std::ostream& m_err;
    std::optional<std::string> m_setupFile;
    std::string m_status;
    int m_percent = -1;
};

}  // namespace

int runSend(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    const auto options = parse(arguments, err);
    if (!options) {
        err << "usage: quillonlt-cli " << kSendUsage << '\n';
        return 2;
    }
    TransmitJob job;
    job.setup = loadSetup(options->common.setup);
    job.path = options->common.file;
    if (job.setup.handshake == Handshake::FanucDnc) {
        job.fanucProgram = true;
        job.fanucSetup = options->setupFile.has_value();
    }
    if (options->fromLine) {
        const auto offset = lineStartOffset(job.path, *options->fromLine);
        if (!offset) {
            err << kOpenTxFileFailedText << '\n';
            return 1;
        }
        job.resumeOffset = *offset;
    }
    const SetupPort opened(job.setup, CommWindowKind::Transmit);
    if (!opened.port()) {
        err << opened.message() << '\n';
        return 1;
    }
    err << TransmitEngine::titleFor(job.path, job.setup.name) << '\n';
    StreamObserver observer(err, options->setupFile);
    TransmitEngine engine(job, opened.port()->line(), observer);
    engine.start();
    for (;;) {
        std::this_thread::sleep_for(kTick);
        switch (engine.tick()) {
        case TransmitOutcome::Running:
            break;
        case TransmitOutcome::Done:
            return 0;
        case TransmitOutcome::Failed:
            return 1;
        }
        // A control may hang up once it has all; only a line lost before that is a
        // failure.
        if (opened.port()->line().status().lost) {
            if (engine.complete())
                return 0;
            err << lostPortText(opened.port()->portIndex()) << '\n';
            return 1;
        }
    }
}

}  // namespace quillon::cli
