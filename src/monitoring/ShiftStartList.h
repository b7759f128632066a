// The shift start list: when each machine's shift began and when its first cycle started,
// read from the hub's shift record files, for the shift that runs now or for one that the
// hub has archived, and the list saved as a CSV file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FilePrompter.h"

namespace quillon {

inline constexpr std::string_view kShiftStartTitle = "Shift start";
// What a row shows for a date or time that the file does not hold.
inline constexpr std::string_view kNoShiftDate = "00/00/0000";
inline constexpr std::string_view kNoShiftTime = "00:00:00";
inline constexpr std::string_view kShiftStartCsvHeader =
    "MACHINE NAME,SHIFT DATE,SHIFT START,CYCLE START\n";

inline constexpr std::string_view kInvalidShiftFile = "File selected is not valid";
inline constexpr std::string_view kNoMonitoredMachineList = "There is no monitored machine list";
inline constexpr std::string_view kShiftStartCsvRefusal = "File extension needs to be \"CSV\"";
inline constexpr std::string_view kNoItemsSelected = "No items are selected";
inline constexpr std::string_view kShiftStartFileOpenError = "File open error";

struct ShiftStartRow {
    std::string machine;
    std::string shiftDate;   // MM/DD/YYYY of the first record
    std::string shiftStart;  // HH:MM:SS of the first record
    std::string cycleStart;  // HH:MM:SS of the first cycle on
    bool operator==(const ShiftStartRow&) const = default;
};

// Either the rows or the text that tells why there are none.
struct ShiftStartLoad {
    std::vector<ShiftStartRow> rows;
    std::string error;
};

// The row of one machine's shift record file: its first record gives the shift's date and
// start, its first cycle on (of any form) the cycle start; what the bytes lack shows as
// zeros.
ShiftStartRow shiftStartRow(std::string machine, std::string_view bytes);

// The shift part of an archived file that the previous-shift list accepts, upper-cased
// ("_SHIFT2.MON"); empty when the name holds none. A two-station machine's files
// ("_SHIFT2_HEAD1.MON") are not accepted: the list is of whole machines.
std::string previousShiftPart(std::string_view fileName);

// The file dialog of "Start &of previous shift": the month folder of `now` below the hub.
FilePrompt previousShiftPrompt(std::string_view hubDirectory, std::int64_t now);

// "Start &of previous shift" for the archived file chosen: one row for every file in its
// folder whose name begins with the same prefix (up to and including the first "_") and
// holds the same shift part, so the files of one shift of every machine, in name order.
ShiftStartLoad previousShiftStarts(const std::string& chosenFile);

// "&Start of current shift": one row for every machine of the monitored list, in the list's
// order, from its current-shift file in the hub directory (zeros when the hub keeps none).
// monitorList: the bytes of MonList.sys, nothing when it is missing.
ShiftStartLoad currentShiftStarts(const std::optional<std::string>& monitorList,
                                  std::string_view hubDirectory);

// The save file's text: the header, then one line a row.
std::string shiftStartCsv(const std::vector<ShiftStartRow>& rows);

// "&Save": the checks of the name and the selection, then the file. Nothing when saved,
// else the text to show.
std::optional<std::string> saveShiftStarts(const std::string& path,
                                           const std::vector<ShiftStartRow>& selected);

}  // namespace quillon
