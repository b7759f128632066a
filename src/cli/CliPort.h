// What the command line's commands share: reading their numbers, and opening a setup's
// port as the communication windows do.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dnc/CommPort.h"
#include "dnc/PortSetup.h"
#include "dnc/PortsInUse.h"

namespace quillon::cli {

// A whole decimal number, nothing else.
std::optional<long> wholeNumber(const std::string& text);
// A finite decimal number ("+" allowed before it), nothing else.
std::optional<double> decimalNumber(std::string_view text);
// "--setup N": the 0-based index of setup N (1 to 10); nothing after telling err why.
std::optional<int> setupIndex(const std::string& text, std::ostream& err);
// What every transfer command is given: "--setup N" (its 0-based index) and one file.
struct TransferArguments {
    int setup = 0;
    std::string file;
};
// How a command took one of its own options.
enum class OptionTaken { Unknown, Taken, Refused };
// Reads "--setup N", the file, and the command's own options, each followed by its value:
// `own` takes them (and tells err why it refuses a value). Nothing when an argument is
// wrong or unknown (err says which) or the setup or the file is missing.
std::optional<TransferArguments> parseTransferArguments(
    const std::vector<std::string>& arguments, std::ostream& err,
    const std::function<OptionTaken(const std::string& option, const std::string& value)>& own);

// Setup `index` of the working directory's ComConf.sys.
PortSetup loadSetup(int index);

// A setup's port, open for one kind of transfer.
class SetupPort {
public:
    SetupPort(const PortSetup& setup, CommWindowKind kind);
    // Nothing when the port could not be opened; message() says why.
    CommPort* port() const { return m_opened.port.get(); }
    const std::string& message() const { return m_opened.message; }

private:
    PortsInUse m_ports;
    CommPort::Opened m_opened;
};

}  // namespace quillon::cli
