// Where two straight segments in a plane meet: the routine the turning cycles use to find
// where a roughing pass line reaches the finished shape.
#pragma once

#include "backplot/ArcGeometry.h"

namespace quillon {

// The geometry tolerance: closer to zero than this counts as zero, and a crossing this
// far before the start of a segment still lies on it.
inline constexpr double kGeometryTolerance = 0.0000001;
// How far past the end of a segment a crossing still lies on it: twice the tolerance.
inline constexpr double kGeometryRelativeTolerance = 2 * kGeometryTolerance;

// The numbers are the routine's historical status codes.
enum class SegmentMeeting { Crossing = 0, Parallel = 1, Apart = 2 };

struct SegmentIntersection {
    SegmentMeeting meeting = SegmentMeeting::Apart;
    PlanePoint point;  // set for a crossing only
};

// Segment A from a1 to a2, segment B from b1 to b2. A crossing's point is computed along A,
// each coordinate within the tolerance of zero made exactly zero.
//
//        b2
//         \         A(s) = a1 + s (a2 - a1),  B(t) = b1 + t (b2 - b1)
//   a1 ----x---- a2 they cross where A(s) = B(t) with s and t both in
//           \       [-tolerance, 1 + relative tolerance]
//            b1
SegmentIntersection intersectSegments(PlanePoint a1, PlanePoint a2, PlanePoint b1, PlanePoint b2);

}  // namespace quillon
