#include "cli/CliReceive.h"

#include <optional>
#include <ostream>

#include "cli/CliPort.h"
#include "dnc/ReceiveEngine.h"

namespace quillon::cli {

namespace {

// After the plain end character the line is read a little longer: what the control still
// sends is taken off the line and ignored, as the window would.
constexpr int kDrainTicks = 20;

struct ReceiveOptions {
    TransferArguments common;
    std::optional<std::string> program;
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
            return OptionTaken::Unknown;
        });
    if (!common)
        return std::nullopt;
    options.common = *common;
    return options;
}

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
    auto port = openSetupPort(job.setup, CommWindowKind::Receive, err);
    if (!port)
        return 1;
    err << ReceiveEngine::titleFor(job.path, job.setup.name) << '\n';
    Transfer transfer(std::move(port), job, {});
    int drainTicks = kDrainTicks;
    const TransferState state = runTransfer(transfer, err, options->common.timeout,
                                            [&] { return transfer.ended() && --drainTicks == 0; });
    err << "Line: " << transfer.lineCount() << '\n';
    return state != TransferState::Failed && transfer.storedBytes() > 0 ? 0 : 1;
}

}  // namespace quillon::cli
