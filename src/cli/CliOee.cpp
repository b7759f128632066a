#include "cli/CliOee.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <string_view>

#include "monitoring/RemoteConfig.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

namespace {

OeeImageWriter& imageWriter()
{
    static OeeImageWriter writer;
    return writer;
}

int usage(std::ostream& err)
{
    err << "usage: quillonlt-cli " << kOeeUsage << '\n';
    return 2;
}

// At most four decimals, without trailing zeros: 79.99, 69.995, 480.
std::string shortDecimal(double value)
{
    // Room for the largest double written out in full.
    char text[400];
    char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4).ptr;
    if (std::string_view(text, end).find('.') != std::string_view::npos) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    std::string written(text, end);
    return written == "-0" ? "0" : written;
}

struct OeeArguments {
    std::optional<int> year;
    std::optional<std::string> machine;
    std::optional<std::string> hub;
    OeeImageRequest image;
};

std::optional<OeeArguments> parseArguments(const std::vector<std::string>& arguments)
{
    OeeArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (i + 1 >= arguments.size())
            return std::nullopt;
        const std::string& value = arguments[++i];
        if (argument == "--year" && !parsed.year) {
            parsed.year = typedYear(value);
            if (!parsed.year)
                return std::nullopt;
        } else if (argument == "--machine" && !parsed.machine) {
            parsed.machine = value;
        } else if (argument == "--hub" && !parsed.hub) {
            parsed.hub = value;
        } else if ((argument == "--png" || argument == "--svg") && parsed.image.path.empty()) {
            parsed.image.svg = argument == "--svg";
            parsed.image.path = value;
        } else {
            return std::nullopt;
        }
    }
    if (!parsed.year)
        return std::nullopt;
    return parsed;
}

}  // namespace

void setOeeImageWriter(OeeImageWriter writer)
{
    imageWriter() = std::move(writer);
}

int runOee(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    auto parsed = parseArguments(arguments);
    if (!parsed)
        return usage(err);
    if (!parsed->image.path.empty() && !imageWriter()) {
        err << "quillonlt-cli: pictures cannot be drawn by this build\n";
        return 1;
    }
    const std::string hub = parsed->hub
                                ? withTrailingHubSeparator(*parsed->hub)
                                : readRemoteConfig(WorkDir::fromEnvironment()).hubDirectory;
    if (hub.empty()) {
        err << "No hub directory: give it with --hub or in Settings > Quillon remote ("
            << kRemoteConfigFile << ")\n";
        return 1;
    }
    const OeeFileLoad load = loadOeeFile(hub, *parsed->year);
    const std::string shownName = oeeFileShownName(hub, *parsed->year);
    if (load.state == OeeFileLoad::State::Missing) {
        err << shownName << kOeeFileNotFound << '\n';
        return 1;
    }
    if (load.state == OeeFileLoad::State::Unreadable) {
        err << shownName << ": the file could not be read\n";
        return 1;
    }
    if (load.file.unreadable > 0)
        err << shownName << ": " << load.file.unreadable << " unreadable lines left out\n";
    const OeeSeries series = parsed->machine ? machineOeeSeries(load.file, *parsed->machine)
                                             : overallOeeSeries(load.file);
    if (!parsed->image.path.empty()) {
        OeeImageRequest& image = parsed->image;
        image.series = &series;
        image.year = *parsed->year;
        image.title = parsed->machine ? *parsed->machine + std::string(kMachineOeeTitleSuffix)
                                      : std::string(kOverallOeeChartTitle);
        return imageWriter()(image, err) ? 0 : 1;
    }
    for (std::size_t point = 0; point < series.size(); ++point) {
        out << shortDecimal(series.minutes[point]);
        for (const auto& values : series.values)
            out << ',' << shortDecimal(values[point]);
        out << '\n';
    }
    return 0;
}

}  // namespace quillon::cli
