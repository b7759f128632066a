// A circular move of the interpreter: where its centre is and the points it is drawn
// with, in whichever plane the program selected.
#pragma once

#include <vector>

#include "nc/ModalState.h"

namespace quillon {

struct ArcWords {
    double i = 0, j = 0, k = 0, r = 0;
};

// The points of the arc from `from` to `to` in the plane: the centre from I, J, K (offsets
// from the start, the plane's two) or from R when |R| is given. The third axis of every
// point is its end value. The last point is `to` itself (see arcPoints). Empty when the
// plane is none or the arc too small to draw.
// `points` is emptied first.
void arcMovePoints(const Position& from, const Position& to, const ArcWords& words, Plane plane,
                   bool clockwise, std::vector<Position>& points);

}  // namespace quillon
