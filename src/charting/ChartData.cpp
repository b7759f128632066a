#include "charting/ChartData.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace quillon {

namespace {

std::uint64_t nextSeriesId()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

void padTo(std::vector<double>& values, std::size_t size)
{
    if (!values.empty() && values.size() < size)
        values.resize(size, kChartNull);
}

}  // namespace

void PointBox::add(const PointBox& other)
{
    if (other.empty)
        return;
    add(other.min[0], other.min[1], other.min[2]);
    add(other.max[0], other.max[1], other.max[2]);
}

ChartSeries::ChartSeries() : m_id(nextSeriesId()) {}

void ChartSeries::grow(std::size_t size)
{
    if (size <= m_size)
        return;
    m_size = size;
    m_y.resize(size, kChartNull);
    if (m_hasX)
        m_x.resize(size, kChartNull);
    if (m_hasZ)
        m_z.resize(size, kChartNull);
}

void ChartSeries::touch(std::size_t point)
{
    ++m_revision;
    m_finalRuns = std::min(m_finalRuns, point > 0 ? (point - 1) / kRunLength : 0);
}

void ChartSeries::show(std::unique_ptr<const SeriesPoints> points)
{
    clear();
    // The own values' memory goes too: showing a store is how a big plot saves it.
    m_x = {};
    m_y = {};
    m_z = {};
    m_shown = std::move(points);
}

void ChartSeries::stopShowing()
{
    if (m_shown)
        clear();
}

void ChartSeries::setValue(Axis axis, std::size_t point, double value)
{
    stopShowing();
    const std::size_t oldSize = m_size;
    grow(point + 1);
    if (axis == Axis::X && !m_hasX) {
        // From now on X is stored; the points so far keep the positions they had.
        m_hasX = true;
        m_x.resize(m_size);
        for (std::size_t i = 0; i < m_size; ++i)
            m_x[i] = static_cast<double>(i + 1);
    } else if (axis == Axis::Z && !m_hasZ) {
        m_hasZ = true;
        m_z.assign(m_size, 0.0);
    }
    std::vector<double>& values = axis == Axis::X ? m_x : (axis == Axis::Y ? m_y : m_z);
    values[point] = value;
    if (point < oldSize)
        touch(point);
}

void ChartSeries::append(double x, double y)
{
    stopShowing();
    // X stays absent while the points sit at their positions: category data needs none.
    if (!m_hasX && x != static_cast<double>(m_size + 1)) {
        m_hasX = true;
        m_x.resize(m_size);
        for (std::size_t i = 0; i < m_size; ++i)
            m_x[i] = static_cast<double>(i + 1);
    }
    ++m_size;
    m_y.push_back(y);
    if (m_hasX)
        m_x.push_back(x);
    if (m_hasZ)
        m_z.push_back(0.0);
}

void ChartSeries::append(double x, double y, double z)
{
    stopShowing();
    if (!m_hasZ && z != 0.0) {
        m_hasZ = true;
        m_z.assign(m_size, 0.0);
    }
    append(x, y);
    if (m_hasZ)
        m_z.back() = z;
}

void ChartSeries::appendGap()
{
    stopShowing();
    ++m_size;
    m_y.push_back(kChartNull);
    if (m_hasX)
        m_x.push_back(kChartNull);
    if (m_hasZ)
        m_z.push_back(kChartNull);
}

void ChartSeries::assign(std::vector<double> x, std::vector<double> y, std::vector<double> z)
{
    stopShowing();
    m_size = std::max({x.size(), y.size(), z.size()});
    m_hasX = !x.empty();
    m_hasZ = !z.empty();
    m_x = std::move(x);
    m_y = std::move(y);
    m_z = std::move(z);
    padTo(m_x, m_size);
    m_y.resize(m_size, kChartNull);
    padTo(m_z, m_size);
    ++m_revision;
    m_finalRuns = 0;
}

void ChartSeries::clear()
{
    m_x.clear();
    m_y.clear();
    m_z.clear();
    m_hasX = m_hasZ = false;
    m_size = 0;
    ++m_revision;
    m_finalRuns = 0;
    m_runBoxes.clear();
    m_shown.reset();
}

void ChartSeries::reserve(std::size_t points)
{
    // X too while still absent: the first append of a real X value stores it.
    m_y.reserve(points);
    m_x.reserve(points);
    if (m_hasZ)
        m_z.reserve(points);
}

const std::vector<PointBox>& ChartSeries::runBoxes() const
{
    const std::size_t size = this->size();
    const std::size_t runs = (size + kRunLength - 1) / kRunLength;
    m_runBoxes.resize(runs);
    for (std::size_t run = std::min(m_finalRuns, runs); run < runs; ++run) {
        PointBox box;
        const std::size_t last = std::min((run + 1) * kRunLength, size - 1);
        for (std::size_t i = run * kRunLength; i <= last; ++i) {
            const ChartPoint p = point(i);
            if (!isChartNull(p.x) && !isChartNull(p.y) && !isChartNull(p.z))
                box.add(p.x, p.y, p.z);
        }
        m_runBoxes[run] = box;
    }
    // Run k is final once the first point of run k + 1 exists.
    m_finalRuns = size > 0 ? (size - 1) / kRunLength : 0;
    return m_runBoxes;
}

PointBox ChartSeries::extent() const
{
    PointBox all;
    for (const PointBox& box : runBoxes())
        all.add(box);
    return all;
}

ChartData::ChartData(ChartKind kind) : m_kind(kind) {}

ChartSeries& ChartData::addSeries(const QString& label, const QColor& color)
{
    m_series.push_back(std::make_unique<ChartSeries>());
    m_series.back()->label = label;
    m_series.back()->color = color;
    return *m_series.back();
}

void ChartData::setSeriesCount(int count)
{
    const auto wanted = static_cast<std::size_t>(std::max(count, 0));
    while (m_series.size() < wanted)
        m_series.push_back(std::make_unique<ChartSeries>());
    m_series.resize(wanted);
}

void ChartData::removeSeries(int index)
{
    if (index >= 0 && index < seriesCount())
        m_series.erase(m_series.begin() + index);
}

std::size_t ChartData::maxPointCount() const
{
    std::size_t most = 0;
    for (const auto& series : m_series)
        most = std::max(most, series->size());
    return most;
}

QColor ChartData::seriesColor(int index) const
{
    if (index >= 0 && index < seriesCount() && series(index).color.isValid())
        return series(index).color;
    return paletteColor(index);
}

QColor ChartData::pointColor(int index) const
{
    if (index >= 0 && static_cast<std::size_t>(index) < pointColors.size() &&
        pointColors[static_cast<std::size_t>(index)].isValid())
        return pointColors[static_cast<std::size_t>(index)];
    return paletteColor(index);
}

void ChartData::setAxisRange(Axis axis, double min, double max)
{
    // A range that is not a number cannot be drawn: the data decides again.
    if (!std::isfinite(min) || !std::isfinite(max)) {
        clearAxisRange(axis);
        return;
    }
    m_range[int(axis)] = normalisedRange(min, max);
}

std::optional<AxisRange> ChartData::dataExtent(Axis axis) const
{
    PointBox all;
    for (const auto& series : m_series)
        all.add(series->extent());
    if (all.empty)
        return std::nullopt;
    return AxisRange{all.min[int(axis)], all.max[int(axis)]};
}

QColor paletteColor(int index)
{
    static const QColor kColors[] = {
        QColor(0x4E, 0x79, 0xA7), QColor(0xF2, 0x8E, 0x2B), QColor(0xE1, 0x57, 0x59),
        QColor(0x76, 0xB7, 0xB2), QColor(0x59, 0xA1, 0x4F), QColor(0xED, 0xC9, 0x48),
        QColor(0xB0, 0x7A, 0xA1), QColor(0xFF, 0x9D, 0xA7), QColor(0x9C, 0x75, 0x5F),
        QColor(0x8C, 0x86, 0x82),
    };
    constexpr int kCount = static_cast<int>(std::size(kColors));
    const int at = ((index % kCount) + kCount) % kCount;
    const int round = (index < 0 ? 0 : index / kCount) % 3;
    // Later rounds of the palette are darker, then lighter, so that neighbours differ.
    return round == 0 ? kColors[at]
                      : (round == 1 ? kColors[at].darker(140) : kColors[at].lighter(130));
}

AxisRange normalisedRange(double min, double max)
{
    if (max < min)
        std::swap(min, max);
    if (max - min <= std::max(std::abs(min), std::abs(max)) * 1e-12) {
        const double half = min == 0 ? 0.5 : std::abs(min) * 0.05;
        return {min - half, max + half};
    }
    return {min, max};
}

}  // namespace quillon
