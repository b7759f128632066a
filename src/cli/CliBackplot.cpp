#include "cli/CliBackplot.h"

#include <charconv>
#include <optional>
#include <ostream>

#include "backplot/BackplotChain.h"
#include "editor/CLiDoc.h"
#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

constexpr int kExitUsage = 2;

int usage(std::ostream& err)
{
    err << "usage: quillonlt-cli " << kBackplotUsage << '\n';
    return kExitUsage;
}

std::optional<int> planeNamed(const std::string& name)
{
    if (name == "xy")
        return 3;
    if (name == "xz")
        return 5;
    if (name == "yz")
        return 6;
    if (name == "3d")
        return 7;
    return std::nullopt;
}

std::string fixed4(double value)
{
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4).ptr;
    return std::string(text, end);
}

}  // namespace

int runBackplot(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    BackplotSettings settings;
    std::string folder;
    std::string file;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--lathe") {
            settings.lathe = true;
        } else if (argument == "--incremental") {
            settings.absolute = false;
        } else if (argument == "--plane" && i + 1 < arguments.size()) {
            const auto plane = planeNamed(arguments[++i]);
            if (!plane)
                return usage(err);
            settings.plane = *plane;
        } else if (argument == "--files" && i + 1 < arguments.size()) {
            folder = arguments[++i];
        } else if (!argument.empty() && argument.front() != '-' && file.empty()) {
            file = argument;
        } else {
            return usage(err);
        }
    }
    if (file.empty())
        return usage(err);
    StreamNotifier notifier(err);
    CLiDoc doc;
    if (!doc.open(file, notifier))
        return 1;
    if (folder.empty()) {
        const WorkDir workDir = WorkDir::fromEnvironment();
        workDir.ensureTree();
        folder = workDir.tmp();
    } else if (!isDirectory(folder)) {
        err << folder << ": no such folder\n";
        return 1;
    }
    PlotBuild build;
    if (!runBackplotChain(linesOf(doc), settings, folder, build, notifier)) {
        err << "The backplot files could not be written in " << folder << '\n';
        return 1;
    }
    for (const PlotPoint& point : build.points)
        out << point.line << ' ' << point.gap << ' ' << point.slot << ' ' << fixed4(point.x) << ' '
            << fixed4(point.y) << ' ' << fixed4(point.z) << '\n';
    out << "TOOLS";
    for (const std::string& tool : build.tools) {
        if (!tool.empty())
            out << ' ' << tool;
    }
    out << '\n';
    return 0;
}

}  // namespace quillon::cli
