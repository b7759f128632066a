// The timeline view without its window: for each machine of MonList2.sys (32 at most) a
// header line of its figures and the bar of the shift that runs now, read from its
// current-shift file(s); which machines to read again at each refresh; and mtpos.sys, the
// window's place (left, right, top, bottom, "1" when maximized, the scroll position).
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/GraphViewModel.h"
#include "monitoring/MachineLists.h"
#include "monitoring/MachineRecord.h"
#include "monitoring/MachineSlot.h"
#include "monitoring/ShiftGraph.h"
#include "platform/AtomicFile.h"
#include "platform/WindowRectFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kTimelinePlaceFile = "mtpos.sys";
inline constexpr std::size_t kTimelineRowLimit = 32;
// Segments as long as this or longer are not labelled: a clock that jumped, not a state.
inline constexpr std::int64_t kLongestLabelledSegment = 86'400;

// The OEE box of a machine: green at or above the hub's high mark, red (white text) below
// its low mark, orange between; two stations go by the weaker one.
struct OeeBand {
    std::uint32_t fill = 0;  // 0x00BBGGRR
    std::uint32_t text = 0;
};
OeeBand oeeBand(const MachineRecord& record);

// The header line around its OEE box: `lead` ends with " [%] ", the box follows, then
// `tail` (operation and cycle times).
struct TimelineHeader {
    std::string lead;
    OeeBand band;
    std::string tail;
};
TimelineHeader timelineHeader(const MachineRecord& record, std::optional<int> shift, bool pieces);

// The shift of the day a shift starting at this local time is: 1 from 06:00, 2 from 14:00,
// 3 from 22:00 (the shop's usual three eight-hour shifts).
int shiftNumberOf(std::int64_t shiftStart);

// A segment's length: "0:ss", "m:ss" or "h:mm:ss"; empty for 0 and for a day or more.
std::string segmentLength(std::int64_t seconds);
// The text over a segment: "F:n %" when the feed override is known, then "S:n %" or,
// without a spindle override, a rated run's "n/min". Empty when it has neither.
std::string segmentOverrides(const ShiftInterval& interval);

// "8 Tue Dec 2026" and "9:05:07 AM": day and hour without a leading zero.
std::string timelineDate(std::int64_t seconds);
std::string timelineTime(std::int64_t seconds);

// The rows: the first kTimelineRowLimit machine lines that place their machine.
struct TimelineMachine {
    MachineSlot slot;
    std::string name;
};
std::vector<TimelineMachine> timelineMachines(const std::vector<ListEntry>& entries);

// The bar of a machine's running shift: one file, or the two station files merged.
ShiftGraph loadTimelineBar(std::string_view hubDirectory, MachineSlot slot, bool twoStations,
                           const StatusTable& table, std::int64_t now);

// Which machines to read again: those with an "_UPDATE:" since the last reload, every
// refresh period, while the refresh is on.
class TimelineReloads {
public:
    explicit TimelineReloads(int refreshSeconds);

    void updated(MachineSlot slot) { m_updated.set(static_cast<std::size_t>(slot.index())); }
    // One second passed: the machines due now, in slot order (none between periods, or
    // while stopped).
    std::vector<MachineSlot> tick();
    void setRunning(bool running) { m_running = running; }
    bool running() const { return m_running; }

private:
    int m_period;
    int m_elapsed = 0;
    bool m_running = true;
    std::bitset<kMachineSlots> m_updated;
};

struct TimelinePlace {
    std::optional<WindowRect> window;
    bool maximized = false;
    int scroll = 0;
    bool operator==(const TimelinePlace&) const = default;
};
TimelinePlace parseTimelinePlace(std::string_view bytes);
std::string formatTimelinePlace(const TimelinePlace& place);
TimelinePlace readTimelinePlace(const WorkDir& workDir);
WriteResult writeTimelinePlace(const WorkDir& workDir, const TimelinePlace& place);

}  // namespace quillon
