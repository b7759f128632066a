#include "cli/CliCommands.h"

#include <charconv>
#include <functional>
#include <optional>
#include <ostream>
#include <string_view>

#include "app/FileUpdate.h"
#include "cli/CliBackplot.h"
#include "cli/CliCalc.h"
#include "cli/CliCleanup.h"
#include "cli/CliCycleTime.h"
#include "cli/CliDirectoryLog.h"
#include "cli/CliHub.h"
#include "cli/CliLineTools.h"
#include "cli/CliOee.h"
#include "cli/CliReceive.h"
#include "cli/CliRenumber.h"
#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "cli/CliShift.h"
#include "cli/CliTransmit.h"
#include "dnc/ComConfFile.h"
#include "dnc/PortSetups.h"
#include "editor/CLiDoc.h"
#include "editor/Compare.h"
#include "platform/FileBytes.h"
#include "platform/Notifier.h"
#include "platform/SystemError.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

using Arguments = std::vector<std::string>;

struct Subcommand {
    std::string_view name;
    std::string_view usage;
    std::function<int(const Arguments&, std::ostream&, std::ostream&)> run;
};

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
// compare: the files differ (0 when they are the same, kExitUsage when one is unreadable).
constexpr int kExitDifferent = 1;

// The ten setups of the working directory's ComConf.sys, each as the "Select
// configuration" dialog summarises it.
int runSetups(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (!arguments.empty()) {
        err << "setups takes no arguments\n";
        return kExitUsage;
    }
    PortSetups setups;
    loadPortSetups(setups, WorkDir::fromEnvironment());
    for (int index = 0; index < kPortCount; ++index) {
        if (index > 0)
            out << '\n';
        const PortSetup& setup = setups.record(index);
        out << index + 1 << ": " << setup.name << '\n';
        for (const auto& line : setupSummaryLines(setup)) {
            if (!line.empty())
                out << line << '\n';
        }
    }
    return kExitOk;
}

// Opens IN as the editor does and saves it to OUT with the editor's save rules.
int runResave(const Arguments& arguments, std::ostream&, std::ostream& err)
{
    if (arguments.size() != 2) {
        err << "usage: quillonlt-cli resave IN OUT\n";
        return kExitUsage;
    }
    StreamNotifier notifier(err);
    CLiDoc doc;
    if (!doc.open(arguments[0], notifier) || !doc.save(arguments[1], notifier))
        return kExitRefused;
    return kExitOk;
}

// The shape of a program as the editor loads it.
int runInfo(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 1) {
        err << "usage: quillonlt-cli info FILE\n";
        return kExitUsage;
    }
    StreamNotifier notifier(err);
    CLiDoc doc;
    if (!doc.open(arguments[0], notifier))
        return kExitRefused;
    out << "lines=" << doc.lineCount() << " longest=" << doc.longestLine()
        << " toolong=" << (doc.anyLineTooLong() ? 1 : 0) << '\n';
    return kExitOk;
}

// The pairs of the working directory's FileUpdt.sys, run as the "File update" dialog's
// Start runs them; each report goes to standard output, nothing is printed on paper.
int runFileUpdatePairs(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (!arguments.empty()) {
        err << "fileupdate takes no arguments\n";
        return kExitUsage;
    }
    const FileUpdateSettings stored = readFileUpdateSettings(WorkDir::fromEnvironment());
    StreamNotifier notifier(err);
    runFileUpdate(settingsFromList(listEntries(stored), stored.printAfterUpdate), notifier,
                  [&out](const DirectoryPair&, const std::string& report) { out << report; });
    return kExitOk;
}

// The hashes of a file's lines, or nothing after telling why the file cannot be read.
std::optional<std::vector<std::uint32_t>> fileLineHashes(const std::string& path, CompareMode mode,
                                                         Notifier& notifier)
{
    int error = 0;
    const auto bytes = readFileBytes(path, &error);
    if (!bytes) {
        notifier.error(fileErrorText(error, FileAction::Open, path));
        return std::nullopt;
    }
    return lineHashes({bytes->data.get(), bytes->size}, mode);
}

// Every marked line as FILE:LINE:MARK, in line order.
void writeMarks(std::ostream& out, char file, const std::vector<std::uint8_t>& marks)
{
    std::string text;
    char number[24];
    for (std::size_t line = 0; line < marks.size(); ++line) {
        if (marks[line] == CompareMark::Same)
            continue;
        text += file;
        text += ':';
        text.append(number, std::to_chars(number, number + sizeof number, line + 1).ptr);
        text += marks[line] == CompareMark::Changed ? ":?\n" : ":+\n";
    }
    out << text;
}

// Compares two files as the editor's Compare does: "Compare OK", or the marked lines of
// file 1 and then of file 2.
int runCompare(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    CompareMode mode = CompareMode::Raw;
    bool unknownOption = false;
    std::vector<std::string> files;
    for (const auto& argument : arguments) {
        if (argument == "--smart")
            mode = CompareMode::Smart;
        else if (argument.size() > 1 && argument.front() == '-')
            unknownOption = true;
        else
            files.push_back(argument);
    }
    if (unknownOption || files.size() != 2) {
        err << "usage: quillonlt-cli compare [--smart] FILE1 FILE2\n";
        return kExitUsage;
    }
    StreamNotifier notifier(err);
    // One file in memory at a time: only the hashes are kept.
    auto first = fileLineHashes(files[0], mode, notifier);
    if (!first)
        return kExitUsage;
    const auto second = fileLineHashes(files[1], mode, notifier);
    if (!second)
        return kExitUsage;
    const CompareResult result = compareHashes(*first, *second);
    if (result.same()) {
        out << "Compare OK\n";
        return kExitOk;
    }
    writeMarks(out, '1', result.first);
    writeMarks(out, '2', result.second);
    return kExitDifferent;
}

const std::vector<Subcommand>& subcommands()
{
    static const std::vector<Subcommand> table = {
        {"setups", "setups", runSetups},
        {"resave", "resave IN OUT", runResave},
        {"info", "info FILE", runInfo},
        {"fileupdate", "fileupdate", runFileUpdatePairs},
        {"compare", "compare [--smart] FILE1 FILE2", runCompare},
        {"send", kSendUsage, runSend},
        {"receive", kReceiveUsage, runReceive},
        {"renumber", kRenumberUsage, runRenumber},
        {"remove-numbers", kRemoveNumbersUsage, runRemoveNumbers},
        {"compress", kCompressUsage, runCompress},
        {"expand", kExpandUsage, runExpand},
        {"modify", kModifyUsage, runModify},
        {"rotate", kRotateUsage, runRotate},
        {"minmax", kMinMaxUsage, runMinMax},
        {"cycletime", kCycleTimeUsage, runCycleTime},
        {"cleanup", kCleanupUsage, runCleanup},
        {"dirlog", kDirectoryLogUsage, runDirectoryLog},
        {"hub", kHubUsage, runHub},
        {"shift", kShiftUsage, runShift},
        {"oee", kOeeUsage, runOee},
        {"report", kReportUsage, runReport},
        {"request", kRequestUsage, runRequest},
        {"backplot", kBackplotUsage, runBackplot},
        {"calc", kCalcUsage, runCalc},
    };
    return table;
}

void printUsage(std::ostream& out)
{
    out << "usage: quillonlt-cli COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto& command : subcommands())
        out << "  " << command.usage << '\n';
    out << "\nSettings are read from $QUILLONLT_HOME (default ~/_QuillonLT).\n";
}

}  // namespace

int run(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty()) {
        printUsage(err);
        return kExitUsage;
    }
    if (arguments.front() == "--help" || arguments.front() == "-h" ||
        arguments.front() == "help") {
        printUsage(out);
        return kExitOk;
    }
    for (const auto& command : subcommands()) {
        if (arguments.front() == command.name)
            return command.run(Arguments(arguments.begin() + 1, arguments.end()), out, err);
    }
    err << "unknown command: " << arguments.front() << '\n';
    printUsage(err);
    return kExitUsage;
}

}  // namespace quillon::cli
