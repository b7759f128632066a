// The names and places of the hub's shift record files.
//
//   _TMP\MonitorData<hub hex><port>[<station 0|1>].SYS_       the shift that runs now
//   _MONITORING\<YYYY-MM>\<prefix>_<machine>_SHIFT<n>[_HEAD<m>|_PALLET<m>].MON   archived
//
// The five-character prefix of an archived name is the hub's choice, and readers take any;
// the hub here writes "MON" and the day of the month, so that one folder holds a whole
// month of shifts. The machine name is read back as the text between the first and the
// second "_", so a machine name with "_" in it cannot be told from its file name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"

namespace quillon {

inline constexpr int kShiftsPerDay = 3;
inline constexpr std::size_t kShiftFilePrefixLength = 5;
inline constexpr std::string_view kShiftFileExtension = ".MON";
inline constexpr std::string_view kMonitoringFolder = "_MONITORING";

// The file dialog that opens an archived file: its filter's title, and the refusal of a
// name without the extension.
inline constexpr std::string_view kShiftFileFilterTitle = "Monitoring file (.MON)";
inline constexpr std::string_view kShiftExtensionRefusal = "File extension need to be \".MON\"";

// What a current-shift window says when the hub keeps no file for the station asked for.
inline constexpr std::string_view kNoRecordStation1 = "No record exists - 1";
inline constexpr std::string_view kNoRecordStation2 = "No record exists - 2";

// The current-shift file of a machine, relative to the hub directory: station 1 or 2 for
// a machine of two stations, nothing for a single station ("_TMP\MonitorData25.SYS_",
// "_TMP\MonitorData250.SYS_" and "_TMP\MonitorData251.SYS_" for hub 2, port 5).
std::string currentShiftFileName(MachineSlot machine, std::optional<int> station);

// The path of that file below the hub directory, found whatever case the share spells it
// in; nothing when the hub keeps no such file.
std::optional<std::string> findCurrentShiftFile(std::string_view hubDirectory, MachineSlot machine,
                                                std::optional<int> station);

// "_MONITORING\YYYY-MM", the month folder of a local time.
std::string monthFolderName(std::int64_t seconds);

// The archived file's name (no folder) of a machine's shift n (1..3) that started at
// shiftStart; station 1 or 2 for a machine of two stations (heads or pallets by its kind),
// nothing for a single station. "MON12_LATHE1_SHIFT2.MON", "MON12_MILL4_SHIFT1_HEAD2.MON".
std::string archivedShiftFileName(std::int64_t shiftStart, std::string_view machineName, int shift,
                                  StationKind kind, std::optional<int> station);

// monthFolderName(shiftStart) + "\" + archivedShiftFileName(...), relative to the hub
// directory.
std::string archivedShiftFilePath(std::int64_t shiftStart, std::string_view machineName, int shift,
                                  StationKind kind, std::optional<int> station);

// The file dialog's pattern for a machine's archived files: "?????_" + name + "_SHIFT?.MON",
// "_SHIFT?_HEAD?.MON" for two heads, "_SHIFT?_PALLET?.MON" for two pallets.
std::string shiftFilePattern(std::string_view machineName, StationKind kind);

// Whether a file name (folders allowed) matches the pattern: "?" any one character, every
// other character itself with case ignored, as a Windows file dialog matches.
bool matchesShiftFilePattern(std::string_view fileName, std::string_view pattern);

// The machine of an archived file name (folders allowed): the text between the first and
// the second "_" of its last component; nothing when it lacks either.
std::optional<std::string> machineNameOfShiftFile(std::string_view fileName);

// Whether the name ends with ".MON", in any case.
bool hasShiftFileExtension(std::string_view fileName);

}  // namespace quillon
