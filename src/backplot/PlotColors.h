// The backplot colours and their file PColors.sys: the gradient switch, then the
// background, the text and the seventeen slot colours as decimal COLORREF values, one a
// line.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "backplot/PathBuilder.h"
#include "platform/AtomicFile.h"
#include "platform/ColorRef.h"

namespace quillon {

class WorkDir;

struct PlotColors {
    bool gradient = true;  // "Use gradient graph background"
    ColorRef background = 0x000000;
    ColorRef text = 0xFF0000;
    // Slot 0 the rapid moves, then the tools in the order the program first calls them.
    std::array<ColorRef, kToolSlots> slotColors = defaultSlotColors();

    bool operator==(const PlotColors&) const = default;

    static std::array<ColorRef, kToolSlots> defaultSlotColors();
};

inline constexpr std::string_view kPlotColorsFile = "PColors.sys";

// Reads over the defaults and stops at the first missing line. A first line with "GDI"
// in it is the gradient switch ("1GDI" on, "0GDI" off); without it the file is of the
// older form that began with the background colour, and the switch keeps its default.
PlotColors parsePlotColors(std::string_view bytes);
// The defaults when the file is missing.
PlotColors readPlotColors(const WorkDir& workDir);

std::string formatPlotColors(const PlotColors& colors);
WriteResult writePlotColors(const WorkDir& workDir, const PlotColors& colors);

}  // namespace quillon
