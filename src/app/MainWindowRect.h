// The main window rectangle kept in _TMP/MwndPos.txt between runs.
#pragma once

#include <optional>
#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/WindowRectFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kMainWindowRectFile = "MwndPos.txt";

// The stored rectangle when all four lines are there and it is usable: left and top not
// negative, left < right and top < bottom. Otherwise the caller places the window.
std::optional<WindowRect> parseMainWindowRect(std::string_view bytes);
std::optional<WindowRect> readMainWindowRect(const WorkDir& workDir);

WriteResult writeMainWindowRect(const WorkDir& workDir, const WindowRect& rect);

}  // namespace quillon
