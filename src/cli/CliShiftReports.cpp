#include "cli/CliShiftReports.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "cli/CliPort.h"
#include "monitoring/CycleTimeAnalysis.h"
#include "monitoring/ShiftPie.h"
#include "platform/TextFile.h"

namespace quillon::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int usageError(std::ostream& err, const char* usage, const std::string& reason)
{
    if (!reason.empty())
        err << reason << '\n';
    err << "usage: quillonlt-cli " << usage << '\n';
    return kExitUsage;
}

bool isOption(const std::string& argument)
{
    return argument.size() > 1 && argument.front() == '-';
}

// What "shift cycles" was asked: the values stand for what the dialog's edits would hold.
struct CyclesArguments {
    std::optional<std::string> file;
    std::optional<std::string> part;
    std::optional<std::string> minimum;
    std::optional<std::string> maximum;
    std::optional<std::string> multiplier;
};

struct CyclesOption {
    std::string_view name;
    std::optional<std::string> CyclesArguments::*value;
    bool number;
};
constexpr CyclesOption kCyclesOptions[] = {
    {"--part", &CyclesArguments::part, false},
    {"--min", &CyclesArguments::minimum, true},
    {"--max", &CyclesArguments::maximum, true},
    {"--multiplier", &CyclesArguments::multiplier, true},
};

// The arguments, or nothing after telling err what is wrong.
std::optional<CyclesArguments> readCyclesArguments(const std::vector<std::string>& arguments,
                                                   std::ostream& err)
{
    CyclesArguments read;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto option = std::ranges::find(kCyclesOptions, argument, &CyclesOption::name);
        if (option == std::end(kCyclesOptions)) {
            if (read.file || isOption(argument)) {
                usageError(err, kShiftCyclesUsage, "unexpected argument: " + argument);
                return std::nullopt;
            }
            read.file = argument;
            continue;
        }
        if (i + 1 == arguments.size()) {
            usageError(err, kShiftCyclesUsage, argument + " takes a value");
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        if (option->number &&
            (value.size() > kCycleLimitChars || !wholeNumber(value) || *wholeNumber(value) < 0)) {
            usageError(err, kShiftCyclesUsage,
                       argument + " takes a whole number of at most 15 digits");
            return std::nullopt;
        }
        read.*option->value = value;
    }
    if (!read.file) {
        usageError(err, kShiftCyclesUsage, {});
        return std::nullopt;
    }
    return read;
}

}  // namespace

int runShiftPie(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 1 || isOption(arguments.front()))
        return usageError(err, kShiftPieUsage, {});
    const ShiftPieLoad load = readShiftPie(arguments.front());
    if (!load.pie) {
        err << load.error << '\n';
        return kExitRefused;
    }
    for (const PieSlice& slice : load.pie->slices)
        out << slice.partNumber << ',' << slice.state << ',' << slice.minutes << '\n';
    out << load.pie->title << '\n';
    return kExitOk;
}

int runShiftCycles(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto read = readCyclesArguments(arguments, err);
    if (!read)
        return kExitUsage;
    auto bytes = readFile(*read->file);
    if (!bytes) {
        err << *read->file << kPieReadError << '\n';
        return kExitRefused;
    }

    CycleTimeAnalysis analysis;
    analysis.openBytes(std::move(bytes), {});
    const auto& parts = analysis.partNumbers();
    if (read->part) {
        if (std::ranges::find(parts, *read->part) == parts.end())
            return usageError(err, kShiftCyclesUsage,
                              *read->file + " has no part number " + *read->part);
        analysis.selectPart(*read->part);
    } else if (analysis.partChoice()) {
        analysis.selectPart(parts.front());
    }
    if (read->minimum || read->maximum || read->multiplier) {
        analysis.recalculate(read->minimum.value_or(std::to_string(analysis.minimum())),
                             read->maximum.value_or(std::to_string(analysis.maximum())),
                             read->multiplier.value_or(std::to_string(analysis.multiplier())));
    }

    for (const std::string& line : analysis.details())
        out << line << '\n';
    out << '\n';
    for (const std::string& line : analysis.summary())
        out << line << '\n';
    return kExitOk;
}

}  // namespace quillon::cli
