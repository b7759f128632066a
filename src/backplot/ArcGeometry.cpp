#include "backplot/ArcGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// 4 degrees, as the original wrote it.
constexpr double kSmallestStep = 0.0698131700797732;
constexpr double kFullCircle = 0.00001;
constexpr double kOnTheEnd = 0.0001;

struct Sweep {
    double start = 0;
    double end = 0;
    double radius = 0;
};

Sweep sweepOf(PlanePoint start, PlanePoint centre, PlanePoint end, bool clockwise)
{
    Sweep sweep;
    sweep.start = std::atan2(start.b - centre.b, start.a - centre.a);
    sweep.end = std::atan2(end.b - centre.b, end.a - centre.a);
    if (sweep.start < 0)
        sweep.start += kTwoPi;
    if (sweep.end < 0)
        sweep.end += kTwoPi;
    if (std::fabs(sweep.end - sweep.start) < kFullCircle)
        (clockwise ? sweep.start : sweep.end) += kTwoPi;
    if (!clockwise && sweep.end < sweep.start)
        sweep.end += kTwoPi;
    if (clockwise && sweep.end > sweep.start)
        sweep.end -= kTwoPi;
    const double da = centre.a - start.a;
    const double db = centre.b - start.b;
    sweep.radius = std::sqrt(da * da + db * db + 0.0000001);
    return sweep;
}

}  // namespace

PlanePoint arcCentreFromRadius(PlanePoint start, PlanePoint end, double radius, bool clockwise)
{
    // The chord runs start to end for a clockwise arc of positive radius; the other way
    // round for counter-clockwise, and a negative radius turns it again.
    const bool fromStart = clockwise == (radius > 0);
    const PlanePoint first = fromStart ? start : end;
    const PlanePoint second = fromStart ? end : start;
    const double magnitude = std::fabs(radius);
    const double da = second.a - first.a;
    const double db = second.b - first.b;
    double k = std::sqrt(da * da + db * db) / (2 * magnitude);
    // Ones are taken off until it is in the range of arccos, as the original did: a chord
    // longer than the diameter still gives a centre.
    if (k > 1)
        k -= std::ceil(k - 1);
    if (!std::isfinite(k))
        k = 0;
    const double f = std::atan2(db, da) + std::numbers::pi - std::acos(k);
    return {first.a - magnitude * std::cos(f), first.b - magnitude * std::sin(f)};
}

std::vector<PlanePoint> arcPoints(PlanePoint start, PlanePoint centre, PlanePoint end,
                                  bool clockwise, bool closeOnEnd)
{
    std::vector<PlanePoint> points;
    arcPoints(start, centre, end, clockwise, closeOnEnd, points);
    return points;
}

void arcPoints(PlanePoint start, PlanePoint centre, PlanePoint end, bool clockwise,
               bool closeOnEnd, std::vector<PlanePoint>& points)
{
    points.clear();
    const Sweep sweep = sweepOf(start, centre, end, clockwise);
    if (!(sweep.radius >= kSmallestArcRadius) || !std::isfinite(sweep.radius))
        return;
    double step = (sweep.end - sweep.start) / kArcSegments;
    const double smallest = std::max(kSmallestStep, 0.036 / (kTwoPi * sweep.radius));
    if (step == 0 || !std::isfinite(step))
        return;
    if (std::fabs(step) < smallest)
        step = std::copysign(smallest, step);
    points.reserve(kArcSegments + 1);
    // Each point is the one before turned by the step: one sine and cosine for the arc
    // instead of one a point (the plot of a mold program draws millions of them). Over
    // 45 steps the turns drift by some 1e-14, far below the coordinates' last digit.
    const double turnCos = std::cos(step);
    const double turnSin = std::sin(step);
    double along = sweep.radius * std::cos(sweep.start);
    double across = sweep.radius * std::sin(sweep.start);
    double angle = sweep.start;
    for (int n = 0; n < kArcSegments && (clockwise ? angle > sweep.end : angle < sweep.end); ++n) {
        angle += step;
        const double turned = along * turnCos - across * turnSin;
        across = along * turnSin + across * turnCos;
        along = turned;
        points.push_back({centre.a + along, centre.b + across});
    }
    if (closeOnEnd && !points.empty() &&
        (std::fabs(points.back().a - end.a) > kOnTheEnd ||
         std::fabs(points.back().b - end.b) > kOnTheEnd))
        points.push_back(end);
}

double arcLength(PlanePoint start, PlanePoint centre, PlanePoint end, bool clockwise)
{
    const Sweep sweep = sweepOf(start, centre, end, clockwise);
    if (!(sweep.radius >= kSmallestArcRadius) || !std::isfinite(sweep.radius))
        return 0;
    return sweep.radius * std::fabs(sweep.end - sweep.start);
}

}  // namespace quillon
