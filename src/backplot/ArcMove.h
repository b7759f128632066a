// A circular move of the interpreter: where its centre is and the points it is drawn
// with, in whichever plane the program selected.
#pragma once

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace quillon {

// X, Y, Z.
using Position = std::array<double, 3>;

// The two axes (0 X, 1 Y, 2 Z) of an arc plane given as an axis mask (3 XY, 5 XZ, 6 YZ);
// nothing for any other mask.
std::optional<std::pair<int, int>> planeAxes(int plane);

// The modal G codes every reader of a program follows alike: G90/G91 set `absolute`,
// G17/G18/G19 set `plane` (3, 5, 6). False for any other code.
bool applyModalG(int g, bool& absolute, int& plane);

struct ArcWords {
    double i = 0, j = 0, k = 0, r = 0;
};

// The points of the arc from `from` to `to` in the plane: the centre from I, J, K (offsets
// from the start, the plane's two) or from R when |R| is given. The third axis of every
// point is its end value. The last point is `to` itself (see arcPoints). Empty when the
// plane is none or the arc too small to draw.
// `points` is emptied first.
void arcMovePoints(const Position& from, const Position& to, const ArcWords& words, int plane,
                   bool clockwise, std::vector<Position>& points);

}  // namespace quillon
