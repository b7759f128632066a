#include "hubsim/HubFolder.h"

#include <filesystem>
#include <system_error>

#include "monitoring/StatusTable.h"
#include "platform/TextFile.h"

namespace quillon::hubsim {

namespace {

// Short programs of the kind a shop sends and fetches, CR LF as a control's files are.
constexpr std::string_view kSamplePrograms[][2] = {
    {"O1001.NC",
     "%\r\nO1001 (FACE 100 X 80)\r\nG90 G54 G17 G40 G80\r\nT1 M6\r\n"
     "S1200 M3\r\nG0 X-60. Y0\r\nG43 Z5. H1\r\nG1 Z0 F300\r\n"
     "X60. F800\r\nG0 Z50.\r\nM30\r\n%\r\n"},
    {"O1002.NC",
     "%\r\nO1002 (DRILL 4 HOLES)\r\nG90 G54 G17 G40 G80\r\nT2 M6\r\n"
     "S2000 M3\r\nG43 Z50. H2\r\nG81 X20. Y20. Z-12. R2. F150\r\n"
     "X-20.\r\nY-20.\r\nX20.\r\nG80 G0 Z50.\r\nM30\r\n%\r\n"},
};
constexpr std::string_view kMachineProgram[2] = {
    "O9001.NC",
    "%\r\nO9001 (PROVEN AT THE MACHINE)\r\nG90 G54\r\nT3 M6\r\nS900 M3\r\n"
    "G0 X0 Y0\r\nG43 Z5. H3\r\nG1 Z-2. F100\r\nG0 Z50.\r\nM30\r\n%\r\n"};

WriteResult writeSampleUnlessPresent(const std::filesystem::path& folder,
                                     const std::string_view (&sample)[2])
{
    const std::filesystem::path path = folder / sample[0];
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error)))
        return {true, {}};
    WriteResult result = replaceFileAtomically(path.string(), sample[1]);
    if (!result.ok)
        result.error = path.string() + ": " + result.error;
    return result;
}

}  // namespace

std::string machineFolder(int slotIndex, const std::string& hubDirectory, MachineFolder which)
{
    static constexpr const char* kNames[] = {"DOWNLOAD", "UPLOAD", "MACHINE"};
    const std::filesystem::path folder = std::filesystem::absolute(hubDirectory) / "_NC" /
                                         ("M" + std::to_string(slotIndex + 1)) /
                                         kNames[static_cast<int>(which)];
    return folder.lexically_normal().string();
}

std::vector<std::string> hubConfigurationLines(const HubModel& model,
                                               const std::string& hubDirectory)
{
    std::vector<std::string> lines;
    for (const Machine& m : model.machines()) {
        lines.push_back("NM:" + m.name);
        lines.push_back("DT:" +
                        machineFolder(m.slot.index(), hubDirectory, MachineFolder::Download));
        lines.push_back("DR:" +
                        machineFolder(m.slot.index(), hubDirectory, MachineFolder::Upload));
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
    for (const Machine& m : model.machines())
        for (const MachineFolder which :
             {MachineFolder::Download, MachineFolder::Upload, MachineFolder::Memory})
            folders.emplace_back(machineFolder(m.slot.index(), hubDirectory, which));
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
    for (const Machine& m : model.machines()) {
        const int slot = m.slot.index();
        for (const auto& sample : kSamplePrograms) {
            const WriteResult result = writeSampleUnlessPresent(
                machineFolder(slot, hubDirectory, MachineFolder::Download), sample);
            if (!result.ok)
                return result;
        }
        const WriteResult result = writeSampleUnlessPresent(
            machineFolder(slot, hubDirectory, MachineFolder::Memory), kMachineProgram);
        if (!result.ok)
            return result;
    }
    return {true, {}};
}

}  // namespace quillon::hubsim
