#include "cli/CliBackplot.h"

#include <charconv>
#include <memory>
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

PlotImageWriter& imageWriter()
{
    static PlotImageWriter writer;
    return writer;
}

// "1920x1080": both at least 16 and at most 16384 pixels.
bool parseSize(const std::string& text, int& width, int& height)
{
    constexpr int kSmallest = 16;
    constexpr int kLargest = 16384;
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos)
        return false;
    const char* end = text.data() + text.size();
    const auto first = std::from_chars(text.data(), text.data() + cross, width);
    const auto second = std::from_chars(text.data() + cross + 1, end, height);
    return first.ec == std::errc() && first.ptr == text.data() + cross &&
           second.ec == std::errc() && second.ptr == end && width >= kSmallest &&
           height >= kSmallest && width <= kLargest && height <= kLargest;
}

std::string fixed4(double value)
{
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4).ptr;
    return std::string(text, end);
}

}  // namespace

void setPlotImageWriter(PlotImageWriter writer)
{
    imageWriter() = std::move(writer);
}

int runBackplot(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    BackplotSettings settings;
    std::string folder;
    std::string file;
    PlotImageRequest image;
    bool sizeGiven = false;
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
        } else if ((argument == "--png" || argument == "--svg") && i + 1 < arguments.size() &&
                   image.path.empty()) {
            image.svg = argument == "--svg";
            image.path = arguments[++i];
        } else if (argument == "--size" && i + 1 < arguments.size()) {
            if (!parseSize(arguments[++i], image.width, image.height))
                return usage(err);
            sizeGiven = true;
        } else if (!argument.empty() && argument.front() != '-' && file.empty()) {
            file = argument;
        } else {
            return usage(err);
        }
    }
    if (file.empty() || (sizeGiven && image.path.empty()))
        return usage(err);
    if (!image.path.empty() && !imageWriter()) {
        err << "quillonlt-cli: pictures cannot be drawn by this build\n";
        return 1;
    }
    StreamNotifier notifier(err);
    auto doc = std::make_unique<CLiDoc>();
    if (!doc->open(file, notifier))
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
    if (!runBackplotChain(linesOf(*doc), settings, folder, build, notifier)) {
        err << "The backplot files could not be written in " << folder << '\n';
        return 1;
    }
    // The points are all that is used from here on: the program's text goes before the
    // picture's memory comes.
    doc.reset();
    if (!image.path.empty()) {
        image.build = &build;
        image.threeD = settings.plane == 7;
        image.settings = settings;
        image.title = file;
        return imageWriter()(image, err) ? 0 : 1;
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
