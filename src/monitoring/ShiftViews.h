// What the shift commands settle before a window opens: which stations of a two-station
// machine are shown and how, the windows' titles, the file dialog for an archived shift,
// and the numbers that name each window's files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"
#include "platform/FilePrompter.h"

namespace quillon {

inline constexpr std::string_view kTooManyGraphs = "Too many graphs are open";
inline constexpr std::string_view kTooManyPies = "Too many pie charts are open";
inline constexpr std::string_view kShiftGraphTitle = "Detailed Shift Graph";
// The second window of "Both/Separate graphs" tells itself apart from the first.
inline constexpr std::string_view kSecondShiftGraphTitle = "Detailed Shift Graph-2";

// Each open graph keeps a temporary copy and each graph and pie a place file named by its
// number, so the count of open windows is bounded by the numbers there are.
inline constexpr int kMaxShiftGraphs = 4;
inline constexpr int kMaxShiftPies = 4;

// The answers of "Display Heads/Pallets".
enum class StationChoice { First, Second, Merged, Separate };

// The question's answer, kept while "Don't ask again (*)" holds. The flag lives in the
// application's settings, which "Other options" clears.
struct HeadsPalletsAnswer {
    StationChoice choice = StationChoice::First;
    bool dontAskAgain = false;
};

// One window to open for the current shift of a machine.
struct CurrentShiftWindow {
    // Relative to the hub directory: one file, or the two stations' files to merge.
    std::vector<std::string> files;
    std::string title;
    // 1 or 2 for one station of a two-station machine, 0 otherwise; names the missing file.
    int station = 0;
};

// "Detailed Shift Graph" + " HEAD"/" PALLET" + " 1", " 2" or " 1&2" (station 3) for a
// two-station machine; the plain title for a single station.
std::string shiftGraphTitle(StationKind kind, int station, bool secondWindow = false);

// The windows the choice opens; a single station ignores the choice.
std::vector<CurrentShiftWindow> currentShiftWindows(MachineSlot slot, StationKind kind,
                                                    StationChoice choice);

// The files of the windows that the hub does not hold; the first one's text is shown.
std::optional<std::string_view> missingCurrentShiftFile(std::string_view hubDirectory,
                                                        const CurrentShiftWindow& window);

// The file dialog of "View &Graph" and "View &Piechart": it starts in the month folder of
// `now` (local time) below the hub directory and offers the monitoring files.
FilePrompt archivedShiftPrompt(std::string_view hubDirectory, std::int64_t now);

// "ViewDetail<n>.SYS" and "ViewDetailPie<n>.SYS": the places of the graph and the pie
// windows of that number.
std::string graphPlaceName(int number);
std::string piePlaceName(int number);

// Hands out the lowest free window number 1..capacity.
class WindowNumbers {
public:
    explicit WindowNumbers(int capacity) : m_taken(static_cast<std::size_t>(capacity), false) {}
    std::optional<int> take();
    void release(int number);
    int taken() const;

private:
    std::vector<bool> m_taken;
};

}  // namespace quillon
