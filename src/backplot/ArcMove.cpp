#include "backplot/ArcMove.h"

#include <cmath>

#include "backplot/ArcGeometry.h"

namespace quillon {

std::optional<std::pair<int, int>> planeAxes(int plane)
{
    switch (plane) {
    case 3:
        return std::pair{0, 1};
    case 5:
        return std::pair{0, 2};
    case 6:
        return std::pair{1, 2};
    default:
        return std::nullopt;
    }
}

bool applyModalG(int g, bool& absolute, int& plane)
{
    switch (g) {
    case 90:
    case 91:
        absolute = g == 90;
        return true;
    case 17:
        plane = 3;
        return true;
    case 18:
        plane = 5;
        return true;
    case 19:
        plane = 6;
        return true;
    default:
        return false;
    }
}

void arcMovePoints(const Position& from, const Position& to, const ArcWords& words, int plane,
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
