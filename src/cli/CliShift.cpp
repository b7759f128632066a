#include "cli/CliShift.h"

#include <ostream>
#include <string_view>

#include "cli/CliShiftReports.h"
#include "monitoring/MachineLists.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ShiftGraph.h"
#include "monitoring/ShiftMerge.h"
#include "monitoring/ShiftStartList.h"
#include "platform/Clock.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int usage(std::ostream& err)
{
    err << "usage: quillonlt-cli " << kShiftUsage << '\n';
    return kExitUsage;
}

// The arguments without the flag, and whether it was among them.
bool takeFlag(Arguments& arguments, std::string_view flag)
{
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        if (*it == flag) {
            arguments.erase(it);
            return true;
        }
    }
    return false;
}

// The status names and colours the hub set up, so that its own statuses get their places;
// the defaults without a hub.
StatusTable hubStatusTable()
{
    const RemoteConfig remote = readRemoteConfig(WorkDir::fromEnvironment());
    return remote.hasHub() ? readStatusTable(remote.hubDirectory) : StatusTable::defaults();
}

std::string_view rateClassWord(RateClass rateClass)
{
    switch (rateClass) {
    case RateClass::Below:
        return "below";
    case RateClass::Within:
        return "within";
    case RateClass::Above:
        return "above";
    case RateClass::None:
        break;
    }
    return {};
}

int runIntervals(const Arguments& given, std::ostream& out, std::ostream& err)
{
    Arguments arguments = given;
    const bool current = takeFlag(arguments, "--current");
    if (arguments.size() != 1 || arguments[0].starts_with("--"))
        return usage(err);
    const auto bytes = readFile(arguments[0]);
    if (!bytes) {
        err << arguments[0] << kShiftReadOpenError << '\n';
        return kExitFailed;
    }
    std::optional<std::int64_t> closeAt;
    if (current)
        closeAt = SystemClock().now();
    const ShiftGraph graph = loadShiftGraph(*bytes, hubStatusTable(), closeAt);
    std::string text;
    for (const ShiftInterval& interval : graph.intervals) {
        text += std::to_string(interval.start) + ',' + std::to_string(interval.end) + ',' +
                std::to_string(interval.colorIndex) + ',';
        if (interval.shade >= 0)
            text += std::to_string(interval.shade);
        text += ',';
        text += rateClassWord(interval.rateClass);
        text += ',';
        text += interval.stateText;
        text += '\n';
    }
    out << text;
    return kExitOk;
}

int runMerge(const Arguments& given, std::ostream&, std::ostream& err)
{
    Arguments arguments = given;
    const bool closing = takeFlag(arguments, "--closing");
    if (arguments.size() != 3)
        return usage(err);
    std::optional<std::int64_t> closeAt;
    if (closing)
        closeAt = SystemClock().now();
    if (const auto error = mergeStationFiles(arguments[0], arguments[1], arguments[2], closeAt)) {
        err << *error << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

int runStarts(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    ShiftStartLoad load;
    if (arguments.size() == 2 && arguments[0] == "--previous") {
        load = previousShiftStarts(arguments[1]);
    } else if (!arguments.empty() && arguments[0] == "--current" &&
               (arguments.size() == 1 || (arguments.size() == 3 && arguments[1] == "--hub"))) {
        const WorkDir workDir = WorkDir::fromEnvironment();
        const std::string hub =
            arguments.size() == 3 ? arguments[2] : readRemoteConfig(workDir).hubDirectory;
        load = currentShiftStarts(readFile(workDir.file(kMonitorListFile)), hub);
    } else {
        return usage(err);
    }
    if (!load.error.empty()) {
        err << load.error << '\n';
        return kExitFailed;
    }
    out << shiftStartCsv(load.rows);
    return kExitOk;
}

struct ShiftCommand {
    std::string_view name;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
};

const ShiftCommand kShiftCommands[] = {
    {"intervals", runIntervals}, {"pie", runShiftPie},  {"cycles", runShiftCycles},
    {"merge", runMerge},         {"starts", runStarts},
};

}  // namespace

int runShift(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty())
        return usage(err);
    for (const ShiftCommand& command : kShiftCommands) {
        if (arguments[0] == command.name)
            return command.run({arguments.begin() + 1, arguments.end()}, out, err);
    }
    return usage(err);
}

}  // namespace quillon::cli
