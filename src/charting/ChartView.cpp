#include "charting/ChartView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon {

namespace {

// The 2D window's width, in fractions of the base range, stays within these: deeper
// than a ten-millionth the pixels of a double-precision axis start to step; wider than a
// thousand the data is a dot.
constexpr double kNarrowestWindow = 1e-7;
constexpr double kWidestWindow = 1e3;
// The 3D magnification's limits, for the same reasons.
constexpr double kLeastZoom = 0.05;
constexpr double kMostZoom = 1e7;
// The unit box's bounding sphere fills this share of the plot's shorter side, leaving
// room for the tick labels around the box in every rotation.
constexpr double kSphereFill = 0.86;
// The same for the box's outline, which leaves the labels less room of their own.
constexpr double kBoxFill = 0.8;

// Bars: a view more from the front and a box not as tall as it is wide.
constexpr double kBarsYaw = 28;
constexpr double kBarsPitch = 22;
constexpr double kBarsHeight = 0.62;

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

}  // namespace

void ChartView::zoomAbout(QPointF fraction, double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    const double widest = std::max(right - left, top - bottom);
    const double narrowest = std::min(right - left, top - bottom);
    factor = std::clamp(factor, widest / kWidestWindow, narrowest / kNarrowestWindow);
    left = fraction.x() + (left - fraction.x()) / factor;
    right = fraction.x() + (right - fraction.x()) / factor;
    bottom = fraction.y() + (bottom - fraction.y()) / factor;
    top = fraction.y() + (top - fraction.y()) / factor;
}

void ChartView::panBy(QPointF fraction)
{
    if (!std::isfinite(fraction.x()) || !std::isfinite(fraction.y()))
        return;
    left += fraction.x();
    right += fraction.x();
    bottom += fraction.y();
    top += fraction.y();
}

void ChartView::rotate(double yawDegrees, double pitchDegrees)
{
    yaw = std::remainder(yaw + yawDegrees, 360.0);
    pitch = std::clamp(pitch + pitchDegrees, -90.0, 90.0);
}

ChartView ChartView::initialFor(const ChartData& data)
{
    ChartView view;
    if (data.kind() == ChartKind::Chart3D && data.style3D() == Chart3DStyle::Bars) {
        view.yaw = kBarsYaw;
        view.pitch = kBarsPitch;
    }
    return view;
}

Point3 boxSides(const ChartData& data, const AxisRange (&ranges)[3])
{
    if (data.style3D() == Chart3DStyle::Bars) {
        const double depth = ranges[2].span() / std::max(ranges[0].span(), 1.0) * 1.2;
        return {1, kBarsHeight, std::clamp(depth, 0.25, 1.0)};
    }
    if (!data.equalScale)
        return {1, 1, 1};
    const double longest = std::max({ranges[0].span(), ranges[1].span(), ranges[2].span()});
    return {ranges[0].span() / longest, ranges[1].span() / longest, ranges[2].span() / longest};
}

Projection2D::Projection2D(AxisRange baseX, AxisRange baseY, const ChartView& view, QRectF plot,
                           bool equalScale)
    : m_baseX(baseX), m_baseY(baseY), m_plot(plot)
{
    m_x = {baseX.min + view.left * baseX.span(), baseX.min + view.right * baseX.span()};
    m_y = {baseY.min + view.bottom * baseY.span(), baseY.min + view.top * baseY.span()};
    const double width = std::max(plot.width(), 1.0);
    const double height = std::max(plot.height(), 1.0);
    if (equalScale) {
        // The axis with fewer units per pixel widens about its middle to the other's.
        const double perPixel = std::max(m_x.span() / width, m_y.span() / height);
        const double halfX = perPixel * width / 2, halfY = perPixel * height / 2;
        const double midX = (m_x.min + m_x.max) / 2, midY = (m_y.min + m_y.max) / 2;
        m_x = {midX - halfX, midX + halfX};
        m_y = {midY - halfY, midY + halfY};
    }
    m_sx = width / m_x.span();
    m_sy = -height / m_y.span();
}

Projection2D Projection2D::scaled(double factor) const
{
    Projection2D result = *this;
    result.m_plot = QRectF(m_plot.topLeft() * factor, m_plot.size() * factor);
    result.m_sx *= factor;
    result.m_sy *= factor;
    return result;
}

QPointF Projection2D::fractionAt(QPointF pixel) const
{
    const QPointF data = unmap(pixel);
    return {(data.x() - m_baseX.min) / m_baseX.span(), (data.y() - m_baseY.min) / m_baseY.span()};
}

Projection3D::Projection3D(AxisRange x, AxisRange y, AxisRange z, const ChartView& view,
                           QRectF plot, Point3 sides, Fit fit)
    : m_range{x, y, z}, m_plot(plot)
{
    // Unit-box coordinates: n = (v - centre) * k per axis.
    const double side[3] = {sides.x, sides.y, sides.z};
    double k[3], centre[3], half[3];
    for (int axis = 0; axis < 3; ++axis) {
        const AxisRange& r = m_range[axis];
        k[axis] = side[axis] / r.span();
        centre[axis] = (r.min + r.max) / 2;
        half[axis] = side[axis] / 2;
    }

    // The rows of the turn, from unit-box axes (x right, y up, z away from the viewer) to
    // screen right, screen up and towards the viewer. Yaw turns about the vertical axis,
    // then pitch tilts the top towards the viewer (positive: seen from above).
    const double cy = std::cos(view.yaw * kRadiansPerDegree);
    const double sy = std::sin(view.yaw * kRadiansPerDegree);
    const double cp = std::cos(view.pitch * kRadiansPerDegree);
    const double sp = std::sin(view.pitch * kRadiansPerDegree);
    const double right[3] = {cy, 0, sy};
    const double up[3] = {-sp * sy, cp, sp * cy};
    const double toward[3] = {cp * sy, sp, -cp * cy};

    const double width = std::max(plot.width(), 1.0), height = std::max(plot.height(), 1.0);
    double fitted = 1;
    QPointF middle = plot.center();
    if (fit == Fit::Sphere) {
        // The bounding sphere fits in every rotation: no jumps in size while the view turns.
        const double radius = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
        fitted = kSphereFill * std::min(width, height) / 2 / std::max(radius, 1e-9);
    } else {
        // The box's outline as seen now fills the plot; its middle goes to the plot's.
        double lowX = 0, highX = 0, lowY = 0, highY = 0;
        for (int corner = 0; corner < 8; ++corner) {
            double rx = 0, uy = 0;
            for (int axis = 0; axis < 3; ++axis) {
                const double n = (corner >> axis) & 1 ? half[axis] : -half[axis];
                rx += right[axis] * n;
                uy -= up[axis] * n;
            }
            lowX = corner == 0 ? rx : std::min(lowX, rx);
            highX = corner == 0 ? rx : std::max(highX, rx);
            lowY = corner == 0 ? uy : std::min(lowY, uy);
            highY = corner == 0 ? uy : std::max(highY, uy);
        }
        fitted = kBoxFill * std::min(width / std::max(highX - lowX, 1e-9),
                                     height / std::max(highY - lowY, 1e-9));
        middle -= QPointF((lowX + highX) / 2, (lowY + highY) / 2) * fitted *
                  std::clamp(view.zoom, kLeastZoom, kMostZoom);
    }
    const double zoom = std::clamp(view.zoom, kLeastZoom, kMostZoom);
    m_scale = fitted * zoom;
    a[3] = middle.x() + m_scale * view.pan.x();
    b[3] = middle.y() + m_scale * view.pan.y();
    c[3] = 0;
    for (int axis = 0; axis < 3; ++axis) {
        a[axis] = m_scale * right[axis] * k[axis];
        b[axis] = -m_scale * up[axis] * k[axis];
        c[axis] = toward[axis] * k[axis];
        a[3] -= a[axis] * centre[axis];
        b[3] -= b[axis] * centre[axis];
        c[3] -= c[axis] * centre[axis];
    }
}

Projection3D Projection3D::scaled(double factor) const
{
    Projection3D result = *this;
    for (int i = 0; i < 4; ++i) {
        result.a[i] *= factor;
        result.b[i] *= factor;
    }
    result.m_scale *= factor;
    result.m_plot = QRectF(m_plot.topLeft() * factor, m_plot.size() * factor);
    return result;
}

Point3 Projection3D::unmap(QPointF pixel, double depth) const
{
    // Solve the 3x3 linear system by Cramer's rule: the rows are orthogonal, but scaled
    // per axis, so the transpose alone is not the inverse.
    const double m[3][3] = {{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, {c[0], c[1], c[2]}};
    const double rhs[3] = {pixel.x() - a[3], pixel.y() - b[3], depth - c[3]};
    auto det = [](const double(&r)[3][3]) {
        return r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
               r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
               r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
    };
    const double whole = det(m);
    double result[3];
    for (int column = 0; column < 3; ++column) {
        double replaced[3][3];
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col)
                replaced[row][col] = col == column ? rhs[row] : m[row][col];
        }
        result[column] = det(replaced) / whole;
    }
    return {result[0], result[1], result[2]};
}

void zoomAbout(ChartView& view, const Projection3D& projection, QPointF pixel, double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    // screen = middle + scale * (q + pan): keep the q under the pixel while scale grows.
    const double scale = projection.pixelsPerBoxUnit();
    const double before = std::clamp(view.zoom, kLeastZoom, kMostZoom);
    const double after = std::clamp(before * factor, kLeastZoom, kMostZoom);
    const QPointF fromMiddle = pixel - projection.plot().center();
    const QPointF q = fromMiddle / scale - view.pan;
    view.zoom = after;
    view.pan = fromMiddle / (scale * after / before) - q;
}

}  // namespace quillon
