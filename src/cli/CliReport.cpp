#include "cli/CliReport.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <string_view>

#include "app/MarginsSettings.h"
#include "monitoring/RemoteConfig.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int usage(std::ostream& err)
{
    err << "usage: quillonlt-cli " << kReportUsage << '\n';
    return kExitUsage;
}

ReportImageWriter& imageWriter()
{
    static ReportImageWriter writer;
    return writer;
}

// What the command line asks for, before it is checked the way the dialog checks it.
struct ReportOptions {
    std::string hub;
    std::optional<ReportDate> from;
    std::optional<ReportDate> to;
    std::vector<std::string> machines;
    std::array<bool, 3> shifts{};
    bool station1 = false;
    bool station2 = false;
    bool monthly = false;
    bool compressed = false;
    std::optional<ReportKind> kind;
    ReportGrouping per = ReportGrouping::PerDate;
    bool percent = false;
    std::string picture;
    bool svg = false;
    std::string file;  // view: the saved report
};

std::optional<ReportKind> kindNamed(std::string_view name)
{
    if (name == "graph")
        return ReportKind::Graph;
    if (name == "date")
        return ReportKind::PiePerDate;
    if (name == "machine")
        return ReportKind::PiePerMachine;
    if (name == "none")
        return ReportKind::None;
    return std::nullopt;
}

// "1,3": each a number from 1 to the count, its place checked.
template <std::size_t N>
bool readNumbers(std::string_view text, std::array<bool, N>& checked)
{
    for (const auto field : splitAtCommas(text)) {
        const auto number = numberIn(field);
        if (!number || *number < 1 || *number > static_cast<long>(N))
            return false;
        checked[static_cast<std::size_t>(*number - 1)] = true;
    }
    return true;
}

// The options after the subcommand; nothing on a usage error.
std::optional<ReportOptions> readOptions(const Arguments& arguments)
{
    ReportOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--monthly") {
            options.monthly = true;
        } else if (argument == "--compressed") {
            options.compressed = true;
        } else if (argument == "--percent") {
            options.percent = true;
        } else if (!hasValue && argument.starts_with("--")) {
            return std::nullopt;
        } else if (argument == "--hub") {
            options.hub = arguments[++i];
        } else if (argument == "--from" || argument == "--to") {
            const auto date = ReportDate::parse(arguments[++i]);
            if (!date)
                return std::nullopt;
            (argument == "--from" ? options.from : options.to) = date;
        } else if (argument == "--machines") {
            for (const auto name : splitAtCommas(arguments[++i])) {
                if (!name.empty())
                    options.machines.emplace_back(name);
            }
        } else if (argument == "--shifts") {
            if (!readNumbers(arguments[++i], options.shifts))
                return std::nullopt;
        } else if (argument == "--stations") {
            std::array<bool, 2> stations{};
            if (!readNumbers(arguments[++i], stations))
                return std::nullopt;
            options.station1 = stations[0];
            options.station2 = stations[1];
        } else if (argument == "--kind") {
            options.kind = kindNamed(arguments[++i]);
            if (!options.kind)
                return std::nullopt;
        } else if (argument == "--per") {
            const std::string& per = arguments[++i];
            if (per != "date" && per != "machine")
                return std::nullopt;
            options.per = per == "date" ? ReportGrouping::PerDate : ReportGrouping::PerMachine;
        } else if ((argument == "--png" || argument == "--svg") && options.picture.empty()) {
            options.svg = argument == "--svg";
            options.picture = arguments[++i];
        } else if (!argument.starts_with("--") && options.file.empty()) {
            options.file = argument;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// The kind a command draws: --kind, else the pies of --per.
ReportKind kindOf(const ReportOptions& options)
{
    if (options.kind)
        return *options.kind;
    return options.per == ReportGrouping::PerMachine ? ReportKind::PiePerMachine
                                                     : ReportKind::PiePerDate;
}

std::string twoDecimals(double value)
{
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
    return std::string(text, end);
}

// KEY,STATUS,MINUTES (or the share with --percent) for what has time, then KEY,TOTAL.
void printSums(const ReportSums& sums, bool percent, std::ostream& out, std::ostream& err)
{
    std::string text;
    for (std::size_t key = 0; key < sums.keys.size(); ++key) {
        const std::vector<double> values = percent ? sums.percent(key) : sums.minutes[key];
        for (std::size_t status = 0; status < sums.statuses.size(); ++status) {
            if (sums.minutes[key][status] > 0)
                text += sums.keys[key] + ',' + sums.statuses[status] + ',' +
                        twoDecimals(values[status]) + '\n';
        }
    }
    for (std::size_t key = 0; key < sums.keys.size(); ++key)
        text += sums.keys[key] + ',' + std::to_string(sums.shownTotal(key)) + '\n';
    out << text;
    if (sums.droppedKeys > 0)
        err << sums.droppedKeys
            << (sums.grouping == ReportGrouping::PerDate ? " dates" : " machines")
            << " past the chart's room left out\n";
    if (sums.droppedStatuses > 0)
        err << sums.droppedStatuses << " statuses past the chart's room left out\n";
}

// Draws the report through the installed writer.
int drawReport(const ReportOptions& options, ReportKind kind, const std::string& reportText,
               const ReportSums& sums, std::ostream& err)
{
    ReportImageRequest request;
    request.kind = kind;
    request.reportText = &reportText;
    request.sums = &sums;
    request.percent = options.percent;
    request.path = options.picture;
    request.svg = options.svg;
    return imageWriter()(request, err) ? kExitOk : kExitRefused;
}

// The hub directory: --hub, else the remote configuration's.
std::string hubDirectoryOf(const ReportOptions& options, const WorkDir& workDir)
{
    if (!options.hub.empty())
        return withTrailingHubSeparator(options.hub);
    return readRemoteConfig(workDir).hubDirectory;
}

int runSelection(const ReportOptions& options, bool printSelection, std::ostream& out,
                 std::ostream& err)
{
    const WorkDir workDir = WorkDir::fromEnvironment();
    const std::string hub = hubDirectoryOf(options, workDir);
    if (hub.empty()) {
        err << "quillonlt-cli: no hub directory: give --hub or set up the remote "
               "configuration\n";
        return kExitRefused;
    }
    ReportSelection selection;
    selection.start = options.from;
    selection.end = options.to;
    for (const auto& name : options.machines)
        selection.machines.push_back({name, true});
    selection.shifts = options.shifts;
    selection.station1 = options.station1;
    selection.station2 = options.station2;
    selection.monthly = options.monthly || readMarginsFile(workDir).monthlyCsv;
    selection.compressed = options.compressed;
    selection.kind = options.kind.value_or(printSelection ? ReportKind::Graph : kindOf(options));
    const ReportSelectionResult result = selectReport(hub, selection);
    if (!result.ok()) {
        err << result.message << '\n';
        return kExitRefused;
    }
    const auto sums = sumsForKind(result.reportText, selection.kind);
    if (!options.picture.empty())
        return drawReport(options, selection.kind, result.reportText, *sums, err);
    if (printSelection)
        out << result.reportText;
    else
        printSums(*sums, options.percent, out, err);
    return kExitOk;
}

int runView(const ReportOptions& options, std::ostream& out, std::ostream& err)
{
    const ReportKind kind = kindOf(options);
    const SavedReport saved = checkSavedReport(options.file, kind);
    if (!saved.ok()) {
        err << saved.message << '\n';
        return kExitRefused;
    }
    const auto sums = sumsForKind(saved.reportText, kind);
    if (!options.picture.empty())
        return drawReport(options, kind, saved.reportText, *sums, err);
    printSums(*sums, options.percent, out, err);
    return kExitOk;
}

}  // namespace

void setReportImageWriter(ReportImageWriter writer)
{
    imageWriter() = std::move(writer);
}

int runReport(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty())
        return usage(err);
    const std::string& command = arguments[0];
    const auto options = readOptions({arguments.begin() + 1, arguments.end()});
    if (!options || (command != "select" && command != "sums" && command != "view"))
        return usage(err);
    if ((command == "view") == options->file.empty())
        return usage(err);
    if (!options->picture.empty() && !imageWriter()) {
        err << "quillonlt-cli: pictures cannot be drawn by this build\n";
        return kExitRefused;
    }
    if (command == "view")
        return runView(*options, out, err);
    return runSelection(*options, command == "select", out, err);
}

}  // namespace quillon::cli
