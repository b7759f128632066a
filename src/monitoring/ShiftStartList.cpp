#include "monitoring/ShiftStartList.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "monitoring/MachineLists.h"
#include "monitoring/ShiftFiles.h"
#include "monitoring/ShiftRecord.h"
#include "monitoring/ShiftViews.h"
#include "platform/LocalTime.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// The archived files of one whole machine's shift; a station's file ends otherwise.
constexpr std::array<std::string_view, kShiftsPerDay> kWholeMachineShiftParts = {
    "_SHIFT1.MON", "_SHIFT2.MON", "_SHIFT3.MON"};

std::string upperCased(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The name up to and including its first "_"; empty without one.
std::string_view prefixOf(std::string_view name)
{
    const auto underscore = name.find('_');
    return underscore == std::string_view::npos ? std::string_view{}
                                                : name.substr(0, underscore + 1);
}

bool endsWithIgnoringCase(std::string_view name, std::string_view upperEnd)
{
    return name.size() >= upperEnd.size() &&
           upperCased(name.substr(name.size() - upperEnd.size())) == upperEnd;
}

ShiftStartRow rowOfFile(std::string machine, const std::string& path)
{
    const auto bytes = readFile(path);
    // A file the hub is moving away just now reads as one without records.
    return shiftStartRow(std::move(machine),
                         bytes ? std::string_view(*bytes) : std::string_view{});
}

// The current-shift file of a listed machine. The list does not say whether the machine has
// two stations, so the single-station name is tried first and then station 1's, whose
// shift starts with the machine's.
std::optional<std::string> currentShiftFileOf(std::string_view hubDirectory, MachineSlot slot)
{
    if (auto single = findCurrentShiftFile(hubDirectory, slot, std::nullopt))
        return single;
    return findCurrentShiftFile(hubDirectory, slot, 1);
}

}  // namespace

ShiftStartRow shiftStartRow(std::string machine, std::string_view bytes)
{
    ShiftStartRow row{std::move(machine), std::string(kNoShiftDate), std::string(kNoShiftTime),
                      std::string(kNoShiftTime)};
    bool started = false;
    LineReader lines(bytes, bytes.size());
    while (const auto line = lines.next()) {
        const auto record = parseShiftRecord(*line);
        if (!record)
            continue;
        if (!started) {
            row.shiftDate = formatLocal(record->time, "%m/%d/%Y");
            row.shiftStart = formatLocal(record->time, "%H:%M:%S");
            started = true;
        }
        if (isCycleOn(record->event)) {
            row.cycleStart = formatLocal(record->time, "%H:%M:%S");
            break;
        }
    }
    return row;
}

std::string previousShiftPart(std::string_view fileName)
{
    const std::string_view name = paths::fileName(fileName);
    for (const std::string_view part : kWholeMachineShiftParts) {
        if (endsWithIgnoringCase(name, part))
            return std::string(part);
    }
    return {};
}

FilePrompt previousShiftPrompt(std::string_view hubDirectory, std::int64_t now)
{
    FilePrompt prompt = archivedShiftPrompt(hubDirectory, now);
    prompt.title = "Select one monitoring file";
    prompt.filter = "Monitoring file (*.MON)|*.MON||";
    return prompt;
}

ShiftStartLoad previousShiftStarts(const std::string& chosenFile)
{
    const std::string_view chosenName = paths::fileName(chosenFile);
    const std::string shiftPart = previousShiftPart(chosenName);
    const std::string prefix = upperCased(prefixOf(chosenName));
    if (shiftPart.empty() || !machineNameOfShiftFile(chosenName))
        return {{}, std::string(kInvalidShiftFile)};

    std::string folder(paths::directoryOf(chosenFile));
    if (folder.empty())
        folder = ".";
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (upperCased(prefixOf(name)) == prefix && endsWithIgnoringCase(name, shiftPart) &&
            machineNameOfShiftFile(name))
            names.push_back(std::move(name));
    }
    // The folder as the dialog showed it: by name.
    std::ranges::sort(names);

    ShiftStartLoad load;
    for (const std::string& name : names)
        load.rows.push_back(rowOfFile(*machineNameOfShiftFile(name), paths::join(folder, name)));
    return load;
}

ShiftStartLoad currentShiftStarts(const std::optional<std::string>& monitorList,
                                  std::string_view hubDirectory)
{
    if (!monitorList)
        return {{}, std::string(kNoMonitoredMachineList)};
    ShiftStartLoad load;
    for (const ListEntry& entry : parseMonitorList(*monitorList)) {
        if (entry.kind != ListEntryKind::Machine)
            continue;
        const auto file =
            entry.slot ? currentShiftFileOf(hubDirectory, *entry.slot) : std::nullopt;
        load.rows.push_back(file ? rowOfFile(entry.text, *file) : shiftStartRow(entry.text, {}));
    }
    if (load.rows.empty())
        load.error = kNoMonitoredMachineList;
    return load;
}

std::string shiftStartCsv(const std::vector<ShiftStartRow>& rows)
{
    std::string text(kShiftStartCsvHeader);
    for (const ShiftStartRow& row : rows)
        text +=
            row.machine + ',' + row.shiftDate + ',' + row.shiftStart + ',' + row.cycleStart + '\n';
    return text;
}

std::optional<std::string> saveShiftStarts(const std::string& path,
                                           const std::vector<ShiftStartRow>& selected)
{
    if (!paths::hasExtension(path, "CSV"))
        return std::string(kShiftStartCsvRefusal);
    if (selected.empty())
        return std::string(kNoItemsSelected);
    if (!replaceFileAtomically(path, shiftStartCsv(selected)).ok)
        return std::string(kShiftStartFileOpenError);
    return std::nullopt;
}

}  // namespace quillon
