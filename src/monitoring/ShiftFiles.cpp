#include "monitoring/ShiftFiles.h"

#include "monitoring/HubFiles.h"
#include "platform/LocalTime.h"

namespace quillon {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr std::string_view kArchivePrefix = "MON";

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The last component of a name written with either separator.
std::string_view lastComponent(std::string_view name)
{
    const std::size_t separator = name.find_last_of("\\/");
    return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

// "_HEAD" or "_PALLET" and the station, for a station of a two-station machine.
std::string stationPart(StationKind kind, std::optional<int> station)
{
    if (!station)
        return {};
    const std::string number = std::to_string(*station);
    switch (kind) {
    case StationKind::TwoHeads:
        return "_HEAD" + number;
    case StationKind::TwoPallets:
        return "_PALLET" + number;
    default:
        return {};
    }
}

std::string_view stationPattern(StationKind kind)
{
    switch (kind) {
    case StationKind::TwoHeads:
        return "_HEAD?";
    case StationKind::TwoPallets:
        return "_PALLET?";
    default:
        return {};
    }
}

}  // namespace

std::string currentShiftFileName(MachineSlot machine, std::optional<int> station)
{
    std::string name = "_TMP\\MonitorData";
    name += kHexDigits[static_cast<std::size_t>(machine.hub) & 0xF];
    name += std::to_string(machine.port);
    // The hub counts the stations of its file names from 0.
    if (station)
        name += *station == 2 ? '1' : '0';
    name += ".SYS_";
    return name;
}

std::optional<std::string> findCurrentShiftFile(std::string_view hubDirectory, MachineSlot machine,
                                                std::optional<int> station)
{
    return findHubFile(hubDirectory, currentShiftFileName(machine, station));
}

std::string monthFolderName(std::int64_t seconds)
{
    return std::string(kMonitoringFolder) + "\\" + formatLocal(seconds, "%Y-%m");
}

std::string archivedShiftFileName(std::int64_t shiftStart, std::string_view machineName, int shift,
                                  StationKind kind, std::optional<int> station)
{
    return std::string(kArchivePrefix) + formatLocal(shiftStart, "%d") + "_" +
           std::string(machineName) + "_SHIFT" + std::to_string(shift) +
           stationPart(kind, station) + std::string(kShiftFileExtension);
}

std::string archivedShiftFilePath(std::int64_t shiftStart, std::string_view machineName, int shift,
                                  StationKind kind, std::optional<int> station)
{
    return monthFolderName(shiftStart) + "\\" +
           archivedShiftFileName(shiftStart, machineName, shift, kind, station);
}

std::string shiftFilePattern(std::string_view machineName, StationKind kind)
{
    return std::string(kShiftFilePrefixLength, '?') + "_" + std::string(machineName) + "_SHIFT?" +
           std::string(stationPattern(kind)) + std::string(kShiftFileExtension);
}

bool matchesShiftFilePattern(std::string_view fileName, std::string_view pattern)
{
    const std::string_view name = lastComponent(fileName);
    if (name.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (pattern[i] != '?' && upper(pattern[i]) != upper(name[i]))
            return false;
    }
    return true;
}

std::optional<std::string> machineNameOfShiftFile(std::string_view fileName)
{
    const std::string_view name = lastComponent(fileName);
    const std::size_t first = name.find('_');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t second = name.find('_', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    return std::string(name.substr(first + 1, second - first - 1));
}

bool hasShiftFileExtension(std::string_view fileName)
{
    if (fileName.size() < kShiftFileExtension.size())
        return false;
    const std::string_view end = fileName.substr(fileName.size() - kShiftFileExtension.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        if (upper(end[i]) != kShiftFileExtension[i])
            return false;
    }
    return true;
}

}  // namespace quillon
