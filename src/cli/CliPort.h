// What the command line's commands share: reading their numbers, opening a setup's port as
// the communication windows do, and running a transfer on it.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dnc/CommPort.h"
#include "dnc/PortSetup.h"
#include "dnc/PortsInUse.h"
#include "dnc/Transfer.h"

namespace quillon::cli {

// A whole decimal number, nothing else.
std::optional<long> wholeNumber(const std::string& text);
// "--seconds S" of a command that otherwise runs until it is stopped: 1 s to a year.
std::optional<int> runningSeconds(const std::string& text);
// A finite decimal number ("+" allowed before it), nothing else.
std::optional<double> decimalNumber(std::string_view text);
// "--setup N": the 0-based index of setup N (1 to 10); nothing after telling err why.
std::optional<int> setupIndex(const std::string& text, std::ostream& err);
// What every transfer command is given: "--setup N" (its 0-based index) and one file, and
// may be given: "--timeout S", a limit on the whole transfer.
struct TransferArguments {
    int setup = 0;
    std::string file;
    std::optional<std::chrono::seconds> timeout;
};
// How a command took one of its own options.
enum class OptionTaken { Unknown, Taken, Refused };
// Reads "--setup N", "--timeout S", the file, and the command's own options, each followed by its
// value, into `common`: `own` takes the command's own (and tells err why it refuses a value).
// False, after telling err what is wrong and then the command's usage, when an argument is
// wrong or unknown or the setup or the file is missing.
bool parseTransferArguments(
    const std::vector<std::string>& arguments, std::ostream& err, const char* usage,
    TransferArguments& common,
    const std::function<OptionTaken(const std::string& option, const std::string& value)>& own);

// Setup `index` of the working directory's ComConf.sys.
PortSetup loadSetup(int index);

// A transfer job (TransmitJob, ReceiveJob) of the setup and the file the arguments name.
template <typename Job>
Job transferJob(const TransferArguments& common)
{
    Job job;
    job.setup = loadSetup(common.setup);
    job.path = common.file;
    return job;
}

// Opens the setup's port; nothing after telling err why it could not be used.
std::unique_ptr<CommPort> openSetupPort(const PortSetup& setup, CommWindowKind kind,
                                        std::ostream& err);

// Runs the transfer as its window would, a tick every kCommTick, writing to err what the
// window would show as it changes: status texts, the progress, a new title, the message it
// ends with. It stops when the transfer is over, after `timeout` ("Timed out"), at Ctrl+C
// ("Stopped"), or when `enough` says so after a tick; the state it was left in.
TransferState runTransfer(Transfer& transfer, std::ostream& err,
                          std::optional<std::chrono::milliseconds> timeout,
                          const std::function<bool()>& enough = {});

}  // namespace quillon::cli
