// Circular moves in a plane: the centre from a radius, the points an arc is drawn with, and
// its length. Shared by the backplot and the cycle-time estimate.
#pragma once

#include <vector>

namespace quillon {

// A point in the arc plane: a is its first axis, b its second (XY: X, Y; XZ: X, Z;
// YZ: Y, Z).
struct PlanePoint {
    double a = 0;
    double b = 0;
    bool operator==(const PlanePoint&) const = default;
};

// Radii at or below this are no radius: the centre comes from I, J, K instead.
inline constexpr double kRadiusGiven = 0.0001;
// Arcs of a smaller radius are not drawn and have no length.
inline constexpr double kSmallestArcRadius = 0.001;
// An arc is drawn with at most this many points.
inline constexpr int kArcSegments = 45;

// The centre of the arc of radius |radius| from start to end; a negative radius gives the
// arc longer than a half circle. A chord longer than the diameter still gives a centre.
PlanePoint arcCentreFromRadius(PlanePoint start, PlanePoint end, double radius, bool clockwise);

// The points an arc is drawn with, in order, from the first step after the start: up to
// kArcSegments of them, each step at least 4 degrees (and at least 0.036 of arc length);
// none for a radius below kSmallestArcRadius. Start and end at the same angle make a full
// circle. The last step may pass the end; with `closeOnEnd`, a last point that is not the
// end point (within 0.0001) is followed by the end point itself.
std::vector<PlanePoint> arcPoints(PlanePoint start, PlanePoint centre, PlanePoint end,
                                  bool clockwise, bool closeOnEnd);
// The same into `points`, emptied first (a plot draws hundreds of thousands of arcs).
void arcPoints(PlanePoint start, PlanePoint centre, PlanePoint end, bool clockwise,
               bool closeOnEnd, std::vector<PlanePoint>& points);

// The length of the arc around the centre (angles as arcPoints takes them); 0 below
// kSmallestArcRadius.
double arcLength(PlanePoint start, PlanePoint centre, PlanePoint end, bool clockwise);

}  // namespace quillon
