// Turns a stream of points in pixels into the few polylines that draw the same pixels:
// clipped to a rectangle, broken at gaps, and reduced per pixel column (or row) to the
// points that carry its extremes.
#pragma once

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <vector>

namespace quillon {

// Polylines in one buffer: polyline i is points[starts[i]] up to the next start.
struct Polylines {
    std::vector<QPointF> points;
    std::vector<std::uint32_t> starts;

    std::size_t count() const { return starts.size(); }
    std::size_t begin(std::size_t i) const { return starts[i]; }
    std::size_t end(std::size_t i) const
    {
        return i + 1 < starts.size() ? starts[i + 1] : points.size();
    }
    void clear()
    {
        points.clear();
        starts.clear();
    }
};

// The reduction. A run is a stretch of consecutive points that stay in one pixel column
// (or, for a path moving along a row, in one pixel row). Inside one column every point
// of a run is joined to the next, so the run covers exactly the rows between its lowest
// and highest point; drawing first, lowest, highest, last covers the same rows (in
// whichever order of the two extremes is shorter), and the segments between runs are kept
// as they are. So every pixel
// column keeps its extremes, however many points fall into it; the same holds for rows
// of a row run. A million points on a 1920-pixel-wide plot become a few thousand where
// the path is dense, and stay as they are where each point is a pixel or more from the
// last (there is nothing to drop there).
//
//        column c            column c + 1
//      |  ·  ·   |         |             |
//      | · (hi)  ·|  ---->  |  first ·     |      kept: first, lo, hi, last of the run
//      |   (lo) ·last ------|--·           |      dropped: the points between them
//
// Points arrive already in pixels. point() clips every segment to the rectangle (entering
// and leaving break the line); insidePoint() is the fast path for a stretch the caller
// knows to be inside it.
class PolylineDecimator {
public:
    PolylineDecimator() = default;
    explicit PolylineDecimator(QRectF clip) { setClip(clip); }

    void setClip(QRectF clip);
    QRectF clip() const { return {m_left, m_top, m_right - m_left, m_bottom - m_top}; }

    // The next point of the line, anywhere: the segment from the point before is clipped.
    void point(double x, double y)
    {
        const bool inside = x >= m_left && x <= m_right && y >= m_top && y <= m_bottom;
        if (inside && m_prevInside && m_havePrev) {
            add(x, y);
            m_prevX = x;
            m_prevY = y;
            return;
        }
        pointSlow(x, y, inside);
    }
    // The next point, known to lie inside the clip rectangle, as is the point before it
    // (if any): no clipping.
    void insidePoint(double x, double y)
    {
        if (!m_havePrev) {
            startLine();
            m_havePrev = true;
            m_prevInside = true;
        }
        add(x, y);
        m_prevX = x;
        m_prevY = y;
    }
    // A null point: the line breaks.
    void gap()
    {
        endLine();
        m_havePrev = false;
    }
    bool hasPrevious() const { return m_havePrev; }
    // Puts the pending run into the output; the line goes on with the next point.
    void flush() { flushRun(); }

    const Polylines& output() const { return m_out; }
    Polylines& output() { return m_out; }
    // Forgets the output and the line (keeps the clip rectangle).
    void reset();

private:
    // Pixel column or row numbers of points inside the clip rectangle: the offset makes
    // the truncation a floor for every coordinate the rectangle can hold.
    static constexpr double kCellOffset = 1 << 20;

    enum class RunMode : std::uint8_t { None, Cell, Column, Row };

    struct Extreme {
        double x = 0, y = 0;
    };

    void pointSlow(double x, double y, bool inside);
    void startLine()
    {
        m_lineOpen = true;
        m_out.starts.push_back(static_cast<std::uint32_t>(m_out.points.size()));
    }
    void endLine()
    {
        flushRun();
        m_lineOpen = false;
    }
    void add(double x, double y)
    {
        const int column = static_cast<int>(x + kCellOffset);
        const int row = static_cast<int>(y + kCellOffset);
        switch (m_mode) {
        case RunMode::None:
            break;
        case RunMode::Cell:
            if (column == m_column && row == m_row) {
                extend(x, y);
                return;
            }
            if (column == m_column) {
                m_mode = RunMode::Column;
                extend(x, y);
                return;
            }
            if (row == m_row) {
                m_mode = RunMode::Row;
                extend(x, y);
                return;
            }
            break;
        case RunMode::Column:
            if (column == m_column) {
                extend(x, y);
                return;
            }
            break;
        case RunMode::Row:
            if (row == m_row) {
                extend(x, y);
                return;
            }
            break;
        }
        flushRun();
        m_mode = RunMode::Cell;
        m_column = column;
        m_row = row;
        m_firstX = m_lastX = x;
        m_firstY = m_lastY = y;
        m_minX = m_maxX = m_minY = m_maxY = {x, y};
    }
    void extend(double x, double y)
    {
        m_lastX = x;
        m_lastY = y;
        if (y < m_minY.y)
            m_minY = {x, y};
        else if (y > m_maxY.y)
            m_maxY = {x, y};
        if (x < m_minX.x)
            m_minX = {x, y};
        else if (x > m_maxX.x)
            m_maxX = {x, y};
    }
    void flushRun();

    double m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    bool m_havePrev = false;
    bool m_prevInside = false;
    bool m_lineOpen = false;
    double m_prevX = 0, m_prevY = 0;

    RunMode m_mode = RunMode::None;
    int m_column = 0, m_row = 0;
    double m_firstX = 0, m_firstY = 0, m_lastX = 0, m_lastY = 0;
    Extreme m_minX, m_maxX, m_minY, m_maxY;

    Polylines m_out;
};

// Clips the segment to the rectangle (Liang-Barsky); false when no part is inside.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, const QRectF& rect);

}  // namespace quillon
