// The program's own lists of the machines the monitoring views show, in the working
// directory:
//
//   MonList.sys             the detailed and graph views: one entry a line
//   MonList2.sys            the timeline view: the same entry lines, then the settings
//   _TMP/RemoteMchList.sys  the machines offered for remote requests, one name a line
//
// An entry line is a machine "name,hub,port" (hub and port from 0, decimal; the name
// alone when the hub does not place it), a main title "_MT_text" or a sub title
// "_ST_text". The settings line of MonList2.sys is "::::refresh,detailed,graph,timeline,
// pieces" and ends the entries.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineSlot.h"
#include "platform/AtomicFile.h"

namespace quillon {

class Clock;
class HubConfiguration;
class MonitorSetup;
class WorkDir;

inline constexpr std::string_view kMonitorListFile = "MonList.sys";
inline constexpr std::string_view kTimelineListFile = "MonList2.sys";
inline constexpr std::string_view kRemoteMachineListFile = "RemoteMchList.sys";
// Both lists are rebuilt here and then renamed over the list.
inline constexpr std::string_view kListBackupFile = "Backup.$$$";

inline constexpr std::string_view kMainTitleMarker = "_MT_";
inline constexpr std::string_view kSubTitleMarker = "_ST_";
inline constexpr std::string_view kSettingsMarker = "::::";

// The views have room for this many rows of each title kind.
inline constexpr int kShownTitlesPerKind = 10;
// The remote request dialog's list holds one machine fewer than the hub addresses.
inline constexpr std::size_t kRemoteMachineListLimit = 127;

// Texts of the "Monitoring list" dialog.
inline constexpr std::string_view kNoListMachineSelected = "No machine(s) selected";
inline constexpr std::string_view kPiecesWarningTitle = "Warning";
inline constexpr std::string_view kPiecesWarning =
    "The system counts cycles only. Are you sure you want to display 'Pieces' instead";

enum class ListEntryKind { Machine, MainTitle, SubTitle };

struct ListEntry {
    ListEntryKind kind = ListEntryKind::Machine;
    // The machine's name, or the title without its marker.
    std::string text;
    // Where the list places the machine, when its line gives a hub and port in range.
    std::optional<MachineSlot> slot;

    // The entry as the "Monitoring list" dialog holds it: the name, or marker + title.
    std::string itemText() const;
};

// The view settings kept on the settings line of MonList2.sys.
struct MonitorViewSettings {
    static constexpr int kDefaultRefresh = 10;

    int refreshSeconds = kDefaultRefresh;
    // Seconds each view stays up in the rotation; 0 leaves the view out of it.
    int detailedRotation = 0;
    int graphRotation = 0;
    int timelineRotation = 0;
    // Counts are shown as pieces instead of cycles.
    bool pieces = false;

    bool rotationOn() const
    {
        return detailedRotation != 0 || graphRotation != 0 || timelineRotation != 0;
    }
    // Refresh 5..120; a rotation below 10 is 0, above 300 is 300.
    MonitorViewSettings limited() const;
    bool operator==(const MonitorViewSettings&) const = default;
};

struct TimelineList {
    std::vector<ListEntry> entries;
    MonitorViewSettings settings;
};

// One entry line: cut at its first comma, then a title marker at its start makes it a
// title; anything else is a machine. Nothing for an empty line.
std::optional<ListEntry> parseListEntry(std::string_view line);

// The entries of a MonList.sys; the entries and settings of a MonList2.sys (defaults
// when it has no settings line).
std::vector<ListEntry> parseMonitorList(std::string_view bytes);
TimelineList parseTimelineList(std::string_view bytes);
MonitorViewSettings parseViewSettings(std::string_view settingsLine);
// The names of RemoteMchList.sys, at most kRemoteMachineListLimit, empty lines skipped.
std::vector<std::string> parseRemoteMachineList(std::string_view bytes);

// The entries as a view shows them: titles past the tenth of their kind are left out.
std::vector<ListEntry> shownEntries(const std::vector<ListEntry>& entries);

// Missing files read as empty lists (and default settings).
std::vector<ListEntry> readMonitorList(const WorkDir& workDir);
TimelineList readTimelineList(const WorkDir& workDir);
std::vector<std::string> readRemoteMachineList(const WorkDir& workDir);

// The list file for the dialog's items: an item whose text up to its first comma is a
// configured name whose block header places it is written "name,hub,port", anything else
// as that text alone. Line ends inside an item are cut away, so an item is one line.
std::string formatMonitorList(const std::vector<std::string>& items,
                              const HubConfiguration& configuration, const MonitorSetup& setup);
// The same, followed by the settings line, limited, as "n,n,n,n,1".
std::string formatTimelineList(const std::vector<std::string>& items,
                               const MonitorViewSettings& settings,
                               const HubConfiguration& configuration, const MonitorSetup& setup);
std::string formatViewSettings(const MonitorViewSettings& settings);

// Writes both lists, each replaced atomically.
WriteResult writeMonitorList(const WorkDir& workDir, const std::vector<std::string>& items,
                             const HubConfiguration& configuration, const MonitorSetup& setup);
WriteResult writeTimelineList(const WorkDir& workDir, const std::vector<std::string>& items,
                              const MonitorViewSettings& settings,
                              const HubConfiguration& configuration, const MonitorSetup& setup);

// RemoteMchList.sys: each name and a line feed. A line end inside a name cuts it there, so
// that a name stays one line.
std::string formatRemoteMachineList(const std::vector<std::string>& names);
// Replaced atomically, like the other lists.
WriteResult writeRemoteMachineList(const WorkDir& workDir, const std::vector<std::string>& names);

// Brings both lists in line with the hub's CairnConf.sys once at start-up: a machine the
// hub moved to another slot gets its new hub and port, one the hub no longer names is
// dropped, title rows stay (cut at their first comma). A list is rewritten only when one
// of its machine lines is out of date, and then replaced as a whole, never in place.
// Troubles go to the error log. A list that could not be rewritten is also named in
// *failures (when given) with the system's reason, for a caller that can show it: the log
// itself may be on the disk that refused the list. Gives the settings of MonList2.sys
// (defaults without it).
MonitorViewSettings reconcileMachineLists(const WorkDir& workDir, std::string_view hubDirectory,
                                          const Clock& clock,
                                          std::vector<std::string>* failures = nullptr);

}  // namespace quillon
