// The last pass of the backplot: records to plot points, sorted into colour slots.
//
// Slot 0 holds the rapid moves; every tool the program calls gets a slot of its own, in
// the order the tools are first met, up to sixteen. A plot point that starts a gap breaks
// its slot's polyline: where the tool changes slot, the last point is repeated as a gap
// and once more in the new slot, so each slot's line starts where the tool is.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backplot/BackplotFiles.h"

namespace quillon {

class Notifier;

struct PlotPoint {
    std::int32_t line = 0;  // zero-based editor line
    std::int32_t gap = 0;   // 1: breaks the polyline of its slot
    std::int32_t slot = 0;  // 0 to 16
    float x = 0, y = 0, z = 0;
    bool operator==(const PlotPoint&) const = default;
};
static_assert(sizeof(PlotPoint) == 24);

inline constexpr std::size_t kToolSlots = 17;
inline constexpr std::string_view kTooManyTools = "Too many tools";

// The series labels: "G00" for slot 0, "T" and the tool number for the others, empty
// where no tool came.
using ToolSlotTable = std::array<std::string, kToolSlots>;

struct PlotBuild {
    std::vector<PlotPoint> points;
    ToolSlotTable tools;
};

// Builds the points record by record, as a reader of the records hands them on.
class PlotPathBuilder {
public:
    // The tool table is cleared; points are appended.
    PlotPathBuilder(const BackplotSettings& settings, PlotBuild& build, Notifier& notifier);
    ~PlotPathBuilder();
    PlotPathBuilder(const PlotPathBuilder&) = delete;
    PlotPathBuilder& operator=(const PlotPathBuilder&) = delete;
    // False once the build has stopped (a seventeenth tool); later records are not taken.
    bool record(std::string_view line);
    // The same for a record already cut into its index and its text after the comma...
    bool textRecord(int index, std::string_view text);
    // ...or as a pass made it.
    bool madeRecord(const MadeRecord& record);

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// Reads the records of `path` ($BackPlotFile1.TXT) into `build` (points appended; the
// tool table cleared first). False when the file cannot be opened. A seventeenth tool
// stops the build with kTooManyTools, keeping the points made before it.
bool buildPlotPath(const std::string& path, const BackplotSettings& settings, PlotBuild& build,
                   Notifier& notifier);

}  // namespace quillon
