// How a chart is looked at: the zoomed and panned window of a 2D graph, the rotation,
// zoom and pan of a 3D chart, and the projections from data to pixels they make.
#pragma once

#include <QPointF>
#include <QRectF>

#include "charting/ChartData.h"

namespace quillon {

// The view state, independent of the widget's size: a chart exported at another size
// shows the same part of the data.
class ChartView {
public:
    // The 2D window as fractions of the axes' base ranges (the given ranges, else the
    // data's): x from left to right, y from bottom to top. The whole range is 0..1.
    // Fractions rather than data units keep a zoom meaningful when data appended to a
    // chart without given ranges widens them.
    double left = 0;
    double right = 1;
    double bottom = 0;
    double top = 1;

    // 3D: the turn about the vertical axis and the tilt towards the viewer, in degrees;
    // the magnification; the shift of the picture in units of the fitted box.
    // The default looks from front, right and above, as a machinist's isometric view:
    // X to the lower right, depth (the machine's Y) to the upper right, Y up.
    static constexpr double kDefaultYaw = 45;
    static constexpr double kDefaultPitch = 35.264;  // asin(tan 30°): isometric
    double yaw = kDefaultYaw;
    double pitch = kDefaultPitch;
    double zoom = 1;
    QPointF pan;

    // Zooms the 2D window by factor (> 1 in) about a point given as fractions of the base
    // ranges: that point stays where it is on screen. The window stays between a
    // ten-millionth and a thousand times the base ranges.
    void zoomAbout(QPointF fraction, double factor);
    // Moves the 2D window by fractions of the base ranges.
    void panBy(QPointF fraction);
    // Turns the 3D view; the tilt stays between straight from below and from above.
    void rotate(double yawDegrees, double pitchDegrees);
    // The view a chart opens with: the isometric view for 3D lines; 3-D bars seen more
    // from the front, so that the categories read from left to right.
    static ChartView initialFor(const ChartData& data);
};

// Data to pixels for a 2D graph: an affine map per axis.
class Projection2D {
public:
    Projection2D() = default;
    // base: the axes' full ranges; the view picks the visible part; plot: the pixels the
    // visible part fills. With equalScale the visible part grows on one axis so that a
    // unit is as long on both.
    Projection2D(AxisRange baseX, AxisRange baseY, const ChartView& view, QRectF plot,
                 bool equalScale);

    QPointF map(double x, double y) const
    {
        return {(x - m_x.min) * m_sx + m_plot.left(), (y - m_y.min) * m_sy + m_plot.bottom()};
    }
    QPointF unmap(QPointF pixel) const
    {
        return {(pixel.x() - m_plot.left()) / m_sx + m_x.min,
                (pixel.y() - m_plot.bottom()) / m_sy + m_y.min};
    }
    // The same view on pixels `factor` times smaller (device pixels of a high-density
    // screen).
    Projection2D scaled(double factor) const;
    // The pixel as fractions of the base ranges (what ChartView::zoomAbout takes).
    QPointF fractionAt(QPointF pixel) const;
    // The data ranges on screen.
    AxisRange visibleX() const { return m_x; }
    AxisRange visibleY() const { return m_y; }
    QRectF plot() const { return m_plot; }
    // Pixels per data unit (the y scale is negative: y grows upwards).
    double scaleX() const { return m_sx; }
    double scaleY() const { return m_sy; }
    bool operator==(const Projection2D&) const = default;

private:
    AxisRange m_baseX, m_baseY;
    AxisRange m_x, m_y;
    QRectF m_plot;
    double m_sx = 1, m_sy = -1;
};

struct Point3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Point3&) const = default;
};

// Data to pixels for a 3D chart: the data box scaled into a unit box, turned by yaw and
// pitch and drawn orthographically (parallel lines stay parallel, so a toolpath reads as
// a machinist's isometric view and the map stays linear: whole runs of points are
// projected with six multiply-adds each, and boxes project to boxes' hulls).
//
//   screen x = ax*x + ay*y + az*z + a0        (pixels, to the right)
//   screen y = bx*x + by*y + bz*z + b0        (pixels, downwards)
//   depth    = cx*x + cy*y + cz*z + c0        (towards the viewer)
class Projection3D {
public:
    Projection3D() = default;
    // How the unit box is fitted into the plot at zoom 1: its bounding sphere (the size
    // stays as the view turns: for toolpaths that are turned about), or the box as seen
    // now (the largest picture: for bars, seen from about the same side).
    enum class Fit { Sphere, Box };
    // sides: the lengths the axes' ranges get in the unit box (see boxSides).
    Projection3D(AxisRange x, AxisRange y, AxisRange z, const ChartView& view, QRectF plot,
                 Point3 sides, Fit fit = Fit::Sphere);

    QPointF map(double x, double y, double z) const
    {
        return {a[0] * x + a[1] * y + a[2] * z + a[3], b[0] * x + b[1] * y + b[2] * z + b[3]};
    }
    double depth(double x, double y, double z) const
    {
        return c[0] * x + c[1] * y + c[2] * z + c[3];
    }
    // The data point at a pixel and depth (the inverse of map and depth).
    Point3 unmap(QPointF pixel, double depth) const;
    // The same view on pixels `factor` times smaller.
    Projection3D scaled(double factor) const;
    // Pixels per unit-box length: what a pan of the view is counted in.
    double pixelsPerBoxUnit() const { return m_scale; }
    AxisRange range(Axis axis) const { return m_range[int(axis)]; }
    QRectF plot() const { return m_plot; }
    bool operator==(const Projection3D&) const = default;

    double a[4] = {1, 0, 0, 0};
    double b[4] = {0, 1, 0, 0};
    double c[4] = {0, 0, 1, 0};

private:
    AxisRange m_range[3];
    double m_scale = 1;
    QRectF m_plot;
};

// The sides of the 3D box for the ranges: with equalScale (3D lines) a data unit is as
// long on every axis; else a cube, and for bars a box wide across the categories, as deep
// as the series need and not too tall.
Point3 boxSides(const ChartData& data, const AxisRange (&ranges)[3]);

// Zooms a 3D view by factor (> 1 in) keeping the data under the pixel where it is; the
// projection is the view's before the zoom.
void zoomAbout(ChartView& view, const Projection3D& projection, QPointF pixel, double factor);

}  // namespace quillon
