#include "charting/SeriesGeometry.h"

#include <algorithm>

namespace quillon {

namespace {

// Screen boxes compared with their edges included: a run of points on one vertical line
// has a box of no width and must still count as touching the plot.
bool touches(const QRectF& box, const QRectF& clip)
{
    return box.right() >= clip.left() && box.left() <= clip.right() &&
           box.bottom() >= clip.top() && box.top() <= clip.bottom();
}

bool within(const QRectF& box, const QRectF& clip)
{
    return box.left() >= clip.left() && box.right() <= clip.right() && box.top() >= clip.top() &&
           box.bottom() <= clip.bottom();
}

// Where a walk reads a series' values: its own vectors (X may be absent: the point's
// position; Z too: 0) or the store it shows.
struct StoredValues {
    const double* xs;
    const double* ys;
    const double* zs;

    explicit StoredValues(const ChartSeries& series)
        : xs(series.hasX() ? series.xValues().data() : nullptr),
          ys(series.yValues().data()),
          zs(series.hasZ() ? series.zValues().data() : nullptr)
    {
    }
    ChartPoint at(std::size_t i) const
    {
        return {xs ? xs[i] : static_cast<double>(i + 1), ys[i], zs ? zs[i] : 0.0};
    }
};

struct ShownValues {
    const SeriesPoints& points;
    ChartPoint at(std::size_t i) const { return points.at(i); }
};

// Calls walk with the series' values read the way they are held.
template <typename Walk>
void withValues(const ChartSeries& series, const Walk& walk)
{
    if (const SeriesPoints* shown = series.shown())
        walk(ShownValues{*shown});
    else if (!series.yValues().empty())
        walk(StoredValues(series));
}

// A series' values read for the walk, one kind per projection.
template <typename Values>
struct Source2D {
    Values values;
    double x0, sx, left, y0, sy, bottom;
    const Projection2D& projection;

    Source2D(const Values& values, const Projection2D& p)
        : values(values),
          x0(p.visibleX().min),
          sx(p.scaleX()),
          left(p.plot().left()),
          y0(p.visibleY().min),
          sy(p.scaleY()),
          bottom(p.plot().bottom()),
          projection(p)
    {
    }
    bool at(std::size_t i, double& px, double& py) const
    {
        const ChartPoint point = values.at(i);
        if (isChartNull(point.x) || isChartNull(point.y))
            return false;
        px = (point.x - x0) * sx + left;
        py = (point.y - y0) * sy + bottom;
        return true;
    }
};

template <typename Values>
struct Source3D {
    Values values;
    const Projection3D& projection;

    Source3D(const Values& values, const Projection3D& p) : values(values), projection(p) {}
    bool at(std::size_t i, double& px, double& py) const
    {
        const ChartPoint point = values.at(i);
        if (isChartNull(point.x) || isChartNull(point.y) || isChartNull(point.z))
            return false;
        const Projection3D& p = projection;
        px = p.a[0] * point.x + p.a[1] * point.y + p.a[2] * point.z + p.a[3];
        py = p.b[0] * point.x + p.b[1] * point.y + p.b[2] * point.z + p.b[3];
        return true;
    }
};

}  // namespace

QRectF screenBox(const PointBox& b, const Projection2D& p)
{
    // The same arithmetic as the walk's, so that a point never lands outside its box.
    const double x0 = p.visibleX().min, sx = p.scaleX(), left = p.plot().left();
    const double y0 = p.visibleY().min, sy = p.scaleY(), bottom = p.plot().bottom();
    const double l = (b.min[0] - x0) * sx + left, r = (b.max[0] - x0) * sx + left;
    const double t = (b.max[1] - y0) * sy + bottom, u = (b.min[1] - y0) * sy + bottom;
    return QRectF(QPointF(l, t), QPointF(r, u));
}

QRectF screenBox(const PointBox& b, const Projection3D& p)
{
    double left = 0, right = 0, top = 0, bottom = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const QPointF s = p.map(corner & 1 ? b.max[0] : b.min[0], corner & 2 ? b.max[1] : b.min[1],
                                corner & 4 ? b.max[2] : b.min[2]);
        if (corner == 0 || s.x() < left)
            left = s.x();
        if (corner == 0 || s.x() > right)
            right = s.x();
        if (corner == 0 || s.y() < top)
            top = s.y();
        if (corner == 0 || s.y() > bottom)
            bottom = s.y();
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool SeriesGeometry::restartNeeded(const ChartSeries& series, QRectF clip) const
{
    return m_seriesId != series.id() || m_revision != series.revision() || m_clip != clip ||
           m_next > series.size();
}

void SeriesGeometry::restart(const ChartSeries& series, QRectF clip)
{
    m_seriesId = series.id();
    m_revision = series.revision();
    m_clip = clip;
    m_next = 0;
    m_decimator.reset();
    m_decimator.setClip(clip);
    // A series whose points lie pixels apart keeps them all: room for that many up front,
    // where growing would hold the old copy and a twice as big new one at once. Room not
    // written to costs no memory.
    m_decimator.output().points.reserve(series.size());
    m_projection2D.reset();
    m_projection3D.reset();
}

const Polylines& SeriesGeometry::update(const ChartSeries& series, const Projection2D& projection,
                                        QRectF clip)
{
    if (restartNeeded(series, clip) || m_projection2D != projection) {
        restart(series, clip);
        m_projection2D = projection;
    }
    m_walked = 0;
    withValues(series, [&](const auto& values) { walk(series, Source2D(values, projection)); });
    m_decimator.flush();
    return m_decimator.output();
}

const Polylines& SeriesGeometry::update(const ChartSeries& series, const Projection3D& projection,
                                        QRectF clip)
{
    if (restartNeeded(series, clip) || m_projection3D != projection) {
        restart(series, clip);
        m_projection3D = projection;
    }
    m_walked = 0;
    withValues(series, [&](const auto& values) { walk(series, Source3D(values, projection)); });
    m_decimator.flush();
    return m_decimator.output();
}

// Run k of the series holds the segments that start in it: from point k*L to point
// (k+1)*L, the first point of the next run included, and its box holds them all. A run
// whose box misses the clip rectangle is passed over whole; one whose box lies inside it
// is walked without clipping.
template <typename Source>
void SeriesGeometry::walk(const ChartSeries& series, const Source& source)
{
    const std::size_t size = series.size();
    if (m_next >= size)
        return;
    constexpr std::size_t kRun = ChartSeries::kRunLength;
    const std::vector<PointBox>& boxes = series.runBoxes();
    const QRectF clip = m_decimator.clip();
    double px = 0, py = 0;
    for (std::size_t run = m_next == 0 ? 0 : (m_next - 1) / kRun; run * kRun < size; ++run) {
        const std::size_t first = run * kRun;
        const std::size_t last = std::min(first + kRun, size - 1);
        std::size_t from = std::max(m_next, first);
        if (from > last)
            continue;
        const PointBox& box = boxes[run];
        const QRectF screen = box.empty ? QRectF() : screenBox(box, source.projection);
        if (box.empty || !touches(screen, clip)) {
            m_decimator.gap();
            m_next = last + 1;
            continue;
        }
        // The segment into `from` starts at the point before it, which is in this run.
        if (!m_decimator.hasPrevious() && from > first)
            --from;
        if (within(screen, clip)) {
            for (std::size_t i = from; i <= last; ++i) {
                if (source.at(i, px, py))
                    m_decimator.insidePoint(px, py);
                else
                    m_decimator.gap();
            }
        } else {
            for (std::size_t i = from; i <= last; ++i) {
                if (source.at(i, px, py))
                    m_decimator.point(px, py);
                else
                    m_decimator.gap();
            }
        }
        m_walked += last + 1 - from;
        m_next = last + 1;
    }
}

}  // namespace quillon
