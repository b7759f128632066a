// Where the detailed view was when it last closed, in mdpos.sys of the working directory:
// left, right, top, bottom, three scroll values (the third the vertical position) and "1"
// when it was maximized, one decimal a line.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WindowRectFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kDetailedPlaceFile = "mdpos.sys";
inline constexpr std::string_view kPlaceFileOpenError = "File open error";

struct DetailedViewPlace {
    // Only when all four sides were read.
    std::optional<WindowRect> rect;
    std::array<int, 3> scroll{};
    bool maximized = false;

    int verticalScroll() const { return scroll[2]; }
    bool operator==(const DetailedViewPlace&) const = default;
};

// A short file gives what it holds; a window that was left or above the screen comes back
// at 0 with its size.
DetailedViewPlace parseDetailedViewPlace(std::string_view bytes);
std::string formatDetailedViewPlace(const DetailedViewPlace& place);

// Nothing when the file is missing.
std::optional<DetailedViewPlace> readDetailedViewPlace(const WorkDir& workDir);
WriteResult writeDetailedViewPlace(const WorkDir& workDir, const DetailedViewPlace& place);

}  // namespace quillon
