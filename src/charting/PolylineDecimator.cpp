#include "charting/PolylineDecimator.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quillon {

void PolylineDecimator::setClip(QRectF clip)
{
    m_left = clip.left();
    m_top = clip.top();
    m_right = clip.right();
    m_bottom = clip.bottom();
}

void PolylineDecimator::reset()
{
    m_out.clear();
    m_havePrev = false;
    m_prevInside = false;
    m_lineOpen = false;
    m_mode = RunMode::None;
}

void PolylineDecimator::pointSlow(double x, double y, bool inside)
{
    // A point projected beyond the range of doubles cannot be clipped: a gap.
    if (!std::isfinite(x) || !std::isfinite(y)) {
        gap();
        return;
    }
    if (!m_havePrev) {
        m_havePrev = true;
        if (inside) {
            startLine();
            add(x, y);
        }
    } else {
        double x0 = m_prevX, y0 = m_prevY, x1 = x, y1 = y;
        if (clipSegment(x0, y0, x1, y1, clip())) {
            if (!m_prevInside || !m_lineOpen) {
                // Entering the rectangle: a new line from the border.
                endLine();
                startLine();
                add(x0, y0);
            }
            add(x1, y1);
            if (!inside)
                endLine();
        } else if (m_lineOpen) {
            endLine();
        }
    }
    m_prevX = x;
    m_prevY = y;
    m_prevInside = inside;
}

void PolylineDecimator::flushRun()
{
    if (m_mode == RunMode::None)
        return;
    const bool row = m_mode == RunMode::Row;
    Extreme low = row ? m_minX : m_minY;
    Extreme high = row ? m_maxX : m_maxY;
    // Any path from the first point through both extremes to the last covers the same
    // pixels of the column (or row); the shorter one of the two orders puts less ink down
    // twice.
    const double first = row ? m_firstX : m_firstY, last = row ? m_lastX : m_lastY;
    const double lowFirst =
        std::abs(first - (row ? low.x : low.y)) + std::abs(last - (row ? high.x : high.y));
    const double highFirst =
        std::abs(first - (row ? high.x : high.y)) + std::abs(last - (row ? low.x : low.y));
    if (highFirst < lowFirst)
        std::swap(low, high);
    auto& points = m_out.points;
    auto keep = [&](double x, double y) {
        const QPointF& previous = points.back();
        if (previous.x() != x || previous.y() != y)
            points.emplace_back(x, y);
    };
    points.emplace_back(m_firstX, m_firstY);
    keep(low.x, low.y);
    keep(high.x, high.y);
    keep(m_lastX, m_lastY);
    m_mode = RunMode::None;
}

bool clipSegment(double& x0, double& y0, double& x1, double& y1, const QRectF& rect)
{
    const double dx = x1 - x0, dy = y1 - y0;
    double enter = 0, leave = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - rect.left(), rect.right() - x0, y0 - rect.top(), rect.bottom() - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > leave)
                return false;
            enter = std::max(enter, t);
        } else {
            if (t < enter)
                return false;
            leave = std::min(leave, t);
        }
    }
    const double sx = x0, sy = y0;
    // Rounding can put a border point a hair outside: clamp it in.
    x0 = std::clamp(sx + enter * dx, rect.left(), rect.right());
    y0 = std::clamp(sy + enter * dy, rect.top(), rect.bottom());
    x1 = std::clamp(sx + leave * dx, rect.left(), rect.right());
    y1 = std::clamp(sy + leave * dy, rect.top(), rect.bottom());
    return true;
}

}  // namespace quillon
