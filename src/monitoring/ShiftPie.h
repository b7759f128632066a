// The detailed shift pie: the minutes a shift spent in each state, per part number, read
// from one of the hub's shift record files.
//
// A state lasts from its record to the next record. Only the hours and minutes of the two
// times count, the way the shop reads a shift sheet:
//
//   23:50 -> 00:10   later hour smaller: crossed midnight, 20 - 1430 + 1440 = 20 minutes
//   13:00 -> 01:30   crossed midnight too, but 750 minutes: no shift lasts that long,
//                    so the interval is dropped (the record still starts the next one)
//   10:30 -> 10:10   records out of order: 0 minutes
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The pie's colours and legend have room for this many named part numbers, and one more
// slot for the records that come before the first part number.
inline constexpr std::size_t kPieNamedPartNumbers = 16;
// States kept per part number; the minutes of any further state are left out.
inline constexpr std::size_t kPieStatesPerPart = 18;
// A midnight crossing longer than this is taken as a gap in the records, not as time.
inline constexpr int kPieLongestNightMinutes = 660;

inline constexpr char kTooManyPartNumbers[] = "Too many part numbers";
inline constexpr char kPieReadError[] = " file read open error";

struct PieSlice {
    std::string partNumber;  // empty: the records before the first "_PARTNO:"
    // The state the minutes were spent in: "_CON" (every form of cycle on but the one
    // with the spindle), "_CON,SPINDLE_ON", "_COFF", "NO Ostler", "_SETUP" or a status text.
    std::string state;
    std::int64_t minutes = 0;
};

struct ShiftPie {
    // One slice per pair that has minutes, in the order the pairs first came up.
    std::vector<PieSlice> slices;
    // "A0001 MILL1 SHIFT1 05/12/16": the file's name without folder and extension, "_" as
    // blanks, then the date of the first record as written (nothing when there is none).
    std::string title;
};

struct ShiftPieLoad {
    std::optional<ShiftPie> pie;
    std::string error;  // the message to show when there is no pie
};

// The pie of a file's bytes; `fileName` (with or without folder) gives the title.
ShiftPieLoad loadShiftPie(std::string_view bytes, std::string_view fileName);

// The same, read from a file; one that cannot be read gives path + " file read open error".
ShiftPieLoad readShiftPie(const std::string& path);

}  // namespace quillon
