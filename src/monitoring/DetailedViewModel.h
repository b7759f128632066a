// The detailed monitoring view without its window: one row per title and listed machine,
// each cell's texts and colours worked out here so the window only paints them. It runs
// the view's start-up exchange with the hub, builds the rows once every listed machine has
// been received, refreshes a row when its machine's record comes, and on every 1-second
// tick brings the clocks forward and blinks the alerts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/HubLink.h"
#include "monitoring/LiveColorRules.h"
#include "monitoring/MachineLists.h"
#include "monitoring/MachineRecord.h"
#include "monitoring/MonitoringStartup.h"
#include "monitoring/StatusTable.h"

namespace quillon {

inline constexpr char kDetailedViewTitle[] = "Monitoring Display/Detailed";

// Durations from this many seconds on (99 hours and a second) no longer fit "HH:MM:SS".
inline constexpr std::int64_t kDurationShownLimit = 356401;
inline constexpr std::string_view kDurationTooLong = "--:--:--";
// The part number cell has room for this many characters.
inline constexpr std::size_t kPartNumberShown = 17;
// Counts and percentages far past anything a shift can reach are held here.
inline constexpr long long kCountShownLimit = 99999999;
inline constexpr int kPercentShownLimit = 999;

enum class DetailedColumn {
    MachineName,
    Status,
    PartNumber,
    Oee,
    Count,
    LastCycle,
    CurrentCycle,
    ElapsedTime,
    FeedOverride,
    SpindleOverride,
};
inline constexpr std::size_t kDetailedColumnCount = 10;

// "HH:MM:SS"; negative durations show as none, too long ones as kDurationTooLong.
std::string durationText(std::int64_t seconds);
// A rate as the hub counts it, one decimal; anything not a number shows as 0.
std::string rateText(double rate);

struct StatusCell {
    std::string text;
    CellColors colors;
    // Two-station machine in a cycle status: two halves, "ON" green or "OFF" red.
    bool split = false;
    std::array<bool, 2> stationOn{};
    bool operator==(const StatusCell&) const = default;
};

// The current-cycle bar: a scale from `low` to `high`, filled up to `value`.
struct CycleBar {
    double low = 0;
    double high = 0;
    double value = 0;
    bool filled = false;
    std::uint32_t fill = kLiveGreen;
    std::string text;

    // How much of the bar is filled, 0..1.
    double fraction() const;
    bool operator==(const CycleBar&) const = default;
};

struct DetailedRow {
    enum class Kind { MainTitle, SubTitle, Machine };
    Kind kind = Kind::Machine;
    std::string title;  // title rows only

    MachineSlot slot;
    int stations = 1;
    std::string name;
    std::string number;  // the machine number as the shop counts it, from 1
    StatusCell status;
    std::string partNumber;
    std::string operation;
    std::string oee;  // two lines
    CellColors oeeColors;
    std::string count;
    std::string lastCycle;
    CellColors lastCycleColors;
    CycleBar currentCycle;
    std::string elapsed;
    std::array<int, 2> feedOverride{};
    int spindleOverride = 0;

    bool operator==(const DetailedRow&) const = default;
};

// Which columns are shown: the count unless the hub says it has none, the overrides when
// some machine reports them.
struct DetailedColumns {
    bool count = true;
    bool feedOverride = false;
    bool spindleOverride = false;
    bool pieces = false;  // the count column counts pieces, not cycles

    bool shown(DetailedColumn column) const;
    bool operator==(const DetailedColumns&) const = default;
};
std::string_view columnHeader(DetailedColumn column, const DetailedColumns& columns);

// What one datagram or tick changed.
struct DetailedChanges {
    // The rows or the columns were laid out anew: repaint everything.
    bool layout = false;
    std::vector<std::size_t> rows;

    bool any() const { return layout || !rows.empty(); }
};

class DetailedViewModel {
public:
    // `entries`: MonList.sys. The status table and settings are read at every refresh.
    DetailedViewModel(std::vector<ListEntry> entries, const StatusTable& statuses,
                      const MonitorViewSettings& settings, HubRequests& hub,
                      std::function<std::int64_t()> now);

    // The view was opened: the hub is asked for the start-up list.
    void start();
    DetailedChanges datagramArrived(std::string_view bytes);
    // The 1-second tick: clocks forward, alerts blink.
    DetailedChanges tick();

    bool rowsBuilt() const { return m_startup.rowsBuilt(); }
    const std::vector<DetailedRow>& rows() const { return m_rows; }
    const DetailedColumns& columns() const { return m_columns; }
    const MachineRecord& record(MachineSlot slot) const { return m_startup.record(slot); }
    // The row of a machine shown, if any.
    std::optional<std::size_t> rowOf(MachineSlot slot) const;

    // A SETUP with a new part number went out: the machine's counts start again.
    void countsRestarted(MachineSlot slot);

private:
    void buildRows();
    DetailedRow machineRow(MachineSlot slot) const;
    void refreshRow(std::size_t index, DetailedChanges& changes);
    DetailedColumns currentColumns() const;

    std::vector<ListEntry> m_entries;
    const StatusTable& m_statuses;
    const MonitorViewSettings& m_settings;
    std::function<std::int64_t()> m_now;
    MonitoringStartup m_startup;
    std::vector<DetailedRow> m_rows;
    DetailedColumns m_columns;
    bool m_blinkPhase = false;
};

// The machines a monitoring list names with a hub and port.
std::vector<MachineSlot> listedMachines(const std::vector<ListEntry>& entries);

}  // namespace quillon
