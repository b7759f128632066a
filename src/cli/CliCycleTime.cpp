#include "cli/CliCycleTime.h"

#include <charconv>
#include <optional>
#include <ostream>

#include "backplot/CycleTime.h"
#include "cli/CliPort.h"
#include "editor/CLiDoc.h"
#include "platform/Notifier.h"

namespace quillon::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int usageError(std::ostream& err, const std::string& reason)
{
    if (!reason.empty())
        err << reason << '\n';
    err << "usage: quillonlt-cli " << kCycleTimeUsage << '\n';
    return kExitUsage;
}

// The settings with the ranges of the "Cycle time" dialog.
struct NumberOption {
    std::string_view name;
    double CycleTimeSettings::*setting;
    double lowest;
    double highest;
};
constexpr NumberOption kNumberOptions[] = {
    {"--rapid", &CycleTimeSettings::rapidRate, kRapidRateMin, kRapidRateMax},
    {"--toolchange", &CycleTimeSettings::toolChangeSeconds, kToolChangeSecondsMin,
     kToolChangeSecondsMax},
};

// A number in plain decimals, as few as tell it apart.
std::string plainNumber(double seconds)
{
    char digits[400];
    return std::string(
        digits,
        std::to_chars(digits, digits + sizeof digits, seconds, std::chars_format::fixed).ptr);
}

}  // namespace

int runCycleTime(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    CycleTimeSettings settings;
    std::optional<std::string> file;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--lathe") {
            settings.lathe = true;
            continue;
        }
        const NumberOption* option = nullptr;
        for (const auto& candidate : kNumberOptions) {
            if (argument == candidate.name)
                option = &candidate;
        }
        if (option) {
            const auto value =
                i + 1 < arguments.size() ? decimalNumber(arguments[++i]) : std::nullopt;
            if (!value || *value < option->lowest || *value > option->highest)
                return usageError(err, std::string(option->name) + " takes a number from " +
                                           plainNumber(option->lowest) + " to " +
                                           plainNumber(option->highest));
            settings.*option->setting = *value;
        } else if (!file && !(argument.size() > 1 && argument.front() == '-')) {
            file = argument;
        } else {
            return usageError(err, "unexpected argument: " + argument);
        }
    }
    if (!file)
        return usageError(err, {});
    StreamNotifier notifier(err);
    CLiDoc doc;
    if (!doc.open(*file, notifier))
        return kExitRefused;
    if (const auto seconds = estimateCycleTime(doc, settings))
        out << cycleTimeText(*seconds) << '\n' << plainNumber(*seconds) << '\n';
    return kExitOk;
}

}  // namespace quillon::cli
