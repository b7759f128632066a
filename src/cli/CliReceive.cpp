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

}  // namespace

int runReceive(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    ReceiveOptions options;
    // The command's own options.
    const auto own = [&](const std::string& option, const std::string& value) {
        if (option == "--program") {
            if (value.empty() || value.size() > 4) {
                err << "--program takes one to four characters\n";
                return OptionTaken::Refused;
            }
            options.program = value;
            return OptionTaken::Taken;
        }
        return OptionTaken::Unknown;
    };
    if (!parseTransferArguments(arguments, err, kReceiveUsage, options.common, own))
        return 2;
    auto job = transferJob<ReceiveJob>(options.common);
    if (job.setup.handshake == Handshake::FanucDnc) {
        if (!options.program) {
            err << "a Fanuc DNC setup asks the control for a program: give --program\n";
            return 2;
        }
        job.fanucProgram = true;
        job.programNumber = *options.program;
    }
    auto port = openSetupPort(job.setup, CommWindowKind::Receive, err);
    if (!port)
        return 1;
    err << ReceiveEngine::titleFor(job.path, job.setup.name) << '\n';
    Transfer transfer(std::move(port), job, {});
    int drainTicks = kDrainTicks;
    const TransferState state = runTransfer(transfer, err, options.common.timeout,
                                            [&] { return transfer.ended() && --drainTicks == 0; });
    err << "Line: " << transfer.lineCount() << '\n';
    // A line lost in the middle of a program is a failure even with bytes stored.
    const bool failed = state == TransferState::Failed ||
                        (state == TransferState::Lost && !transfer.receivedWhole());
    return !failed && transfer.storedBytes() > 0 ? 0 : 1;
}

}  // namespace quillon::cli
