// The state a reader of a program keeps from block to block (positioning, arc plane,
// units) and the position update that every pass makes the same way.
#pragma once

#include <array>
#include <optional>
#include <utility>

namespace quillon {

// ---- Modal state ------------------------------------------------------------------------

// The arc plane G17, G18 or G19 selects; None before any (or for a 3D view).
enum class Plane { None, XY, XZ, YZ };

// The plane of an axis mask (X 1, Y 2, Z 4), as the plot window names its view: 3 XY,
// 5 XZ, 6 YZ; every other mask is no plane.
Plane planeOfMask(int mask);
// The two axes (0 X, 1 Y, 2 Z) of a plane; nothing for None.
std::optional<std::pair<int, int>> planeAxes(Plane plane);

enum class Units { Inch, Millimetre };

// What the modal G codes every reader of a program follows alike leave behind.
struct ModalState {
    bool absolute = true;  // G90; false after G91
    Plane plane = Plane::None;
    std::optional<Units> units;  // G20 / G21; nothing until the program says

    // Takes G90/G91, G17/G18/G19 and G20/G21; false (and nothing changed) for any other
    // code, which the caller then reads itself.
    bool applyG(int g);
};

// ---- Position ---------------------------------------------------------------------------

// X, Y, Z.
using Position = std::array<double, 3>;

// What an axis word does: the axis it moves, and whether its value is the new position
// (absolute) or a step from where the axis is.
struct AxisWord {
    int axis = 0;  // 0 X, 1 Y, 2 Z
    bool absolute = true;
};

// X, Y and Z move in the modal positioning. U, V and W step X, Y and Z whatever it is,
// except after a reference return (G28) earlier in the same block: there they name the
// position the axis goes to. Nothing for every other letter.
// Inline: every axis word of a plot's millions of records comes here.
inline std::optional<AxisWord> axisWord(char letter, bool modalAbsolute, bool afterReferenceReturn)
{
    switch (letter) {
    case 'X':
    case 'Y':
    case 'Z':
        return AxisWord{letter - 'X', modalAbsolute};
    case 'U':
    case 'V':
    case 'W':
        return AxisWord{letter - 'U', afterReferenceReturn};
    default:
        return std::nullopt;
    }
}

// The value of an axis word where the tool goes: on a lathe X (and I, its arc offset) is
// programmed as a diameter, so the position is half of it.
inline double positionValue(int axis, double programmed, bool lathe)
{
    return axis == 0 && lathe ? programmed / 2 : programmed;
}

// The one position update: the axis goes to `value`, or by it.
inline void moveAxis(Position& position, AxisWord word, double value)
{
    double& axis = position[static_cast<std::size_t>(word.axis)];
    axis = word.absolute ? value : axis + value;
}

}  // namespace quillon
