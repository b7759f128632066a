#include "monitoring/MachineLists.h"

#include <algorithm>
#include <filesystem>

#include "app/ErrorLog.h"
#include "monitoring/HubSetup.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

// The range of the timeline refresh and of the rotation times. A file edited by hand or
// written by an older version is brought back into it whenever the settings are read or
// written, so the views never see a value outside it.
constexpr int kMinRefresh = 5;
constexpr int kMaxRefresh = 120;
constexpr int kMinRotation = 10;
constexpr int kMaxRotation = 300;

// The error log has no machine for list troubles: hub and port -2 show as -1.
constexpr int kNoMachine = -2;

std::string_view beforeFirst(std::string_view text, std::string_view stops)
{
    return text.substr(0, text.find_first_of(stops));
}

int clampedInt(long long value, int low, int high)
{
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

int limitedRotation(long long seconds)
{
    return seconds < kMinRotation ? 0 : clampedInt(seconds, kMinRotation, kMaxRotation);
}

// The hub and port a machine line gives, as read (not range-checked).
struct LinePlace {
    long long hub = 0;
    long long port = 0;
};

std::optional<LinePlace> placeOf(std::string_view line)
{
    const auto fields = splitAtCommas(line);
    if (fields.size() < 3)
        return std::nullopt;
    return LinePlace{leadingInteger(fields[1]), leadingInteger(fields[2])};
}

std::string machineLine(std::string_view name, MachineSlot slot)
{
    return std::string(name) + "," + std::to_string(slot.hub) + "," + std::to_string(slot.port) +
           "\r\n";
}

std::string formatEntries(const std::vector<std::string>& items,
                          const HubConfiguration& configuration, const MonitorSetup& setup)
{
    std::string bytes;
    for (const auto& item : items) {
        const auto text = beforeFirst(beforeFirst(item, "\r\n"), ",");
        if (text.empty())
            continue;
        const auto configured = configuration.slotOf(text);
        const auto placed = configured ? setup.headerSlot(*configured) : std::nullopt;
        bytes += placed ? machineLine(text, *placed) : std::string(text) + "\r\n";
    }
    return bytes;
}

}  // namespace

std::string ListEntry::itemText() const
{
    switch (kind) {
    case ListEntryKind::MainTitle:
        return std::string(kMainTitleMarker) + text;
    case ListEntryKind::SubTitle:
        return std::string(kSubTitleMarker) + text;
    case ListEntryKind::Machine:
        break;
    }
    return text;
}

MonitorViewSettings MonitorViewSettings::limited() const
{
    MonitorViewSettings result = *this;
    result.refreshSeconds = clampedInt(refreshSeconds, kMinRefresh, kMaxRefresh);
    result.detailedRotation = limitedRotation(detailedRotation);
    result.graphRotation = limitedRotation(graphRotation);
    result.timelineRotation = limitedRotation(timelineRotation);
    return result;
}

std::optional<ListEntry> parseListEntry(std::string_view line)
{
    const auto head = beforeFirst(beforeFirst(line, "\n"), ",");
    if (head.empty())
        return std::nullopt;
    if (head.starts_with(kMainTitleMarker))
        return ListEntry{ListEntryKind::MainTitle,
                         std::string(head.substr(kMainTitleMarker.size())), std::nullopt};
    if (head.starts_with(kSubTitleMarker))
        return ListEntry{ListEntryKind::SubTitle, std::string(head.substr(kSubTitleMarker.size())),
                         std::nullopt};
    ListEntry entry{ListEntryKind::Machine, std::string(head), std::nullopt};
    if (const auto place = placeOf(line))
        entry.slot = MachineSlot::checked(place->hub, place->port);
    return entry;
}

std::vector<ListEntry> parseMonitorList(std::string_view bytes)
{
    std::vector<ListEntry> entries;
    LineReader reader(bytes);
    while (const auto line = reader.next()) {
        if (auto entry = parseListEntry(*line))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

TimelineList parseTimelineList(std::string_view bytes)
{
    TimelineList list;
    LineReader reader(bytes);
    while (const auto line = reader.next()) {
        if (line->starts_with(kSettingsMarker)) {
            list.settings = parseViewSettings(*line);
            break;
        }
        if (auto entry = parseListEntry(*line))
            list.entries.push_back(std::move(*entry));
    }
    return list;
}

MonitorViewSettings parseViewSettings(std::string_view settingsLine)
{
    MonitorViewSettings settings;
    if (!settingsLine.starts_with(kSettingsMarker))
        return settings;
    const auto fields = splitAtCommas(settingsLine.substr(kSettingsMarker.size()));
    int* const numbers[] = {&settings.refreshSeconds, &settings.detailedRotation,
                            &settings.graphRotation, &settings.timelineRotation};
    for (std::size_t n = 0; n < std::size(numbers) && n < fields.size(); ++n)
        *numbers[n] = clampedInt(leadingInteger(fields[n]), -kMaxRotation - 1, kMaxRotation + 1);
    if (fields.size() > 4)
        settings.pieces = fields[4].starts_with("1");
    return settings.limited();
}

std::vector<std::string> parseRemoteMachineList(std::string_view bytes)
{
    std::vector<std::string> names;
    LineReader reader(bytes);
    while (names.size() < kRemoteMachineListLimit) {
        const auto line = reader.next();
        if (!line)
            break;
        if (!line->empty())
            names.emplace_back(*line);
    }
    return names;
}

std::vector<ListEntry> shownEntries(const std::vector<ListEntry>& entries)
{
    std::vector<ListEntry> shown;
    int mainTitles = 0;
    int subTitles = 0;
    for (const auto& entry : entries) {
        if (entry.kind == ListEntryKind::MainTitle && ++mainTitles > kShownTitlesPerKind)
            continue;
        if (entry.kind == ListEntryKind::SubTitle && ++subTitles > kShownTitlesPerKind)
            continue;
        shown.push_back(entry);
    }
    return shown;
}

std::vector<ListEntry> readMonitorList(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kMonitorListFile));
    return bytes ? parseMonitorList(*bytes) : std::vector<ListEntry>{};
}

TimelineList readTimelineList(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.file(kTimelineListFile));
    return bytes ? parseTimelineList(*bytes) : TimelineList{};
}

std::vector<std::string> readRemoteMachineList(const WorkDir& workDir)
{
    const auto bytes = readFile(workDir.tmpFile(kRemoteMachineListFile));
    return bytes ? parseRemoteMachineList(*bytes) : std::vector<std::string>{};
}

std::string formatViewSettings(const MonitorViewSettings& settings)
{
    const auto limited = settings.limited();
    return std::string(kSettingsMarker) + std::to_string(limited.refreshSeconds) + "," +
           std::to_string(limited.detailedRotation) + "," + std::to_string(limited.graphRotation) +
           "," + std::to_string(limited.timelineRotation) + "," + (limited.pieces ? "1" : "0") +
           "\r\n";
}

std::string formatMonitorList(const std::vector<std::string>& items,
                              const HubConfiguration& configuration, const MonitorSetup& setup)
{
    return formatEntries(items, configuration, setup);
}

std::string formatTimelineList(const std::vector<std::string>& items,
                               const MonitorViewSettings& settings,
                               const HubConfiguration& configuration, const MonitorSetup& setup)
{
    return formatEntries(items, configuration, setup) + formatViewSettings(settings);
}

WriteResult writeMonitorList(const WorkDir& workDir, const std::vector<std::string>& items,
                             const HubConfiguration& configuration, const MonitorSetup& setup)
{
    return replaceFileAtomically(workDir.file(kMonitorListFile),
                                 formatMonitorList(items, configuration, setup));
}

WriteResult writeTimelineList(const WorkDir& workDir, const std::vector<std::string>& items,
                              const MonitorViewSettings& settings,
                              const HubConfiguration& configuration, const MonitorSetup& setup)
{
    return replaceFileAtomically(workDir.file(kTimelineListFile),
                                 formatTimelineList(items, settings, configuration, setup));
}

std::string formatRemoteMachineList(const std::vector<std::string>& names)
{
    std::string bytes;
    for (const auto& name : names) {
        const auto line = beforeFirst(name, "\r\n");
        if (!line.empty())
            bytes.append(line).push_back('\n');
    }
    return bytes;
}

WriteResult writeRemoteMachineList(const WorkDir& workDir, const std::vector<std::string>& names)
{
    return replaceFileAtomically(workDir.tmpFile(kRemoteMachineListFile),
                                 formatRemoteMachineList(names));
}

// ---------------------------------------------------------------------------------------
// Start-up reconcile
// ---------------------------------------------------------------------------------------

namespace {

// The error-log texts of one list.
struct ReconcileTexts {
    std::string_view missing;
    std::string_view listOpenError;
    std::string_view configurationOpenError;
    std::string_view backupWriteError;
};

constexpr ReconcileTexts kMonitorListTexts = {
    "No Monitorlist file",
    "Monitorlist open error",
    "Machine list open error",
    "Backup file write open error",
};

constexpr ReconcileTexts kTimelineListTexts = {
    "No Monitorlist2 file",
    "Monitorlist2 open error",
    "Machine list2 open error",
    "Backup file2 write open error",
};

// A machine line with a hub and port is out of date when the hub no longer names the
// machine or names it in another slot.
bool isOutOfDate(std::string_view line, const HubConfiguration& configuration)
{
    const auto entry = parseListEntry(line);
    const auto place = placeOf(line);
    if (!entry || entry->kind != ListEntryKind::Machine || !place)
        return false;
    const auto configured = configuration.slotOf(entry->text);
    return !configured || configured->hub != place->hub || configured->port != place->port;
}

// The list as the hub now places its machines: titles cut at their first comma, known
// machines with their slot, the rest dropped.
std::string reconciledEntries(const std::vector<std::string_view>& lines,
                              const HubConfiguration& configuration)
{
    std::string bytes;
    for (const auto line : lines) {
        const auto entry = parseListEntry(line);
        if (!entry)
            continue;
        if (entry->kind != ListEntryKind::Machine) {
            bytes += entry->itemText() + "\r\n";
            continue;
        }
        if (const auto configured = configuration.slotOf(entry->text))
            bytes += machineLine(entry->text, *configured);
    }
    return bytes;
}

class ListReconciler {
public:
    ListReconciler(const WorkDir& workDir, const Clock& clock,
                   const std::optional<HubConfiguration>& configuration,
                   std::vector<std::string>* failures)
        : m_workDir(workDir), m_clock(clock), m_configuration(configuration), m_failures(failures)
    {
    }

    // Reconciles one list; withSettings for MonList2.sys, whose settings it fills.
    void run(std::string_view fileName, const ReconcileTexts& texts,
             MonitorViewSettings* withSettings)
    {
        const std::string path = m_workDir.file(fileName);
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            log(texts.missing);
            return;
        }
        const auto bytes = readFile(path);
        if (!bytes) {
            log(texts.listOpenError);
            return;
        }
        std::vector<std::string_view> lines;
        LineReader reader(*bytes);
        while (const auto line = reader.next()) {
            if (withSettings && line->starts_with(kSettingsMarker)) {
                *withSettings = parseViewSettings(*line);
                break;
            }
            lines.push_back(*line);
        }
        if (!m_configuration) {
            log(texts.configurationOpenError);
            return;
        }
        // A CairnConf.sys without any machine is a hub caught mid-write, not a hub that
        // dropped every machine: the list waits for the next start.
        if (m_configuration->machines().empty())
            return;
        const bool outOfDate = std::any_of(lines.begin(), lines.end(), [this](auto line) {
            return isOutOfDate(line, *m_configuration);
        });
        if (!outOfDate)
            return;
        std::string rewritten = reconciledEntries(lines, *m_configuration);
        if (withSettings)
            rewritten += formatViewSettings(*withSettings);
        replace(fileName, rewritten, texts);
    }

private:
    // The new list goes to Backup.$$$ and is renamed over the list, so that a crash or a
    // full disk leaves either the old list or the new one, never a part of either.
    void replace(std::string_view fileName, std::string_view bytes, const ReconcileTexts& texts)
    {
        AtomicFileWriter writer(m_workDir.file(fileName), m_workDir.file(kListBackupFile));
        const bool written = writer.write(bytes);
        if (written && writer.commit())
            return;
        log(written ? texts.listOpenError : texts.backupWriteError);
        if (m_failures)
            m_failures->push_back(std::string(fileName) + ": " + writer.error());
    }

    void log(std::string_view text)
    {
        appendErrorLog(m_workDir, m_clock, text, kNoMachine, kNoMachine);
    }

    const WorkDir& m_workDir;
    const Clock& m_clock;
    const std::optional<HubConfiguration>& m_configuration;
    std::vector<std::string>* m_failures;
};

}  // namespace

MonitorViewSettings reconcileMachineLists(const WorkDir& workDir, std::string_view hubDirectory,
                                          const Clock& clock, std::vector<std::string>* failures)
{
    const auto configuration = readHubConfiguration(hubDirectory);
    ListReconciler reconciler(workDir, clock, configuration, failures);
    MonitorViewSettings settings;
    reconciler.run(kMonitorListFile, kMonitorListTexts, nullptr);
    reconciler.run(kTimelineListFile, kTimelineListTexts, &settings);
    return settings;
}

}  // namespace quillon
