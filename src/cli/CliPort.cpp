#include "cli/CliPort.h"

#include <charconv>
#include <cmath>
#include <ostream>

#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
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

std::optional<TransferArguments> parseTransferArguments(
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

PortSetup loadSetup(int index)
{
    PortSetups setups;
    loadPortSetups(setups, WorkDir::fromEnvironment());
    return setups.record(index);
}

SetupPort::SetupPort(const PortSetup& setup, CommWindowKind kind)
    : m_opened(CommPort::open(
          setup, kind, ComDeviceMap::load(WorkDir::fromEnvironment()),
          [](const std::string& path, std::string* error) -> std::shared_ptr<SerialLine> {
              return PosixSerialLine::open(path, error);
          },
          m_ports))
{
}

}  // namespace quillon::cli
