// Renumbering the block numbers of an NC program's lines, and removing them; the check
// for the lathe canned cycles G70 to G73, whose P and Q words name block numbers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class CLiDoc;
class UtilityEdit;

struct RenumberSettings {
    int start = 1;      // 0 to 10000
    int increment = 1;  // 1 to 10000
    int digits = 3;     // 1 to 6
    bool leadingZeroes = false;
    // Lines that start with these are renumbered too.
    bool letterO = false;
    bool colon = false;
    bool parenthesis = false;
    // Lines that start with this are left alone; 0: none.
    char skip = '!';
};

inline constexpr char kCannedCycleReviseText[] =
    "G70, G71, G72 or G73 canned cycle(s) detected\nPlease, revise renumbering manually!";
inline constexpr char kCannedCycleErrorText[] =
    "Error detected in G70, G71, G72 and/or G73 renumbering";
inline constexpr char kRemoveNumbersWarningTitle[] = "WARNING";
inline constexpr char kRemoveNumbersWarningText[] =
    "G70, G71, G72 or G73 canned cycle(s) detected\n\nYOU SHOULD NOT REMOVE BLOCK NUMBERS IF "
    "THOSE CANNED CYCLES ARE USED!\n\nARE YOU SURE TO CONTINUE?";

// "G7" followed by 0, 1, 2 or 3 anywhere in the line, and a "P" and a "Q" anywhere.
bool holdsCannedCycle(std::string_view line);
// Whether a line of first..last holds a canned cycle.
bool rangeHoldsCannedCycle(const CLiDoc& doc, std::size_t first, std::size_t last);

// Renumbers lines first..last through `edit`, and when canned cycles were found rewrites
// their P and Q words by the numbers given; the message to show afterwards, if any.
std::optional<std::string> renumberLines(const CLiDoc& doc, UtilityEdit& edit, std::size_t first,
                                         std::size_t last, const RenumberSettings& settings);

// Removes the block numbers of lines first..last through `edit`. Ask about canned cycles
// before (see rangeHoldsCannedCycle); once the user has said Yes to removing them anyway,
// the run is recorded for undo whatever the undo option says: `edit` is then made with
// undo for utilities on.
void removeBlockNumbers(const CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last);

}  // namespace quillon
