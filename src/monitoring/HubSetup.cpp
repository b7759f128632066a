#include "monitoring/HubSetup.h"

#include <algorithm>

#include "monitoring/HubFiles.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// "NM:", "DT:", "ON:": every key of the hub's files is two letters and a colon.
constexpr std::size_t kKeyLength = 3;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A block header: the hub and port counted from 1, "3,5" for hub 2, port 4. Nothing when
// the line is no header; a header outside the hub's range gives a block without a slot.
std::optional<std::optional<MachineSlot>> blockHeader(std::string_view line)
{
    const auto comma = line.find(',');
    if (line.empty() || !isDigit(line.front()) || comma == std::string_view::npos ||
        comma + 1 >= line.size() || !isDigit(line[comma + 1]))
        return std::nullopt;
    return MachineSlot::checked(leadingInteger(line) - 1,
                                leadingInteger(line.substr(comma + 1)) - 1);
}

}  // namespace

HubConfiguration HubConfiguration::parse(std::string_view bytes)
{
    HubConfiguration configuration;
    auto& machines = configuration.m_machines;
    // Past the last slot the lines are skipped, DT: and DR: included, so that they cannot
    // land on the last machine.
    bool inCountedSlot = false;
    // The hub takes a machine's first DT: and DR: lines; later ones are not its folders.
    bool downloadSeen = false;
    bool uploadSeen = false;
    LineReader reader(bytes);
    while (const auto line = reader.next()) {
        if (line->starts_with("NM:")) {
            inCountedSlot = machines.size() < kMachineSlots;
            downloadSeen = uploadSeen = false;
            if (inCountedSlot)
                machines.push_back({std::string(line->substr(kKeyLength)), {}, {}});
        } else if (inCountedSlot && !downloadSeen && line->starts_with("DT:")) {
            machines.back().downloadDirectory = line->substr(kKeyLength);
            downloadSeen = true;
        } else if (inCountedSlot && !uploadSeen && line->starts_with("DR:")) {
            machines.back().uploadDirectory = line->substr(kKeyLength);
            uploadSeen = true;
        }
    }
    return configuration;
}

const HubMachine* HubConfiguration::machine(MachineSlot slot) const
{
    const auto index = static_cast<std::size_t>(slot.index());
    return index < m_machines.size() ? &m_machines[index] : nullptr;
}

std::string_view HubConfiguration::nameOf(MachineSlot slot) const
{
    const auto* found = machine(slot);
    return found ? std::string_view(found->name) : std::string_view{};
}

std::optional<MachineSlot> HubConfiguration::slotOf(std::string_view name) const
{
    if (name.empty())
        return std::nullopt;
    const auto found = std::find_if(m_machines.begin(), m_machines.end(),
                                    [name](const HubMachine& m) { return m.name == name; });
    if (found == m_machines.end())
        return std::nullopt;
    return MachineSlot::ofIndex(static_cast<int>(found - m_machines.begin()));
}

MonitorSetup MonitorSetup::parse(std::string_view bytes)
{
    MonitorSetup setup;
    auto& blocks = setup.m_blocks;
    // Lines before the first header, and the blocks past the last slot, belong to no slot.
    bool inBlock = false;
    bool onSeen = false;
    LineReader reader(bytes);
    while (const auto line = reader.next()) {
        if (const auto header = blockHeader(*line)) {
            inBlock = blocks.size() < kMachineSlots;
            onSeen = false;
            if (inBlock)
                blocks.push_back({*header, false, std::nullopt});
            continue;
        }
        if (!inBlock)
            continue;
        auto& block = blocks.back();
        if (line->starts_with("ON:") && !onSeen) {
            onSeen = true;
            block.monitored = line->size() > kKeyLength && (*line)[kKeyLength] == '1';
        } else if (line->starts_with("TH:") && !block.stationKind) {
            block.stationKind =
                stationKindOfDigit(line->size() > kKeyLength ? (*line)[kKeyLength] : '\0');
        }
    }
    return setup;
}

bool MonitorSetup::isMonitored(MachineSlot slot) const
{
    const auto index = static_cast<std::size_t>(slot.index());
    return index < m_blocks.size() && m_blocks[index].monitored;
}

std::optional<StationKind> MonitorSetup::stationKind(MachineSlot slot) const
{
    const auto index = static_cast<std::size_t>(slot.index());
    return index < m_blocks.size() ? m_blocks[index].stationKind : std::nullopt;
}

std::optional<MachineSlot> MonitorSetup::headerSlot(MachineSlot slot) const
{
    const auto index = static_cast<std::size_t>(slot.index());
    return index < m_blocks.size() ? m_blocks[index].slot : std::nullopt;
}

std::optional<HubConfiguration> readHubConfiguration(std::string_view hubDirectory)
{
    const auto bytes = readHubFile(hubDirectory, kHubConfigurationFile);
    if (!bytes)
        return std::nullopt;
    return HubConfiguration::parse(*bytes);
}

std::optional<MonitorSetup> readMonitorSetup(std::string_view hubDirectory)
{
    const auto bytes = readHubFile(hubDirectory, kMonitorSetupFile);
    if (!bytes)
        return std::nullopt;
    return MonitorSetup::parse(*bytes);
}

std::vector<std::string> monitoredMachineNames(const HubConfiguration& configuration,
                                               const MonitorSetup& setup)
{
    std::vector<std::string> names;
    for (int index = 0; index < kMachineSlots; ++index) {
        const auto slot = MachineSlot::ofIndex(index);
        const auto name = configuration.nameOf(slot);
        if (name.empty() || !setup.isMonitored(slot))
            continue;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
    }
    return names;
}

}  // namespace quillon
