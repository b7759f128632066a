#include "backplot/PlotWindowPlace.h"

#include <algorithm>
#include <cstdint>

#include "platform/WorkDir.h"

namespace quillon {

namespace {

// The chart leaves this many menu-bar heights of the window to everything but the plot.
constexpr int kMenuBarsAroundPlot = 6;
// No screen is this large; keeps a wild range from overflowing the window's size.
constexpr double kMostFollowedPixels = 100000;

double divisor(double value)
{
    return value > 0 ? value : 1;
}

int pixels(double value)
{
    return static_cast<int>(std::clamp(value, 1.0, kMostFollowedPixels));
}

double extent(const PlotRange& range)
{
    return range.max - range.min;
}

}  // namespace

std::string plotWindowFileName(PlotKind kind, int number)
{
    return std::string(kind == PlotKind::TwoD ? "Plot2D" : "Plot3D") + std::to_string(number) +
           ".SYS";
}

std::optional<WindowRect> readPlotWindowRect(const WorkDir& workDir, PlotKind kind, int number)
{
    const auto rect = readWindowRect(workDir.tmpFile(plotWindowFileName(kind, number)));
    if (!rect || !rect->hasArea())
        return std::nullopt;
    return rect;
}

WriteResult writePlotWindowRect(const WorkDir& workDir, PlotKind kind, int number,
                                const WindowRect& rect)
{
    return writeWindowRect(workDir.tmpFile(plotWindowFileName(kind, number)), rect);
}

std::optional<WindowRect> keepOnScreen(WindowRect rect, int screenWidth, int screenHeight)
{
    // In 64 bits: the stored numbers may be anything a file holds.
    std::int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    if (right > screenWidth) {
        left -= right - screenWidth;
        right = screenWidth;
    }
    if (bottom > screenHeight) {
        top -= bottom - screenHeight;
        bottom = screenHeight;
    }
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    if (left >= right || top >= bottom)
        return std::nullopt;
    return WindowRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                      static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
}

WindowRect firstPlotWindowRect(int clientWidth, int clientHeight)
{
    return {0, 0, std::max(clientWidth / 2 - 1, 1), std::max(clientHeight / 2 - 1, 1)};
}

WindowSize keepPlotScale(PlotKind kind, const PlotAxisRanges& ranges, DraggedEdge edge,
                         WindowSize size, int menuBarHeight)
{
    const int aroundPlot = kMenuBarsAroundPlot * menuBarHeight;
    const double up = extent(ranges.vertical);
    // Across the window: the horizontal range in 2D; in 3D the horizontal and the depth
    // ranges share the width.
    const double across = kind == PlotKind::TwoD
                              ? extent(ranges.horizontal)
                              : extent(ranges.horizontal) + extent(ranges.depth);
    const int widthShares = kind == PlotKind::TwoD ? 1 : 2;
    if (edge == DraggedEdge::LeftOrRight) {
        const double scale = divisor(across / divisor(widthShares * size.width));
        size.height = pixels(up / scale + aroundPlot);
    } else {
        const double scale = divisor(up / divisor(size.height - aroundPlot));
        size.width = pixels(across / (widthShares * scale));
    }
    return size;
}

}  // namespace quillon
