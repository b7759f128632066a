// The colour value of the settings files: a Windows COLORREF, 0x00BBGGRR.
//
// The files keep colours in this form so that those of an existing installation can be
// copied in as they are; widgets convert at their edge (platform/ui/QtColorRef.h).
#pragma once

#include <cstdint>

namespace quillon {

using ColorRef = std::uint32_t;

inline constexpr ColorRef colorRef(int red, int green, int blue)
{
    return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
           (static_cast<ColorRef>(blue) << 16);
}

}  // namespace quillon
