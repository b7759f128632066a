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

std::vector<Position> arcMovePoints(const Position& from, const Position& to,
                                    const ArcWords& words, int plane, bool clockwise)
{
    std::vector<Position> result;
    const auto axes = planeAxes(plane);
    if (!axes)
        return result;
    const auto [first, second] = *axes;
    const double offsets[3] = {words.i, words.j, words.k};
    const PlanePoint start{from[first], from[second]};
    const PlanePoint end{to[first], to[second]};
    const PlanePoint centre =
        std::fabs(words.r) > kRadiusGiven
            ? arcCentreFromRadius(start, end, words.r, clockwise)
            : PlanePoint{start.a + offsets[first], start.b + offsets[second]};
    const int third = 3 - first - second;
    for (const PlanePoint& point : arcPoints(start, centre, end, clockwise, true)) {
        Position position = to;
        position[first] = point.a;
        position[second] = point.b;
        position[third] = to[third];
        result.push_back(position);
    }
    return result;
}

}  // namespace quillon
