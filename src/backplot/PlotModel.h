// What a plot window hands to its chart: the plot points sorted into one series per colour
// slot, with titles, axis ranges and the way back from a chart point to its program line.
//
// The chart is ragged: a series holds only the cells put into it, and the chart draws
// nothing past a series' end. A plot of a mold program runs to millions of points, so no
// series is padded to the length of the longest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backplot/BackplotFiles.h"
#include "backplot/PathBuilder.h"

namespace quillon {

enum class PlotKind : std::uint8_t { TwoD, ThreeD };

// The view planes of the 2D window, as the axis masks the interpreter takes.
inline constexpr int kPlaneXY = 3;
inline constexpr int kPlaneXZ = 5;
inline constexpr int kPlaneYZ = 6;

// The chart draws nothing for a cell with this value: a gap in a series' line.
inline constexpr float kNullValue = -9999.0f;

// The slots a build shows: first <= slot < end.
struct SlotRange {
    int first = 0;
    int end = static_cast<int>(kToolSlots);

    // Every tool, and the rapid moves when they are shown.
    static SlotRange allTools(bool showRapids)
    {
        return {showRapids ? 0 : 1, static_cast<int>(kToolSlots)};
    }
    // One series alone (its legend entry was clicked).
    static SlotRange single(int slot) { return {slot, slot + 1}; }

    bool contains(int slot) const { return slot >= first && slot < end; }
    bool isSingle() const { return end - first == 1; }
    bool operator==(const SlotRange&) const = default;
};

// A program line to highlight: the editor's caret line when the user asked for Find.
struct FindRequest {
    int line = 0;   // zero-based editor line
    int gCode = 0;  // the G code of that line (see findRequestGCode)
};

// The G code the editor hands over with a Find: the number after the line's first "G",
// 0 when there is none, and G03 counted as G02 (an arc is highlighted alone, without the
// line before it).
int findRequestGCode(std::string_view line);

enum class SeriesKind : std::uint8_t {
    Rapid,  // slot 0, the G00 moves
    Tool,
    Find,  // the highlighted line, drawn over the others
};

// The drawn values of a point, in the chart's order: X and Y in 2D (depth 0); X, Y (up)
// and Z (depth) in 3D. A gap point's are all kNullValue.
struct PlotCell {
    float horizontal = 0;
    float vertical = 0;
    float depth = 0;
    bool operator==(const PlotCell&) const = default;
};

// A series names the plot points it draws, nothing more: the values are read from the
// build's list as they are drawn (PlotModel::cellAt), so that a plot of millions of points
// holds them once.
struct PlotSeries {
    std::string label;  // "G00", "T..." or "Find"
    int slot = 0;       // the colour of PColors.sys the series is drawn in
    SeriesKind kind = SeriesKind::Tool;
    // The index in the plot point list of each cell.
    std::vector<std::uint32_t> source;

    std::size_t size() const { return source.size(); }
};

struct PlotRange {
    double min = 0;
    double max = 0;
    bool operator==(const PlotRange&) const = default;
};

// The chart's axes: horizontal, vertical and (3D) depth.
struct PlotAxisRanges {
    PlotRange horizontal;
    PlotRange vertical;
    PlotRange depth;
    bool operator==(const PlotAxisRanges&) const = default;
};

struct PlotAxisTitles {
    std::string horizontal;
    std::string vertical;
    std::string depth;  // 3D only
};

// The smallest and largest X, Y and Z of the shown points (gap points left out).
struct PlotExtents {
    std::array<float, 3> min{};
    std::array<float, 3> max{};
    bool empty = true;

    void widen(const PlotPoint& point);
};

// The chart data of one build. It refers to the build's point list, which must outlive it
// and stay unchanged; a new chain run or a changed setting makes a new model.
class PlotModel {
public:
    // Sets the series up without cells: the number of series is the highest slot used plus
    // one, and a Find series follows when there is room for it (at most 15 series before
    // it; else the request is dropped). With no points there is no series at all.
    // settings: the plane (2D), Mill/Lathe and Show G00; shown: the slots to put in.
    PlotModel(const PlotBuild& build, PlotKind kind, const BackplotSettings& settings,
              SlotRange shown, std::optional<FindRequest> find = std::nullopt);

    // Puts every point in, in order: the plot drawn at once.
    void appendAll();
    // Puts one list point in: left out when its slot is not shown or it repeats the last
    // point put in (same slot, same drawn values); a gap point is a null cell. A point of
    // the Find line also goes into the Find series. False when its slot is not shown.
    bool append(std::size_t index);

    const PlotBuild& build() const { return m_build; }
    std::size_t pointCount() const { return m_pointCount; }
    // Whether points of the slot are put in.
    bool shows(int slot) const;
    PlotKind kind() const { return m_kind; }
    SlotRange shown() const { return m_shown; }

    const std::vector<PlotSeries>& series() const { return m_series; }
    bool empty() const { return m_series.empty(); }
    // The index of the Find series, when there is one.
    std::optional<std::size_t> findSeries() const { return m_findSeries; }

    // "2D back plotting / XY / All tools", "3D back plotting / T5" and so on.
    std::string mainTitle() const;
    PlotAxisTitles axisTitles() const;
    // Of every shown point, whether put in yet or not: stepping keeps the scale it ends
    // with.
    const PlotExtents& extents() const { return m_extents; }
    // The extents with a margin: a maximum times 1.1 when positive and 0.9 otherwise, a
    // minimum times 0.9 when positive and 1.1 otherwise; in 2D a bound of exactly 0 becomes
    // 0.1 (maximum) or -0.1 (minimum). Nothing when no point is shown.
    std::optional<PlotAxisRanges> axisRanges() const;

    // The drawn values of a list point.
    PlotCell cellOf(const PlotPoint& point) const
    {
        if (point.gap != 0)
            return {kNullValue, kNullValue, kNullValue};
        const std::array<float, 3> values{point.x, point.y, point.z};
        return {values[m_axes[0]], values[m_axes[1]],
                m_kind == PlotKind::ThreeD ? values[m_axes[2]] : 0.0f};
    }
    // A cell's values (series and cell as the chart counts them; the cell must exist).
    PlotCell cellAt(std::size_t series, std::size_t cell) const
    {
        return cellOf(m_build.points[m_series[series].source[cell]]);
    }
    // The list point a chart cell came from (series and cell as the chart counts them).
    std::optional<std::size_t> pointAt(std::size_t series, std::size_t cell) const;
    // The zero-based program line of that point.
    std::optional<int> lineAt(std::size_t series, std::size_t cell) const;

private:
    bool inFind(int line) const;

    const PlotBuild& m_build;
    std::size_t m_pointCount = 0;
    PlotKind m_kind;
    SlotRange m_shown;
    // Chart axis -> point coordinate (0 X, 1 Y, 2 Z), for horizontal, vertical, depth.
    std::array<std::size_t, 3> m_axes{};
    int m_plane = kPlaneXY;
    std::optional<FindRequest> m_find;
    std::optional<std::size_t> m_findSeries;
    std::vector<PlotSeries> m_series;
    PlotExtents m_extents;
    // The last point put in, to leave out repeats.
    std::optional<std::pair<int, PlotCell>> m_last;
};

}  // namespace quillon
