#include "backplot/ArcMove.h"

#include <cmath>

#include "backplot/ArcGeometry.h"

namespace quillon {

void arcMovePoints(const Position& from, const Position& to, const ArcWords& words, Plane plane,
                   bool clockwise, std::vector<Position>& points)
{
    points.clear();
    const auto axes = planeAxes(plane);
    if (!axes)
        return;
    const auto [first, second] = *axes;
    const double offsets[3] = {words.i, words.j, words.k};
    const PlanePoint start{from[first], from[second]};
    const PlanePoint end{to[first], to[second]};
    const PlanePoint centre =
        std::fabs(words.r) > kRadiusGiven
            ? arcCentreFromRadius(start, end, words.r, clockwise)
            : PlanePoint{start.a + offsets[first], start.b + offsets[second]};
    // Kept from arc to arc, as `points` is by the callers.
    thread_local std::vector<PlanePoint> planePoints;
    arcPoints(start, centre, end, clockwise, true, planePoints);
    points.resize(planePoints.size(), to);
    for (std::size_t n = 0; n < planePoints.size(); ++n) {
        points[n][first] = planePoints[n].a;
        points[n][second] = planePoints[n].b;
    }
}

}  // namespace quillon
