#include "cli/CliTransmit.h"

#include <optional>
#include <ostream>
#include <utility>

#include "cli/CliPort.h"
#include "dnc/TransmitEngine.h"

namespace quillon::cli {

namespace {

struct SendOptions {
    TransferArguments common;
    std::optional<std::size_t> fromLine;
    std::optional<std::string> setupFile;
};

}  // namespace

int runSend(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    SendOptions options;
    // The command's own options.
    const auto own = [&](const std::string& option, const std::string& value) {
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
    };
    if (!parseTransferArguments(arguments, err, kSendUsage, options.common, own))
        return 2;
    auto job = transferJob<TransmitJob>(options.common);
    if (job.setup.handshake == Handshake::FanucDnc) {
        job.fanucProgram = true;
        job.fanucSetup = options.setupFile.has_value();
    }
    if (options.fromLine) {
        const auto offset = lineStartOffset(job.path, *options.fromLine);
        if (!offset) {
            err << kOpenTxFileFailedText << '\n';
            return 1;
        }
        job.resumeOffset = *offset;
    }
    auto port = openSetupPort(job.setup, CommWindowKind::Transmit, err);
    if (!port)
        return 1;
    err << TransmitEngine::titleFor(job.path, job.setup.name) << '\n';
    // The setup file is given once, for the one Fanuc program it follows.
    Transfer transfer(std::move(port), job,
                      [setupFile = options.setupFile](const std::string&) mutable {
                          return std::exchange(setupFile, std::nullopt);
                      });
    return runTransfer(transfer, err, options.common.timeout) == TransferState::Done ? 0 : 1;
}

}  // namespace quillon::cli
