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

// A series' values read for the walk, one kind per projection. X may be absent (the
// point's position), Z too (0).
struct Source2D {
    const double* xs;
    const double* ys;
    double x0, sx, left, y0, sy, bottom;
    const Projection2D& projection;

    Source2D(const ChartSeries& series, const Projection2D& p)
        : xs(series.hasX() ? series.xValues().data() : nullptr),
          ys(series.yValues().data()),
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
        const double x = xs ? xs[i] : static_cast<double>(i + 1);
        const double y = ys[i];
        if (isChartNull(x) || isChartNull(y))
            return false;
        px = (x - x0) * sx + left;
        py = (y - y0) * sy + bottom;
        return true;
    }
};

struct Source3D {
    const double* xs;
    const double* ys;
    const double* zs;
    const Projection3D& projection;

    Source3D(const ChartSeries& series, const Projection3D& p)
        : xs(series.hasX() ? series.xValues().data() : nullptr),
          ys(series.yValues().data()),
          zs(series.hasZ() ? series.zValues().data() : nullptr),
          projection(p)
    {
    }
    bool at(std::size_t i, double& px, double& py) const
    {
        const double x = xs ? xs[i] : static_cast<double>(i + 1);
        const double y = ys[i];
        const double z = zs ? zs[i] : 0.0;
        if (isChartNull(x) || isChartNull(y) || isChartNull(z))
            return false;
        const Projection3D& p = projection;
        px = p.a[0] * x + p.a[1] * y + p.a[2] * z + p.a[3];
        py = p.b[0] * x + p.b[1] * y + p.b[2] * z + p.b[3];
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
    if (!series.yValues().empty())
        walk(series, Source2D(series, projection));
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
    if (!series.yValues().empty())
        walk(series, Source3D(series, projection));
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
