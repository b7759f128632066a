// Where a plot window goes: its position files Plot2D<n>.SYS and Plot3D<n>.SYS, the rule
// that brings a stored place back onto the screen, and the size that keeps the plot's
// scale while the user drags an edge.
#pragma once

#include <optional>
#include <string>

#include "backplot/PlotModel.h"
#include "platform/AtomicFile.h"
#include "platform/WindowRectFile.h"

namespace quillon {

class WorkDir;

// Counts the open windows of one kind. A window's number n is the count with it included,
// and its place is kept in the position file of that number.
class PlotWindowCounter {
public:
    // A window opens: its number.
    int opened() { return ++m_open; }
    void closed()
    {
        if (m_open > 0)
            --m_open;
    }
    int open() const { return m_open; }

private:
    int m_open = 0;
};

// "Plot2D<n>.SYS" or "Plot3D<n>.SYS", kept in the temporary folder.
std::string plotWindowFileName(PlotKind kind, int number);

// The stored rectangle; nothing when the file is missing or short, or when the rectangle
// has no area (a window of no size could not be found again).
std::optional<WindowRect> readPlotWindowRect(const WorkDir& workDir, PlotKind kind, int number);
WriteResult writePlotWindowRect(const WorkDir& workDir, PlotKind kind, int number,
                                const WindowRect& rect);

// A rectangle beyond the screen's right edge moves left by the excess, one beyond the
// bottom moves up, and a negative left or top becomes 0. Nothing when too little of it
// is left to show (it lay wholly left of or above the screen).
std::optional<WindowRect> keepOnScreen(WindowRect rect, int screenWidth, int screenHeight);

// Where a window goes without a position file: the screen's top-left corner, half the
// main frame's client area less one pixel each way.
WindowRect firstPlotWindowRect(int clientWidth, int clientHeight);

// Which edge the user drags.
enum class DraggedEdge { LeftOrRight, TopOrBottom };

struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};

// The window's size while an edge is dragged: the other dimension follows so that the
// axes keep one scale. Six menu-bar heights are left for the window's frame, titles and
// legend. 2D: horizontal against vertical range; 3D: the mean of the horizontal and depth
// ranges against the vertical one. A divisor or scale of zero or less counts as 1.
WindowSize keepPlotScale(PlotKind kind, const PlotAxisRanges& ranges, DraggedEdge edge,
                         WindowSize size, int menuBarHeight);

}  // namespace quillon
