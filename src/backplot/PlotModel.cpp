#include "backplot/PlotModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/TextFile.h"

namespace quillon {

namespace {

// A Find series is drawn over the tools only while there is a colour slot left for it.
constexpr std::size_t kMostSeriesBeforeFind = 15;
// Cells name their list point in 32 bits; no plot comes near that many points.
constexpr std::size_t kMostPoints = std::numeric_limits<std::uint32_t>::max();

constexpr std::array<std::string_view, 3> kAxisTitles = {"X Axis", "Y Axis", "Z Axis"};

int knownPlane(int plane)
{
    return plane == kPlaneXZ || plane == kPlaneYZ ? plane : kPlaneXY;
}

bool validSlot(int slot)
{
    return slot >= 0 && slot < static_cast<int>(kToolSlots);
}

// The margin around the drawing: the bounds pushed outwards by a tenth.
PlotRange withMargin(float low, float high, PlotKind kind)
{
    PlotRange range{low > 0 ? low * 0.9 : low * 1.1, high > 0 ? high * 1.1 : high * 0.9};
    if (kind == PlotKind::TwoD) {
        // A bound on the axis itself would have no margin at all.
        if (high == 0)
            range.max = 0.1;
        if (low == 0)
            range.min = -0.1;
    }
    return range;
}

}  // namespace

int findRequestGCode(std::string_view line)
{
    const auto g = line.find('G');
    if (g == std::string_view::npos)
        return 0;
    const int code = leadingInt32(line.substr(g + 1));
    return code == 3 ? 2 : code;
}

void PlotExtents::widen(const PlotPoint& point)
{
    const std::array<float, 3> values{point.x, point.y, point.z};
    for (const float value : values) {
        if (!std::isfinite(value))
            return;
    }
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (empty || values[axis] < min[axis])
            min[axis] = values[axis];
        if (empty || values[axis] > max[axis])
            max[axis] = values[axis];
    }
    empty = false;
}

PlotModel::PlotModel(const PlotBuild& build, PlotKind kind, const BackplotSettings& settings,
                     SlotRange shown, std::optional<FindRequest> find)
    : m_build(build),
      m_pointCount(std::min(build.points.size(), kMostPoints)),
      m_kind(kind),
      m_shown(shown),
      m_plane(knownPlane(settings.plane)),
      m_find(find)
{
    // Chart axis <- coordinate. A lathe's X is its diameter axis and goes up, Z across.
    if (kind == PlotKind::ThreeD)
        m_axes = settings.lathe ? std::array<std::size_t, 3>{2, 0, 1}
                                : std::array<std::size_t, 3>{0, 2, 1};
    else if (m_plane == kPlaneXZ)
        m_axes = settings.lathe ? std::array<std::size_t, 3>{2, 0, 1}
                                : std::array<std::size_t, 3>{0, 2, 1};
    else if (m_plane == kPlaneYZ)
        m_axes = {1, 2, 0};
    else
        m_axes = {0, 1, 2};

    // One pass over the list: the slots used, how many cells each series may get, and
    // the extents of what is shown.
    std::array<std::size_t, kToolSlots> perSlot{};
    std::size_t findCells = 0;
    int highest = -1;
    for (std::size_t i = 0; i < m_pointCount; ++i) {
        const PlotPoint& point = build.points[i];
        if (!validSlot(point.slot))
            continue;
        highest = std::max(highest, point.slot);
        ++perSlot[static_cast<std::size_t>(point.slot)];
        if (!shows(point.slot))
            continue;
        if (point.gap == 0)
            m_extents.widen(point);
        if (inFind(point.line))
            ++findCells;
    }

    const auto count = static_cast<std::size_t>(highest + 1);
    m_series.resize(count);
    for (std::size_t slot = 0; slot < count; ++slot) {
        PlotSeries& series = m_series[slot];
        series.label = build.tools[slot];
        series.slot = static_cast<int>(slot);
        series.kind = slot == 0 ? SeriesKind::Rapid : SeriesKind::Tool;
    }
    if (m_find && count > 0 && count <= kMostSeriesBeforeFind) {
        m_findSeries = count;
        PlotSeries& series = m_series.emplace_back();
        series.label = "Find";
        series.slot = static_cast<int>(count);
        series.kind = SeriesKind::Find;
    } else {
        m_find.reset();
        findCells = 0;
    }

    // Room for every shown point up front: the series of a big plot would otherwise be
    // copied over and over as they grow.
    for (std::size_t slot = 0; slot < count; ++slot) {
        if (shows(static_cast<int>(slot)))
            m_series[slot].source.reserve(perSlot[slot]);
    }
    if (m_findSeries)
        m_series[*m_findSeries].source.reserve(findCells);
}

bool PlotModel::shows(int slot) const
{
    return validSlot(slot) && m_shown.contains(slot);
}

void PlotModel::appendAll()
{
    for (std::size_t i = 0; i < m_pointCount; ++i)
        append(i);
}

bool PlotModel::append(std::size_t index)
{
    if (index >= m_pointCount)
        return false;
    const PlotPoint& point = m_build.points[index];
    if (!shows(point.slot))
        return false;
    const PlotCell cell = cellOf(point);
    if (m_last && m_last->first == point.slot && m_last->second == cell)
        return true;
    m_last = {point.slot, cell};
    const auto source = static_cast<std::uint32_t>(index);
    m_series[static_cast<std::size_t>(point.slot)].source.push_back(source);
    if (m_findSeries && inFind(point.line))
        m_series[*m_findSeries].source.push_back(source);
    return true;
}

bool PlotModel::inFind(int line) const
{
    if (!m_find)
        return false;
    // A straight move starts where the line before it ended: that point is highlighted
    // too. An arc's own points already start at its beginning.
    return line == m_find->line || (m_find->gCode != 2 && line == m_find->line - 1);
}

std::string PlotModel::mainTitle() const
{
    std::string title;
    if (m_kind == PlotKind::TwoD) {
        title = "2D back plotting / ";
        title += m_plane == kPlaneXZ ? "XZ / " : m_plane == kPlaneYZ ? "YZ / " : "XY / ";
    } else {
        title = "3D back plotting / ";
    }
    if (!m_shown.isSingle())
        title += "All tools";
    else if (validSlot(m_shown.first))
        title += m_build.tools[static_cast<std::size_t>(m_shown.first)];
    return title;
}

PlotAxisTitles PlotModel::axisTitles() const
{
    auto title = [this](std::size_t axis) { return std::string(kAxisTitles[m_axes[axis]]); };
    PlotAxisTitles titles{title(0), title(1), {}};
    if (m_kind == PlotKind::ThreeD)
        titles.depth = title(2);
    return titles;
}

std::optional<PlotAxisRanges> PlotModel::axisRanges() const
{
    if (m_extents.empty)
        return std::nullopt;
    auto range = [this](std::size_t axis) {
        const std::size_t coordinate = m_axes[axis];
        return withMargin(m_extents.min[coordinate], m_extents.max[coordinate], m_kind);
    };
    PlotAxisRanges ranges{range(0), range(1), {}};
    if (m_kind == PlotKind::ThreeD)
        ranges.depth = range(2);
    return ranges;
}

std::optional<std::size_t> PlotModel::pointAt(std::size_t series, std::size_t cell) const
{
    if (series >= m_series.size() || cell >= m_series[series].size())
        return std::nullopt;
    return m_series[series].source[cell];
}

std::optional<int> PlotModel::lineAt(std::size_t series, std::size_t cell) const
{
    const auto index = pointAt(series, cell);
    if (!index)
        return std::nullopt;
    return m_build.points[*index].line;
}

}  // namespace quillon
