// The place files of the live monitoring windows: left, right, top and bottom, one
// decimal a line, followed by what the window keeps besides (scroll positions, a
// maximized flag). They lie in the working directory and are written when the window
// closes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/WindowRectFile.h"

namespace quillon {

// The machine display's file: the rectangle and the vertical scroll position.
inline constexpr std::string_view kMachineDisplayPlaceFile = "mcdpos.sys";

struct MonitorWindowPlace {
    // Nothing when the file ends before the four edges: the window keeps its default place.
    std::optional<WindowRect> rect;
    // The lines after the rectangle that the file has, each read as atoi does.
    std::vector<int> extras;
};

// A left or top below 0 (a window partly off the screen) made 0, the size kept.
WindowRect withoutNegativeCorner(WindowRect rect);

// A saved left or top below 0 (the window lay partly off the screen) becomes 0 and the
// window keeps its size.
MonitorWindowPlace parseMonitorWindowPlace(std::string_view bytes, std::size_t extraCount);
std::optional<MonitorWindowPlace> readMonitorWindowPlace(const std::string& path,
                                                         std::size_t extraCount);
WriteResult writeMonitorWindowPlace(const std::string& path, const WindowRect& rect,
                                    const std::vector<int>& extras);

}  // namespace quillon
