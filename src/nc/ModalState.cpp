#include "nc/ModalState.h"

namespace quillon {

Plane planeOfMask(int mask)
{
    switch (mask) {
    case 3:
        return Plane::XY;
    case 5:
        return Plane::XZ;
    case 6:
        return Plane::YZ;
    default:
        return Plane::None;
    }
}

std::optional<std::pair<int, int>> planeAxes(Plane plane)
{
    switch (plane) {
    case Plane::XY:
        return std::pair{0, 1};
    case Plane::XZ:
        return std::pair{0, 2};
    case Plane::YZ:
        return std::pair{1, 2};
    case Plane::None:
        break;
    }
    return std::nullopt;
}

bool ModalState::applyG(int g)
{
    switch (g) {
    case 90:
    case 91:
        absolute = g == 90;
        return true;
    case 17:
        plane = Plane::XY;
        return true;
    case 18:
        plane = Plane::XZ;
        return true;
    case 19:
        plane = Plane::YZ;
        return true;
    case 20:
        units = Units::Inch;
        return true;
    case 21:
        units = Units::Millimetre;
        return true;
    default:
        return false;
    }
}

}  // namespace quillon
