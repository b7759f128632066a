#include "backplot/SegmentIntersection.h"

#include <cmath>

namespace quillon {

namespace {

bool onSegment(double parameter)
{
    return parameter >= -kGeometryTolerance && parameter <= 1 + kGeometryRelativeTolerance;
}

double snappedToZero(double value)
{
    return std::fabs(value) <= kGeometryTolerance ? 0.0 : value;
}

}  // namespace

SegmentIntersection intersectSegments(PlanePoint a1, PlanePoint a2, PlanePoint b1, PlanePoint b2)
{
    // Cross products of the directions and of the offset b1 - a1 (Cramer's rule); d is
    // minus the cross product of A's and B's directions, so the signs cancel in s and t.
    const double aa = a2.a - a1.a;
    const double ab = a2.b - a1.b;
    const double ba = b2.a - b1.a;
    const double bb = b2.b - b1.b;
    const double d = ba * ab - bb * aa;
    SegmentIntersection result;
    if (std::fabs(d) <= kGeometryTolerance) {
        result.meeting = SegmentMeeting::Parallel;
        return result;
    }
    const double offsetA = b1.a - a1.a;
    const double offsetB = b1.b - a1.b;
    const double s = (ba * offsetB - bb * offsetA) / d;
    const double t = (aa * offsetB - ab * offsetA) / d;
    // Written so that a NaN (from coordinates near the limits of a double) is no crossing.
    if (!(onSegment(s) && onSegment(t)))
        return result;
    result.meeting = SegmentMeeting::Crossing;
    result.point = {snappedToZero(a1.a + s * aa), snappedToZero(a1.b + s * ab)};
    return result;
}

}  // namespace quillon
