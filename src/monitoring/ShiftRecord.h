// The hub's shift record files: one line per event of a machine's shift,
//
//   MM/DD/YY,HH:MM:SS,EVENT[,more fields]      (or MM/DD/YYYY; local time)
//
// where EVENT is a word of the hub ("_CON", "_COFF", "_CYCOUNT", "_PARTNO:...", ...) or
// the text of a status ("LOADING", "ALARM", a status the hub defines). Lines that are no
// record (headers, blank lines) are skipped by every reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

enum class ShiftEvent {
    ShiftStart,         // _SH_START
    ShiftEnd,           // _SH_END
    CycleOn,            // _CON
    CycleOnSpindle,     // _CON,SPINDLE_ON
    CycleOnShaded,      // _CON:<letter><feed>[,<spindle>,<scale>]
    CycleOff,           // _COFF
    NoOstler,           // _COFF,NO Ostler: the machine's module could not be reached
    Setup,              // _SETUP
    CycleCount,         // _CYCOUNT,<cycles>,<min rate>,<max rate>
    PartNumber,         // _PARTNO:<part>[,min,max][;pieces]
    Operator,           // _OPERATOR:<name>
    Employee,           // _EMPLOYEE:<name>
    OperationSequence,  // _OPSEQ:<text>
    Status,             // any other text: a status
};

// The three forms of a cycle on.
constexpr bool isCycleOn(ShiftEvent event)
{
    return event == ShiftEvent::CycleOn || event == ShiftEvent::CycleOnSpindle ||
           event == ShiftEvent::CycleOnShaded;
}

// Shades of a cycle run at less than full speed: 0 (C) .. 15 (R).
inline constexpr int kLastShade = 15;

struct ShiftRecord {
    std::int64_t time = 0;  // seconds since 1970
    ShiftEvent event = ShiftEvent::Status;
    // The status text, or what follows the word of _PARTNO:, _OPERATOR:, _EMPLOYEE: and
    // _OPSEQ: up to the next comma.
    std::string_view text;
    // The fields after the event's, as written (empty when none).
    std::string_view rest;
    // A status reported with the spindle running ("<status>,SPINDLE_ON").
    bool spindleOn = false;
    // _CON: the shade, and the overrides in percent (-1 when not given).
    int shade = -1;
    int feedOverride = -1;
    int spindleOverride = -1;
    // _CYCOUNT: cycles since the previous count, and the permitted rates (cycles a minute).
    long cycles = 0;
    long minRate = 0;
    long maxRate = 0;
};

// What a "_PARTNO:" record brings besides its part number: part ["," minimum "," maximum]
// ... [";" pieces], and "_MIN_ONLY" anywhere. A limit is a field that begins with a number,
// read as a typed limit is (its first 15 characters); "_MIN_ONLY" or an empty field is none.
struct PartRecordFields {
    std::optional<std::int64_t> minimum;
    std::optional<std::int64_t> maximum;
    std::optional<std::int64_t> pieces;  // as written
    bool minimumOnly = false;
};
PartRecordFields partRecordFields(const ShiftRecord& record);

// Seconds at or below this are no time: a line that gives one is no record.
inline constexpr std::int64_t kLatestNoRecordTime = 1000;

// The time of a record line, or 0 when the line is no record: the first comma must stand at
// position 8 (MM/DD/YY, the year 2000 + YY) or 10 (MM/DD/YYYY), the time HH:MM:SS follow
// it, the date and time exist on the calendar and lie after 1970 and before 2101.
std::int64_t recordTime(std::string_view line);

// A record line read whole; nothing for a line that is no record. Text fields view the line.
std::optional<ShiftRecord> parseShiftRecord(std::string_view line);

// "MM/DD/YY,HH:MM:SS," + event, in local time, as the hub writes a record (no line end).
std::string shiftRecordLine(std::int64_t seconds, std::string_view event);

}  // namespace quillon
