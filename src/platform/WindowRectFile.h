// A window rectangle kept in a text file between runs: left, top, right and bottom in
// screen coordinates, one decimal number a line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/AtomicFile.h"

namespace quillon {

struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    // Something a window can take: right of left and below top.
    bool hasArea() const { return left < right && top < bottom; }
    bool operator==(const WindowRect&) const = default;
};

// The four numbers, each line taken as atoi does; nothing when a line is missing.
std::optional<WindowRect> parseWindowRect(std::string_view bytes);
// The file's rectangle; nothing when it cannot be read or is short.
std::optional<WindowRect> readWindowRect(const std::string& path);

WriteResult writeWindowRect(const std::string& path, const WindowRect& rect);

}  // namespace quillon
