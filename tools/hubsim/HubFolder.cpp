#include "hubsim/HubFolder.h"

#include <filesystem>
#include <system_error>

#include "monitoring/StatusTable.h"
#include "platform/TextFile.h"

namespace quillon::hubsim {

namespace {

std::string machineFolder(const Machine& machine, const std::string& hubDirectory,
                          const char* direction)
{
    const std::filesystem::path folder = std::filesystem::path(hubDirectory) / "_NC" /
                                         ("M" + std::to_string(machine.slot.index() + 1)) /
                                         direction;
    return folder.string();
}

}  // namespace

std::vector<std::string> hubConfigurationLines(const HubModel& model,
                                               const std::string& hubDirectory)
{
    std::vector<std::string> lines;
    for (const Machine& m : model.machines()) {
        lines.push_back("NM:" + m.name);
        lines.push_back("DT:" + machineFolder(m, hubDirectory, "DOWNLOAD"));
        lines.push_back("DR:" + machineFolder(m, hubDirectory, "UPLOAD"));
    }
    return lines;
}

std::vector<std::string> monitorSetupLines(const HubModel& model)
{
    std::vector<std::string> lines;
    for (const Machine& m : model.machines()) {
        lines.push_back(std::to_string(m.slot.hub + 1) + "," + std::to_string(m.slot.port + 1));
        lines.push_back("ON:1");
        lines.push_back("TH:" + std::to_string(static_cast<int>(m.kind)));
        lines.push_back(std::string("FO:") + (m.reportsFeedOverride ? "1" : "0"));
        lines.push_back(std::string("SO:") + (m.reportsSpindleOverride ? "1" : "0"));
    }
    return lines;
}

std::vector<std::string> graphColorLines()
{
    // The displays' own colours; the names add this hub's statuses to theirs.
    const StatusTable defaults = StatusTable::defaults();
    std::vector<std::string> lines = {std::string(defaults.gradient ? "1" : "0") + "," +
                                      std::to_string(defaults.background) + "," +
                                      std::to_string(defaults.foreground)};
    for (int index = 0; index < kStatusCount; ++index)
        lines.push_back(std::to_string(defaults.colors[static_cast<std::size_t>(index)]) + "," +
                        std::string(statusName(index)));
    return lines;
}

WriteResult writeHubFolder(const HubModel& model, const std::string& hubDirectory)
{
    const std::filesystem::path root(hubDirectory);
    std::vector<std::filesystem::path> folders = {root / "_SETUP", root / "_TMP",
                                                  root / "_MONITORING", root / "_REPORTS"};
    for (const Machine& m : model.machines()) {
        folders.emplace_back(machineFolder(m, hubDirectory, "DOWNLOAD"));
        folders.emplace_back(machineFolder(m, hubDirectory, "UPLOAD"));
    }
    for (const auto& folder : folders) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            return {false, folder.string() + ": " + error.message()};
    }
    const std::pair<const char*, std::vector<std::string>> files[] = {
        {"CairnConf.sys", hubConfigurationLines(model, hubDirectory)},
        {"MonSetup.sys", monitorSetupLines(model)},
        {"GraphColor.sys", graphColorLines()},
    };
    for (const auto& [name, lines] : files) {
        const std::string path = (root / "_SETUP" / name).string();
        WriteResult result = writeLinesCrLf(path, lines);
        if (!result.ok) {
            result.error = path + ": " + result.error;
            return result;
        }
    }
    return {true, {}};
}

}  // namespace quillon::hubsim
